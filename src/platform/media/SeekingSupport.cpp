#include "platform/media/SeekingSupport.h"

namespace kavoro::media {
namespace {

bool IsMediaTime(const GUID* f) {
  return !f || *f == TIME_FORMAT_MEDIA_TIME || *f == TIME_FORMAT_NONE;
}

}  // namespace

HRESULT CheckCapabilitiesAgainst(DWORD have, DWORD* caps) {
  if (!caps) return E_POINTER;
  const DWORD asked = *caps;
  *caps &= have;
  if (*caps == asked) return S_OK;
  return *caps ? S_FALSE : E_FAIL;
}

HRESULT IsMediaTimeFormat(const GUID* format) {
  if (!format) return E_POINTER;
  return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT GetMediaTimeFormat(GUID* format) {
  if (!format) return E_POINTER;
  *format = TIME_FORMAT_MEDIA_TIME;
  return S_OK;
}

HRESULT SetMediaTimeFormat(const GUID* format) {
  if (!format) return E_POINTER;
  return *format == TIME_FORMAT_MEDIA_TIME || *format == TIME_FORMAT_NONE ? S_OK : E_INVALIDARG;
}

HRESULT ConvertMediaTime(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                         const GUID* sourceFormat) {
  if (!target) return E_POINTER;
  if (!IsMediaTime(targetFormat) || !IsMediaTime(sourceFormat)) return E_INVALIDARG;
  *target = source;
  return S_OK;
}

HRESULT CheckPlaybackRate(double rate) {
  return rate > 0.0 && rate <= kMaxPlaybackRate ? S_OK : E_INVALIDARG;
}

HRESULT GetNoPreroll(LONGLONG* preroll) {
  if (!preroll) return E_POINTER;
  *preroll = 0;
  return S_OK;
}

HRESULT ApplyPositioningFlags(const LONGLONG* current, DWORD currentFlags, const LONGLONG* stop,
                              DWORD stopFlags, LONGLONG position, LONGLONG stopNow,
                              LONGLONG stopBase, LONGLONG* newPosition, LONGLONG* newStop) {
  LONGLONG pos = position;
  switch (currentFlags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_NoPositioning: break;
    case AM_SEEKING_AbsolutePositioning:
      if (!current) return E_POINTER;
      pos = *current;
      break;
    case AM_SEEKING_RelativePositioning:
      if (!current) return E_POINTER;
      pos = position + *current;
      break;
    default: return E_INVALIDARG;
  }
  LONGLONG end = stopNow;
  switch (stopFlags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_NoPositioning: break;
    case AM_SEEKING_AbsolutePositioning:
      if (!stop) return E_POINTER;
      end = *stop;
      break;
    case AM_SEEKING_RelativePositioning:
      if (!stop) return E_POINTER;
      end = stopBase + *stop;
      break;
    case AM_SEEKING_IncrementalPositioning:
      if (!stop) return E_POINTER;
      end = pos + *stop;
      break;
  }
  *newPosition = pos;
  *newStop = end;
  return S_OK;
}

HRESULT MediaTimeSeeking::CheckCapabilities(DWORD* caps) {
  DWORD have = 0;
  GetCapabilities(&have);
  return CheckCapabilitiesAgainst(have, caps);
}

HRESULT MediaTimeSeeking::GetPositions(LONGLONG* current, LONGLONG* stop) {
  HRESULT hr = S_OK;
  if (current) hr = GetCurrentPosition(current);
  if (SUCCEEDED(hr) && stop) hr = GetStopPosition(stop);
  return hr;
}

HRESULT MediaTimeSeeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
  if (earliest) *earliest = 0;
  if (latest) return GetDuration(latest);
  return S_OK;
}

HRESULT MediaTimeSeeking::SetRate(double rate) {
  if (FAILED(CheckPlaybackRate(rate))) return E_INVALIDARG;
  rate_ = rate;
  return S_OK;
}

HRESULT MediaTimeSeeking::GetRate(double* rate) {
  if (!rate) return E_POINTER;
  *rate = rate_;
  return S_OK;
}

}  // namespace kavoro::media
