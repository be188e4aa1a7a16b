#pragma once
// The graph's event queue, from the application's side.
#include "platform/media/MediaTypes.h"

namespace kavoro {

using OAHWND = std::uintptr_t;
using OAEVENT = std::uintptr_t;

constexpr LONG AM_MEDIAEVENT_NONOTIFY = 0x01;

// Events queue in the graph in the order filters report them; the application takes them
// one at a time. Any thread may call every method.
struct IMediaEvent : IUnknown {
  static constexpr IID kIID = MakeGuid(0x56A868B6, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IUnknown;
  // No waitable handle exists on this platform; use IMediaEventEx::SetNotifyWindow. E_NOTIMPL.
  virtual HRESULT GetEventHandle(OAEVENT* handle) = 0;
  // Takes the oldest event, waiting up to `timeoutMs` (0: do not wait) for one. E_ABORT when
  // none came. The parameters are released with FreeEventParams.
  virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) = 0;
  // Waits up to `timeoutMs` for EC_COMPLETE, EC_ERRORABORT or EC_USERABORT, which it takes
  // from the queue (other events are dropped on the way). E_ABORT on timeout,
  // VFW_E_WRONG_STATE when the graph is not running.
  virtual HRESULT WaitForCompletion(LONG timeoutMs, LONG* code) = 0;
  // Default handling: EC_COMPLETE from each renderer is counted and one EC_COMPLETE reaches
  // the queue when all renderers are done. Cancelled, every renderer's EC_COMPLETE is queued
  // with the renderer in param2. Only EC_COMPLETE has default handling here.
  virtual HRESULT CancelDefaultHandling(LONG code) = 0;
  virtual HRESULT RestoreDefaultHandling(LONG code) = 0;
  // Releases what an event's parameters hold. S_OK.
  virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct IMediaEventEx : IMediaEvent {
  static constexpr IID kIID = MakeGuid(0x56A868C0, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                                       0x0B, 0xA7, 0x70);
  using Base = IMediaEvent;
  // `window` is a platform message window (os::HWND). Whenever an event is queued, the graph
  // posts (message, 0, instance) to it, while notifications are on (SetNotifyFlags(0)); one
  // post may stand for several events, so the receiver takes events until GetEvent fails.
  // When set while events wait, a message is posted at once. 0 stops the posts.
  virtual HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) = 0;
  // 0: notifications on; AM_MEDIAEVENT_NONOTIFY: no posts, and the queue is emptied and
  // gets no new events. E_INVALIDARG for other values.
  virtual HRESULT SetNotifyFlags(LONG flags) = 0;
  virtual HRESULT GetNotifyFlags(LONG* flags) = 0;
};

}  // namespace kavoro
