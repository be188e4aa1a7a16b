// Speeds other than normal and backward play, on the streaming thread.
//
// Forward, every VOBU is read and its output time is scaled by 1/rate: slow play delivers every
// picture, fast play only those a decoder can show without the rest (I and P pictures up to
// kAllReferencePicturesBelow, I pictures above). Backward, the navigator shows the first key
// frame of a VOBU and jumps back through the VOBU's search pointers (its DSI) by about
// rate x kBackwardFrame90k of disc time; at the start of the program chain normal play resumes.
// Sound and subpictures are played at normal speed only.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "platform/media/dvd/DvdNavigatorImpl.h"

namespace kavoro::media {
namespace {

constexpr double kAllReferencePicturesBelow = 4.0;
// A VOBU holds about half a second; backward play shows a key frame for this long at most.
constexpr std::int64_t kVobu90k = 45000;
constexpr std::int64_t kBackwardFrame90k = 90000 / 4;
// The search pointers' intervals in half seconds, for bwda[0] (the nearest) to bwda[18].
constexpr int kSearchHalfSeconds[19] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                        11, 12, 13, 14, 15, 20, 60, 120, 240};
constexpr std::uint32_t kSearchOffsetMask = 0x3FFFFFFF;
constexpr LONG kRateUnit = 10000;  // EC_DVD_PLAYBACK_RATE_CHANGE: rate x 10000, negative back

}  // namespace

std::int64_t DvdNavigator::Impl::OutTime(std::int64_t pts90k) const {
  const std::int64_t into = pts90k - anchorPtm;
  const std::int64_t scaled =
      rate == kNormalRate ? into : static_cast<std::int64_t>(std::llround(into / rate));
  return anchorPtm + offset90k + scaled;
}

void DvdNavigator::Impl::TimeVobu(std::int64_t s, std::int64_t e) {
  // The output time runs on from where the last VOBU ended; after a flush or a still it
  // restarts a little ahead of the clock. A jump in the disc's time is closed up.
  if (resync) {
    offset90k = std::max(StreamNow90k() + kResyncLead90k, lastOutEnd) - s;
    resync = false;
  } else {
    offset90k = lastOutEnd - s;
  }
  anchorPtm = s;
  lastVobuEnd = e;
  if (backward) PlanBackStep();
  // Backward, the VOBU's key frame stands for the disc time of one step back.
  lastOutEnd = backward ? s + offset90k + static_cast<std::int64_t>(std::llround(backStep90k / rate))
                        : OutTime(e);
}

bool DvdNavigator::Impl::PassVideo(bool key, int pictType) {
  if (backward) {
    if (!key || keyShown) return false;
    keyShown = true;
    return true;
  }
  if (rate <= kNormalRate) return true;
  if (rate < kAllReferencePicturesBelow) return key || pictType == AV_PICTURE_TYPE_P;
  return key;
}

void DvdNavigator::Impl::PlanBackStep() {
  keyShown = false;
  backTarget.reset();
  uint32_t pos = 0, length = 0;
  const dsi_t* dsi = dvdnav_get_current_nav_dsi(nav);
  if (!dsi || dvdnav_get_position(nav, &pos, &length) != DVDNAV_STATUS_OK) {
    SetRate(kNormalRate, false);
    return;
  }
  const double wanted = std::max<double>(kVobu90k, rate * kBackwardFrame90k);
  // The farthest pointer within the wanted step; none inside the cell at its first VOBU.
  for (int i = static_cast<int>(std::size(kSearchHalfSeconds)) - 1; i >= 0; --i) {
    const std::int64_t interval = kSearchHalfSeconds[i] * kVobu90k;
    if (interval > wanted) continue;
    const std::uint32_t v = dsi->vobu_sri.bwda[i];
    const std::uint32_t back = v & kSearchOffsetMask;
    if (v == SRI_END_OF_CELL || back == SRI_END_OF_CELL || back == 0 || back > pos) continue;
    backTarget = pos - back;
    backStep90k = interval;
    return;
  }
  if (pos > 0) {
    // The first VOBU of a cell: the search lands in the last VOBU of the cell before.
    backTarget = pos - 1;
    backStep90k = kVobu90k;
    return;
  }
  // The start of the title: normal play from here.
  SetRate(kNormalRate, false);
}

void DvdNavigator::Impl::StepBack() {
  const std::uint32_t target = *backTarget;
  backTarget.reset();
  videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
  audioFramer.Reset(audioFramer.codec);
  spuUnit.Reset();
  if (dvdnav_sector_search(nav, target, SEEK_SET) != DVDNAV_STATUS_OK) SetRate(kNormalRate, false);
}

void DvdNavigator::Impl::SetRate(double newRate, bool back) {
  rate = newRate;
  backward = back;
  backTarget.reset();
  keyShown = false;
  {
    std::lock_guard g(m);
    snap.rate = newRate;
    snap.backward = back;
  }
  const LONG p1 = static_cast<LONG>(std::lround(newRate * kRateUnit));
  Event(EC_DVD_PLAYBACK_RATE_CHANGE, back ? -p1 : p1, 0);
}

}  // namespace kavoro::media
