#include "platform/media/MidiFile.h"

#include <algorithm>
#include <cstring>

namespace kavoro::media {
namespace {

constexpr std::int64_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 bpm
constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaEnd = 0x2F;
constexpr std::size_t kHeaderLength = 6;
constexpr std::size_t kRiffHeader = 20;  // "RIFF" size "RMID" "data" size

class Reader {
 public:
  Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
  bool Has(std::size_t k) const { return n_ - at_ >= k; }
  std::size_t Left() const { return n_ - at_; }
  bool Byte(std::uint8_t* b) {
    if (!Has(1)) return false;
    *b = p_[at_++];
    return true;
  }
  bool Be(std::size_t bytes, std::uint32_t* v) {
    if (!Has(bytes)) return false;
    *v = 0;
    for (std::size_t i = 0; i < bytes; ++i) *v = (*v << 8) | p_[at_++];
    return true;
  }
  // A variable-length quantity: at most four bytes.
  bool Vlq(std::uint32_t* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b;
      if (!Byte(&b)) return false;
      *v = (*v << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool Skip(std::size_t k) {
    if (!Has(k)) return false;
    at_ += k;
    return true;
  }
  bool Tag(const char* tag) {
    if (!Has(4) || std::memcmp(p_ + at_, tag, 4) != 0) return false;
    at_ += 4;
    return true;
  }
  const std::uint8_t* Here() const { return p_ + at_; }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
  std::size_t at_ = 0;
};

// Reads one track's events; collects tempo changes and its last tick. False on damage.
bool ReadTrack(Reader r, std::vector<std::pair<std::int64_t, std::int64_t>>* tempi,
               std::int64_t* last) {
  std::int64_t tick = 0;
  std::uint8_t status = 0;
  while (r.Left() > 0) {
    std::uint32_t delta;
    if (!r.Vlq(&delta)) return false;
    tick += delta;
    std::uint8_t b;
    if (!r.Byte(&b)) return false;
    if (b == kMeta) {
      std::uint8_t type;
      std::uint32_t len;
      if (!r.Byte(&type) || !r.Vlq(&len) || !r.Has(len)) return false;
      if (type == kMetaTempo && len == 3) {
        const std::uint8_t* t = r.Here();
        tempi->push_back({tick, (t[0] << 16) | (t[1] << 8) | t[2]});
      }
      r.Skip(len);
      *last = std::max(*last, tick);
      if (type == kMetaEnd) return true;
      continue;
    }
    if (b == 0xF0 || b == 0xF7) {
      std::uint32_t len;
      if (!r.Vlq(&len) || !r.Skip(len)) return false;
      continue;
    }
    std::size_t dataBytes;
    if (b & 0x80) {
      status = b;
      dataBytes = ((b & 0xF0) == 0xC0 || (b & 0xF0) == 0xD0) ? 1 : 2;
    } else {
      if (!status) return false;  // running status with no status before it
      dataBytes = ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) ? 0 : 1;
    }
    if (!r.Skip(dataBytes)) return false;
    *last = std::max(*last, tick);
  }
  return true;
}

}  // namespace

bool MidiFile::LooksLikeMidi(const std::uint8_t* head, std::size_t size) {
  if (size >= 4 && std::memcmp(head, "MThd", 4) == 0) return true;
  return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "RMID", 4) == 0;
}

std::optional<MidiFile> MidiFile::Parse(const std::vector<std::uint8_t>& bytes) {
  const std::uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  if (n >= kRiffHeader && std::memcmp(p, "RIFF", 4) == 0) {
    p += kRiffHeader;
    n -= kRiffHeader;
  }
  Reader r(p, n);
  std::uint32_t len, format, tracks, division;
  if (!r.Tag("MThd") || !r.Be(4, &len) || len < kHeaderLength || !r.Be(2, &format) ||
      !r.Be(2, &tracks) || !r.Be(2, &division) || !r.Skip(len - kHeaderLength) || tracks == 0)
    return std::nullopt;
  MidiFile f;
  if (division & 0x8000) {
    const int fps = -static_cast<std::int8_t>(division >> 8);
    f.ticksPerSecond_ = static_cast<std::int64_t>(fps) * (division & 0xFF);
    if (f.ticksPerSecond_ <= 0) return std::nullopt;
  } else {
    f.ticksPerQuarter_ = division;
    if (f.ticksPerQuarter_ == 0) return std::nullopt;
  }
  std::vector<std::pair<std::int64_t, std::int64_t>> tempi;
  std::uint32_t found = 0;
  while (found < tracks && r.Left() >= 8) {
    const bool isTrack = r.Tag("MTrk");
    if (!isTrack && !r.Skip(4)) return std::nullopt;  // an unknown chunk is skipped
    std::uint32_t size;
    if (!r.Be(4, &size) || !r.Has(size)) return std::nullopt;
    if (isTrack) {
      if (!ReadTrack(Reader(r.Here(), size), &tempi, &f.lastTick_)) return std::nullopt;
      ++found;
    }
    r.Skip(size);
  }
  if (found == 0) return std::nullopt;
  std::stable_sort(tempi.begin(), tempi.end());
  f.tempi_.push_back({0, kDefaultTempo});
  for (auto& [tick, tempo] : tempi) {
    if (tempo <= 0) continue;
    if (tick == f.tempi_.back().tick) f.tempi_.back().usPerQuarter = tempo;
    else f.tempi_.push_back({tick, tempo});
  }
  return f;
}

REFERENCE_TIME MidiFile::TickToTime(std::int64_t tick) const {
  if (ticksPerSecond_) return tick * kUnitsPerSecond / ticksPerSecond_;
  REFERENCE_TIME t = 0;
  for (std::size_t i = 0; i < tempi_.size(); ++i) {
    const std::int64_t end = i + 1 < tempi_.size() ? std::min(tick, tempi_[i + 1].tick) : tick;
    if (end <= tempi_[i].tick) break;
    t += (end - tempi_[i].tick) * tempi_[i].usPerQuarter * 10 / ticksPerQuarter_;
  }
  return t;
}

std::int64_t MidiFile::TimeToTick(REFERENCE_TIME time) const {
  if (ticksPerSecond_) return time * ticksPerSecond_ / kUnitsPerSecond;
  REFERENCE_TIME t = 0;
  for (std::size_t i = 0; i < tempi_.size(); ++i) {
    const REFERENCE_TIME perTick = tempi_[i].usPerQuarter * 10;  // x ticksPerQuarter_
    const bool last = i + 1 == tempi_.size();
    const REFERENCE_TIME span =
        last ? 0 : (tempi_[i + 1].tick - tempi_[i].tick) * perTick / ticksPerQuarter_;
    if (last || t + span > time) return tempi_[i].tick + (time - t) * ticksPerQuarter_ / perTick;
    t += span;
  }
  return 0;
}

}  // namespace kavoro::media
