#pragma once
// The graph component: owns the platform filter graph and its builder, builds and tears them
// down (Active), renders a media file or a DVD volume, runs, pauses, stops and empties the
// graph, and turns the graph's event queue into component events raised on the GUI thread.
// Members put one filter of their own into every graph built; listeners hear every graph
// event and every control step. Other components get the platform interfaces they use by
// querying the component, which hands the query to its builders.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/GraphTypes.h"
#include "platform/com/ComPtr.h"
#include "platform/media/IBaseFilter.h"
#include "platform/media/IFilterGraph.h"
#include "platform/media/IMediaEvent.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdGraphBuilder.h"
#include "platform/os/Messages.h"

namespace kavoro {

class TFilterGraph;

// The message the platform posts to the notification window whenever events wait.
constexpr os::UINT WM_GRAPHNOTIFY = os::WM_APP + 1;

using TNotifyEvent = std::function<void(TFilterGraph* sender)>;
using TDSEvent = std::function<void(TFilterGraph* sender, LONG event, LONG_PTR param1, LONG_PTR param2)>;
using TGraphCompleteEvent = std::function<void(TFilterGraph* sender, HRESULT result, IBaseFilter* renderer)>;
using TGraphResultEvent = std::function<void(TFilterGraph* sender, HRESULT result)>;
using TGraphStreamErrorEvent = std::function<void(TFilterGraph* sender, HRESULT operation, LONG value)>;
using TGraphVideoSizeChangedEvent = std::function<void(TFilterGraph* sender, int width, int height)>;
using TGraphFlagEvent = std::function<void(TFilterGraph* sender, bool flag)>;
using TGraphFilterEvent = std::function<void(TFilterGraph* sender, IBaseFilter* renderer)>;
using TGraphOleEvent = std::function<void(TFilterGraph* sender, const std::string& string1, const std::string& string2)>;
using TGraphStreamControlEvent = std::function<void(TFilterGraph* sender, IPin* pinSender, LONG cookie)>;
using TGraphEndOfSegmentEvent = std::function<void(TFilterGraph* sender, REFERENCE_TIME streamTime, LONG numSegment)>;
using TGraphDeviceLostEvent = std::function<void(TFilterGraph* sender, IUnknown* device, bool removed)>;
using TGraphTimeCodeAvailableEvent = std::function<void(TFilterGraph* sender, IBaseFilter* from, LONG deviceId)>;
using TGraphEXTDeviceModeChangeEvent = std::function<void(TFilterGraph* sender, LONG newMode, LONG deviceId)>;
using TGraphVMRRenderDeviceEvent = std::function<void(TFilterGraph* sender, LONG renderDevice)>;
using TGraphSNDDevErrorEvent = std::function<void(TFilterGraph* sender, LONG occurWhen, LONG errorCode)>;
using TDVDIntEvent = std::function<void(TFilterGraph* sender, int value)>;
using TDVDStreamChangeEvent = std::function<void(TFilterGraph* sender, int stream, LCID lcid, const std::string& lang)>;
using TDVDTotalCurrentEvent = std::function<void(TFilterGraph* sender, int total, int current)>;
using TDVDStillOnEvent = std::function<void(TFilterGraph* sender, bool noButtonAvailable, int seconds)>;
using TDVDCurrentTimeEvent = std::function<void(TFilterGraph* sender, int hours, int minutes, int seconds, int frames, int frate)>;
using TDVDPlaybackRateChangeEvent = std::function<void(TFilterGraph* sender, float rate)>;
using TDVDFlagEvent = std::function<void(TFilterGraph* sender, bool flag)>;
using TDVDCurrentHMSFTimeEvent = std::function<void(TFilterGraph* sender, const TDVD_HMSF_TIMECODE& hmsfTimeCode, const TDVD_TimeCode& timeCode)>;

class TFilterGraph {
 public:
  TFilterGraph();
  virtual ~TFilterGraph();
  TFilterGraph(const TFilterGraph&) = delete;
  TFilterGraph& operator=(const TFilterGraph&) = delete;

  // Called by the owner when loading its stored properties has finished: activates the graph
  // when AutoCreate is set.
  void Loaded();

  // Properties.
  bool Active() const { return active_; }
  void SetActive(bool value);
  bool AutoCreate() const { return autoCreate_; }
  void SetAutoCreate(bool value) { autoCreate_ = value; }
  TGraphMode Mode() const { return mode_; }
  void SetMode(TGraphMode value);
  bool GraphEdit() const { return graphEdit_; }
  void SetGraphEdit(bool value);
  const std::string& LogFile() const { return logFile_; }
  void SetLogFile(const std::string& value);

  // The delegating query: the component's own interfaces (it has none of the platform's), then
  // by mode the capture builder or the DVD builder and its navigator, then the manager.
  // E_NOINTERFACE while inactive; otherwise the first success or the last attempt's result.
  HRESULT QueryInterface(REFIID iid, void** obj);
  template <class I>
  ComPtr<I> Query() {
    ComPtr<I> p;
    QueryInterface(IIDOf<I>(), p.PutVoid());
    return p;
  }

  // The state the graph itself is in, asked without waiting; nullopt while inactive or when
  // the graph cannot say. GUI thread.
  std::optional<FILTER_STATE> GraphState();

  // True only when the graph answered exactly S_OK.
  bool Play();
  bool Pause();
  bool Stop();
  // S_FALSE without a manager; otherwise the manager's result.
  HRESULT RenderFile(const std::string& fileName);
  // VFW_E_DVD_RENDERFAIL without a DVD builder; otherwise the builder's result. An empty
  // path lets the navigator find a disc itself.
  HRESULT RenderDvd(AM_DVD_RENDERSTATUS* status, const std::string& volumePath, DWORD flags);
  // Removes every filter but the members' own, after stopping and disconnecting the graph.
  void ClearGraph();
  // Disconnects every pin of every filter in the graph.
  void DisconnectAll();
  // Saves the DVD navigator's state as a bookmark file (a compound file with one stream
  // "BookMark"); only while active in DVD mode with DVD information at hand (E_UNEXPECTED
  // otherwise). The file is written whole or not at all: a failure (a state that cannot save
  // itself, a full disk, a folder that cannot be written) leaves any existing file as it was
  // and returns the failure.
  HRESULT SaveDvdBookmark(const std::string& fileName);
  // Puts the navigator back into the state of a bookmark file and waits, at most `waitMs`,
  // until it has taken effect; only when the graph gives DVD control (E_UNEXPECTED
  // otherwise). A file that cannot be read, a state of another disc or a damaged one changes
  // nothing and returns the failure; VFW_E_TIMEOUT when the navigator has not answered in time.
  HRESULT RestoreDvdBookmark(const std::string& fileName, DWORD waitMs = kBookmarkRestoreWaitMs);
  // How long a restore waits for the navigator: long enough for a disc to seek, short enough
  // that a disc that never answers cannot freeze the window.
  static constexpr DWORD kBookmarkRestoreWaitMs = 4000;

  void AttachMember(IGraphMember* member);
  void DetachMember(IGraphMember* member);
  void AttachListener(IGraphListener* listener);
  void DetachListener(IGraphListener* listener);
  // The lists exist only while they have entries.
  bool HasMemberList() const { return members_ != nullptr; }
  bool HasListenerList() const { return listeners_ != nullptr; }

  // Called for each event taken from the queue: listeners first, then OnDSEvent, then the
  // event the code stands for.
  virtual void DispatchGraphEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

  // The hidden window the platform posts the queue's notifications to.
  os::HWND NotificationWindow() const { return window_ ? window_->Handle() : os::kNoWindow; }

  // Events.
  TNotifyEvent OnActivate;
  TDSEvent OnDSEvent;

  TGraphCompleteEvent OnGraphComplete;
  TNotifyEvent OnGraphUserAbort;
  TNotifyEvent OnGraphPaletteChanged;
  TNotifyEvent OnGraphQualityChange;
  TNotifyEvent OnGraphClockChanged;
  TNotifyEvent OnGraphStepComplete;
  TNotifyEvent OnGraphChanged;
  TNotifyEvent OnGraphClockUnset;
  TGraphResultEvent OnGraphErrorAbort;
  TGraphResultEvent OnGraphErrorStillPlaying;
  TGraphResultEvent OnGraphPaused;
  TGraphStreamErrorEvent OnGraphStreamErrorStopped;
  TGraphStreamErrorEvent OnGraphStreamErrorStillPlaying;
  TGraphVideoSizeChangedEvent OnGraphVideoSizeChanged;
  TGraphFlagEvent OnGraphOpeningFile;
  TGraphFlagEvent OnGraphBufferingData;
  TGraphFilterEvent OnGraphFullscreenLost;
  TGraphOleEvent OnGraphOleEvent;
  TGraphStreamControlEvent OnGraphStreamControlStopped;
  TGraphStreamControlEvent OnGraphStreamControlStarted;
  TGraphEndOfSegmentEvent OnGraphEndOfSegment;
  TGraphDeviceLostEvent OnGraphDeviceLost;
  TGraphTimeCodeAvailableEvent OnGraphTimeCodeAvailable;
  TGraphEXTDeviceModeChangeEvent OnGraphEXTDeviceModeChange;
  TGraphVMRRenderDeviceEvent OnGraphVMRRenderDevice;
  TGraphSNDDevErrorEvent OnGraphSNDDevInError;
  TGraphSNDDevErrorEvent OnGraphSNDDevOutError;

  TNotifyEvent OnDVDDomainFirstPlay;
  TNotifyEvent OnDVDDomainVideoManagerMenu;
  TNotifyEvent OnDVDDomainVideoTitleSetMenu;
  TNotifyEvent OnDVDDomainTitle;
  TNotifyEvent OnDVDDomainStop;
  TDVDIntEvent OnDVDTitleChange;
  TDVDIntEvent OnDVDChapterStart;
  TDVDStreamChangeEvent OnDVDAudioStreamChange;
  TDVDStreamChangeEvent OnDVDSubpictureStreamChange;
  TDVDTotalCurrentEvent OnDVDAngleChange;
  TDVDTotalCurrentEvent OnDVDButtonChange;
  TDVDIntEvent OnDVDValidUOPSChange;
  TDVDStillOnEvent OnDVDStillOn;
  TNotifyEvent OnDVDStillOff;
  TDVDCurrentTimeEvent OnDVDCurrentTime;
  TNotifyEvent OnDVDErrorUnexpected;
  TNotifyEvent OnDVDErrorCopyProtectFail;
  TNotifyEvent OnDVDErrorInvalidDVD1_0Disc;
  TNotifyEvent OnDVDErrorInvalidDiscRegion;
  TNotifyEvent OnDVDErrorLowParentalLevel;
  TNotifyEvent OnDVDErrorMacrovisionFail;
  TNotifyEvent OnDVDErrorIncompatibleSystemAndDecoderRegions;
  TNotifyEvent OnDVDErrorIncompatibleDiscAndDecoderRegions;
  TNotifyEvent OnDVDWarningInvalidDVD1_0Disc;
  TNotifyEvent OnDVDWarningFormatNotSupported;
  TNotifyEvent OnDVDWarningIllegalNavCommand;
  TNotifyEvent OnDVDWarningOpen;
  TNotifyEvent OnDVDWarningSeek;
  TNotifyEvent OnDVDWarningRead;
  TNotifyEvent OnDVDChapterAutoStop;
  TNotifyEvent OnDVDNoFP_PGC;
  TDVDPlaybackRateChangeEvent OnDVDPlaybackRateChange;
  TDVDIntEvent OnDVDParentalLevelChange;
  TNotifyEvent OnDVDPlaybackStopped;
  TDVDFlagEvent OnDVDAnglesAvailable;
  TNotifyEvent OnDVDPlayPeriodAutoStop;
  TDVDIntEvent OnDVDButtonAutoActivated;
  TDVDIntEvent OnDVDCMDStart;
  TDVDIntEvent OnDVDCMDEnd;
  TNotifyEvent OnDVDDiscEjected;
  TNotifyEvent OnDVDDiscInserted;
  TDVDCurrentHMSFTimeEvent OnDVDCurrentHMSFTime;
  TDVDFlagEvent OnDVDKaraokeMode;

 private:
  void Activate();
  void Deactivate();
  // Tells every member and listener that can hear it that the component goes away, and lets
  // go of them.
  void NotifyDestroyed();
  void AddMemberFilter(IGraphMember* member);
  void RemoveMemberFilter(IGraphMember* member);
  void NotifyListeners(TGraphAction action, LONG param);
  void ApplyGraphEdit(bool value);
  bool ApplyLogFile(const std::string& value);
  void CloseLog();
  void HandleMessage(os::UINT message, os::WPARAM wParam, os::LPARAM lParam);
  void PumpEvents();
  // The English name of a language identifier's language; empty when there is none.
  static std::string EnglishLanguageName(LCID lcid);
  void RaiseStreamChange(const TDVDStreamChangeEvent& event, bool audio, LONG_PTR stream);

  bool active_ = false;
  bool autoCreate_ = false;
  std::unique_ptr<os::MessageWindow> window_;
  TGraphMode mode_ = gmNormal;
  std::unique_ptr<std::vector<ComPtr<IGraphMember>>> members_;
  std::unique_ptr<std::vector<ComPtr<IGraphListener>>> listeners_;
  ComPtr<IFilterGraph2> graph_;
  ComPtr<ICaptureGraphBuilder2> captureBuilder_;
  ComPtr<IDvdGraphBuilder> dvdBuilder_;
  ComPtr<IMediaEventEx> events_;
  bool graphEdit_ = false;
  std::uint32_t rotCookie_ = 0;
  std::string logFile_;
  int logHandle_ = -1;
};

}  // namespace kavoro
