#pragma once
// The DVD navigator: runs the disc's navigation (libdvdnav) on a streaming thread of its own,
// demuxes the program-stream blocks it reads into three output pins (Video: MPEG-2; Audio:
// the selected audio stream, AC3, MPEG audio or LPCM; Subpicture: the selected subpicture
// stream) and reports where it plays through the DVD events. It answers IDvdControl2 and
// IDvdInfo2.
//
// Commands are queued to the streaming thread, which alone calls libdvdnav; what the
// application thread reads comes from a snapshot the streaming thread keeps up to date.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/media/AddInterfaces.h"
#include "platform/media/BaseFilter.h"
#include "platform/media/dvd/IDvdControl2.h"
#include "platform/media/dvd/IDvdInfo2.h"

namespace kavoro::media {

// IDvdControl2's Stop under a name of its own: the filter's Stop (IMediaFilter) is another.
struct DvdControlBase : IDvdControl2 {
  HRESULT Stop() final { return StopNavigation(); }
  virtual HRESULT StopNavigation() = 0;
};

class DvdNavigator final : public AddInterfaces<BaseFilter, DvdControlBase, IDvdInfo2> {
 public:
  DvdNavigator();

  // Application thread, while stopped and before connecting. `path` is a folder holding
  // VIDEO_TS, the VIDEO_TS folder, a VIDEO_TS.IFO file, a drive path ("E:\") or an ISO
  // image. VFW_E_DVD_INVALID_DISC when no readable DVD-Video is there, E_INVALIDARG for an
  // empty path, E_UNEXPECTED when a disc is already open.
  HRESULT Open(const std::string& path);
  // The output pin of a stream kind; null before Open.
  enum class Output { Video, Audio, Subpicture };
  IPin* OutputPin(Output which);

  // IDvdControl2.
  HRESULT PlayTitle(ULONG title, DWORD flags, IDvdCmd** cmd) override;
  HRESULT PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd** cmd) override;
  HRESULT PlayAtTime(const DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** cmd) override;
  HRESULT StopNavigation() override;  // IDvdControl2::Stop
  HRESULT ReturnFromSubmenu(DWORD flags, IDvdCmd** cmd) override;
  HRESULT PlayNextChapter(DWORD flags, IDvdCmd** cmd) override;
  HRESULT PlayPrevChapter(DWORD flags, IDvdCmd** cmd) override;
  HRESULT ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** cmd) override;
  HRESULT Resume(DWORD flags, IDvdCmd** cmd) override;
  HRESULT SelectRelativeButton(DVD_RELATIVE_BUTTON direction) override;
  HRESULT SelectButton(ULONG button) override;
  HRESULT ActivateButton() override;
  HRESULT SelectAtPosition(POINT point) override;
  HRESULT ActivateAtPosition(POINT point) override;
  HRESULT PlayForwards(double speed, DWORD flags, IDvdCmd** cmd) override;
  HRESULT PlayBackwards(double speed, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SetSubpictureState(BOOL on, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SelectAngle(ULONG angle, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SelectVideoModePreference(ULONG preferredDisplayMode) override;
  HRESULT SetState(IDvdState* state, DWORD flags, IDvdCmd** cmd) override;
  HRESULT SetOption(DVD_OPTION_FLAG option, BOOL on) override;

  // IDvdInfo2.
  HRESULT GetCurrentDomain(DVD_DOMAIN* domain) override;
  HRESULT GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location) override;
  HRESULT GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* timeCodeFlags) override;
  HRESULT GetNumberOfChapters(ULONG title, ULONG* chapters) override;
  HRESULT GetCurrentButton(ULONG* available, ULONG* current) override;
  HRESULT GetCurrentAudio(ULONG* available, ULONG* current) override;
  HRESULT GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled) override;
  HRESULT GetCurrentUOPS(ULONG* uops) override;
  HRESULT GetAudioLanguage(ULONG stream, LCID* language) override;
  HRESULT GetSubpictureLanguage(ULONG stream, LCID* language) override;
  HRESULT GetButtonAtPosition(POINT point, ULONG* button) override;
  HRESULT GetState(IDvdState** state) override;

  using BaseFilter::GetState;
  using BaseFilter::Stop;

  struct Impl;

 protected:
  HRESULT OnStop() override;
  HRESULT OnPause(FILTER_STATE from) override;

 private:
  ~DvdNavigator() override;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kavoro::media
