#pragma once
// Driving the DVD navigator: titles, chapters, menus and their buttons, speed and direction,
// streams, saved states. Asked of the DVD graph builder (GetDvdInterface).
#include "platform/media/MediaErrors.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdCmd.h"
#include "platform/media/dvd/IDvdState.h"

namespace kavoro {

// Application thread. Every call returns at once; the command takes effect on the streaming
// side. `cmd` may be null; when not, it receives the command object (the caller releases
// it). A command the disc forbids at this point returns VFW_E_DVD_OPERATION_INHIBITED and
// changes nothing; one that makes no sense in the current domain VFW_E_DVD_INVALIDDOMAIN.
struct IDvdControl2 : IUnknown {
  static constexpr IID kIID = MakeGuid(0x33BC7430, 0xEEC0, 0x11D2, 0x82, 0x01, 0x00, 0xA0, 0xC9,
                                       0xD7, 0x48, 0x42);
  using Base = IUnknown;

  virtual HRESULT PlayTitle(ULONG title, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd** cmd) = 0;
  // E_INVALIDARG for a time outside the current title.
  virtual HRESULT PlayAtTime(const DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT ReturnFromSubmenu(DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT PlayNextChapter(DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT PlayPrevChapter(DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT Resume(DWORD flags, IDvdCmd** cmd) = 0;

  // Menu buttons: by direction, by number, or by a point in the picture's native
  // coordinates (720 x 576 or 720 x 480). VFW_E_DVD_NO_BUTTON when nothing is there, also
  // when the navigation turns the call down (the menu was left meanwhile). These calls have no
  // command object: they wait briefly for the streaming side's answer, and return S_FALSE when
  // it is busy past that (the call still takes effect); while the graph is stopped they return
  // S_OK and take effect with the next run.
  virtual HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON direction) = 0;
  virtual HRESULT SelectButton(ULONG button) = 0;
  virtual HRESULT ActivateButton() = 0;
  virtual HRESULT SelectAtPosition(POINT point) = 0;
  virtual HRESULT ActivateAtPosition(POINT point) = 0;

  // Speed 1.0 is normal play; below 1 slow, above fast. Backward play shows key frames.
  virtual HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd** cmd) = 0;

  virtual HRESULT SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT SetSubpictureState(BOOL on, DWORD flags, IDvdCmd** cmd) = 0;
  // E_INVALIDARG for an angle the title has not got; the command ends with E_FAIL when the
  // navigation refuses the change.
  virtual HRESULT SelectAngle(ULONG angle, DWORD flags, IDvdCmd** cmd) = 0;

  // The display 16:9 pictures are shown on: DISPLAY_16x9 (as DISPLAY_CONTENT_DEFAULT),
  // DISPLAY_4x3_LETTERBOX_PREFERRED or DISPLAY_4x3_PANSCAN_PREFERRED. It decides which of a 16:9
  // title's subpicture streams plays a logical stream (discs may author one for each display);
  // the picture itself is shaped by the renderer. E_INVALIDARG for another value.
  virtual HRESULT SelectVideoModePreference(ULONG preferredDisplayMode) = 0;

  // Returns to a saved place. Fails with VFW_E_DVD_STATE_WRONG_DISC (and changes nothing) when
  // the state belongs to another disc. The command ends once the place is being played, with
  // VFW_E_DVD_STATE_CORRUPT when the place has not got the saved streams or angle (it plays
  // with its own) and VFW_E_DVD_MENU_DOES_NOT_EXIST when the saved menu is not there.
  virtual HRESULT SetState(IDvdState* state, DWORD flags, IDvdCmd** cmd) = 0;
  virtual HRESULT SetOption(DVD_OPTION_FLAG option, BOOL on) = 0;
};

}  // namespace kavoro
