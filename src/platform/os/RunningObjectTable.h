#pragma once
// The per-user table of running objects: a process registers an object under a display name
// so that inspection tools of the same user can find it, and revokes the registration when
// the object goes away. An entry of a process that has ended no longer appears.
#include <cstdint>
#include <string>
#include <vector>

namespace kavoro::os {

struct RunningObjectEntry {
  std::string name;         // the display name, e.g. "!FilterGraph 0x5581c0 pid 1a2b"
  std::uint32_t process = 0;  // the registering process
  std::string description;  // a short text for lists
  friend bool operator==(const RunningObjectEntry&, const RunningObjectEntry&) = default;
};

// Any thread.
class IRunningObjectTable {
 public:
  virtual ~IRunningObjectTable() = default;
  // Adds an entry; returns its cookie, never 0; 0 when the entry could not be recorded.
  virtual std::uint32_t Register(const std::string& name, std::uint32_t process,
                                 const std::string& description) = 0;
  // Removes an entry this process registered; false when the cookie names none.
  virtual bool Revoke(std::uint32_t cookie) = 0;
  // Every live entry of the user, in no particular order.
  virtual std::vector<RunningObjectEntry> List() = 0;
  // The identifier of the calling process, as registrations record it.
  virtual std::uint32_t CurrentProcessId() = 0;
};

}  // namespace kavoro::os
