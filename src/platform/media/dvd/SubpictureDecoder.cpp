#include "platform/media/dvd/SubpictureDecoder.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/media/FFmpegHandles.h"
#include "platform/media/IReferenceClock.h"
#include "platform/media/MediaErrors.h"
#include "platform/media/OverlayCompositor.h"
#include "platform/media/VideoFormat.h"
#include "platform/media/dvd/DvdPlayback.h"

namespace kavoro::media {
namespace {

constexpr LONG kDefaultWidth = 720;
constexpr LONG kDefaultHeight = 576;
constexpr LONG kOutputBuffers = 2;
constexpr std::size_t kUnitSizeBytes = 2;
// More waiting units than this mean nobody shows them; the oldest go.
constexpr std::size_t kMaxWaitingUnits = 64;
constexpr std::size_t kMaxWaitingHighlights = 256;
// The delivery thread looks at the clock at least this often, so a clock that is steered or
// replaced never leaves a change waiting long.
constexpr auto kLongestWait = std::chrono::milliseconds(40);
constexpr REFERENCE_TIME k100nsPerMs = 10000;

// A picture of grey levels for units that come before any colour table.
DvdPalette GreyPalette() {
  constexpr std::uint32_t kBlackY = 16, kWhiteY = 235, kNeutral = 0x8080;
  DvdPalette p;
  for (std::size_t i = 0; i < p.size(); ++i)
    p[i] =
        ((kBlackY + (kWhiteY - kBlackY) * static_cast<std::uint32_t>(i) / (p.size() - 1)) << 16) |
        kNeutral;
  return p;
}

bool ReadInputSize(const AM_MEDIA_TYPE& t, LONG* w, LONG* h) {
  if (t.majortype != MEDIATYPE_Subpicture) return false;
  *w = kDefaultWidth;
  *h = kDefaultHeight;
  if (CodecParametersPtr p = ParametersFromType(t); p && p->width > 0 && p->height > 0) {
    if (p->width > kMaxPictureSide || p->height > kMaxPictureSide) return false;
    *w = p->width;
    *h = p->height;
  }
  return true;
}

bool SameHighlight(const std::optional<ButtonHighlight>& a,
                   const std::optional<ButtonHighlight>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return a->colors == b->colors && a->area.left == b->area.left && a->area.top == b->area.top &&
         a->area.right == b->area.right && a->area.bottom == b->area.bottom;
}

}  // namespace

bool SubpictureDecoder::Content::operator==(const Content& o) const {
  return unit == o.unit && palette == o.palette && SameHighlight(highlight, o.highlight);
}

// -----------------------------------------------------------------------------------------

class SubpictureDecoder::InputPin final
    : public AddInterfaces<BaseInputPin, ISubpictureNavigation> {
 public:
  explicit InputPin(SubpictureDecoder& d) : AddInterfaces(d, "Subpicture Input"), d_(d) {}

  HRESULT SetPalette(const DvdPalette& palette) override {
    std::lock_guard g(d_.lock_);
    if (palette == d_.palette_) return S_OK;
    d_.palette_ = palette;
    ++d_.paletteId_;
    d_.wake_.notify_all();
    return S_OK;
  }
  HRESULT SetHighlight(REFERENCE_TIME start, REFERENCE_TIME end,
                       const DvdHighlightInfo& info) override {
    if (end < start) return E_INVALIDARG;
    std::lock_guard g(d_.lock_);
    // A packet that starts before the last one means the stream started again.
    while (!d_.highlights_.empty() && d_.highlights_.back().start >= start)
      d_.highlights_.pop_back();
    d_.highlights_.push_back({start, end, info});
    if (d_.highlights_.size() > kMaxWaitingHighlights) d_.highlights_.pop_front();
    d_.wake_.notify_all();
    return S_OK;
  }
  HRESULT SetSelectedButton(ULONG button, BOOL action) override {
    std::lock_guard g(d_.lock_);
    if (d_.button_ == button && d_.action_ == (action != 0)) return S_OK;
    d_.button_ = button;
    d_.action_ = action != 0;
    d_.wake_.notify_all();
    return S_OK;
  }
  HRESULT GetShownButtons(DvdHighlightInfo* info) override {
    if (!info) return E_POINTER;
    const REFERENCE_TIME now = d_.StreamNow();
    std::lock_guard g(d_.lock_);
    const TimedHighlight* h = d_.HighlightAt(now);
    if (!h) return S_FALSE;
    *info = h->info;
    return S_OK;
  }
  HRESULT DropUnits() override {
    d_.Flush();
    return S_OK;
  }
  HRESULT SetSubpictureShown(BOOL shown) override {
    std::lock_guard g(d_.lock_);
    if (d_.shown_ == (shown != 0)) return S_OK;
    d_.shown_ = shown != 0;
    d_.wake_.notify_all();
    return S_OK;
  }

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    LONG w, h;
    return ReadInputSize(t, &w, &h) ? S_OK : S_FALSE;
  }
  HRESULT CompleteConnect(IPin*) override {
    ReadInputSize(Type(), &d_.width_, &d_.height_);
    return S_OK;
  }
  HRESULT OnReceive(IMediaSample* sample) override {
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data) return S_OK;
    const LONG size = sample->GetActualDataLength();
    if (size <= 0) return S_OK;
    REFERENCE_TIME start = 0, end = 0;
    std::optional<REFERENCE_TIME> time;
    if (SUCCEEDED(sample->GetTime(&start, &end))) time = start;
    d_.Receive(data, static_cast<std::size_t>(size), time);
    return S_OK;
  }
  HRESULT OnEndOfStream() override;
  HRESULT OnBeginFlush() override;
  HRESULT OnEndFlush() override;
  HRESULT OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

 private:
  SubpictureDecoder& d_;
};

class SubpictureDecoder::OutputPin final : public BaseOutputPin {
 public:
  explicit OutputPin(SubpictureDecoder& d) : BaseOutputPin(d, "Overlay Output"), d_(d) {}

 protected:
  HRESULT CheckMediaType(const AM_MEDIA_TYPE& t) override {
    if (!d_.input_->IsConnected()) return VFW_E_NOT_CONNECTED;
    return t == MakeOverlayType(d_.width_, d_.height_) ? S_OK : S_FALSE;
  }
  HRESULT GetMediaType(int index, AM_MEDIA_TYPE* type) override {
    if (!d_.input_->IsConnected()) return VFW_E_NOT_CONNECTED;
    if (index != 0) return S_FALSE;
    *type = MakeOverlayType(d_.width_, d_.height_);
    return S_OK;
  }
  HRESULT DecideBufferSize(ALLOCATOR_PROPERTIES* props) override {
    props->cBuffers = kOutputBuffers;
    props->cbBuffer = d_.width_ * d_.height_ * 4;
    return S_OK;
  }

 private:
  SubpictureDecoder& d_;
};

HRESULT SubpictureDecoder::InputPin::OnEndOfStream() {
  return d_.output_->IsConnected() ? d_.output_->DeliverEndOfStream() : S_OK;
}

HRESULT SubpictureDecoder::InputPin::OnBeginFlush() {
  d_.Flush();
  return d_.output_->IsConnected() ? d_.output_->DeliverBeginFlush() : S_OK;
}

HRESULT SubpictureDecoder::InputPin::OnEndFlush() {
  {
    std::lock_guard g(d_.lock_);
    // Downstream dropped the picture it had: nothing shows there now.
    d_.delivered_ = Content{};
  }
  return d_.output_->IsConnected() ? d_.output_->DeliverEndFlush() : S_OK;
}

HRESULT SubpictureDecoder::InputPin::OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                  double rate) {
  return d_.output_->IsConnected() ? d_.output_->DeliverNewSegment(start, stop, rate) : S_OK;
}

// -----------------------------------------------------------------------------------------

SubpictureDecoder::SubpictureDecoder() : BaseFilter(CLSID_KavoroSubpictureDecoder) {
  palette_ = GreyPalette();
  input_ = MakePin<InputPin>(*this);
  output_ = MakePin<OutputPin>(*this);
}

SubpictureDecoder::~SubpictureDecoder() { StopDelivery(); }

LONGLONG SubpictureDecoder::DamagedUnits() const {
  std::lock_guard g(lock_);
  return damaged_;
}

HRESULT SubpictureDecoder::OnPause(FILTER_STATE from) {
  if (from == State_Stopped) {
    {
      std::lock_guard g(lock_);
      damaged_ = 0;
      pausedAt_ = 0;
      delivered_ = Content{};
    }
    StartDelivery();
  } else {
    const REFERENCE_TIME now = ClockStreamTime();
    std::lock_guard g(lock_);
    pausedAt_ = now;
  }
  wake_.notify_all();
  return S_OK;
}

HRESULT SubpictureDecoder::OnRun(REFERENCE_TIME) {
  wake_.notify_all();
  return S_OK;
}

HRESULT SubpictureDecoder::OnStop() {
  StopDelivery();
  Flush();
  return S_OK;
}

void SubpictureDecoder::StartDelivery() {
  if (delivery_.joinable()) return;
  {
    std::lock_guard g(lock_);
    quit_ = false;
  }
  delivery_ = std::thread([this] { DeliveryLoop(); });
}

void SubpictureDecoder::StopDelivery() {
  {
    std::lock_guard g(lock_);
    quit_ = true;
  }
  wake_.notify_all();
  if (delivery_.joinable()) delivery_.join();
}

void SubpictureDecoder::Flush() {
  std::lock_guard g(lock_);
  units_.clear();
  highlights_.clear();
  partial_.clear();
  wake_.notify_all();
}

void SubpictureDecoder::Receive(const std::uint8_t* data, std::size_t size,
                                std::optional<REFERENCE_TIME> time) {
  std::lock_guard g(lock_);
  if (time) lastTime_ = *time;
  // A stamped sample starts a unit; whatever was still incomplete is lost.
  if (time && !partial_.empty()) partial_.clear();
  if (partial_.empty()) partialTime_ = lastTime_;
  partial_.insert(partial_.end(), data, data + size);
  while (partial_.size() >= kUnitSizeBytes) {
    const std::size_t unitSize = (static_cast<std::size_t>(partial_[0]) << 8) | partial_[1];
    if (unitSize < kUnitSizeBytes) {  // cannot be a unit: drop what is there
      ++damaged_;
      partial_.clear();
      break;
    }
    if (partial_.size() < unitSize) break;
    AddUnit(partial_.data(), unitSize, partialTime_);
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(unitSize));
  }
}

void SubpictureDecoder::AddUnit(const std::uint8_t* data, std::size_t size, REFERENCE_TIME time) {
  const LONG w = width_ > 0 ? width_ : kDefaultWidth, h = height_ > 0 ? height_ : kDefaultHeight;
  std::optional<SubpictureUnit> unit = ReadSubpictureUnit(data, size, w, h);
  if (!unit) {
    ++damaged_;
    return;
  }
  if (!unit->start) return;  // never displayed
  TimedUnit t;
  t.id = nextUnitId_++;
  t.shownFrom = time + *unit->start;
  if (unit->stop) t.shownUntil = time + *unit->stop;
  t.unit = std::move(*unit);
  // A unit that starts no later than the last one waiting replaces it (a new stream).
  while (!units_.empty() && units_.back().shownFrom > t.shownFrom) units_.pop_back();
  units_.push_back(std::move(t));
  if (units_.size() > kMaxWaitingUnits) units_.pop_front();
  wake_.notify_all();
}

REFERENCE_TIME SubpictureDecoder::StreamNow() {
  if (State() != State_Running) {
    std::lock_guard g(lock_);
    return pausedAt_;
  }
  return ClockStreamTime();
}

REFERENCE_TIME SubpictureDecoder::ClockStreamTime() {
  ComPtr<IReferenceClock> clock = Clock();
  REFERENCE_TIME t = 0;
  if (clock && SUCCEEDED(clock->GetTime(&t))) return t - StartTime();
  // Without a clock the stream is where its data is: a change is due once data of its time
  // has come.
  std::lock_guard g(lock_);
  return lastTime_;
}

SubpictureDecoder::Content SubpictureDecoder::ContentAt(REFERENCE_TIME t,
                                                        const TimedUnit** shown) const {
  Content c;
  *shown = nullptr;
  // The newest unit whose display has begun; a later unit ends an earlier one.
  for (auto it = units_.rbegin(); it != units_.rend(); ++it) {
    if (it->shownFrom > t) continue;
    if (it->shownUntil && *it->shownUntil <= t) break;
    if (!shown_ && !it->unit.forced) break;
    *shown = &*it;
    break;
  }
  if (!*shown) return c;
  c.unit = (*shown)->id;
  c.palette = paletteId_;
  const TimedHighlight* h = HighlightAt(t);
  if (h && h->info.hasButtons && button_ >= 1 && button_ <= h->info.buttons.size()) {
    const DvdButtonArea& area = h->info.buttons[button_ - 1];
    if (area.colorSet >= 1 && area.colorSet <= DvdHighlightInfo::kColorSets) {
      const int state = action_ ? DvdHighlightInfo::kAction : DvdHighlightInfo::kSelection;
      c.highlight = ButtonHighlight{area, h->info.colors[area.colorSet - 1][state]};
    }
  }
  return c;
}

const SubpictureDecoder::TimedHighlight* SubpictureDecoder::HighlightAt(REFERENCE_TIME t) const {
  // The navigation packet whose pictures are on screen: the last that began.
  for (auto it = highlights_.rbegin(); it != highlights_.rend(); ++it)
    if (it->start <= t) return &*it;
  return nullptr;
}

std::optional<REFERENCE_TIME> SubpictureDecoder::NextChangeAfter(REFERENCE_TIME t) const {
  std::optional<REFERENCE_TIME> next;
  auto consider = [&](REFERENCE_TIME v) {
    if (v > t && (!next || v < *next)) next = v;
  };
  for (const TimedUnit& u : units_) {
    consider(u.shownFrom);
    if (u.shownUntil) consider(*u.shownUntil);
  }
  for (const TimedHighlight& h : highlights_) consider(h.start);
  return next;
}

std::optional<REFERENCE_TIME> SubpictureDecoder::LastChangeUpTo(REFERENCE_TIME t) const {
  std::optional<REFERENCE_TIME> last;
  auto consider = [&](REFERENCE_TIME v) {
    if (v <= t && (!last || v > *last)) last = v;
  };
  for (const TimedUnit& u : units_) {
    consider(u.shownFrom);
    if (u.shownUntil) consider(*u.shownUntil);
  }
  for (const TimedHighlight& h : highlights_) consider(h.start);
  return last;
}

void SubpictureDecoder::Prune(REFERENCE_TIME t) {
  // Keep the unit on screen (the newest begun) and everything after it.
  std::size_t begun = 0;
  for (std::size_t i = 0; i < units_.size(); ++i)
    if (units_[i].shownFrom <= t) begun = i;
  units_.erase(units_.begin(), units_.begin() + static_cast<std::ptrdiff_t>(begun));
  std::size_t current = 0;
  for (std::size_t i = 0; i < highlights_.size(); ++i)
    if (highlights_[i].start <= t) current = i;
  highlights_.erase(highlights_.begin(),
                    highlights_.begin() + static_cast<std::ptrdiff_t>(current));
}

void SubpictureDecoder::DeliveryLoop() {
  std::vector<std::uint32_t> picture;
  for (;;) {
    Content content;
    REFERENCE_TIME stamp = 0;
    {
      std::unique_lock g(lock_);
      if (quit_) return;
      g.unlock();
      const REFERENCE_TIME now = StreamNow();
      g.lock();
      if (quit_) return;
      const TimedUnit* unit = nullptr;
      content = ContentAt(now, &unit);
      const bool changed = !delivered_ || !(*delivered_ == content);
      if (!changed || input_->IsFlushing() || !output_->IsConnected()) {
        // Sleep until the next change is due or something new comes.
        auto wait = kLongestWait;
        if (std::optional<REFERENCE_TIME> next = NextChangeAfter(now)) {
          const auto due = std::chrono::milliseconds((*next - now) / k100nsPerMs + 1);
          wait = std::min(wait, due);
        }
        wake_.wait_for(g, wait);
        continue;
      }
      const LONG w = width_, h = height_;
      picture.assign(static_cast<std::size_t>(w) * h, 0);
      if (unit) ComposeSubpicture(unit->unit, palette_, content.highlight, picture.data(), w, h);
      // From the change that made it (no later than the picture on screen, so a still picture
      // downstream is mixed again with it), until the next picture.
      stamp = LastChangeUpTo(now).value_or(now);
      delivered_ = content;
      Prune(now);
    }
    if (FAILED(DeliverPicture(picture, stamp))) {
      std::unique_lock g(lock_);
      delivered_.reset();  // try again at the next look
      if (!quit_) wake_.wait_for(g, kLongestWait);
    }
  }
}

HRESULT SubpictureDecoder::DeliverPicture(const std::vector<std::uint32_t>& topDown,
                                          REFERENCE_TIME time) {
  ComPtr<IMediaSample> sample;
  HRESULT hr = output_->GetDeliveryBuffer(sample.Put());
  if (FAILED(hr) || !sample) return FAILED(hr) ? hr : E_FAIL;
  const LONG w = width_, h = height_;
  const LONG bytes = w * h * 4;
  if (sample->GetSize() < bytes) return E_OUTOFMEMORY;
  BYTE* out = nullptr;
  sample->GetPointer(&out);
  const std::size_t row = static_cast<std::size_t>(w) * 4;
  for (LONG y = 0; y < h; ++y)
    std::memcpy(out + static_cast<std::size_t>(h - 1 - y) * row,
                topDown.data() + static_cast<std::size_t>(y) * w, row);
  sample->SetActualDataLength(bytes);
  REFERENCE_TIME start = time;
  sample->SetTime(&start, nullptr);  // shown until the next picture
  sample->SetSyncPoint(1);
  return output_->Deliver(sample.Get());
}

}  // namespace kavoro::media
