#pragma once
// Positions, duration and rate of a graph (or of a filter or pin that can seek).
#include "platform/media/MediaTypes.h"

namespace kavoro {

constexpr GUID TIME_FORMAT_NONE = GUID_NULL;
constexpr GUID TIME_FORMAT_FRAME = MakeGuid(0x7B785570, 0x8C82, 0x11CF, 0xBC, 0x0C, 0x00, 0xAA,
                                            0x00, 0xAC, 0x74, 0xF6);
constexpr GUID TIME_FORMAT_BYTE = MakeGuid(0x7B785571, 0x8C82, 0x11CF, 0xBC, 0x0C, 0x00, 0xAA,
                                           0x00, 0xAC, 0x74, 0xF6);
constexpr GUID TIME_FORMAT_SAMPLE = MakeGuid(0x7B785572, 0x8C82, 0x11CF, 0xBC, 0x0C, 0x00, 0xAA,
                                             0x00, 0xAC, 0x74, 0xF6);
constexpr GUID TIME_FORMAT_MEDIA_TIME = MakeGuid(0x7B785574, 0x8C82, 0x11CF, 0xBC, 0x0C, 0x00,
                                                 0xAA, 0x00, 0xAC, 0x74, 0xF6);

enum AM_SEEKING_SEEKING_FLAGS : DWORD {
  AM_SEEKING_NoPositioning = 0x0,
  AM_SEEKING_AbsolutePositioning = 0x1,
  AM_SEEKING_RelativePositioning = 0x2,
  AM_SEEKING_IncrementalPositioning = 0x3,
  AM_SEEKING_PositioningBitsMask = 0x3,
  AM_SEEKING_SeekToKeyFrame = 0x4,
  AM_SEEKING_ReturnTime = 0x8,
  AM_SEEKING_Segment = 0x10,
  AM_SEEKING_NoFlush = 0x20,
};

enum AM_SEEKING_SEEKING_CAPABILITIES : DWORD {
  AM_SEEKING_CanSeekAbsolute = 0x1,
  AM_SEEKING_CanSeekForwards = 0x2,
  AM_SEEKING_CanSeekBackwards = 0x4,
  AM_SEEKING_CanGetCurrentPos = 0x8,
  AM_SEEKING_CanGetStopPos = 0x10,
  AM_SEEKING_CanGetDuration = 0x20,
  AM_SEEKING_CanPlayBackwards = 0x40,
  AM_SEEKING_CanDoSegments = 0x80,
  AM_SEEKING_Source = 0x100,
};

// Only TIME_FORMAT_MEDIA_TIME (100 ns units) exists. Application thread, except the getters,
// which any thread may call.
struct IMediaSeeking : IUnknown {
  static constexpr IID kIID = MakeGuid(0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F,
                                       0x6C, 0xEF, 0x60);
  using Base = IUnknown;
  virtual HRESULT GetCapabilities(DWORD* capabilities) = 0;
  // S_OK when all asked are there, S_FALSE when some, E_FAIL when none; *capabilities keeps
  // those that are.
  virtual HRESULT CheckCapabilities(DWORD* capabilities) = 0;
  virtual HRESULT IsFormatSupported(const GUID* format) = 0;
  virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
  virtual HRESULT GetTimeFormat(GUID* format) = 0;
  virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
  // E_INVALIDARG for any format but TIME_FORMAT_MEDIA_TIME (and TIME_FORMAT_NONE, which
  // means it too).
  virtual HRESULT SetTimeFormat(const GUID* format) = 0;
  // The length of the media. E_NOTIMPL when unknown (a live stream).
  virtual HRESULT GetDuration(LONGLONG* duration) = 0;
  // Where playback stops: the duration unless set with SetPositions.
  virtual HRESULT GetStopPosition(LONGLONG* stop) = 0;
  // The media position of what is presented now: while running it advances with the clock
  // (times the rate); it never passes the stop position.
  virtual HRESULT GetCurrentPosition(LONGLONG* current) = 0;
  virtual HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                    const GUID* sourceFormat) = 0;
  // Moves the current and/or stop position (flags per position: AM_SEEKING_NoPositioning,
  // Absolute, Relative to the current value, Incremental (stop only: relative to the new
  // current); AM_SEEKING_ReturnTime writes the resulting times back). A running or paused
  // graph flushes and restarts from the new position; a paused one shows the new frame.
  // Positions are clamped to [0, duration]. E_INVALIDARG for a stop before the current.
  virtual HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                               DWORD stopFlags) = 0;
  virtual HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
  virtual HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
  // Playback speed, > 0 and at most kMaxPlaybackRate; E_INVALIDARG otherwise (backward play
  // of files is not supported). Takes effect from the current position.
  virtual HRESULT SetRate(double rate) = 0;
  virtual HRESULT GetRate(double* rate) = 0;
  virtual HRESULT GetPreroll(LONGLONG* preroll) = 0;
};

constexpr double kMaxPlaybackRate = 16.0;

}  // namespace kavoro
