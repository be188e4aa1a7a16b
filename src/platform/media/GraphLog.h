#pragma once
// The graph manager's text log: one line per building step, state change and event, with the
// time since the log was opened. Written to a duplicate of the descriptor SetLogFile was given.
#include <mutex>
#include <string>

#include "platform/media/MediaTypes.h"

namespace kavoro::media {

class GraphLog {
 public:
  GraphLog() = default;
  ~GraphLog();
  GraphLog(const GraphLog&) = delete;
  GraphLog& operator=(const GraphLog&) = delete;

  // Any thread. Starts writing to a duplicate of `fd` (0 stops). False when `fd` cannot be
  // duplicated (logging is then off).
  bool Open(int fd);
  bool IsOpen() const;
  // Any thread. One line; nothing when closed.
  void Line(const std::string& text);

 private:
  mutable std::mutex lock_;
  // guarded by lock_
  int fd_ = -1;
  REFERENCE_TIME opened_ = 0;
};

}  // namespace kavoro::media
