#pragma once
// What the IMediaSeeking implementations of the framework (the file source, the MIDI source
// and the graph manager) answer alike: they count in media time only (100 ns units), take
// rates in (0, kMaxPlaybackRate], have no preroll, and read SetPositions' flags the same way.
// Plain functions on values; any thread.
#include <atomic>

#include "platform/media/IMediaSeeking.h"

namespace kavoro::media {

// CheckCapabilities for an object that has the capabilities `have`: *caps keeps those asked
// for that it has; S_OK when all, S_FALSE when some, E_FAIL when none.
HRESULT CheckCapabilitiesAgainst(DWORD have, DWORD* caps);

// IsFormatSupported and IsUsingTimeFormat: S_OK for media time only.
HRESULT IsMediaTimeFormat(const GUID* format);
// QueryPreferredFormat and GetTimeFormat: media time.
HRESULT GetMediaTimeFormat(GUID* format);
// SetTimeFormat: media time (or "none", meaning the same) is accepted, anything else not.
HRESULT SetMediaTimeFormat(const GUID* format);
// ConvertTimeFormat between media time and itself (a null format meaning the current one).
HRESULT ConvertMediaTime(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                         const GUID* sourceFormat);

// SetRate's check: S_OK for a rate the framework plays, else E_INVALIDARG.
HRESULT CheckPlaybackRate(double rate);
// GetPreroll: none.
HRESULT GetNoPreroll(LONGLONG* preroll);

// The positions SetPositions asks for. `position` is the current position (the base of a
// relative current position); `stop` the stop position kept when the stop is not moved;
// `stopBase` the base of a relative stop. An incremental stop counts from the new current
// position. E_POINTER for a flag without its value, E_INVALIDARG for an unknown current
// positioning. Clamping and checking the result is the caller's.
HRESULT ApplyPositioningFlags(const LONGLONG* current, DWORD currentFlags, const LONGLONG* stop,
                              DWORD stopFlags, LONGLONG position, LONGLONG stopNow,
                              LONGLONG stopBase, LONGLONG* newPosition, LONGLONG* newStop);

// IMediaSeeking for a source that counts in media time and keeps its rate: everything but the
// capabilities, the duration and the positions, which the source answers itself. Application
// thread; the getters any thread. The rate may change while the source's streaming threads
// run (the graph sets it before it repositions the source); a source takes it into each run
// as that run starts.
class MediaTimeSeeking : public IMediaSeeking {
 public:
  HRESULT CheckCapabilities(DWORD* capabilities) final;
  HRESULT IsFormatSupported(const GUID* format) final { return IsMediaTimeFormat(format); }
  HRESULT QueryPreferredFormat(GUID* format) final { return GetMediaTimeFormat(format); }
  HRESULT GetTimeFormat(GUID* format) final { return GetMediaTimeFormat(format); }
  HRESULT IsUsingTimeFormat(const GUID* format) final { return IsMediaTimeFormat(format); }
  HRESULT SetTimeFormat(const GUID* format) final { return SetMediaTimeFormat(format); }
  HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                            const GUID* sourceFormat) final {
    return ConvertMediaTime(target, targetFormat, source, sourceFormat);
  }
  HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) final;
  HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) final;
  HRESULT SetRate(double rate) final;
  HRESULT GetRate(double* rate) final;
  HRESULT GetPreroll(LONGLONG* preroll) final { return GetNoPreroll(preroll); }

 protected:
  std::atomic<double> rate_{1.0};
};

}  // namespace kavoro::media
