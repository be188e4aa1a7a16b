#include "platform/os/common/MessageQueue.h"

#include <stdexcept>

#include "platform/os/Application.h"

namespace kavoro::os {

struct MessageQueue::SyncCall {
  std::function<void()> fn;
  std::mutex lock;
  std::condition_variable done;
  bool finished = false;  // guarded by lock
  std::exception_ptr error;
};

MessageQueue::MessageQueue(std::function<void()> wake)
    : wake_(std::move(wake)), guiThread_(std::this_thread::get_id()) {}

MessageQueue::~MessageQueue() {
  std::deque<Item> left;
  {
    std::lock_guard g(lock_);
    shutDown_ = true;
    left.swap(items_);
  }
  for (Item& item : left) {
    if (!item.sync) continue;
    std::lock_guard g(item.sync->lock);
    item.sync->error = std::make_exception_ptr(std::runtime_error("GUI thread has ended"));
    item.sync->finished = true;
    item.sync->done.notify_all();
  }
}

HWND MessageQueue::CreateWindow(MessageHandler handler) {
  std::lock_guard g(lock_);
  HWND h = nextWindow_++;
  windows_[h] = std::make_shared<MessageHandler>(std::move(handler));
  return h;
}

void MessageQueue::DestroyWindow(HWND window) {
  std::lock_guard g(lock_);
  windows_.erase(window);
  std::erase_if(items_, [window](const Item& i) { return i.window == window; });
}

bool MessageQueue::IsWindow(HWND window) {
  std::lock_guard g(lock_);
  return windows_.count(window) != 0;
}

bool MessageQueue::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<MessageHandler> handler;
  {
    std::lock_guard g(lock_);
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    handler = it->second;
  }
  if (*handler) (*handler)(message, wParam, lParam);
  return true;
}

bool MessageQueue::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard g(lock_);
    if (shutDown_ || !windows_.count(window)) return false;
    Item item;
    item.window = window;
    item.message = message;
    item.wParam = wParam;
    item.lParam = lParam;
    items_.push_back(std::move(item));
  }
  arrived_.notify_all();
  if (wake_) wake_();
  return true;
}

void MessageQueue::Queue(std::function<void()> fn) {
  {
    std::lock_guard g(lock_);
    if (shutDown_) return;
    Item item;
    item.call = std::move(fn);
    items_.push_back(std::move(item));
  }
  arrived_.notify_all();
  if (wake_) wake_();
}

void MessageQueue::Synchronize(std::function<void()> fn) {
  if (IsGuiThread()) {
    fn();
    return;
  }
  auto sync = std::make_shared<SyncCall>();
  sync->fn = std::move(fn);
  {
    std::lock_guard g(lock_);
    if (shutDown_) throw std::runtime_error("GUI thread has ended");
    Item item;
    item.sync = sync;
    items_.push_back(std::move(item));
  }
  arrived_.notify_all();
  if (wake_) wake_();
  std::unique_lock g(sync->lock);
  sync->done.wait(g, [&] { return sync->finished; });
  if (sync->error) std::rethrow_exception(sync->error);
}

void MessageQueue::Run(Item& item) {
  if (item.sync) {
    std::exception_ptr error;
    try {
      item.sync->fn();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard g(item.sync->lock);
    item.sync->error = error;
    item.sync->finished = true;
    item.sync->done.notify_all();
  } else if (item.call) {
    RunGuarded(item.call);
  } else {
    RunGuarded([&] { Deliver(item.window, item.message, item.wParam, item.lParam); });
  }
}

bool MessageQueue::Drain() {
  std::size_t count;
  {
    std::lock_guard g(lock_);
    count = items_.size();
  }
  bool ran = false;
  for (std::size_t i = 0; i < count; ++i) {
    Item item;
    {
      std::lock_guard g(lock_);
      if (items_.empty()) break;
      item = std::move(items_.front());
      items_.pop_front();
    }
    Run(item);
    ran = true;
  }
  return ran;
}

bool MessageQueue::WaitAndDrain(int timeoutMs) {
  if (Drain()) return true;
  {
    std::unique_lock g(lock_);
    arrived_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return !items_.empty(); });
  }
  return Drain();
}

}  // namespace kavoro::os
