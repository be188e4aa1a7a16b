#include "platform/media/OutputQueue.h"

#include <utility>

namespace kavoro::media {

void OutputQueue::Start() {
  {
    std::lock_guard g(lock_);
    if (running_) return;
    running_ = true;
    flushing_ = false;
    items_.clear();
  }
  thread_ = std::thread([this] { Run(); });
}

void OutputQueue::Stop() {
  {
    std::lock_guard g(lock_);
    running_ = false;
    items_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void OutputQueue::Push(Item item) {
  {
    std::lock_guard g(lock_);
    if (!running_ || flushing_) return;
    items_.push_back(std::move(item));
  }
  changed_.notify_all();
}

void OutputQueue::Deliver(IMediaSample* sample) {
  Item item;
  item.sample = ComPtr<IMediaSample>(sample);
  Push(std::move(item));
}

void OutputQueue::DeliverEndOfStream() {
  Item item;
  item.kind = Item::Kind::EndOfStream;
  Push(std::move(item));
}

void OutputQueue::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  Item item;
  item.kind = Item::Kind::NewSegment;
  item.start = start;
  item.stop = stop;
  item.rate = rate;
  Push(std::move(item));
}

void OutputQueue::BeginFlush() {
  std::deque<Item> dropped;
  {
    std::lock_guard g(lock_);
    flushing_ = true;
    dropped.swap(items_);
  }
  pin_.DeliverBeginFlush();
}

void OutputQueue::EndFlush() {
  {
    std::unique_lock g(lock_);
    changed_.wait(g, [&] { return !busy_; });
    items_.clear();
  }
  pin_.DeliverEndFlush();
  std::lock_guard g(lock_);
  flushing_ = false;
}

void OutputQueue::Run() {
  for (;;) {
    Item item;
    {
      std::unique_lock g(lock_);
      changed_.wait(g, [&] { return !running_ || !items_.empty(); });
      if (!running_) return;
      item = std::move(items_.front());
      items_.pop_front();
      busy_ = true;
    }
    switch (item.kind) {
      case Item::Kind::Sample:
        pin_.Deliver(item.sample.Get());  // refused while flushing: the data is stale anyway
        break;
      case Item::Kind::EndOfStream:
        pin_.DeliverEndOfStream();
        break;
      case Item::Kind::NewSegment:
        pin_.DeliverNewSegment(item.start, item.stop, item.rate);
        break;
    }
    item.sample.Reset();
    {
      std::lock_guard g(lock_);
      busy_ = false;
    }
    changed_.notify_all();
  }
}

}  // namespace kavoro::media
