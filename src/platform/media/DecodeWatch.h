#pragma once
// What a decoder keeps about its stream's health: how many units the decoding library refused,
// and whether the stream has gone a whole second of its own time (or from its start to its
// end) with nothing decodable, so the decoder reports it once (EC_KAVORO_STREAM_UNDECODABLE).
// Times are the input samples' stream times, so the rule holds alike when renderers follow
// the clock and when they take samples as they come.
#include <atomic>
#include <cstdint>
#include <optional>

#include "platform/media/MediaTypes.h"

namespace kavoro::media {

class DecodeWatch {
 public:
  // How long a stream may give nothing decodable before it is reported.
  static constexpr REFERENCE_TIME kUndecodableSpan = kUnitsPerSecond;

  // Streaming thread, or the application thread while no streaming call is inside (flush,
  // stop): a new run or segment, nothing known of it yet. The count of damage stays.
  void Reset();
  // Streaming thread. An input unit arrived, with its stream time when it has one. True the
  // first time in this run that the stream has gone kUndecodableSpan without output: report it.
  bool Input(std::optional<REFERENCE_TIME> time);
  // Streaming thread. The library refused `units` units (packets or pictures).
  void Damaged(int units = 1) { damaged_.fetch_add(units, std::memory_order_relaxed); }
  // Streaming thread. Something decodable came out.
  void Output();
  // Streaming thread, at the end of the stream. True when input came but nothing decodable
  // did in this run and it was not reported yet: report it.
  bool EndsUndecodable();

  // Any thread: units refused since the decoder was made.
  std::uint64_t DamagedCount() const { return damaged_.load(std::memory_order_relaxed); }

 private:
  std::atomic<std::uint64_t> damaged_{0};
  // streaming thread
  bool anyInput_ = false;
  bool anyOutput_ = false;
  bool reported_ = false;
  std::optional<REFERENCE_TIME> quietSince_;  // time of the first input since the last output
};

}  // namespace kavoro::media
