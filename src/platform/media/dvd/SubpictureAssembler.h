#pragma once
// Gathers one subpicture unit from the PES payloads it spans. The unit's first two bytes give
// its size; a size too small to hold the unit's own header (two size bytes and the offset of
// its control sequence) cannot be a unit, so its bytes are dropped instead of gathered until
// a size that never comes. What is gathered never exceeds the largest unit there can be.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavoro::media {

class SubpictureAssembler {
 public:
  // A unit's header: its size and the offset of its control sequence, two bytes each.
  static constexpr std::size_t kHeaderBytes = 4;
  // The size field's largest value.
  static constexpr std::size_t kMaxUnitBytes = 0xFFFF;

  // Streaming thread. One payload of the stream; `pts` is its time stamp (any value the
  // caller uses for "none"), kept from the payload that starts a unit. Calls
  // `unit(data, size, pts)` for each whole unit.
  template <class Unit>
  void Feed(const std::uint8_t* data, std::size_t size, std::int64_t pts, Unit&& unit) {
    if (size == 0) return;
    if (gathered_.empty()) {
      if (size < 2) return;
      wanted_ = (static_cast<std::size_t>(data[0]) << 8) | data[1];
      if (wanted_ < kHeaderBytes) return;  // not a unit: what follows is skipped as well
      pts_ = pts;
    }
    const std::size_t room = wanted_ - gathered_.size();
    gathered_.insert(gathered_.end(), data, data + (size < room ? size : room));
    if (gathered_.size() == wanted_) {
      unit(gathered_.data(), gathered_.size(), pts_);
      gathered_.clear();
    }
  }
  // Drops a unit begun (a jump, a new stream).
  void Reset() { gathered_.clear(); }
  // Bytes of the unit begun; for tests.
  std::size_t Gathered() const { return gathered_.size(); }

 private:
  std::vector<std::uint8_t> gathered_;
  std::size_t wanted_ = 0;
  std::int64_t pts_ = 0;
};

}  // namespace kavoro::media
