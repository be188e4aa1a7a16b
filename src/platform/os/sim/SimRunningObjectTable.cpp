#include "platform/os/sim/SimRunningObjectTable.h"

namespace kavoro::os {

std::uint32_t SimRunningObjectTable::Register(const std::string& name, std::uint32_t process,
                                              const std::string& description) {
  std::lock_guard<std::mutex> g(lock_);
  if (failing_) return 0;
  std::uint32_t cookie = nextCookie_++;
  if (nextCookie_ == 0) nextCookie_ = 1;
  entries_[cookie] = {name, process, description};
  return cookie;
}

bool SimRunningObjectTable::Revoke(std::uint32_t cookie) {
  std::lock_guard<std::mutex> g(lock_);
  auto it = entries_.find(cookie);
  if (it == entries_.end() || it->second.process != process_) return false;
  entries_.erase(it);
  return true;
}

std::vector<RunningObjectEntry> SimRunningObjectTable::List() {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<RunningObjectEntry> out;
  for (const auto& [cookie, e] : entries_) {
    if (!ended_.count(e.process)) out.push_back(e);
  }
  return out;
}

std::uint32_t SimRunningObjectTable::CurrentProcessId() {
  std::lock_guard<std::mutex> g(lock_);
  return process_;
}

void SimRunningObjectTable::SetCurrentProcessId(std::uint32_t process) {
  std::lock_guard<std::mutex> g(lock_);
  process_ = process;
}

void SimRunningObjectTable::EndProcess(std::uint32_t process) {
  std::lock_guard<std::mutex> g(lock_);
  ended_.insert(process);
}

void SimRunningObjectTable::SetFailing(bool failing) {
  std::lock_guard<std::mutex> g(lock_);
  failing_ = failing;
}

void SimRunningObjectTable::Reset() {
  std::lock_guard<std::mutex> g(lock_);
  entries_.clear();
  ended_.clear();
  nextCookie_ = 1;
  process_ = kDefaultProcess;
  failing_ = false;
}

}  // namespace kavoro::os
