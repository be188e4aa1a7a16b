#pragma once
// The common part of every filter: identity, the pins, the graph it joined, its clock and the
// Stopped/Paused/Running state machine. Subclasses own their pins (made with MakePin) and
// react to state changes in OnStop/OnPause/OnRun.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/IFilterGraph.h"

namespace kavoro::media {

class BasePin;

struct PinDeleter {
  void operator()(BasePin* pin) const;
};
using PinHolder = std::unique_ptr<BasePin, PinDeleter>;

class BaseFilter : public ComObject<IBaseFilter> {
 public:
  explicit BaseFilter(const CLSID& clsid);

  // IPersist, IMediaFilter, IBaseFilter. Application thread except where the interface says.
  HRESULT GetClassID(CLSID* clsid) override;
  HRESULT Stop() override;
  HRESULT Pause() override;
  HRESULT Run(REFERENCE_TIME start) override;
  HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) override;
  HRESULT SetSyncSource(IReferenceClock* clock) override;
  HRESULT GetSyncSource(IReferenceClock** clock) override;
  HRESULT EnumPins(IEnumPins** pins) override;
  HRESULT FindPin(const std::string& id, IPin** pin) override;
  HRESULT QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT JoinFilterGraph(IFilterGraph* graph, const std::string& name) override;
  HRESULT QueryVendorInfo(std::string* info) override;

  // Any thread.
  FILTER_STATE State() const;
  REFERENCE_TIME StartTime() const;
  ComPtr<IReferenceClock> Clock() const;
  // Reports an event to the graph; dropped when the filter is in no graph. Any thread.
  void NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);
  std::string Name() const;

 protected:
  ~BaseFilter() override;

  // Pins are made by the subclass and live as long as the filter. Application thread,
  // while no other thread uses the filter.
  template <class P, class... Args>
  P* MakePin(Args&&... args) {
    PinHolder holder(new P(std::forward<Args>(args)...));
    P* pin = static_cast<P*>(holder.get());
    pins_.push_back(std::move(holder));
    return pin;
  }
  std::size_t PinCount() const { return pins_.size(); }
  BasePin* PinAt(std::size_t i) const { return pins_[i].get(); }

  // State hooks, called on the application thread once State() gives the new state, so
  // streaming threads woken by a hook see it. A failure puts the old state back.
  // OnStop: stop streaming and release held samples; return once no streaming call is inside.
  virtual HRESULT OnStop() { return S_OK; }
  // OnPause from Stopped (pins are active, allocators committed) or from Running.
  virtual HRESULT OnPause(FILTER_STATE from) { return S_OK; }
  virtual HRESULT OnRun(REFERENCE_TIME start) { return S_OK; }
  // GetState's answer for a state reached; renderers say VFW_S_STATE_INTERMEDIATE until
  // prerolled, waiting up to `timeoutMs`.
  virtual HRESULT StateComplete(DWORD timeoutMs) { return S_OK; }

  IFilterGraph* Graph() const { return graph_; }

 private:
  const CLSID clsid_;
  std::vector<PinHolder> pins_;

  // application thread: one transition at a time
  std::mutex transition_;
  // any thread
  std::atomic<FILTER_STATE> state_{State_Stopped};
  std::atomic<REFERENCE_TIME> start_{0};

  mutable std::mutex lock_;
  // guarded by lock_
  ComPtr<IReferenceClock> clock_;
  std::string name_;
  // Not counted: the graph holds the filter, and clears this on RemoveFilter.
  IFilterGraph* graph_ = nullptr;
  IMediaEventSink* sink_ = nullptr;
};

}  // namespace kavoro::media
