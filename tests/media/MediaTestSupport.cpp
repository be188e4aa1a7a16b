#include "MediaTestSupport.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "platform/media/Enumerators.h"
#include "platform/media/MediaFramework.h"

namespace kavoro::testing {
namespace {

namespace fs = std::filesystem;

const char* const kFfmpeg = "ffmpeg -nostdin -v error -y ";

void Run(const std::string& command) {
  const int rc = std::system(command.c_str());
  ASSERT_EQ(rc, 0) << command;
}

std::string Dir() {
  fs::create_directories(KAVORO_MEDIA_FIXTURES);
  return KAVORO_MEDIA_FIXTURES;
}

void Make(const std::string& name, const std::string& path) {
  // Test programs run side by side and may make the same fixture at once: each writes its own
  // temporary file and renames it into place.
  const std::string tmp = path + ".part" + std::to_string(::getpid());
  std::string cmd = kFfmpeg;
  if (name == "colors.mpg") {
    cmd +=
        "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -f lavfi -i color=c=lime:s=64x48:r=25:d=1 "
        "-f lavfi -i color=c=blue:s=64x48:r=25:d=1 -f lavfi -i sine=f=440:d=3:sample_rate=48000 "
        "-filter_complex \"[0][1][2]concat=n=3:v=1:a=0[v]\" -map \"[v]\" -map 3 -ac 2 "
        "-c:v mpeg2video -q:v 2 -g 5 -c:a mp2 -f mpeg ";
  } else if (name == "split.avi") {
    cmd +=
        "-f lavfi -i \"color=c=red:s=64x48:r=25:d=1,drawbox=x=32:y=0:w=32:h=48:color=blue:t=fill\" "
        "-c:v mpeg4 -q:v 1 -f avi ";
  } else if (name == "bframes.mpg") {
    // Small pictures share PES packets, so the pictures that follow their B-frames carry no
    // presentation time of their own in the program stream.
    cmd += "-f lavfi -i testsrc2=s=64x48:r=25:d=2 -c:v mpeg2video -g 12 -bf 2 -f mpeg ";
  } else if (name == "wide.mpg") {
    // 64 x 48 pixels shown 16:9: the shape is in the sequence header only.
    cmd += "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -c:v mpeg2video -aspect 16:9 -f mpeg ";
  } else if (name == "colourspace.mpg") {
    cmd +=
        "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -c:v mpeg2video -colorspace bt709 "
        "-color_primaries bt709 -color_trc bt709 -f mpeg ";
  } else if (name == "ac3.vob") {
    cmd +=
        "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -f lavfi -i sine=f=440:d=1:sample_rate=48000 "
        "-ac 2 -c:v mpeg2video -c:a ac3 -f vob ";
  } else if (name == "tone.wav") {
    cmd += "-f lavfi -i \"sine=f=440:d=1:sample_rate=48000,volume=4\" -ac 2 -c:a pcm_s16le -f wav ";
  } else if (name.rfind("format.", 0) == 0) {
    // One second of picture and sound in each container the open dialog offers.
    const std::string ext = name.substr(7);
    const std::string in =
        "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -f lavfi -i sine=f=440:d=1:sample_rate=44100 ";
    const std::string codecs =
        ext == "vob"   ? "-c:v mpeg2video -c:a mp2 -f vob "
        : ext == "avi" ? "-c:v mpeg4 -c:a mp3 -f avi "
        : ext == "mpg" ? "-c:v mpeg1video -c:a mp2 -f mpeg "
        : ext == "dat" ? "-c:v mpeg1video -c:a mp2 -f mpeg "
        : ext == "wmv" ? "-c:v wmv2 -c:a wmav2 -f asf "
        : ext == "asf" ? "-c:v msmpeg4 -c:a wmav2 -f asf "
        : ext == "mov" ? "-c:v mpeg4 -c:a aac -f mov "
                       : "";
    if (ext == "mp3") cmd += "-f lavfi -i sine=f=440:d=1 -c:a libmp3lame -f mp3 ";
    else if (ext == "wav") cmd += "-f lavfi -i sine=f=440:d=1 -c:a pcm_s16le -f wav ";
    else if (!codecs.empty()) cmd += in + codecs;
    else FAIL() << "no such format " << ext;
  } else if (name == "undecodable.mkv" || name == "novideo.mkv") {
    // Three seconds of moving picture and a tone whose packets (every byte; video only for
    // "novideo") the noise filter overwrote: the container and stream headers stay intact.
    const bool audioToo = name == "undecodable.mkv";
    cmd += "-f lavfi -i testsrc2=s=64x48:r=25:d=3 -f lavfi -i sine=f=440:d=3:sample_rate=48000 "
           "-ac 2 -c:v mpeg4 -c:a mp2 -bsf:v noise=amount=1 ";
    if (audioToo) cmd += "-bsf:a noise=amount=1 ";
    cmd += "-f matroska ";
  } else if (name == "cdxa.dat") {
    // A Video CD track as the disc holds it: RIFF/CDXA around raw mode-2 sectors.
    const std::string mpeg = ReadFile(Fixture("format.dat"));
    constexpr std::size_t kPayload = 2324;
    std::string body;
    for (std::size_t at = 0; at < mpeg.size(); at += kPayload) {
      std::string sector("\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x00", 12);
      sector += std::string("\x00\x02\x00\x02", 4);
      sector += std::string("\x01\x00\x64\x00\x01\x00\x64\x00", 8);
      std::string payload = mpeg.substr(at, kPayload);
      payload.resize(kPayload, '\0');
      sector += payload + std::string(4, '\0');
      body += sector;
    }
    auto le32 = [](std::uint32_t v) {
      return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                         static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    const std::string fmt = "fmt " + le32(16) + std::string(16, '\0');
    const std::string riff = "RIFF" + le32(static_cast<std::uint32_t>(4 + fmt.size() + 8 + body.size())) +
                             "CDXA" + fmt + "data" + le32(static_cast<std::uint32_t>(body.size())) + body;
    std::ofstream(tmp, std::ios::binary) << riff;
    fs::rename(tmp, path);
    return;
  } else if (name == "tune.mid") {
    // Tempo 120, piano, one A4 held for two quarter notes (1 s), end of track.
    const std::string track(
        "\x00\xFF\x51\x03\x07\xA1\x20"
        "\x00\xC0\x00"
        "\x00\x90\x45\x64"
        "\x87\x40\x80\x45\x40"
        "\x00\xFF\x2F\x00", 23);
    std::string smf("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 14);
    smf += std::string("MTrk\x00\x00\x00", 7) + static_cast<char>(track.size()) + track;
    std::ofstream(tmp, std::ios::binary) << smf;
    fs::rename(tmp, path);
    return;
  } else if (name == "unknown.avi") {
    const std::string plain = tmp + "-plain.avi";
    Run(std::string(kFfmpeg) +
        "-f lavfi -i color=c=red:s=64x48:r=25:d=1 -f lavfi -i sine=f=440:d=1 -c:v mpeg4 "
        "-vtag XVID -c:a pcm_s16le -f avi " + plain);
    std::string bytes = ReadFile(plain);
    for (std::size_t at = bytes.find("XVID"); at != std::string::npos; at = bytes.find("XVID"))
      bytes.replace(at, 4, "QZQZ");
    std::ofstream(tmp, std::ios::binary) << bytes;
    fs::remove(plain);
    fs::rename(tmp, path);
    return;
  } else {
    FAIL() << "no such fixture " << name;
  }
  Run(cmd + tmp);
  fs::rename(tmp, path);
}

}  // namespace

std::string Fixture(const std::string& name) {
  const std::string path = Dir() + "/" + name;
  if (!fs::exists(path)) Make(name, path);
  return path;
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  const std::string path = Dir() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Graph MakeGraph() {
  media::RegisterMediaFramework();
  Graph g;
  EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                             IIDOf<IFilterGraph2>(), g.builder.PutVoid()),
            S_OK);
  g.control = g.builder.As<IMediaControl>();
  g.events = g.builder.As<IMediaEventEx>();
  g.seeking = g.builder.As<IMediaSeeking>();
  return g;
}

std::vector<ComPtr<IBaseFilter>> FiltersOf(IFilterGraph* graph) {
  std::vector<ComPtr<IBaseFilter>> out;
  ComPtr<IEnumFilters> e;
  graph->EnumFilters(e.Put());
  IBaseFilter* f = nullptr;
  while (e->Next(1, &f, nullptr) == S_OK) out.push_back(ComPtr<IBaseFilter>::Attach(f));
  return out;
}

std::vector<ComPtr<IBaseFilter>> FiltersOfClass(IFilterGraph* graph, const CLSID& clsid) {
  std::vector<ComPtr<IBaseFilter>> out;
  for (auto& f : FiltersOf(graph)) {
    CLSID c;
    if (SUCCEEDED(f->GetClassID(&c)) && c == clsid) out.push_back(f);
  }
  return out;
}

void ClearGraph(IFilterGraph* graph) {
  for (auto& f : FiltersOf(graph)) graph->RemoveFilter(f.Get());
}

ComPtr<IPin> PinNamed(IBaseFilter* f, const std::string& id) {
  ComPtr<IPin> p;
  f->FindPin(id, p.Put());
  return p;
}

ComPtr<IPin> FirstFreeInput(IBaseFilter* f) {
  for (auto& p : media::PinsOf(f))
    if (!media::IsOutput(p.Get()) && !media::PeerOf(p.Get())) return p;
  return nullptr;
}

void PutMixerInFront(const Graph& g, IBaseFilter* mixer, IBaseFilter* renderer) {
  ComPtr<IPin> rendererIn = media::PinsOf(renderer).front();
  ComPtr<IPin> decoderOut = media::PeerOf(rendererIn.Get());
  ASSERT_TRUE(decoderOut);
  rendererIn->Disconnect();
  decoderOut->Disconnect();
  ASSERT_EQ(g.builder->Connect(decoderOut.Get(), PinNamed(mixer, "Input0").Get()), S_OK);
  ASSERT_EQ(g.builder->Connect(PinNamed(mixer, "Output").Get(), rendererIn.Get()), S_OK);
}

bool WaitForEvent(IMediaEvent* events, LONG code, int timeoutMs, std::vector<LONG>* seen) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    LONG c = 0;
    LONG_PTR p1 = 0, p2 = 0;
    if (events->GetEvent(&c, &p1, &p2, 20) != S_OK) continue;
    events->FreeEventParams(c, p1, p2);
    if (seen) seen->push_back(c);
    if (c == code) return true;
    if (c == EC_ERRORABORT || c == EC_USERABORT) return false;
  }
  return false;
}

void PauseAndWait(const Graph& g) {
  ASSERT_TRUE(SUCCEEDED(g.control->Pause()));
  OAFilterState s;
  ASSERT_EQ(g.control->GetState(5000, &s), S_OK);
  ASSERT_EQ(s, State_Paused);
}

}  // namespace kavoro::testing
