#pragma once
// The subpicture decoder: takes DVD subpicture units (MEDIATYPE_Subpicture) on "Subpicture
// Input", gathers units split over several samples, decodes them and sends ARGB32 overlay
// pictures of the video's size (MEDIATYPE_Video / MEDIASUBTYPE_ARGB32 / FORMAT_VideoInfo,
// rows bottom-up) on "Overlay Output", for a mixer or renderer to lay over the video.
//
// A picture goes out whenever what should be on screen changes: a unit's display starts or
// stops, the navigation packet of the picture on screen brings other buttons, the selection
// moves, subpictures are switched on or off. Changes that come ahead of their time wait on
// the graph's clock in the decoder's own delivery thread, so a unit read early does not show
// early and a highlight follows the packet of the picture on screen, not the newest read.
// The navigator gives colour table, buttons and selection through ISubpictureNavigation on
// the input pin.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/media/BaseFilter.h"
#include "platform/media/BasePin.h"
#include "platform/media/dvd/ISubpictureNavigation.h"
#include "platform/media/dvd/SubpictureUnit.h"

namespace kavoro::media {

class SubpictureDecoder final : public BaseFilter {
 public:
  SubpictureDecoder();

  // Any thread: units refused as damaged since the last Stop -> Pause.
  LONGLONG DamagedUnits() const;

 protected:
  ~SubpictureDecoder() override;
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;
  HRESULT OnRun(REFERENCE_TIME start) override;

 private:
  class InputPin;
  class OutputPin;
  friend class InputPin;
  friend class OutputPin;

  struct TimedUnit {
    std::uint64_t id = 0;
    REFERENCE_TIME shownFrom = 0;
    std::optional<REFERENCE_TIME> shownUntil;
    SubpictureUnit unit;
  };
  struct TimedHighlight {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    DvdHighlightInfo info;
  };
  // What a picture shows; a picture goes out only when this changes.
  struct Content {
    std::uint64_t unit = 0;  // 0: none
    std::uint64_t palette = 0;
    std::optional<ButtonHighlight> highlight;
    bool operator==(const Content& o) const;
  };

  // Input pin, upstream streaming thread.
  void Receive(const std::uint8_t* data, std::size_t size, std::optional<REFERENCE_TIME> time);
  void AddUnit(const std::uint8_t* data, std::size_t size, REFERENCE_TIME time);
  void Flush();

  // Delivery thread.
  void DeliveryLoop();
  // The stream time now; while paused, the time the stream stopped at.
  REFERENCE_TIME StreamNow();
  // The stream time by the clock, whatever the state.
  REFERENCE_TIME ClockStreamTime();
  // guarded by lock_: what shows at `t`, and the next time after `t` that may change it.
  Content ContentAt(REFERENCE_TIME t, const TimedUnit** unit) const;
  std::optional<REFERENCE_TIME> NextChangeAfter(REFERENCE_TIME t) const;
  const TimedHighlight* HighlightAt(REFERENCE_TIME t) const;
  std::optional<REFERENCE_TIME> LastChangeUpTo(REFERENCE_TIME t) const;
  void Prune(REFERENCE_TIME t);
  HRESULT DeliverPicture(const std::vector<std::uint32_t>& topDown, REFERENCE_TIME time);

  void StartDelivery();
  void StopDelivery();

  InputPin* input_;
  OutputPin* output_;
  std::thread delivery_;

  // Application thread, while stopped: the picture size the input was connected with.
  LONG width_ = 0;
  LONG height_ = 0;

  mutable std::mutex lock_;
  std::condition_variable wake_;
  // guarded by lock_
  bool quit_ = false;
  std::deque<TimedUnit> units_;
  std::deque<TimedHighlight> highlights_;
  std::vector<std::uint8_t> partial_;  // a unit still arriving
  REFERENCE_TIME partialTime_ = 0;
  REFERENCE_TIME lastTime_ = 0;  // time of the last stamped sample
  std::uint64_t nextUnitId_ = 1;
  DvdPalette palette_;
  std::uint64_t paletteId_ = 1;
  ULONG button_ = 0;
  bool action_ = false;
  bool shown_ = true;
  REFERENCE_TIME pausedAt_ = 0;
  std::optional<Content> delivered_;
  LONGLONG damaged_ = 0;
};

}  // namespace kavoro::media
