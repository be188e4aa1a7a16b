#include "platform/media/dvd/DvdNavigator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

extern "C" {
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
}

#include "platform/media/dvd/DvdLanguages.h"
#include "platform/media/dvd/DvdNavigatorImpl.h"
#include "platform/media/dvd/DvdPlayback.h"
#include "platform/os/Platform.h"

namespace kavoro::media {
namespace {

ULONG UopsFrom(const user_ops_t& u) {
  const unsigned bits[] = {u.title_or_time_play,     u.chapter_search_or_play,
                           u.title_play,             u.stop,
                           u.go_up,                  u.time_or_chapter_search,
                           u.prev_or_top_pg_search,  u.next_pg_search,
                           u.forward_scan,           u.backward_scan,
                           u.title_menu_call,        u.root_menu_call,
                           u.subpic_menu_call,       u.audio_menu_call,
                           u.angle_menu_call,        u.chapter_menu_call,
                           u.resume,                 u.button_select_or_activate,
                           u.still_off,              u.pause_on,
                           u.audio_stream_change,    u.subpic_stream_change,
                           u.angle_change,           u.karaoke_audio_pres_mode_change,
                           u.video_pres_mode_change};
  ULONG r = 0;
  for (unsigned i = 0; i < std::size(bits); ++i)
    if (bits[i]) r |= 1u << i;
  return r;
}

bool EndsWithNoCase(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char a = s[s.size() - n + i], b = tail[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

bool IsDir(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool IsFile(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

// -----------------------------------------------------------------------------------------
// Opening

HRESULT DvdNavigator::Impl::Open(const std::string& input) {
  if (input.empty()) return E_INVALIDARG;
  std::string p = input;
  if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
    auto r = os::Os().Drives().Resolve(p);
    if (!r) return VFW_E_DVD_INVALID_DISC;
    switch (r->medium) {
      case os::DriveMedium::Folder:
        p = r->native + (r->relative.empty() ? "" : "/" + r->relative);
        break;
      case os::DriveMedium::Image:
        p = r->native;  // the part below the root names a file inside the image
        break;
      case os::DriveMedium::OpticalDisc:
        p = r->mountPoint.empty() ? r->native
                                  : r->mountPoint + (r->relative.empty() ? "" : "/" + r->relative);
        break;
    }
  }
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  if (IsFile(p) && EndsWithNoCase(p, ".IFO")) {
    p = p.substr(0, p.find_last_of('/') == std::string::npos ? 0 : p.find_last_of('/'));
    if (p.empty()) p = ".";
  }
  if (IsDir(p)) {
    if (EndsWithNoCase(p, "VIDEO_TS")) {
      if (!IsFile(p + "/VIDEO_TS.IFO") && !IsFile(p + "/video_ts.ifo")) return VFW_E_DVD_INVALID_DISC;
    } else if (!IsFile(p + "/VIDEO_TS/VIDEO_TS.IFO") && !IsFile(p + "/video_ts/video_ts.ifo")) {
      return VFW_E_DVD_INVALID_DISC;
    }
  } else if (!IsFile(p) && p.rfind("/dev/", 0) != 0) {
    return VFW_E_DVD_INVALID_DISC;
  }

  path = p;
  // A file the volume cannot be without: the main table of a folder, the image itself.
  if (IsDir(p)) {
    const std::string ts = EndsWithNoCase(p, "VIDEO_TS") ? p : p + "/VIDEO_TS";
    presenceProbe = IsFile(ts + "/VIDEO_TS.IFO") ? ts + "/VIDEO_TS.IFO" : ts + "/video_ts.ifo";
  } else {
    presenceProbe = p;
  }
  return OpenVolume();
}

dvdnav_status_t DvdNavigator::Impl::OpenNav() { return dvdnav_open(&nav, path.c_str()); }

HRESULT DvdNavigator::Impl::OpenVolume() {
  // The disc's tables, read once here: titles and chapters, the picture standard and the
  // coding of the first title's first audio stream (the one the audio pin offers).
  dvd_reader_t* dvd = DVDOpen(path.c_str());
  if (!dvd) return VFW_E_DVD_INVALID_DISC;
  ifo_handle_t* vmg = ifoOpen(dvd, 0);
  if (!vmg || !vmg->tt_srpt || vmg->tt_srpt->nr_of_srpts == 0) {
    if (vmg) ifoClose(vmg);
    DVDClose(dvd);
    return VFW_E_DVD_INVALID_DISC;
  }
  // The identity is libdvdread's hash of the IFO files (16 bytes); its first 8 are plenty to
  // tell discs apart.
  unsigned char hash[16] = {};
  discId = 0;
  if (DVDDiscID(dvd, hash) == 0)
    for (int i = 0; i < 8; ++i) discId |= static_cast<std::uint64_t>(hash[i]) << (8 * i);
  titles.clear();
  for (unsigned i = 0; i < vmg->tt_srpt->nr_of_srpts; ++i) {
    TitleInfo t;
    t.chapters = vmg->tt_srpt->title[i].nr_of_ptts;
    titles.push_back(std::move(t));
  }
  const int vtsOfFirst = vmg->tt_srpt->title[0].title_set_nr;
  const int vtsCount = vmg->vmgi_mat ? vmg->vmgi_mat->vmg_nr_of_title_sets : 0;
  ifoClose(vmg);
  titleSetCount = vtsCount > 0 ? static_cast<ULONG>(vtsCount) : 0;
  const std::vector<DvdTitleStreams> streams = ReadDvdTitleStreams(dvd);
  for (std::size_t i = 0; i < titles.size() && i < streams.size(); ++i) titles[i].streams = streams[i];
  // The display shape of the first title set's pictures (the video attributes' code 3 is
  // 16:9, every other 4:3), for the video pin's type.
  constexpr unsigned kWideDisplayCode = 3;
  constexpr AVRational kWideDisplay{16, 9}, kNormalDisplay{4, 3};
  bool wide = false;
  if (ifo_handle_t* vts = ifoOpen(dvd, vtsOfFirst)) {
    if (vts->vtsi_mat) {
      pal = vts->vtsi_mat->vts_video_attr.video_format == 1;
      wide = vts->vtsi_mat->vts_video_attr.display_aspect_ratio == kWideDisplayCode;
      if (vts->vtsi_mat->nr_of_vts_audio_streams > 0) {
        switch (vts->vtsi_mat->vts_audio_attr[0].audio_format) {
          case 0: audioCodec = AV_CODEC_ID_AC3; break;
          case 2:
          case 3: audioCodec = AV_CODEC_ID_MP2; break;
          case 4: audioCodec = AV_CODEC_ID_PCM_DVD; break;
          case 6: audioCodec = AV_CODEC_ID_DTS; break;
          default: break;
        }
      }
    }
    ifoClose(vts);
  }
  DVDClose(dvd);

  if (OpenNav() != DVDNAV_STATUS_OK) {
    nav = nullptr;
    return VFW_E_DVD_INVALID_DISC;
  }
  dvdnav_set_readahead_flag(nav, 1);
  dvdnav_set_PGC_positioning_flag(nav, 1);
  for (std::size_t t = 0; t < titles.size(); ++t) {
    uint64_t* times = nullptr;
    uint64_t duration = 0;
    if (dvdnav_describe_title_chapters(nav, static_cast<int32_t>(t + 1), &times, &duration) > 0)
      titles[t].length90k = static_cast<std::int64_t>(duration);
    std::free(times);
  }
  dvdnav_menu_language_select(nav, const_cast<char*>("en"));
  dvdnav_audio_language_select(nav, const_cast<char*>("en"));
  dvdnav_spu_language_select(nav, const_cast<char*>("en"));

  AVCodecParameters* vp = avcodec_parameters_alloc();
  vp->codec_type = AVMEDIA_TYPE_VIDEO;
  vp->codec_id = AV_CODEC_ID_MPEG2VIDEO;
  vp->width = 720;
  vp->height = pal ? 576 : 480;
  // The pixel shape that gives the display shape; the stream's own sequence headers
  // (told by the decoder with each picture) still have the last word.
  const AVRational display = wide ? kWideDisplay : kNormalDisplay;
  av_reduce(&vp->sample_aspect_ratio.num, &vp->sample_aspect_ratio.den,
            static_cast<std::int64_t>(display.num) * vp->height,
            static_cast<std::int64_t>(display.den) * vp->width, INT32_MAX);
  video = f.MakePin<NavPin>(f, "Video", TypeFromParameters(*vp), 8, 512 * 1024);
  avcodec_parameters_free(&vp);

  audio = f.MakePin<NavPin>(f, "Audio", DvdAudioType(audioCodec), 16, 64 * 1024);

  AVCodecParameters* sp = avcodec_parameters_alloc();
  sp->codec_type = AVMEDIA_TYPE_SUBTITLE;
  sp->codec_id = AV_CODEC_ID_DVD_SUBTITLE;
  sp->width = 720;
  sp->height = pal ? 576 : 480;
  AM_MEDIA_TYPE st = TypeFromParameters(*sp);
  st.majortype = MEDIATYPE_Subpicture;
  sub = f.MakePin<NavPin>(f, "SubPicture", std::move(st), 4, 64 * 1024);
  avcodec_parameters_free(&sp);
  return S_OK;
}

// -----------------------------------------------------------------------------------------
// The streaming thread

HRESULT DvdNavigator::Impl::StartThread() {
  if (!nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (started && resetOnStop) {
    // A fresh start from the disc's first play.
    dvdnav_close(nav);
    nav = nullptr;
    // A volume whose main file is gone is not handed to the library (whose failed open keeps
    // an allocation of its own).
    if (DiscGone() || OpenNav() != DVDNAV_STATUS_OK) {
      // The volume went away while stopped: the run fails, and so does every command after.
      nav = nullptr;
      Event(EC_DVD_DISC_EJECTED, 0, 0);
      return VFW_E_DVD_INVALID_DISC;
    }
    dvdnav_set_readahead_flag(nav, 1);
    dvdnav_set_PGC_positioning_flag(nav, 1);
    audioUserChoice = spuUserChoice = false;
  }
  started = true;
  {
    std::lock_guard g(m);
    quit = false;
  }
  videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
  audioFramer.Reset(audioCodec == AV_CODEC_ID_PCM_DVD ? AV_CODEC_ID_NONE : audioCodec);
  // The decoder may have been told of another coding in the last run: the first unit tells it.
  deliveredAudioCodec = AV_CODEC_ID_NONE;
  // Each run starts at normal speed.
  rate = 1.0;
  backward = false;
  backTarget.reset();
  {
    std::lock_guard g(m);
    snap.rate = 1.0;
    snap.backward = false;
  }
  spuUnit.Reset();
  resync = true;
  lastOutEnd = 0;
  lastVobuEnd = -1;
  stopped = false;
  readFailing = readInCell = false;
  readCell = 0;
  for (NavPin* p : Connected()) {
    p->queue.DeliverNewSegment(0, INT64_MAX, 1.0);
    p->discontinuity = true;
    p->delivered.store(-1);
  }
  spuSink.Reset();
  spuShownTold.reset();
  if (sub && sub->IsConnected())
    sub->Peer()->QueryInterface(IIDOf<ISubpictureNavigation>(), spuSink.PutVoid());
  {
    std::lock_guard g(m);
    for (auto& c : commands)
      if (c.cmd) c.cmd->SetDeferred(false);
  }
  thread = std::thread([this] { Run(); });
  return S_OK;
}

void DvdNavigator::Impl::StopThread() {
  {
    std::lock_guard g(m);
    quit = true;
  }
  cv.notify_all();
  if (thread.joinable()) thread.join();
  std::deque<Command> dropped;
  {
    std::lock_guard g(m);
    dropped.swap(commands);
    snap.domain = DVD_DOMAIN_Stop;
    snap.inStill = false;
  }
  for (auto& c : dropped)
    if (c.cmd) c.cmd->End(E_ABORT);
  restoring.reset();
  EndAwaiting(E_ABORT);
  jumpFlush.Abort([&] {
    for (NavPin* p : Connected()) p->queue.EndFlush();
  });
}

void DvdNavigator::Impl::EndFlushIfCovered(std::uint64_t taken) {
  jumpFlush.EndIfCovered(taken, [&] {
    for (NavPin* p : Connected()) {
      p->queue.EndFlush();
      p->queue.DeliverNewSegment(0, INT64_MAX, 1.0);
      p->discontinuity = true;
    }
  });
}

void DvdNavigator::Impl::UpdatePlace() {
  DVD_DOMAIN domain = DVD_DOMAIN_Stop;
  if (dvdnav_is_domain_fp(nav)) domain = DVD_DOMAIN_FirstPlay;
  else if (dvdnav_is_domain_vmgm(nav)) domain = DVD_DOMAIN_VideoManagerMenu;
  else if (dvdnav_is_domain_vtsm(nav)) domain = DVD_DOMAIN_VideoTitleSetMenu;
  else if (dvdnav_is_domain_vts(nav)) domain = DVD_DOMAIN_Title;
  int32_t title = 0, part = 0;
  dvdnav_current_title_info(nav, &title, &part);
  ULONG newTitle = domain == DVD_DOMAIN_Title && title > 0 ? static_cast<ULONG>(title) : 0;
  ULONG newChapter = domain == DVD_DOMAIN_Title && part > 0 ? static_cast<ULONG>(part) : 0;
  const std::int64_t length =
      newTitle && newTitle <= titles.size() ? titles[newTitle - 1].length90k : 0;
  if (domain == DVD_DOMAIN_Title && title > 0) playingTitle = static_cast<ULONG>(title);
  DVD_DOMAIN old;
  ULONG oldTitle, oldChapter;
  {
    std::lock_guard g(m);
    old = snap.domain;
    oldTitle = snap.title;
    oldChapter = snap.chapter;
    snap.domain = domain;
    snap.titleSet = domain == DVD_DOMAIN_VideoTitleSetMenu || domain == DVD_DOMAIN_Title
                        ? static_cast<ULONG>(std::max(currentVts, 0))
                        : 0;
    snap.title = newTitle;
    snap.chapter = newChapter;
    snap.titleLength90k = length;
  }
  // The streams of the new place are known before anyone hears of it.
  if (domain != old || newTitle != oldTitle) UpdateStreams();
  // Menus play at normal speed.
  if (domain != old && domain != DVD_DOMAIN_Title && (rate != 1.0 || backward))
    SetRate(1.0, false);
  if (domain != old) Event(EC_DVD_DOMAIN_CHANGE, domain, 0);
  if (newTitle && newTitle != oldTitle) Event(EC_DVD_TITLE_CHANGE, static_cast<LONG_PTR>(newTitle), 0);
  if (newChapter && (newChapter != oldChapter || newTitle != oldTitle))
    Event(EC_DVD_CHAPTER_START, static_cast<LONG_PTR>(newChapter), 0);
}

bool DvdNavigator::Impl::TellSubpictureShown() {
  bool shown;
  {
    std::lock_guard g(m);
    shown = snap.domain != DVD_DOMAIN_Title || snap.spuOn;
  }
  if (!spuSink) return shown;
  if (spuShownTold != shown) spuSink->SetSubpictureShown(shown ? 1 : 0);
  spuShownTold = shown;
  return true;
}

void DvdNavigator::Impl::OnNav() {
  // The place first, so that a new domain is told before the buttons of its first block.
  UpdatePlace();
  pci_t* pci = dvdnav_get_current_nav_pci(nav);
  if (!pci) return;
  // Timing: the output time runs on across VOBUs that follow each other; a jump in the
  // disc's time is closed up, and after a flush or a still the time restarts at the clock.
  const std::int64_t s = pci->pci_gi.vobu_s_ptm, e = pci->pci_gi.vobu_e_ptm;
  // A jump in the disc's time at normal speed (the end of a title calling a menu, a link to
  // another program chain): what the framers hold belongs to the old place. The held picture
  // goes out with the old place's timing, and a partial audio frame is dropped; stamped with the
  // new place's offset they would lie as far in the future as the old place's time, and the
  // renderers would hold everything behind them that long.
  if (lastVobuEnd >= 0 && s != lastVobuEnd && !resync && !backward && rate == kNormalRate) {
    DrainVideo();
    audioFramer.Reset(audioFramer.codec);
  }
  TimeVobu(s, e);
  if (spuSink)
    spuSink->SetHighlight(From90k(s + offset90k), From90k(e + offset90k), HighlightFromPci(*pci));

  const ULONG uops = UopsFrom(dvdnav_get_restrictions(nav));
  int32_t button = 0;
  dvdnav_get_current_highlight(nav, &button);
  const ULONG buttons = pci->hli.hl_gi.hli_ss ? (pci->hli.hl_gi.btn_ns & 0x3F) : 0;
  const std::int64_t now = dvdnav_get_current_time(nav);
  if (spuSink) spuSink->SetSelectedButton(buttons ? static_cast<ULONG>(button) : 0, 0);
  TellSubpictureShown();
  int32_t angle = 1, angles = 1;
  dvdnav_get_angle_info(nav, &angle, &angles);
  bool uopsChanged, buttonsChanged, hmsf;
  std::int64_t length;
  DVD_DOMAIN domain;
  {
    std::lock_guard g(m);
    uopsChanged = uops != snap.uops;
    buttonsChanged = buttons != snap.buttons || (buttons && static_cast<ULONG>(button) != snap.button);
    snap.uops = uops;
    snap.buttons = buttons;
    snap.button = buttons ? static_cast<ULONG>(button) : 0;
    snap.pci = *pci;
    snap.havePci = true;
    snap.time90k = now;
    snap.angle = angle > 0 ? static_cast<ULONG>(angle) : 1;
    snap.angles = angles > 0 ? static_cast<ULONG>(angles) : 1;
    hmsf = snap.hmsfEvents;
    domain = snap.domain;
    length = snap.titleLength90k;
  }
  if (uopsChanged) Event(EC_DVD_VALID_UOPS_CHANGE, static_cast<LONG_PTR>(uops), 0);
  if (buttonsChanged)
    Event(EC_DVD_BUTTON_CHANGE, static_cast<LONG_PTR>(buttons), buttons ? button : 0);
  if (domain == DVD_DOMAIN_Title && now >= 0) {
    const int second = static_cast<int>(now / 90000);
    if (second != lastSecond) {
      lastSecond = second;
      if (hmsf && (length <= 0 || now <= length)) {
        DVD_HMSF_TIMECODE t;
        t.bHours = static_cast<std::uint8_t>(second / 3600);
        t.bMinutes = static_cast<std::uint8_t>(second / 60 % 60);
        t.bSeconds = static_cast<std::uint8_t>(second % 60);
        t.bFrames = static_cast<std::uint8_t>((now % 90000) * (pal ? 25 : 30) / 90000);
        Event(EC_DVD_CURRENT_HMSF_TIME, static_cast<LONG_PTR>(HmsfToParam(t)),
              pal ? DVD_TC_FLAG_25fps : DVD_TC_FLAG_30fps);
      }
    }
  } else {
    lastSecond = -1;
  }
  HRESULT restored = S_OK;
  if (restoring && (restoring->domain != DVD_DOMAIN_Title || domain == DVD_DOMAIN_Title))
    restored = FinishRestore();
  EndAwaiting(S_OK, restored);
}

void DvdNavigator::Impl::Run() {
  // The stream parsers read a little past the end of what they are given; the padding keeps
  // those reads inside the buffer (and zero, as they expect).
  std::vector<std::uint8_t> buffer(kBlockSize + AV_INPUT_BUFFER_PADDING_SIZE);
  for (;;) {
    std::deque<Command> todo;
    {
      std::unique_lock g(m);
      if (quit) return;
      todo.swap(commands);
      if (todo.empty()) {
        const bool waitForever = stopped || (snap.inStill && !stillDeadlineSet);
        if (waitForever) {
          cv.wait(g, [&] { return quit || !commands.empty(); });
          continue;
        }
        if (snap.inStill) {
          if (cv.wait_until(g, stillDeadline, [&] { return quit || !commands.empty(); }))
            continue;
        }
      }
    }
    bool moved = false;
    std::uint64_t taken = DvdJumpFlush::kNoFlush;
    for (Command& c : todo) {
      taken = std::max(taken, c.flush);
      if (c.cmd) c.cmd->Start();
      bool still;
      {
        std::lock_guard g(m);
        still = snap.inStill;
      }
      if (c.moves && still && !c.endsStill) dvdnav_still_skip(nav);
      const HRESULT hr = c.run();
      const bool restore = std::exchange(ranRestore, false);
      if (c.moves && SUCCEEDED(hr)) {
        moved = true;
        stopped = false;
        if (c.cmd) awaiting.push_back({c.cmd, restore});
      } else if (c.cmd) {
        c.cmd->End(hr);
      }
    }
    if (moved) {
      bool wasStill;
      {
        std::lock_guard g(m);
        wasStill = snap.inStill;
        snap.inStill = false;
      }
      stillDeadlineSet = false;
      if (wasStill) Event(EC_DVD_STILL_OFF, 0, 0);
      videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
      audioFramer.Reset(audioFramer.codec);
      spuUnit.Reset();
      resync = true;
      lastOutEnd = 0;
      readFailing = false;
      readCell = 0;
      // A jump elsewhere resumes normal play, unless the command set the speed itself.
      if (!rateSetByCommand && (rate != 1.0 || backward)) SetRate(1.0, false);
    }
    rateSetByCommand = false;
    EndFlushIfCovered(taken);
    if (stopped) continue;

    bool still;
    {
      std::lock_guard g(m);
      still = snap.inStill;
    }
    if (still) {
      // Stay on the still (the top of the loop waits) unless a timed one ran out.
      if (!stillDeadlineSet || std::chrono::steady_clock::now() < stillDeadline) continue;
      {
        std::lock_guard g(m);
        snap.inStill = false;
      }
      stillDeadlineSet = false;
      dvdnav_still_skip(nav);
      resync = true;
      Event(EC_DVD_STILL_OFF, 0, 0);
    }

    int32_t event = 0, len = 0;
    if (dvdnav_get_next_block(nav, buffer.data(), &event, &len) != DVDNAV_STATUS_OK) {
      if (DiscGone()) {
        Event(EC_DVD_DISC_EJECTED, 0, 0);
      } else if (SkipDamage()) {
        continue;
      } else {
        Event(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
      }
      event = DVDNAV_STOP;
    } else if (event == DVDNAV_NAV_PACKET && DiscGone()) {
      // Files already open still read after the volume went away: each VOBU asks.
      Event(EC_DVD_DISC_EJECTED, 0, 0);
      event = DVDNAV_STOP;
    } else if (event == DVDNAV_CELL_CHANGE) {
      // A search within the cell tells the same cell again. Read errors all through the cell
      // just left: nothing of it could be played.
      const int cell = reinterpret_cast<dvdnav_cell_change_event_t*>(buffer.data())->cellN;
      if (cell != readCell) {
        if (readFailing && !readInCell) {
          Event(EC_DVD_ERROR, DVD_ERROR_Unexpected, 0);
          event = DVDNAV_STOP;
        }
        readInCell = false;
        readCell = cell;
      }
    } else if (event == DVDNAV_BLOCK_OK || event == DVDNAV_NAV_PACKET) {
      ReadOk(event == DVDNAV_NAV_PACKET);
      // What is read again after a search that landed before the damage went out already.
      if (readFailing) continue;
    }
    switch (event) {
      case DVDNAV_BLOCK_OK:
        Demux(buffer.data(), len);
        if (backward && keyShown && backTarget) StepBack();
        break;
      case DVDNAV_NAV_PACKET:
        // Backward play that read into the next VOBU found no key frame: on to the next step.
        if (backward && backTarget) {
          StepBack();
          break;
        }
        OnNav();
        break;
      case DVDNAV_STILL_FRAME: {
        const int length = reinterpret_cast<dvdnav_still_event_t*>(buffer.data())->length;
        ULONG buttons;
        {
          std::lock_guard g(m);
          snap.inStill = true;
          buttons = snap.buttons;
        }
        DrainVideo();
        Event(EC_DVD_STILL_ON, buttons ? 0 : 1, length >= 255 ? -1 : length);
        if (length < 255) {
          stillDeadlineSet = true;
          stillDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(length);
        } else {
          stillDeadlineSet = false;
        }
        resync = true;
        EndAwaiting(S_OK);
        break;
      }
      case DVDNAV_WAIT:
        dvdnav_wait_skip(nav);
        break;
      case DVDNAV_CELL_CHANGE: {
        UpdatePlace();
        UpdateStreams();
        break;
      }
      case DVDNAV_VTS_CHANGE:
        currentVts = reinterpret_cast<dvdnav_vts_change_event_t*>(buffer.data())->new_vtsN;
        audioUserChoice = spuUserChoice = false;
        UpdatePlace();
        UpdateStreams();
        break;
      case DVDNAV_AUDIO_STREAM_CHANGE:
      case DVDNAV_SPU_STREAM_CHANGE:
        UpdateStreams();
        break;
      case DVDNAV_SPU_CLUT_CHANGE:
        if (spuSink) {
          DvdPalette clut;
          std::memcpy(clut.data(), buffer.data(), sizeof clut);
          spuSink->SetPalette(clut);
        }
        break;
      case DVDNAV_HIGHLIGHT: {
        auto* h = reinterpret_cast<dvdnav_highlight_event_t*>(buffer.data());
        if (spuSink) spuSink->SetSelectedButton(h->buttonN, 0);
        // The count from the newest PCI: the snapshot may still hold the last place's.
        const pci_t* pci = dvdnav_get_current_nav_pci(nav);
        const ULONG buttons = pci && pci->hli.hl_gi.hli_ss ? (pci->hli.hl_gi.btn_ns & 0x3F) : 0;
        bool changed;
        {
          std::lock_guard g(m);
          changed = snap.button != h->buttonN || snap.buttons != buttons;
          snap.button = h->buttonN;
          snap.buttons = buttons;
        }
        if (changed) Event(EC_DVD_BUTTON_CHANGE, static_cast<LONG_PTR>(buttons), h->buttonN);
        break;
      }
      case DVDNAV_HOP_CHANNEL:
        videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
        audioFramer.Reset(audioFramer.codec);
        spuUnit.Reset();
        break;
      case DVDNAV_STOP: {
        videoFramer.Drain([&](const std::uint8_t* d, int n, std::int64_t p, bool k) {
          Deliver(video, d, n, p, k);
        });
        stopped = true;
        DVD_DOMAIN old;
        {
          std::lock_guard g(m);
          old = snap.domain;
          snap.domain = DVD_DOMAIN_Stop;
          snap.title = snap.chapter = 0;
          snap.buttons = snap.button = 0;
          snap.havePci = false;
        }
        if (old != DVD_DOMAIN_Stop) Event(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
        Event(EC_DVD_PLAYBACK_STOPPED, 0, 0);
        for (NavPin* p : Connected()) p->queue.DeliverEndOfStream();
        EndAwaiting(S_OK);
        break;
      }
      default:
        break;
    }
  }
}

bool DvdNavigator::Impl::SkipDamage() {
  uint32_t pos = 0, length = 0;
  if (dvdnav_get_position(nav, &pos, &length) != DVDNAV_STATUS_OK) return false;
  if (!readFailing) {
    readFailing = true;
    skipFrom = pos;
    skipBlocks = 0;
    Event(EC_DVD_WARNING, DVD_WARNING_Read, 0);
  }
  skipBlocks += kDamageSkipBlocks;
  if (static_cast<std::uint64_t>(skipFrom) + skipBlocks >= length) return false;
  // What the framers hold ends at the damage.
  videoFramer.Reset(AV_CODEC_ID_MPEG2VIDEO);
  audioFramer.Reset(audioFramer.codec);
  spuUnit.Reset();
  return dvdnav_sector_search(nav, static_cast<int64_t>(skipFrom + skipBlocks), SEEK_SET) ==
         DVDNAV_STATUS_OK;
}

void DvdNavigator::Impl::ReadOk(bool navPacket) {
  if (!readFailing) {
    readInCell = true;
    return;
  }
  // A search lands on the VOBU that holds its target, which may lie before the damage.
  uint32_t pos = 0, length = 0;
  if (navPacket && dvdnav_get_position(nav, &pos, &length) == DVDNAV_STATUS_OK && pos > skipFrom) {
    readFailing = false;
    readInCell = true;
  }
}

bool DvdNavigator::Impl::DiscGone() const {
  // A block device stays; its medium going shows as read errors.
  if (presenceProbe.rfind("/dev/", 0) == 0) return false;
  return !IsFile(presenceProbe);
}

HRESULT DvdNavigator::Impl::Post(std::function<HRESULT()> run, bool moves, IDvdCmd** out,
                                 bool endsStill) {
  if (out) *out = nullptr;
  if (!nav) return VFW_E_DVD_GRAPHNOTREADY;
  ComPtr<DvdCmd> cmd = MakeCom<DvdCmd>();
  std::uint64_t flush = DvdJumpFlush::kNoFlush;
  if (moves && f.State() != State_Stopped) {
    flush = jumpFlush.Begin([&] {
      for (NavPin* p : Connected()) p->queue.BeginFlush();
    });
  }
  {
    std::lock_guard g(m);
    if (!thread.joinable()) cmd->SetDeferred(true);
    commands.push_back({std::move(run), cmd, moves, endsStill, flush});
  }
  cv.notify_all();
  if (out) {
    cmd->AddRef();
    *out = cmd.Get();
  }
  return S_OK;
}

HRESULT DvdNavigator::Impl::PostAndAnswer(std::function<HRESULT()> run, bool moves,
                                          bool endsStill) {
  struct Answer {
    std::mutex m;
    std::condition_variable cv;
    std::optional<HRESULT> hr;
  };
  auto answer = std::make_shared<Answer>();
  bool deferred;
  {
    std::lock_guard g(m);
    deferred = !thread.joinable();
  }
  const HRESULT posted = Post(
      [answer, run = std::move(run)] {
        const HRESULT hr = run();
        std::lock_guard g(answer->m);
        answer->hr = hr;
        answer->cv.notify_all();
        return hr;
      },
      moves, nullptr, endsStill);
  if (FAILED(posted) || deferred) return posted;
  std::unique_lock g(answer->m);
  if (!answer->cv.wait_for(g, kAnswerWait, [&] { return answer->hr.has_value(); })) return S_FALSE;
  return *answer->hr;
}

// -----------------------------------------------------------------------------------------

DvdNavigator::DvdNavigator()
    : AddInterfaces(CLSID_KavoroDvdNavigator), impl_(std::make_unique<Impl>(*this)) {}

DvdNavigator::~DvdNavigator() { impl_.reset(); }

HRESULT DvdNavigator::Open(const std::string& path) {
  if (impl_->nav) return E_UNEXPECTED;
  if (State() != State_Stopped) return VFW_E_NOT_STOPPED;
  return impl_->Open(path);
}

IPin* DvdNavigator::OutputPin(Output which) {
  switch (which) {
    case Output::Video: return impl_->video;
    case Output::Audio: return impl_->audio;
    case Output::Subpicture: return impl_->sub;
  }
  return nullptr;
}

HRESULT DvdNavigator::OnPause(FILTER_STATE from) {
  return from == State_Stopped ? impl_->StartThread() : S_OK;
}

HRESULT DvdNavigator::OnStop() {
  impl_->StopThread();
  return S_OK;
}

}  // namespace kavoro::media
