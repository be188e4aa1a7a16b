#pragma once
// The file source: opens a media file with the demuxing library, offers one output pin for
// the main video stream and one for the main audio stream, and pushes their packets
// downstream. One demuxing thread reads the file into a queue per pin; each pin has a
// delivery thread of its own, so a renderer that waits for its clock holds back only its own
// stream. The filter is also the graph's seeking object: its pins answer IMediaSeeking with it.
// A sample's time is its packet's presentation time; its media time, its decoding time (both
// stream times).
// Failures: a stream whose downstream refuses a sample with an error is given up (EC_ERRORABORT
// with that error; its packets are dropped from then on, so the other streams keep their
// share); a read error other than the end of the file is EC_ERRORABORT (KAVORO_E_READ_FAILED);
// a seek the demuxer cannot make fails SetPositions (KAVORO_E_SEEK_FAILED), and the source
// plays on from where it was.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/IMediaSeeking.h"
#include "platform/media/SeekingSupport.h"

namespace kavoro::media {

class FileSource final : public AddInterfaces<BaseFilter, IFileSourceFilter, MediaTimeSeeking> {
 public:
  FileSource();

  // IFileSourceFilter (application thread).
  HRESULT Load(const std::string& fileName, const AM_MEDIA_TYPE* type) override;
  HRESULT GetCurFile(std::string* fileName, AM_MEDIA_TYPE* type) override;

  // IMediaSeeking beyond MediaTimeSeeking (application thread; the getters any thread).
  HRESULT GetCapabilities(DWORD* capabilities) override;
  HRESULT GetDuration(LONGLONG* duration) override;
  HRESULT GetStopPosition(LONGLONG* stop) override;
  HRESULT GetCurrentPosition(LONGLONG* current) override;
  HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                       DWORD stopFlags) override;

 protected:
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;

 private:
  class OutputPin;
  struct Stream {
    OutputPin* pin = nullptr;
    int index = -1;            // stream index in the file
    AVRational timeBase{};
    bool reordered = false;    // pictures are decoded in another order than they are shown
    // delivery thread
    bool sawPresentationTime = false;
    // guarded by queueLock_
    std::deque<PacketPtr> queue;  // a null packet marks the end of the stream
    std::size_t bytes = 0;
    bool ended = false;        // the end marker was queued, or the stream was given up
  };

  ~FileSource() override;

  // Application thread, streaming threads stopped. Moves the demuxer to `position_`;
  // KAVORO_E_SEEK_FAILED when it cannot.
  HRESULT Seek();
  // Application thread. Seeks the file to `position_` (unless Seek ran since the last run),
  // tells downstream the new segment and starts the threads; StopStreaming flushes downstream
  // first when `flush` is set.
  void StartStreaming();
  void StopStreaming(bool flush);
  // Whether the file is searched by decoding time and holds a reordered stream.
  bool SearchesByDecodingTime() const;

  // Demuxing thread.
  void Demux();
  // lock held: whether the demuxer must wait before queueing to `s`.
  bool MustWait(const Stream& s) const;
  void EndAll();
  // Delivery thread of one stream.
  void Deliver(Stream& s);
  // Downstream of `s` failed with `hr`: the stream is given up and the graph told.
  void GiveUp(Stream& s, HRESULT hr);
  HRESULT DeliverPacket(Stream& s, const AVPacket& packet, bool first);

  Stream* StreamFor(int index);
  REFERENCE_TIME ToReference(std::int64_t ts, AVRational tb) const;

  // application thread, set in Load
  std::string file_;
  FormatContextPtr format_;
  std::vector<std::unique_ptr<Stream>> streams_;
  REFERENCE_TIME origin_ = 0;    // file time of media time 0
  REFERENCE_TIME duration_ = -1;

  // application thread; read by the streaming threads while they run
  LONGLONG position_ = 0;
  LONGLONG stop_ = -1;  // -1: to the end
  double runRate_ = 1.0;  // the rate of the run, taken from rate_ as it starts
  // application thread
  bool sought_ = false;  // the demuxer stands at position_ (Seek ran since the last run)

  std::mutex queueLock_;
  std::condition_variable queueChanged_;
  bool quit_ = false;  // guarded by queueLock_

  // application thread
  std::thread demuxer_;
  std::vector<std::thread> deliverers_;
};

}  // namespace kavoro::media
