// Closed captions end to end: an MPEG-2 file whose pictures carry Line 21 user data, rendered
// into the mixing renderer through the video decoder's caption output and the Line 21
// Decoder 2; and the caption picture itself.
#include <QImage>

#include <bit>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "MediaTestSupport.h"
#include "platform/media/Enumerators.h"
#include "platform/media/IVideoPresentation.h"
#include "platform/media/Line21Decoder.h"
#include "platform/os/sim/SimPlatform.h"

namespace kavoro::testing {
namespace {

constexpr int kFps = 25;
constexpr LONG kWidth = 320, kHeight = 240;
// The caption "HELLO" on row 15 is shown from picture kShownAt to kErasedAt.
constexpr int kShownAt = 12, kErasedAt = 50;

std::uint8_t P(std::uint8_t b) { return (std::popcount(b) & 1) ? b : static_cast<std::uint8_t>(b | 0x80); }

// The byte pair each picture carries (pop-on: load, then end of caption; later an erase).
std::map<int, std::pair<std::uint8_t, std::uint8_t>> CaptionSchedule() {
  return {{5, {0x14, 0x20}},  {6, {0x14, 0x20}},  {7, {0x14, 0x70}},  {8, {0x14, 0x70}},
          {9, {'H', 'E'}},    {10, {'L', 'L'}},   {11, {'O', 0x00}},  {kShownAt, {0x14, 0x2F}},
          {kShownAt + 1, {0x14, 0x2F}}, {kErasedAt, {0x14, 0x2C}}, {kErasedAt + 1, {0x14, 0x2C}}};
}

// Puts ATSC caption user data ("GA94", one field-1 pair) before the first slice of every
// picture of an MPEG-2 elementary stream.
std::string WithCaptions(const std::string& es) {
  const auto schedule = CaptionSchedule();
  std::string out;
  int picture = -1;
  bool pending = false;
  std::size_t copied = 0;
  for (std::size_t i = 0; i + 3 < es.size(); ++i) {
    if (es[i] != 0 || es[i + 1] != 0 || es[i + 2] != 1) continue;
    const auto code = static_cast<std::uint8_t>(es[i + 3]);
    if (code == 0x00) {
      ++picture;
      pending = true;
    } else if (pending && code >= 0x01 && code <= 0xAF) {
      pending = false;
      std::uint8_t a = 0x80, b = 0x80;
      if (auto it = schedule.find(picture); it != schedule.end()) {
        a = P(it->second.first);
        b = P(it->second.second);
      }
      out.append(es, copied, i - copied);
      copied = i;
      const char data[] = {0, 0, 1, static_cast<char>(0xB2), 'G', 'A', '9', '4', 3,
                           static_cast<char>(0x40 | 1), static_cast<char>(0xFF),
                           static_cast<char>(0xFC), static_cast<char>(a), static_cast<char>(b),
                           static_cast<char>(0xFF)};
      out.append(data, sizeof data);
    }
  }
  out.append(es, copied, std::string::npos);
  return out;
}

std::string CaptionedFile() {
  const std::string plain = WriteFile("captions-plain.m2v", "");  // in the fixture folder
  const std::string dir = std::filesystem::path(plain).parent_path().string();
  const std::string file = dir + "/captions.mpg", patched = dir + "/captions.m2v";
  if (std::filesystem::exists(file)) return file;
  const std::string ffmpeg = "ffmpeg -nostdin -v error -y ";
  EXPECT_EQ(std::system((ffmpeg + "-f lavfi -i color=c=blue:s=320x240:r=25:d=3 -c:v mpeg2video "
                                  "-q:v 2 -g 12 -bf 0 -f mpeg2video " + plain).c_str()),
            0);
  WriteFile("captions.m2v", WithCaptions(ReadFile(plain)));
  // Encoded again, which keeps the captions and gives the pictures their times.
  EXPECT_EQ(std::system((ffmpeg + "-f mpegvideo -i " + patched +
                         " -c:v mpeg2video -a53cc 1 -q:v 2 -g 12 -bf 0 -f mpeg " + file + ".part")
                            .c_str()),
            0);
  std::filesystem::rename(file + ".part", file);
  return file;
}

// Where the caption's box and text lie on a picture of `w` x `h`: row 15, columns 0 to 4.
QRect CaptionArea(int w, int h) {
  const double left = w * 0.1, top = h * 0.1, cell = w * 0.8 / 32, row = h * 0.8 / 15;
  return QRect(static_cast<int>(left), static_cast<int>(top + 14 * row), static_cast<int>(5 * cell),
               static_cast<int>(row));
}

struct CaptionLook {
  int dark = 0, light = 0;  // box and text pixels in the caption area
};

CaptionLook Look(const PresentedImage& image) {
  CaptionLook look;
  const QRect area = CaptionArea(image.width, image.height);
  for (int y = area.top() + 1; y < area.bottom(); ++y)
    for (int x = area.left() + 1; x < area.right(); ++x) {
      const std::uint32_t p = image.Pixel(x, y);
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r < 40 && g < 40 && b < 40) ++look.dark;
      if (r > 180 && g > 180 && b > 180) ++look.light;
    }
  return look;
}

struct CaptionTimes {
  REFERENCE_TIME firstShown = -1, lastShown = -1, erasedAt = -1;
};

// Plays the graph and watches the caption area of `renderer`'s pictures against the stream
// position.
CaptionTimes WatchCaptions(const Graph& g, IBaseFilter* renderer) {
  CaptionTimes t;
  EXPECT_TRUE(SUCCEEDED(g.control->Run()));
  ComPtr<IVideoPresentation> presentation = ComPtr<IBaseFilter>(renderer).As<IVideoPresentation>();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(6);
  while (std::chrono::steady_clock::now() < until) {
    PresentedImage image;
    REFERENCE_TIME now = 0;
    g.seeking->GetCurrentPosition(&now);
    if (SUCCEEDED(presentation->GetPresentedImage(&image))) {
      const CaptionLook look = Look(image);
      const bool shown = look.dark > 20 && look.light > 10;
      if (shown && t.firstShown < 0) {
        t.firstShown = now;
        QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
               QImage::Format_RGB32)
            .save(QString::fromStdString(WriteFile("caption-playback.png", "")));
      }
      if (shown) t.lastShown = now;
      if (!shown && t.firstShown >= 0 && t.erasedAt < 0) t.erasedAt = now;
    }
    if (WaitForEvent(g.events.Get(), EC_COMPLETE, 10)) break;
  }
  g.control->Stop();
  return t;
}

void ExpectCaptionTimes(const CaptionTimes& t) {
  const REFERENCE_TIME frame = kSecond / kFps;
  ASSERT_GE(t.firstShown, 0) << "no caption seen";
  EXPECT_GE(t.firstShown, (kShownAt - 1) * frame);
  EXPECT_LT(t.firstShown, (kShownAt + 8) * frame);
  ASSERT_GE(t.erasedAt, 0) << "the caption never went";
  EXPECT_GE(t.erasedAt, (kErasedAt - 1) * frame);
  EXPECT_LT(t.erasedAt, (kErasedAt + 8) * frame);
  EXPECT_LT(t.lastShown, t.erasedAt);
}

TEST(CaptionPicture, TextOnBlackBoxesInTheSafeArea) {
  media::Cea608Decoder d;
  for (auto [a, b] : std::initializer_list<std::pair<std::uint8_t, std::uint8_t>>{
           {0x14, 0x29}, {0x14, 0x70}, {'H', 'E'}, {'L', 'L'}, {'O', 0}})
    d.Decode(P(a), P(b));
  QImage image(media::kCaptionPictureWidth, media::kCaptionPictureHeight,
               QImage::Format_ARGB32_Premultiplied);
  media::PaintCaptions(d.Displayed(), &image);
  image.save(QString::fromStdString(WriteFile("caption-picture.png", "")));
  const QRect area = CaptionArea(image.width(), image.height());
  int opaqueBlack = 0, white = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 255 && qRed(p) < 30) ++opaqueBlack;
      if (qAlpha(p) == 255 && qRed(p) > 200 && qBlue(p) > 200) ++white;
    }
  EXPECT_GT(opaqueBlack, area.width() * area.height() / 3);
  EXPECT_GT(white, 40);
  // Nothing outside the boxes: the picture shows through.
  EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 0);
  EXPECT_EQ(qAlpha(image.pixel(area.right() + 40, area.center().y())), 0);
}

TEST(CaptionPlayback, CaptionsShowOnTheMixingRendererForTheirTime) {
  os::Sim().Reset();
  const std::string file = CaptionedFile();
  Graph g = MakeGraph();
  ComPtr<IBaseFilter> vmr = CreateInstance<IBaseFilter>(CLSID_VideoMixingRenderer);
  ASSERT_TRUE(vmr);
  ASSERT_EQ(vmr.As<IVideoPresentation>()->SetPresentationMode(kPresentOffscreen), S_OK);
  ASSERT_EQ(g.builder->AddFilter(vmr.Get(), "VMR"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(file, {}), S_OK);
  // The decoder's caption output went through the Line 21 Decoder 2 to the renderer.
  auto line21 = FiltersOfClass(g.builder.Get(), CLSID_Line21Decoder2);
  ASSERT_EQ(line21.size(), 1u);
  ComPtr<IPin> out = media::PinsOf(line21[0].Get()).back();
  ASSERT_TRUE(media::PeerOf(out.Get()));
  EXPECT_TRUE(IsSameObject(media::FilterOf(media::PeerOf(out.Get()).Get()).Get(), vmr.Get()));

  ExpectCaptionTimes(WatchCaptions(g, vmr.Get()));
}

// A seek drops the captions on screen with the pictures they belonged to.
TEST(CaptionPlayback, SeekingDropsTheCaptionsShown) {
  os::Sim().Reset();
  const std::string file = CaptionedFile();
  Graph g = MakeGraph();
  ComPtr<IBaseFilter> vmr = CreateInstance<IBaseFilter>(CLSID_VideoMixingRenderer);
  ASSERT_EQ(vmr.As<IVideoPresentation>()->SetPresentationMode(kPresentOffscreen), S_OK);
  ASSERT_EQ(g.builder->AddFilter(vmr.Get(), "VMR"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(file, {}), S_OK);
  auto shown = [&] {
    PresentedImage image;
    if (FAILED(vmr.As<IVideoPresentation>()->GetPresentedImage(&image))) return false;
    const CaptionLook look = Look(image);
    return look.dark > 20 && look.light > 10;
  };
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  for (int i = 0; i < 200 && !shown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(shown());
  g.control->Pause();
  LONGLONG at = kSecond * 6 / 5;  // still inside the caption's time
  ASSERT_TRUE(SUCCEEDED(
      g.seeking->SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)));
  OAFilterState state;
  EXPECT_EQ(g.control->GetState(5000, &state), S_OK);
  EXPECT_FALSE(shown());
  // Nor does it come back once the new segment's times pass the old caption's.
  ASSERT_TRUE(SUCCEEDED(g.control->Run()));
  LONGLONG now = 0;
  for (int i = 0; i < 300 && now < kSecond * 7 / 4; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g.seeking->GetCurrentPosition(&now);
  }
  EXPECT_GE(now, kSecond * 7 / 4);
  EXPECT_FALSE(shown());
  g.control->Stop();
}

// With only the classic renderer nothing takes captions: the caption output stays free and
// the file renders as a whole.
TEST(CaptionPlayback, NoCaptionRendererLeavesTheCaptionOutputFree) {
  os::Sim().Reset();
  const std::string file = CaptionedFile();
  Graph g = MakeGraph();
  ComPtr<IBaseFilter> classic = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
  ASSERT_EQ(g.builder->AddFilter(classic.Get(), "VideoWindowEx"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(file, {}), S_OK);
  EXPECT_TRUE(FiltersOfClass(g.builder.Get(), CLSID_Line21Decoder2).empty());
  EXPECT_TRUE(FiltersOfClass(g.builder.Get(), CLSID_VideoMixingRenderer).empty());
  auto decoders = FiltersOfClass(g.builder.Get(), CLSID_KavoroVideoDecoder);
  ASSERT_EQ(decoders.size(), 1u);
  ComPtr<IPin> cc;
  ASSERT_EQ(decoders[0]->FindPin("CC Output", cc.Put()), S_OK);
  EXPECT_FALSE(media::PeerOf(cc.Get()));
  EXPECT_TRUE(media::PeerOf(media::PinsOf(classic.Get()).front().Get()));
}

// The mixing renderer's inputs moved to the overlay mixer in front of the classic renderer,
// with the Line 21 Decoder 2 swapped for a Line 21 Decoder, as the video window does.
TEST(CaptionPlayback, CaptionsShowThroughTheOverlayMixer) {
  os::Sim().Reset();
  const std::string file = CaptionedFile();
  Graph g = MakeGraph();
  ComPtr<IBaseFilter> vmr = CreateInstance<IBaseFilter>(CLSID_VideoMixingRenderer);
  ASSERT_EQ(g.builder->AddFilter(vmr.Get(), "VMR"), S_OK);
  ASSERT_EQ(g.builder->RenderFile(file, {}), S_OK);
  ComPtr<IBaseFilter> classic = CreateInstance<IBaseFilter>(CLSID_VideoRenderer);
  ASSERT_EQ(classic.As<IVideoPresentation>()->SetPresentationMode(kPresentOffscreen), S_OK);
  ASSERT_EQ(g.builder->AddFilter(classic.Get(), "VideoWindowEx"), S_OK);
  ComPtr<IBaseFilter> mixer = CreateInstance<IBaseFilter>(CLSID_OverlayMixer);
  ASSERT_EQ(g.builder->AddFilter(mixer.Get(), "Overlay Mixer"), S_OK);

  // The renderer's inputs by index while connected, listing its pins again after each.
  std::vector<ComPtr<IPin>> moved;
  for (std::size_t i = 0;; ++i) {
    const auto pins = media::PinsOf(vmr.Get());
    if (i >= pins.size() || !media::PeerOf(pins[i].Get())) break;
    ComPtr<IPin> from = media::PeerOf(pins[i].Get());
    from->Disconnect();
    pins[i]->Disconnect();
    moved.push_back(from);
  }
  ASSERT_EQ(moved.size(), 2u);
  for (ComPtr<IPin> pin : moved) {
    ComPtr<IPin> input = FirstFreeInput(mixer.Get());
    ASSERT_TRUE(input);
    ComPtr<IBaseFilter> owner = media::FilterOf(pin.Get());
    CLSID cls{};
    owner->GetClassID(&cls);
    if (cls == CLSID_Line21Decoder2) {
      ComPtr<IPin> decoderIn = media::PinsOf(owner.Get()).front();
      ComPtr<IPin> captions = media::PeerOf(decoderIn.Get());
      decoderIn->Disconnect();
      captions->Disconnect();
      ComPtr<IBaseFilter> line21 = CreateInstance<IBaseFilter>(CLSID_Line21Decoder);
      ASSERT_EQ(g.builder->AddFilter(line21.Get(), "Line21 Decoder"), S_OK);
      ASSERT_EQ(g.builder->Connect(captions.Get(), media::PinsOf(line21.Get())[0].Get()), S_OK);
      pin = media::PinsOf(line21.Get())[1];
      ASSERT_EQ(g.builder->RemoveFilter(owner.Get()), S_OK);
    }
    ASSERT_EQ(g.builder->Connect(pin.Get(), input.Get()), S_OK);
  }
  ComPtr<IPin> out;
  ASSERT_EQ(mixer->FindPin("Output", out.Put()), S_OK);
  ASSERT_EQ(g.builder->Connect(out.Get(), media::PinsOf(classic.Get()).front().Get()), S_OK);
  ASSERT_EQ(g.builder->RemoveFilter(vmr.Get()), S_OK);
  EXPECT_EQ(FiltersOfClass(g.builder.Get(), CLSID_Line21Decoder).size(), 1u);
  EXPECT_TRUE(FiltersOfClass(g.builder.Get(), CLSID_Line21Decoder2).empty());

  ExpectCaptionTimes(WatchCaptions(g, classic.Get()));
}

}  // namespace
}  // namespace kavoro::testing
