#pragma once
// The running object table of the real machine: one small file per registration in a folder
// of the user's runtime folder, so every process of the user sees every entry. Entries of
// processes that have ended are left where they are and skipped.
#include <atomic>
#include <string>

#include "platform/os/RunningObjectTable.h"

namespace kavoro::os::linuxos {

class LinuxRunningObjectTable : public IRunningObjectTable {
 public:
  // `folder`: where the entries live; created on first registration.
  explicit LinuxRunningObjectTable(std::string folder);

  std::uint32_t Register(const std::string& name, std::uint32_t process,
                         const std::string& description) override;
  bool Revoke(std::uint32_t cookie) override;
  std::vector<RunningObjectEntry> List() override;
  std::uint32_t CurrentProcessId() override;

 private:
  std::string EntryPath(std::uint32_t cookie) const;

  std::string folder_;
  std::atomic<std::uint32_t> nextCookie_{1};
};

// The folder of the user's table: <runtime folder>/rot.
std::string RunningObjectFolder();

}  // namespace kavoro::os::linuxos
