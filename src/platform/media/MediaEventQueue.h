#pragma once
// The graph's event queue: what filters report (through the graph's event sink) waits here
// for the application; a notification message goes to the application's message window
// whenever an event is queued. EC_COMPLETE has default handling: one EC_COMPLETE is queued
// once every renderer of the running graph has reported its own, unless the run was aborted
// (EC_ERRORABORT ends the count) or no renderer got anything while a stream was reported
// undecodable (EC_ERRORABORT with KAVORO_E_UNDECODABLE_STREAM instead).
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include "platform/media/IMediaEvent.h"
#include "platform/media/MediaTypes.h"

namespace kavoro::media {

class MediaEventQueue {
 public:
  // Any thread.
  void Post(LONG code, LONG_PTR param1, LONG_PTR param2);
  // A renderer's EC_COMPLETE (`renderer` is its identity).
  void RendererComplete(const void* renderer, HRESULT result, LONG_PTR param2);
  HRESULT Get(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs);
  // Waits for EC_COMPLETE, EC_ERRORABORT or EC_USERABORT (dropping other events on the way).
  HRESULT WaitForCompletion(LONG timeoutMs, LONG* code);
  HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance);
  HRESULT SetNotifyFlags(LONG flags);
  LONG NotifyFlags() const;
  HRESULT SetDefaultHandling(LONG code, bool on);

  // Application thread, as the graph starts streaming (pause from stopped, seek): the
  // renderers that must all complete. CancelCompletion comes first: the run starts before
  // the source is repositioned, so that what the new run reports counts for it.
  void ExpectCompletion(std::set<const void*> renderers);
  // Drops the counting and what is known of the run (stop, and before a seek), and the
  // run's EC_COMPLETE when it waits in the queue still (default handling only).
  void CancelCompletion();

 private:
  struct Event {
    LONG code;
    LONG_PTR p1, p2;
  };
  // lock_ held.
  void Push(const Event& e);
  void NotifyWindow();

  mutable std::mutex lock_;
  std::condition_variable arrived_;
  // guarded by lock_
  std::deque<Event> events_;
  OAHWND window_ = 0;
  LONG message_ = 0;
  LONG_PTR instance_ = 0;
  LONG flags_ = 0;
  bool completeDefault_ = true;
  std::set<const void*> pending_;  // renderers yet to complete
  bool counting_ = false;
  bool undecodable_ = false;  // a stream of this run was reported undecodable
  bool anyRendered_ = false;  // a renderer of this run completed having had samples
};

}  // namespace kavoro::media
