#pragma once
// The flush that goes with a DVD command that moves elsewhere on the disc. The application
// thread begins it when it posts the command, so that nothing read before the jump reaches the
// renderers; the streaming thread ends it once it has run the command. Every command that begins
// (or joins) the flush gets a generation number, and the flush ends only when the streaming
// thread has taken the command of the newest generation: a command posted while the streaming
// thread is between taking its commands and ending the flush keeps the outputs flushing until
// it too has run, and a loop that took no command never ends a flush.
#include <cstdint>
#include <mutex>

namespace kavoro::media {

class DvdJumpFlush {
 public:
  // Generation 0 belongs to no flush: a command that does not move carries it.
  static constexpr std::uint64_t kNoFlush = 0;

  // Application thread, when posting a command that moves. Calls `beginOutputs` (which flushes
  // the outputs) when no flush is under way; returns the command's generation.
  template <class BeginOutputs>
  std::uint64_t Begin(BeginOutputs&& beginOutputs) {
    std::lock_guard g(lock_);
    if (!flushing_) {
      flushing_ = true;
      beginOutputs();
    }
    return ++newest_;
  }

  // Streaming thread, after running the commands it took, the newest of generation `taken`
  // (kNoFlush when it took none that flush). Calls `endOutputs` and returns true when that
  // command was the newest to begin or join the flush under way.
  template <class EndOutputs>
  bool EndIfCovered(std::uint64_t taken, EndOutputs&& endOutputs) {
    std::lock_guard g(lock_);
    if (taken > covered_) covered_ = taken;
    if (!flushing_ || covered_ < newest_) return false;
    flushing_ = false;
    endOutputs();
    return true;
  }

  // Any thread, once the streaming thread no longer runs: a flush under way ends (its commands
  // were dropped). Calls `endOutputs` when there was one.
  template <class EndOutputs>
  void Abort(EndOutputs&& endOutputs) {
    std::lock_guard g(lock_);
    covered_ = newest_;
    if (!flushing_) return;
    flushing_ = false;
    endOutputs();
  }

 private:
  std::mutex lock_;
  // guarded by lock_
  bool flushing_ = false;
  std::uint64_t newest_ = kNoFlush;   // the generation of the newest command that flushes
  std::uint64_t covered_ = kNoFlush;  // the newest generation the streaming thread has run
};

}  // namespace kavoro::media
