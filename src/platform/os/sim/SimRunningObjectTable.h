#pragma once
// The running object table of the sim world: entries in memory, under a process identifier
// the test may set; processes the test marks as ended drop out of the list.
#include <map>
#include <mutex>
#include <set>

#include "platform/os/RunningObjectTable.h"

namespace kavoro::os {

class SimRunningObjectTable : public IRunningObjectTable {
 public:
  std::uint32_t Register(const std::string& name, std::uint32_t process,
                         const std::string& description) override;
  bool Revoke(std::uint32_t cookie) override;
  std::vector<RunningObjectEntry> List() override;
  std::uint32_t CurrentProcessId() override;

  // Test set-up.
  void SetCurrentProcessId(std::uint32_t process);
  void EndProcess(std::uint32_t process);
  // Makes every Register fail (a table that cannot be written).
  void SetFailing(bool failing);
  void Reset();

 private:
  static constexpr std::uint32_t kDefaultProcess = 0x1000;
  mutable std::mutex lock_;
  // guarded by lock_
  std::map<std::uint32_t, RunningObjectEntry> entries_;
  std::set<std::uint32_t> ended_;
  std::uint32_t nextCookie_ = 1;
  std::uint32_t process_ = kDefaultProcess;
  bool failing_ = false;
};

}  // namespace kavoro::os
