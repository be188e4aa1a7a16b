#pragma once
// What the DVD navigator knows of the disc and of where it plays. Asked of the DVD graph
// builder (GetDvdInterface).
#include "platform/media/MediaErrors.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdState.h"

namespace kavoro {

// Application thread. Stream numbers count from 0. Language identifiers are the platform's
// (English U.S. 0x0409); 0 for a stream that names no language.
struct IDvdInfo2 : IUnknown {
  static constexpr IID kIID = MakeGuid(0x34151510, 0xEEC0, 0x11D2, 0x82, 0x01, 0x00, 0xA0, 0xC9,
                                       0xD7, 0x48, 0x42);
  using Base = IUnknown;

  virtual HRESULT GetCurrentDomain(DVD_DOMAIN* domain) = 0;
  virtual HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location) = 0;
  virtual HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* timeCodeFlags) = 0;
  virtual HRESULT GetNumberOfChapters(ULONG title, ULONG* chapters) = 0;
  virtual HRESULT GetCurrentButton(ULONG* available, ULONG* current) = 0;
  virtual HRESULT GetCurrentAudio(ULONG* available, ULONG* current) = 0;
  virtual HRESULT GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled) = 0;
  virtual HRESULT GetCurrentUOPS(ULONG* uops) = 0;
  virtual HRESULT GetAudioLanguage(ULONG stream, LCID* language) = 0;
  virtual HRESULT GetSubpictureLanguage(ULONG stream, LCID* language) = 0;
  // VFW_E_DVD_NO_BUTTON when no button of the menu on screen covers the point (native
  // picture coordinates); buttons count from 1.
  virtual HRESULT GetButtonAtPosition(POINT point, ULONG* button) = 0;
  // A new object holding the current place; the caller releases it.
  virtual HRESULT GetState(IDvdState** state) = 0;
};

}  // namespace kavoro
