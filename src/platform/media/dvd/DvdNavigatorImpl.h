#pragma once
// The navigator's insides, shared by its units: DvdNavigator.cpp (opening, the streaming thread,
// reading and demuxing, events), DvdNavigatorControl.cpp (IDvdControl2) and
// DvdNavigatorInfo.cpp (IDvdInfo2).
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <dvdnav/dvdnav.h>
#include <dvdread/nav_types.h>
}

#include "platform/media/AddInterfaces.h"
#include "platform/media/BasePin.h"
#include "platform/media/OutputQueue.h"
#include "platform/media/EventCodes.h"
#include "platform/media/FFmpegHandles.h"
#include "platform/media/IReferenceClock.h"
#include "platform/media/dvd/DvdJumpFlush.h"
#include "platform/media/dvd/DvdNavHighlight.h"
#include "platform/media/dvd/DvdNavigator.h"
#include "platform/media/dvd/DvdPictureMap.h"
#include "platform/media/dvd/ISubpictureNavigation.h"
#include "platform/media/dvd/SubpictureAssembler.h"
#include "platform/media/dvd/DvdState.h"
#include "platform/media/dvd/IDvdDeliveredStream.h"
#include "platform/media/dvd/DvdTitleStreams.h"

namespace kavoro::media {
namespace dvdnav_detail {

constexpr int kBlockSize = 2048;
constexpr std::int64_t kNoPts = INT64_MIN;
// Data after a jump is timed this far ahead of the clock, so the decoders have time to fill.
constexpr std::int64_t kResyncLead90k = 90000 / 5;
// How long a call without a command object waits for the streaming thread's answer.
constexpr std::chrono::milliseconds kAnswerWait{500};
// Playback at the disc's own speed.
constexpr double kNormalRate = 1.0;
// A run of read errors searches ahead by this many blocks more at each error: a few searches
// get past a damaged VOBU (some hundred blocks) without passing much that reads.
constexpr std::uint32_t kDamageSkipBlocks = 32;

// The language slot of a stream number the title does not have.
constexpr std::uint16_t kNoStream = 0xffff;

inline REFERENCE_TIME From90k(std::int64_t t) { return t * 1000 / 9; }

// Prohibited user operations as the platform numbers them (the disc's order).
constexpr ULONG UOP_Play_Title_Or_AtTime = 0x1;
constexpr ULONG UOP_Play_Chapter = 0x2;
constexpr ULONG UOP_Play_Title = 0x4;
constexpr ULONG UOP_Stop = 0x8;
constexpr ULONG UOP_ReturnFromSubMenu = 0x10;
constexpr ULONG UOP_Play_Chapter_Or_AtTime = 0x20;
constexpr ULONG UOP_PlayPrev_Chapter = 0x40;
constexpr ULONG UOP_PlayNext_Chapter = 0x80;
constexpr ULONG UOP_Play_Forwards = 0x100;
constexpr ULONG UOP_Play_Backwards = 0x200;
constexpr ULONG UOP_ShowMenu_Title = 0x400;
constexpr ULONG UOP_ShowMenu_Root = 0x800;
constexpr ULONG UOP_Resume = 0x10000;
constexpr ULONG UOP_Select_Or_Activate_Button = 0x20000;
constexpr ULONG UOP_Select_Audio_Stream = 0x100000;
constexpr ULONG UOP_Select_SubPic_Stream = 0x200000;
constexpr ULONG UOP_Select_Angle = 0x400000;

// A DVD command in progress: started when the streaming thread takes it, ended when the new
// place is being read (or at once, for commands that move nowhere).
class DvdCmd final : public ComObject<IDvdCmd> {
 public:
  HRESULT WaitForStart() override {
    std::unique_lock g(m_);
    cv_.wait(g, [&] { return started_ || ended_ || deferred_; });
    if (deferred_ && !ended_) return VFW_E_DVD_GRAPHNOTREADY;
    return aborted_ ? E_ABORT : S_OK;
  }
  HRESULT WaitForEnd() override {
    std::unique_lock g(m_);
    cv_.wait(g, [&] { return ended_ || deferred_; });
    return ended_ ? result_ : VFW_E_DVD_GRAPHNOTREADY;
  }
  HRESULT WaitForEndWithin(DWORD milliseconds) override {
    std::unique_lock g(m_);
    if (!cv_.wait_for(g, std::chrono::milliseconds(milliseconds), [&] { return ended_ || deferred_; }))
      return VFW_E_TIMEOUT;
    return ended_ ? result_ : VFW_E_DVD_GRAPHNOTREADY;
  }
  // Application thread: queued while the streaming thread does not run (no wait may block on
  // it), and no longer once the thread starts and will take it.
  void SetDeferred(bool deferred) {
    std::lock_guard g(m_);
    deferred_ = deferred;
    cv_.notify_all();
  }
  void Start() {
    std::lock_guard g(m_);
    started_ = true;
    cv_.notify_all();
  }
  void End(HRESULT hr) {
    std::lock_guard g(m_);
    if (ended_) return;
    ended_ = true;
    result_ = hr;
    aborted_ = hr == E_ABORT;
    cv_.notify_all();
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool started_ = false;
  bool ended_ = false;
  bool aborted_ = false;
  bool deferred_ = false;
  HRESULT result_ = S_OK;
};

// The navigator reads all streams on one thread; each output delivers from a queue of its own
// (see OutputQueue), so a paused renderer holding its stream never starves the others.
class NavPin final : public AddInterfaces<FixedTypeOutputPin, IDvdDeliveredStream> {
 public:
  using AddInterfaces::AddInterfaces;
  HRESULT GetDeliveredStreamId(ULONG* id) override {
    if (!id) return E_POINTER;
    const int d = delivered.load();
    *id = d < 0 ? 0 : static_cast<ULONG>(d);
    return d < 0 ? S_FALSE : S_OK;
  }
  HRESULT Active() override {
    const HRESULT hr = FixedTypeOutputPin::Active();
    if (SUCCEEDED(hr)) queue.Start();
    return hr;
  }
  HRESULT Inactive() override {
    queue.Stop();
    return FixedTypeOutputPin::Inactive();
  }
  OutputQueue queue{*this};
  bool discontinuity = true;  // streaming thread
  int feeding = -1;           // streaming thread: the id of the stream its units come from
  std::atomic<int> delivered{-1};  // the id of the stream of the last unit delivered
};

struct ParserFreer {
  void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserFreer>;

// Cuts a stream of PES payloads into the units a decoder takes (whole pictures, whole audio
// frames), keeping the time of the first payload byte of each.
struct Framer {
  AVCodecID codec = AV_CODEC_ID_NONE;
  ParserPtr parser;
  CodecContextPtr ctx;
  int pictType = AV_PICTURE_TYPE_NONE;  // of the unit last given out
  void Reset(AVCodecID id) {
    codec = id;
    parser.reset(id == AV_CODEC_ID_NONE ? nullptr : av_parser_init(id));
    ctx.reset(avcodec_alloc_context3(nullptr));
  }
  template <class Out>
  void Feed(const std::uint8_t* data, int size, std::int64_t pts, Out&& out) {
    if (!parser) {
      if (size > 0) out(data, size, pts, true);
      return;
    }
    const std::int64_t in = pts == kNoPts ? AV_NOPTS_VALUE : pts;
    do {
      std::uint8_t* frame = nullptr;
      int frameSize = 0;
      int used = av_parser_parse2(parser.get(), ctx.get(), &frame, &frameSize, data, size, in,
                                  in, 0);
      if (used < 0) return;
      data += used;
      size -= used;
      if (frameSize > 0) {
        const std::int64_t p = parser->pts == AV_NOPTS_VALUE ? kNoPts : parser->pts;
        pictType = parser->pict_type;
        out(frame, frameSize, p,
            codec != AV_CODEC_ID_MPEG2VIDEO || parser->key_frame == 1 ||
                parser->pict_type == AV_PICTURE_TYPE_I);
      }
      if (size == 0 && frameSize == 0 && data != nullptr) break;
      if (data == nullptr) break;  // draining: one call gives what is held
    } while (size > 0);
  }
  template <class Out>
  void Drain(Out&& out) {
    if (parser) Feed(nullptr, 0, kNoPts, out);
  }
};

struct TitleInfo {
  ULONG chapters = 0;
  std::int64_t length90k = 0;
  DvdTitleStreams streams;
};

// The button (from 1) of `pci` whose rectangle holds the point; 0 for none.
// The same test the subpicture decoder draws highlights by.
inline ULONG ButtonAt(const pci_t& pci, POINT p) { return ButtonAtPoint(HighlightFromPci(pci), p); }

}  // namespace dvdnav_detail

using namespace dvdnav_detail;

// What the audio pin offers, and tells with a sample when the coding changes.
AM_MEDIA_TYPE DvdAudioType(AVCodecID codec);

struct DvdNavigator::Impl {
  explicit Impl(DvdNavigator& f) : f(f) {}
  ~Impl() {
    StopThread();
    if (nav) dvdnav_close(nav);
  }

  struct Command {
    std::function<HRESULT()> run;
    ComPtr<DvdCmd> cmd;
    bool moves = false;  // goes somewhere else on the disc: flush and re-time
    bool endsStill = false;  // libdvdnav ends a still itself when the command jumps
    std::uint64_t flush = DvdJumpFlush::kNoFlush;  // the flush it began or joined
  };

  DvdNavigator& f;
  // application thread, set by Open
  std::string path;
  std::string presenceProbe;  // a file that goes when the volume goes
  std::vector<TitleInfo> titles;
  ULONG titleSetCount = 0;
  bool pal = true;
  std::uint64_t discId = 0;  // the disc's identity: its IFO files hashed
  AVCodecID audioCodec = AV_CODEC_ID_AC3;
  NavPin* video = nullptr;
  NavPin* audio = nullptr;
  NavPin* sub = nullptr;
  bool resetOnStop = true;
  bool started = false;  // the navigation has run since Open

  // streaming thread, or the application thread while the thread does not run
  dvdnav_t* nav = nullptr;
  std::thread thread;

  std::mutex m;
  std::condition_variable cv;
  // guarded by m
  bool quit = false;
  std::deque<Command> commands;
  struct Snapshot {
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    ULONG titleSet = 0;  // of a title set menu or a title; 0 elsewhere
    ULONG title = 0;
    ULONG chapter = 0;
    std::int64_t titleLength90k = 0;
    std::int64_t time90k = 0;
    ULONG buttons = 0;
    ULONG button = 0;
    pci_t pci{};
    bool havePci = false;
    ULONG uops = 0;
    std::array<std::uint16_t, 8> audioLang{};
    std::array<std::uint16_t, 32> spuLang{};
    ULONG audioCount = 0;
    ULONG spuCount = 0;
    ULONG audio = 0;
    ULONG spu = 0;
    bool spuOn = false;
    ULONG angle = 1;
    ULONG angles = 1;
    double rate = 1.0;
    bool backward = false;
    bool hmsfEvents = false;
    bool inStill = false;
  } snap;

  // The flush started by the application thread for a command that moves; ended by the
  // streaming thread once it ran the newest such command.
  DvdJumpFlush jumpFlush;

  // streaming thread
  Framer videoFramer, audioFramer;
  SubpictureAssembler spuUnit;
  ComPtr<ISubpictureNavigation> spuSink;  // the subpicture decoder's side channel, or null
  std::optional<bool> spuShownTold;
  std::int64_t offset90k = 0;
  std::int64_t lastVobuEnd = -1;
  std::int64_t lastOutEnd = 0;
  bool resync = true;
  int audioPhysical = 0;
  int currentVts = 0;
  ULONG playingTitle = 0;  // the title last played, from 1
  // The display a 16:9 title is shown on: its subpicture streams may differ with it.
  DvdDisplay display = DvdDisplay::Wide;
  int spuPhysical = 0;
  bool audioUserChoice = false;
  bool spuUserChoice = false;
  AVCodecID deliveredAudioCodec = AV_CODEC_ID_NONE;  // of the units sent so far this run
  std::optional<AM_MEDIA_TYPE> pendingAudioType;     // goes with the next audio sample
  struct Awaiting {
    ComPtr<DvdCmd> cmd;
    bool restore = false;  // SetState's: ends with what the return to the place did
  };
  std::vector<Awaiting> awaiting;  // ran; end once the new place is read
  bool ranRestore = false;  // set by SetState's run, taken by the loop that ran it
  int lastSecond = -1;
  bool stillDeadlineSet = false;
  std::chrono::steady_clock::time_point stillDeadline;
  bool stopped = false;
  // Damaged blocks: a run of read errors began at block skipFrom of the program chain and has
  // skipped skipBlocks past it; readInCell tells whether the cell being read (readCell, from 1;
  // 0 after a jump) gave anything.
  bool readFailing = false;
  int readCell = 0;
  std::uint32_t skipFrom = 0;
  std::uint32_t skipBlocks = 0;
  bool readInCell = false;
  // A saved place being returned to: its streams are chosen at the first packet of the title.
  std::optional<DvdPlace> restoring;
  // Speed and direction. Output time runs from the start of each VOBU (anchorPtm, at
  // anchorPtm + offset90k) at 1/rate of the disc's time. Backward play shows the first key
  // frame of a VOBU, then jumps to backTarget, one step of backStep90k of disc time back.
  double rate = 1.0;
  bool backward = false;
  bool rateSetByCommand = false;  // the running command chose the speed itself
  std::int64_t anchorPtm = 0;
  std::optional<std::uint32_t> backTarget;  // a position for dvdnav_sector_search
  std::int64_t backStep90k = 0;
  bool keyShown = false;

  // ---------------------------------------------------------------------------------------
  HRESULT Open(const std::string& input);
  // The tables of the volume at `path`, and libdvdnav on it.
  HRESULT OpenVolume();
  dvdnav_status_t OpenNav();
  // The streaming thread of a run from stopped; a fresh start reopens the volume first.
  // VFW_E_DVD_INVALID_DISC (and no thread) when it cannot be reopened.
  HRESULT StartThread();
  // The volume's files are gone (the folder removed or renamed, the image deleted).
  bool DiscGone() const;
  void StopThread();
  void Run();
  // Whether subpicture units go out now: to a decoder with the side channel always (it is
  // told when they are shown, and shows forced ones regardless); to anything else only while
  // shown.
  bool TellSubpictureShown();
  // Application thread, m held. The button at a picture point among the buttons on screen:
  // those the subpicture decoder lights when it has them, else the newest packet's.
  ULONG ButtonOnScreen(POINT p) {
    DvdHighlightInfo shown;
    if (spuSink && spuSink->GetShownButtons(&shown) == S_OK) return ButtonAtPoint(shown, p);
    return snap.havePci ? ButtonAt(snap.pci, p) : 0;
  }
  // A command that moves and does not end a still itself has the still skipped first.
  // Skipping a still that the command ends anyway would leave libdvdnav's skip pending for the
  // next still it reaches: a menu called soon after would run straight through to its end.
  HRESULT Post(std::function<HRESULT()> run, bool moves, IDvdCmd** out, bool endsStill = false);
  // Application thread: Post for a call that has no command object, answering what libdvdnav
  // did. S_OK without waiting while the graph is stopped (the call runs with the next run);
  // S_FALSE when the streaming thread has not reached it within kAnswerWait (a delivery it
  // is in holds it; the call still runs).
  HRESULT PostAndAnswer(std::function<HRESULT()> run, bool moves, bool endsStill = false);

  void Event(LONG code, LONG_PTR p1, LONG_PTR p2) { f.NotifyEvent(code, p1, p2); }
  std::vector<NavPin*> Connected() const {
    std::vector<NavPin*> r;
    for (NavPin* p : {video, audio, sub})
      if (p && p->IsConnected()) r.push_back(p);
    return r;
  }
  // Ends the flush under way when `taken` is the newest command that began or joined it.
  void EndFlushIfCovered(std::uint64_t taken);
  // After a read error: a warning at the first error of a run, then a search past the damaged
  // blocks. False when nothing past them can be reached in the program chain.
  bool SkipDamage();
  // A block (or a navigation packet) read whole: the end of a run of read errors once it lies
  // past where the run began.
  void ReadOk(bool navPacket);
  void Deliver(NavPin* pin, const std::uint8_t* data, int size, std::int64_t pts90k, bool sync);
  void DrainVideo();
  void Demux(const std::uint8_t* block, int len);
  void OnPes(int id, int sub, const std::uint8_t* payload, int size, std::int64_t pts);
  void OnNav();
  void UpdatePlace();
  void UpdateStreams();
  // Trick play (DvdNavigatorTrickPlay.cpp): the output time of a disc time, the timing of a
  // new VOBU, which units go out at this speed, and the steps of backward play.
  std::int64_t OutTime(std::int64_t pts90k) const;
  void TimeVobu(std::int64_t start90k, std::int64_t end90k);
  bool PassVideo(bool key, int pictType);
  bool PassAudioAndSubpictures() const { return rate == 1.0 && !backward; }
  void PlanBackStep();
  void StepBack();
  void SetRate(double newRate, bool back);
  // Leaves a still (if one shows) by the VM's own jump to `title`, which libdvdnav ends the
  // still for; title_play and part_play alone would leave it showing.
  void LeaveStillForTitle(ULONG title);
  // The user's choice of stream, told with its event.
  void SwitchAudio(ULONG stream);
  // Streaming thread: calls the video manager's menu (the title menu) or the root menu of
  // title set `titleSet` (0: of the title set playing). False when libdvdnav cannot.
  bool CallMenu(DVD_DOMAIN domain, ULONG titleSet);
  // Streaming thread: the angle `angle` (from 1) of the title playing, told with its event.
  // E_INVALIDARG for an angle it has not got, E_FAIL when libdvdnav refuses.
  HRESULT ChangeAngle(ULONG angle);
  void SwitchSpu(ULONG stream);
  // The streams and angle of the saved place, at its first VOBU: S_OK, or a failure code when
  // the place has not got them.
  HRESULT FinishRestore();
  // After a selection: the highlighted button, told at once (a still reads no more blocks).
  HRESULT Selected(dvdnav_status_t status) {
    // Refused: the button is not there (any more), or the menu was left already.
    if (status != DVDNAV_STATUS_OK) return VFW_E_DVD_NO_BUTTON;
    int32_t b = 0;
    dvdnav_get_current_highlight(nav, &b);
    if (spuSink) spuSink->SetSelectedButton(static_cast<ULONG>(b), 0);
    ULONG buttons;
    bool changed;
    {
      std::lock_guard g(m);
      changed = snap.button != static_cast<ULONG>(b);
      snap.button = static_cast<ULONG>(b);
      buttons = snap.buttons;
    }
    if (changed) Event(EC_DVD_BUTTON_CHANGE, static_cast<LONG_PTR>(buttons), b);
    return S_OK;
  }
  // After an activation: the button is drawn in its action colours until the navigation
  // moves on (the next navigation packet or highlight tells the selection again).
  void Activated(ULONG button) {
    if (spuSink && button) spuSink->SetSelectedButton(button, 1);
  }
  // Ends the commands that ran and waited for the new place; a return to a saved place ends
  // with what returning did (`restored`).
  void EndAwaiting(HRESULT hr, HRESULT restored = S_OK) {
    for (auto& c : awaiting) c.cmd->End(c.restore && SUCCEEDED(hr) ? restored : hr);
    awaiting.clear();
  }
  // Streaming thread. The streams of the title playing (null before the first title), and the
  // stream number in the VOBs that plays a logical stream of it (-1 for none): audio 0..7, the
  // low bits of its id; subpictures 0..31 for the display in force.
  const DvdTitleStreams* PlayingStreams() const;
  int PhysicalAudioFor(ULONG logical) const;
  int PhysicalSpuFor(ULONG logical) const;
  std::int64_t StreamNow90k() {
    if (f.State() != State_Running) return 0;
    ComPtr<IReferenceClock> clock = f.Clock();
    REFERENCE_TIME t = 0;
    if (!clock || FAILED(clock->GetTime(&t))) return 0;
    return (t - f.StartTime()) * 9 / 1000;
  }
};

}  // namespace kavoro::media
