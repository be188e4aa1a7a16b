// Fuzz target: the file source on arbitrary bytes. The bytes are written to a file, which the
// source probes and opens; every output pin it offers is connected to a sink that reads each
// sample's bytes, and the source streams to the end, is repositioned to the middle (a file
// too damaged to seek in says so with KAVORO_E_SEEK_FAILED) and
// streams again. Whatever the bytes, Load gives a result code, streaming ends with an end of
// stream on every connected pin in bounded time, and samples stay within their buffers.
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/FileSource.h"
#include "platform/media/MediaClasses.h"
#include "platform/media/MediaErrors.h"

using namespace kavoro;
using namespace kavoro::media;

namespace {

// Far more than any input of the fuzzer's length needs; reaching it means streaming hangs.
constexpr auto kStreamLimit = std::chrono::seconds(10);
constexpr CLSID CLSID_FuzzSink = MakeGuid(0x7E57F0F1, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8);

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "file_source_fuzz: %s\n", what);
    std::abort();
  }
}

// A sink for any type: touches every byte of every sample and notes the end of the stream.
class Sink final : public BaseFilter {
 public:
  Sink() : BaseFilter(CLSID_FuzzSink) { pin_ = MakePin<Input>(*this); }

  IPin* Pin() { return pin_; }
  bool WaitForEnd() {
    std::unique_lock g(lock_);
    return ended_.wait_for(g, kStreamLimit, [&] { return end_; });
  }
  void Rearm() {
    std::lock_guard g(lock_);
    end_ = false;
  }

 private:
  class Input final : public BaseInputPin {
   public:
    explicit Input(Sink& s) : BaseInputPin(s, "In"), sink_(s) {}

   protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE&) override { return S_OK; }
    HRESULT OnReceive(IMediaSample* sample) override {
      BYTE* data = nullptr;
      Check(sample->GetPointer(&data) == S_OK, "sample without a buffer");
      const LONG length = sample->GetActualDataLength();
      Check(length >= 0 && length <= sample->GetSize(), "sample longer than its buffer");
      volatile BYTE sum = 0;
      for (LONG i = 0; i < length; ++i) sum = static_cast<BYTE>(sum + data[i]);
      return S_OK;
    }
    HRESULT OnEndOfStream() override {
      {
        std::lock_guard g(sink_.lock_);
        sink_.end_ = true;
      }
      sink_.ended_.notify_all();
      return S_OK;
    }
    HRESULT OnBeginFlush() override {
      sink_.Rearm();
      return S_OK;
    }

   private:
    Sink& sink_;
  };

  Input* pin_ = nullptr;
  std::mutex lock_;
  std::condition_variable ended_;
  bool end_ = false;  // guarded by lock_
};

// The file the source reads; removed when the process ends.
struct InputFile {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kavoro-fuzz-input-" + std::to_string(getpid())))
                               .string();
  ~InputFile() {
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
};

const std::string& InputPath() {
  static const InputFile file;
  return file.path;
}

void StreamToTheEnd(std::vector<ComPtr<Sink>>& sinks) {
  for (auto& s : sinks) Check(s->WaitForEnd(), "streaming did not end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Check(static_cast<bool>(out.flush()), "cannot write the input file");
  }
  ComPtr<FileSource> source = MakeCom<FileSource>();
  if (FAILED(source->Load(InputPath(), nullptr))) return 0;

  std::vector<ComPtr<Sink>> sinks;
  std::vector<ComPtr<IPin>> outputs;
  ComPtr<IEnumPins> pins;
  Check(source->EnumPins(pins.Put()) == S_OK, "no pin enumerator");
  IPin* pin = nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK) {
    ComPtr<IPin> out = ComPtr<IPin>::Attach(pin);
    ComPtr<Sink> sink = MakeCom<Sink>();
    Check(out->Connect(sink->Pin(), nullptr) == S_OK, "a sink for any type was refused");
    sinks.push_back(sink);
    outputs.push_back(out);
  }
  Check(!sinks.empty(), "a loaded file offers no pin");

  // Downstream first, as the graph does.
  for (auto& s : sinks) Check(SUCCEEDED(s->Pause()), "sink would not pause");
  Check(SUCCEEDED(source->Pause()), "source would not pause");
  StreamToTheEnd(sinks);

  LONGLONG duration = 0;
  if (source->GetDuration(&duration) == S_OK) {
    LONGLONG middle = duration / 2;
    for (auto& s : sinks) s->Rearm();
    // A damaged file may not let the demuxer seek: the source says so and streams on.
    const HRESULT hr = source->SetPositions(&middle, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning);
    Check(SUCCEEDED(hr) || hr == KAVORO_E_SEEK_FAILED, "repositioning failed");
    StreamToTheEnd(sinks);
  }

  source->Stop();
  for (auto& s : sinks) s->Stop();
  // Connected pins hold each other's filters, as the graph's removal would undo.
  for (std::size_t i = 0; i < sinks.size(); ++i) {
    outputs[i]->Disconnect();
    sinks[i]->Pin()->Disconnect();
  }
  return 0;
}
