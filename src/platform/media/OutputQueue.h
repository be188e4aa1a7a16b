#pragma once
// Delivery from an output pin on a thread of its own. A source that demuxes several streams on
// one thread hands each pin's samples, ends of stream and new segments to the pin's queue, so a
// renderer that holds its stream (a paused renderer keeps its first sample and blocks the
// delivering call) never stops the other streams from reaching theirs. The queue is bounded by
// the pin's buffer pool: a full pool makes GetDeliveryBuffer wait, as without the queue.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/com/ComPtr.h"
#include "platform/media/BasePin.h"

namespace kavoro::media {

class OutputQueue {
 public:
  explicit OutputQueue(BaseOutputPin& pin) : pin_(pin) {}
  ~OutputQueue() { Stop(); }
  OutputQueue(const OutputQueue&) = delete;
  OutputQueue& operator=(const OutputQueue&) = delete;

  // Application thread: starts the delivery thread (the pin went active) and ends it, dropping
  // what still waits (the pin goes inactive; downstream has been stopped first, so a delivery
  // in progress returns).
  void Start();
  void Stop();

  // The source's streaming thread: queued in order, delivered on the queue's thread. Dropped
  // while flushing or stopped.
  void Deliver(IMediaSample* sample);
  void DeliverEndOfStream();
  void DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

  // Any thread, in pairs: drops what waits and passes the flush downstream at once (which
  // releases a delivery blocked there); EndFlush waits for a delivery in progress to return
  // before passing the end on, so nothing from before the flush arrives after it.
  void BeginFlush();
  void EndFlush();

 private:
  struct Item {
    enum class Kind { Sample, EndOfStream, NewSegment } kind = Kind::Sample;
    ComPtr<IMediaSample> sample;
    REFERENCE_TIME start = 0, stop = 0;
    double rate = 1.0;
  };
  void Push(Item item);
  void Run();

  BaseOutputPin& pin_;
  std::thread thread_;  // application thread

  std::mutex lock_;
  std::condition_variable changed_;
  // guarded by lock_
  std::deque<Item> items_;
  bool running_ = false;
  bool flushing_ = false;
  bool busy_ = false;  // the thread is inside a delivery
};

}  // namespace kavoro::media
