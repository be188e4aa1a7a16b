// IDvdControl2 of the navigator: each call checks what it can on the application thread and
// posts the rest to the streaming thread.
#include "platform/media/dvd/DvdLanguages.h"
#include "platform/media/dvd/DvdNavigatorImpl.h"

namespace kavoro::media {

namespace {
HRESULT Result(dvdnav_status_t s) { return s == DVDNAV_STATUS_OK ? S_OK : E_FAIL; }
// A button call libdvdnav refuses: the button is not on screen (any more).
HRESULT ButtonResult(dvdnav_status_t s) { return s == DVDNAV_STATUS_OK ? S_OK : VFW_E_DVD_NO_BUTTON; }

// The domain checks of commands that work only in a title, or only in a menu.
HRESULT NeedTitle(DvdNavigator::Impl* i) {
  std::lock_guard g(i->m);
  return i->snap.domain == DVD_DOMAIN_Title ? S_OK : VFW_E_DVD_INVALIDDOMAIN;
}
HRESULT NeedMenu(DvdNavigator::Impl* i) {
  std::lock_guard g(i->m);
  return i->snap.domain == DVD_DOMAIN_Title || i->snap.domain == DVD_DOMAIN_Stop
             ? VFW_E_DVD_INVALIDDOMAIN
             : S_OK;
}

// The button on screen at a picture point, for a command that selects or activates it.
HRESULT ButtonForPoint(DvdNavigator::Impl* i, POINT point, ULONG* button) {
  {
    std::lock_guard g(i->m);
    *button = i->ButtonOnScreen(point);
    if (*button && (i->snap.uops & UOP_Select_Or_Activate_Button))
      return VFW_E_DVD_OPERATION_INHIBITED;
  }
  return *button ? S_OK : VFW_E_DVD_NO_BUTTON;
}
}  // namespace

#define KAVORO_DVD_CHECK_UOP(bit)                      \
  do {                                                 \
    std::lock_guard g_(impl_->m);                      \
    if (impl_->snap.uops & (bit)) return VFW_E_DVD_OPERATION_INHIBITED; \
  } while (0)

HRESULT DvdNavigator::PlayTitle(ULONG title, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (title < 1 || title > impl_->titles.size()) return E_INVALIDARG;
  KAVORO_DVD_CHECK_UOP(UOP_Play_Title);
  Impl* i = impl_.get();
  return i->Post(
      [i, title] {
        i->LeaveStillForTitle(title);
        return Result(dvdnav_title_play(i->nav, static_cast<int32_t>(title)));
      },
      true, cmd, true);
}

HRESULT DvdNavigator::PlayChapterInTitle(ULONG title, ULONG chapter, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (title < 1 || title > impl_->titles.size() || chapter < 1 ||
      chapter > impl_->titles[title - 1].chapters)
    return E_INVALIDARG;
  KAVORO_DVD_CHECK_UOP(UOP_Play_Chapter);
  Impl* i = impl_.get();
  return i->Post(
      [i, title, chapter] {
        i->LeaveStillForTitle(title);
        return Result(dvdnav_part_play(i->nav, static_cast<int32_t>(title),
                                       static_cast<int32_t>(chapter)));
      },
      true, cmd, true);
}

HRESULT DvdNavigator::PlayAtTime(const DVD_HMSF_TIMECODE* time, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!time) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::int64_t length;
  ULONG title;
  {
    std::lock_guard g(impl_->m);
    if (impl_->snap.domain != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (impl_->snap.uops & UOP_Play_Chapter_Or_AtTime) return VFW_E_DVD_OPERATION_INHIBITED;
    length = impl_->snap.titleLength90k;
    title = impl_->snap.title;
  }
  const int fps = impl_->pal ? 25 : 30;
  if (time->bMinutes > 59 || time->bSeconds > 59 || time->bFrames >= fps) return E_INVALIDARG;
  const std::int64_t t = (static_cast<std::int64_t>(time->bHours) * 3600 + time->bMinutes * 60 +
                          time->bSeconds) * 90000 + time->bFrames * 90000 / fps;
  if (t >= length) return E_INVALIDARG;
  Impl* i = impl_.get();
  return i->Post(
      [i, t, title] {
        // By the time the command runs, the reader may have read on past the title's end into
        // the menu that end calls (a busy machine lets it run ahead): the time is one of the
        // title the call was made in, so the search goes back into that title first.
        int32_t now = 0, part = 0;
        if (dvdnav_current_title_info(i->nav, &now, &part) != DVDNAV_STATUS_OK ||
            now != static_cast<int32_t>(title)) {
          if (dvdnav_title_play(i->nav, static_cast<int32_t>(title)) != DVDNAV_STATUS_OK) return E_FAIL;
        }
        return Result(dvdnav_time_search(i->nav, static_cast<uint64_t>(t)));
      },
      true, cmd);
}

HRESULT DvdNavigator::StopNavigation() {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  KAVORO_DVD_CHECK_UOP(UOP_Stop);
  Impl* i = impl_.get();
  return i->Post([i] { return Result(dvdnav_stop(i->nav)); }, true, nullptr);
}

HRESULT DvdNavigator::ReturnFromSubmenu(DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (const HRESULT hr = NeedMenu(impl_.get()); FAILED(hr)) return hr;
  KAVORO_DVD_CHECK_UOP(UOP_ReturnFromSubMenu);
  Impl* i = impl_.get();
  return i->Post([i] { return Result(dvdnav_go_up(i->nav)); }, true, cmd);
}

namespace {
// A step to the next or the previous chapter of the title playing.
HRESULT PostChapterStep(DvdNavigator::Impl* i, ULONG uop, dvdnav_status_t (*step)(dvdnav_t*),
                        IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!i->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (const HRESULT hr = NeedTitle(i); FAILED(hr)) return hr;
  {
    std::lock_guard g(i->m);
    if (i->snap.uops & uop) return VFW_E_DVD_OPERATION_INHIBITED;
  }
  return i->Post([i, step] { return Result(step(i->nav)); }, true, cmd);
}
}  // namespace

HRESULT DvdNavigator::PlayNextChapter(DWORD, IDvdCmd** cmd) {
  return PostChapterStep(impl_.get(), UOP_PlayNext_Chapter, &dvdnav_next_pg_search, cmd);
}

HRESULT DvdNavigator::PlayPrevChapter(DWORD, IDvdCmd** cmd) {
  return PostChapterStep(impl_.get(), UOP_PlayPrev_Chapter, &dvdnav_prev_pg_search, cmd);
}

HRESULT DvdNavigator::ShowMenu(DVD_MENU_ID menu, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (menu < DVD_MENU_Title || menu > DVD_MENU_Chapter) return E_INVALIDARG;
  if (menu == DVD_MENU_Title) KAVORO_DVD_CHECK_UOP(UOP_ShowMenu_Title);
  if (menu == DVD_MENU_Root) KAVORO_DVD_CHECK_UOP(UOP_ShowMenu_Root);
  if (menu > DVD_MENU_Root) KAVORO_DVD_CHECK_UOP(0x1000u << (menu - DVD_MENU_Subpicture));
  Impl* i = impl_.get();
  const auto id = static_cast<DVDMenuID_t>(static_cast<int>(menu));
  return i->Post(
      [i, id] {
        return dvdnav_menu_call(i->nav, id) == DVDNAV_STATUS_OK ? S_OK
                                                                  : VFW_E_DVD_MENU_DOES_NOT_EXIST;
      },
      true, cmd, true);
}

HRESULT DvdNavigator::Resume(DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (const HRESULT hr = NeedMenu(impl_.get()); FAILED(hr)) return hr;
  KAVORO_DVD_CHECK_UOP(UOP_Resume);
  Impl* i = impl_.get();
  return i->Post(
      [i] {
        return dvdnav_menu_call(i->nav, DVD_MENU_Escape) == DVDNAV_STATUS_OK
                   ? S_OK
                   : VFW_E_DVD_NO_RESUME_INFORMATION;
      },
      true, cmd, true);
}

HRESULT DvdNavigator::SelectRelativeButton(DVD_RELATIVE_BUTTON direction) {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (direction < DVD_Relative_Upper || direction > DVD_Relative_Right) return E_INVALIDARG;
  {
    std::lock_guard g(impl_->m);
    if (!impl_->snap.buttons) return VFW_E_DVD_NO_BUTTON;
    if (impl_->snap.uops & UOP_Select_Or_Activate_Button) return VFW_E_DVD_OPERATION_INHIBITED;
  }
  Impl* i = impl_.get();
  return i->PostAndAnswer(
      [i, direction] {
        pci_t* pci = dvdnav_get_current_nav_pci(i->nav);
        switch (direction) {
          case DVD_Relative_Upper: return i->Selected(dvdnav_upper_button_select(i->nav, pci));
          case DVD_Relative_Lower: return i->Selected(dvdnav_lower_button_select(i->nav, pci));
          case DVD_Relative_Left: return i->Selected(dvdnav_left_button_select(i->nav, pci));
          default: return i->Selected(dvdnav_right_button_select(i->nav, pci));
        }
      },
      false);
}

namespace {
// Selects button `button` (from 1) of the menu on screen, told at once.
HRESULT PostButtonSelect(DvdNavigator::Impl* i, ULONG button) {
  return i->PostAndAnswer(
      [i, button] {
        return i->Selected(dvdnav_button_select(i->nav, dvdnav_get_current_nav_pci(i->nav),
                                                static_cast<int32_t>(button)));
      },
      false);
}
}  // namespace

HRESULT DvdNavigator::SelectButton(ULONG button) {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  {
    std::lock_guard g(impl_->m);
    if (!impl_->snap.buttons) return VFW_E_DVD_NO_BUTTON;
    if (button < 1 || button > impl_->snap.buttons) return E_INVALIDARG;
    if (impl_->snap.uops & UOP_Select_Or_Activate_Button) return VFW_E_DVD_OPERATION_INHIBITED;
  }
  return PostButtonSelect(impl_.get(), button);
}

HRESULT DvdNavigator::ActivateButton() {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  {
    std::lock_guard g(impl_->m);
    if (!impl_->snap.buttons) return VFW_E_DVD_NO_BUTTON;
    if (impl_->snap.uops & UOP_Select_Or_Activate_Button) return VFW_E_DVD_OPERATION_INHIBITED;
  }
  Impl* i = impl_.get();
  return i->PostAndAnswer(
      [i] {
        int32_t b = 0;
        dvdnav_get_current_highlight(i->nav, &b);
        const HRESULT hr =
            ButtonResult(dvdnav_button_activate(i->nav, dvdnav_get_current_nav_pci(i->nav)));
        if (SUCCEEDED(hr)) i->Activated(static_cast<ULONG>(b));
        return hr;
      },
      true, true);
}

HRESULT DvdNavigator::SelectAtPosition(POINT point) {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  ULONG b;
  if (const HRESULT hr = ButtonForPoint(impl_.get(), point, &b); FAILED(hr)) return hr;
  // The pointer moving over the button already selected (the common case) asks nothing of the
  // streaming thread, so it never waits for it.
  {
    std::lock_guard g(impl_->m);
    if (impl_->snap.button == b) return S_OK;
  }
  return PostButtonSelect(impl_.get(), b);
}

HRESULT DvdNavigator::ActivateAtPosition(POINT point) {
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  ULONG b;
  if (const HRESULT hr = ButtonForPoint(impl_.get(), point, &b); FAILED(hr)) return hr;
  Impl* i = impl_.get();
  return i->PostAndAnswer(
      [i, b] {
        const HRESULT hr = ButtonResult(dvdnav_button_select_and_activate(
            i->nav, dvdnav_get_current_nav_pci(i->nav), static_cast<int32_t>(b)));
        if (SUCCEEDED(hr)) i->Activated(b);
        return hr;
      },
      true, true);
}

namespace {
// Speeds played, forwards and backwards; 1.0 is normal play.
constexpr double kSlowestRate = 0.1;
constexpr double kFastestRate = 16.0;

HRESULT PostRate(DvdNavigator::Impl* i, double speed, bool back, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!i->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (!(speed > 0)) return E_INVALIDARG;
  if (speed < kSlowestRate || speed > kFastestRate) return VFW_E_DVD_WRONG_SPEED;
  bool fromBackward;
  {
    std::lock_guard g(i->m);
    fromBackward = i->snap.backward;
    // Normal play forwards is the way back from the other speeds: always allowed.
    if (back || speed != 1.0) {
      if (i->snap.domain != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
      if (i->snap.uops & (back ? UOP_Play_Backwards : UOP_Play_Forwards))
        return VFW_E_DVD_OPERATION_INHIBITED;
    }
  }
  // Entering backward play, what is queued downstream would still play forwards; leaving it,
  // the key frames still queued would: either way it is flushed and the new speed shows at once.
  return i->Post(
      [i, speed, back] {
        i->SetRate(speed, back);
        i->rateSetByCommand = true;
        return S_OK;
      },
      back || fromBackward, cmd);
}
}  // namespace

HRESULT DvdNavigator::PlayForwards(double speed, DWORD, IDvdCmd** cmd) {
  return PostRate(impl_.get(), speed, false, cmd);
}

HRESULT DvdNavigator::PlayBackwards(double speed, DWORD, IDvdCmd** cmd) {
  return PostRate(impl_.get(), speed, true, cmd);
}

namespace {
// The user's choice of an audio or subpicture stream: checked against the title's streams on
// the application thread, switched to on the streaming thread.
using Snapshot = DvdNavigator::Impl::Snapshot;
template <class Langs>
HRESULT PostStreamChoice(DvdNavigator::Impl* i, ULONG stream, ULONG Snapshot::*count,
                         Langs Snapshot::*langs, ULONG uop,
                         void (DvdNavigator::Impl::*switchTo)(ULONG), IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!i->nav) return VFW_E_DVD_GRAPHNOTREADY;
  {
    std::lock_guard g(i->m);
    if (i->snap.domain != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
    if (stream >= i->snap.*count || (i->snap.*langs)[stream] == kNoStream) return E_INVALIDARG;
    if (i->snap.uops & uop) return VFW_E_DVD_OPERATION_INHIBITED;
  }
  return i->Post(
      [i, stream, switchTo] {
        (i->*switchTo)(stream);
        return S_OK;
      },
      false, cmd);
}
}  // namespace

HRESULT DvdNavigator::SelectAudioStream(ULONG stream, DWORD, IDvdCmd** cmd) {
  return PostStreamChoice(impl_.get(), stream, &Snapshot::audioCount, &Snapshot::audioLang,
                          UOP_Select_Audio_Stream, &Impl::SwitchAudio, cmd);
}

HRESULT DvdNavigator::SelectSubpictureStream(ULONG stream, DWORD, IDvdCmd** cmd) {
  return PostStreamChoice(impl_.get(), stream, &Snapshot::spuCount, &Snapshot::spuLang,
                          UOP_Select_SubPic_Stream, &Impl::SwitchSpu, cmd);
}

HRESULT DvdNavigator::SetSubpictureState(BOOL on, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  KAVORO_DVD_CHECK_UOP(UOP_Select_SubPic_Stream);
  Impl* i = impl_.get();
  const bool show = on != 0;
  return i->Post(
      [i, show] {
        {
          std::lock_guard g(i->m);
          i->snap.spuOn = show;
        }
        i->TellSubpictureShown();
        return S_OK;
      },
      false, cmd);
}

HRESULT DvdNavigator::SelectAngle(ULONG angle, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (const HRESULT hr = NeedTitle(impl_.get()); FAILED(hr)) return hr;
  {
    std::lock_guard g(impl_->m);
    if (angle < 1 || angle > impl_->snap.angles) return E_INVALIDARG;
  }
  KAVORO_DVD_CHECK_UOP(UOP_Select_Angle);
  Impl* i = impl_.get();
  // The command ends with libdvdnav's answer; the angles may have changed with the place since
  // the check above.
  return i->Post([i, angle] { return i->ChangeAngle(angle); }, false, cmd);
}

HRESULT DvdNavigator::SelectVideoModePreference(ULONG preferredDisplayMode) {
  DvdDisplay display;
  switch (preferredDisplayMode) {
    case DISPLAY_CONTENT_DEFAULT:
    case DISPLAY_16x9: display = DvdDisplay::Wide; break;
    case DISPLAY_4x3_LETTERBOX_PREFERRED: display = DvdDisplay::LetterBox; break;
    case DISPLAY_4x3_PANSCAN_PREFERRED: display = DvdDisplay::PanScan; break;
    default: return E_INVALIDARG;
  }
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  Impl* i = impl_.get();
  return i->Post(
      [i, display] {
        if (display == i->display) return S_OK;
        i->display = display;
        ULONG logical;
        {
          std::lock_guard g(i->m);
          logical = i->snap.spu;
        }
        // The other display's stream from its next unit on; what the decoder holds is dropped.
        i->spuPhysical = i->PhysicalSpuFor(logical);
        i->spuUnit.Reset();
        if (i->spuSink) i->spuSink->DropUnits();
        return S_OK;
      },
      false, nullptr);
}

HRESULT DvdNavigator::SetState(IDvdState* state, DWORD, IDvdCmd** cmd) {
  if (cmd) *cmd = nullptr;
  if (!state) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  ComPtr<IDvdSavedPlace> saved;
  if (FAILED(state->QueryInterface(IIDOf<IDvdSavedPlace>(), saved.PutVoid())) || !saved)
    return E_INVALIDARG;  // a state object of some other navigator
  DvdPlace place;
  if (FAILED(saved->GetPlace(&place))) return E_INVALIDARG;
  if (place.discId != impl_->discId) return VFW_E_DVD_STATE_WRONG_DISC;
  if (place.domain == DVD_DOMAIN_Title &&
      (place.title < 1 || place.title > impl_->titles.size() || place.chapter < 1 ||
       place.chapter > impl_->titles[place.title - 1].chapters ||
       (impl_->titles[place.title - 1].length90k > 0 &&
        place.time90k >= impl_->titles[place.title - 1].length90k)))
    return VFW_E_DVD_STATE_CORRUPT;
  if (place.titleSet > impl_->titleSetCount) return VFW_E_DVD_STATE_CORRUPT;
  KAVORO_DVD_CHECK_UOP(place.domain == DVD_DOMAIN_Title              ? UOP_Play_Title_Or_AtTime
                       : place.domain == DVD_DOMAIN_VideoManagerMenu ? UOP_ShowMenu_Title
                                                                     : UOP_ShowMenu_Root);
  Impl* i = impl_.get();
  return i->Post(
      [i, place] {
        i->restoring.reset();
        if (place.domain != DVD_DOMAIN_Title) {
          if (!i->CallMenu(place.domain, place.titleSet)) return VFW_E_DVD_MENU_DOES_NOT_EXIST;
          i->restoring = place;
          i->ranRestore = true;
          return S_OK;
        }
        i->LeaveStillForTitle(place.title);
        if (dvdnav_title_play(i->nav, static_cast<int32_t>(place.title)) != DVDNAV_STATUS_OK)
          return E_FAIL;
        // The saved time lands on the VOBU that holds it; the chapter follows from the time.
        if (dvdnav_time_search(i->nav, static_cast<uint64_t>(place.time90k)) != DVDNAV_STATUS_OK &&
            dvdnav_part_play(i->nav, static_cast<int32_t>(place.title),
                             static_cast<int32_t>(place.chapter)) != DVDNAV_STATUS_OK)
          return E_FAIL;
        i->restoring = place;
        i->ranRestore = true;
        return S_OK;
      },
      true, cmd, true);
}

void DvdNavigator::Impl::LeaveStillForTitle(ULONG title) {
  {
    std::lock_guard g(m);
    if (!snap.inStill) return;
  }
  constexpr std::uint8_t kJumpTitle[2] = {0x30, 0x02};  // the VM's JumpTT; title in byte 5
  vm_cmd_t jump{};
  jump.bytes[0] = kJumpTitle[0];
  jump.bytes[1] = kJumpTitle[1];
  jump.bytes[5] = static_cast<std::uint8_t>(title);
  dvdnav_button_activate_cmd(nav, 1, &jump);
}

bool DvdNavigator::Impl::CallMenu(DVD_DOMAIN domain, ULONG titleSet) {
  // The platform numbers the menus as libdvdnav does.
  const auto call = [&](DVD_MENU_ID menu) {
    return dvdnav_menu_call(nav, static_cast<DVDMenuID_t>(static_cast<int>(menu))) ==
           DVDNAV_STATUS_OK;
  };
  if (domain == DVD_DOMAIN_VideoManagerMenu) return call(DVD_MENU_Title);
  // The root menu libdvdnav calls is that of the title set playing: right when the saved one
  // plays or is not known.
  if (titleSet == 0 || static_cast<int>(titleSet) == currentVts)
    return call(DVD_MENU_Root);
  // Another title set's menu is reached from the video manager's menu, by the jump a disc's
  // own menu would make: JumpSS VTSM (title set, its first title, root menu).
  constexpr std::uint8_t kJumpSs[2] = {0x30, 0x06};
  constexpr std::uint8_t kToTitleSetRootMenu = 0x80 | DVD_MENU_Root;
  if (!call(DVD_MENU_Title)) return false;
  vm_cmd_t jump{};
  jump.bytes[0] = kJumpSs[0];
  jump.bytes[1] = kJumpSs[1];
  jump.bytes[3] = 1;
  jump.bytes[4] = static_cast<std::uint8_t>(titleSet);
  jump.bytes[5] = kToTitleSetRootMenu;
  return dvdnav_button_activate_cmd(nav, 1, &jump) == DVDNAV_STATUS_OK;
}

HRESULT DvdNavigator::Impl::ChangeAngle(ULONG angle) {
  int32_t current = 0, count = 0;
  if (dvdnav_get_angle_info(nav, &current, &count) != DVDNAV_STATUS_OK) return E_FAIL;
  if (angle < 1 || static_cast<int32_t>(angle) > count) return E_INVALIDARG;
  if (static_cast<int32_t>(angle) == current) return S_OK;
  if (dvdnav_angle_change(nav, static_cast<int32_t>(angle)) != DVDNAV_STATUS_OK) return E_FAIL;
  {
    std::lock_guard g(m);
    snap.angle = angle;
    snap.angles = static_cast<ULONG>(count);
  }
  Event(EC_DVD_ANGLE_CHANGE, static_cast<LONG_PTR>(angle), count);
  return S_OK;
}

HRESULT DvdNavigator::Impl::FinishRestore() {
  const DvdPlace p = *restoring;
  restoring.reset();
  if (p.domain != DVD_DOMAIN_Title) {
    // The menu asked for, or none like it on this disc.
    std::lock_guard g(m);
    const bool there = snap.domain == p.domain && (p.titleSet == 0 || snap.titleSet == p.titleSet);
    return there ? S_OK : VFW_E_DVD_MENU_DOES_NOT_EXIST;
  }
  bool audioThere, spuThere;
  {
    std::lock_guard g(m);
    audioThere = p.audio < snap.audioCount && snap.audioLang[p.audio] != kNoStream;
    spuThere = p.spu < snap.spuCount && snap.spuLang[p.spu] != kNoStream;
    snap.spuOn = p.spuOn;
  }
  if (audioThere) SwitchAudio(p.audio);
  if (spuThere) SwitchSpu(p.spu);
  const HRESULT angle = ChangeAngle(p.angle);
  // A stream or an angle the place has not got: the state does not fit the disc.
  if ((!audioThere && p.audio > 0) || (!spuThere && p.spu > 0) || angle == E_INVALIDARG)
    return VFW_E_DVD_STATE_CORRUPT;
  return angle;
}

HRESULT DvdNavigator::SetOption(DVD_OPTION_FLAG option, BOOL on) {
  switch (option) {
    case DVD_ResetOnStop:
      impl_->resetOnStop = on != 0;
      return S_OK;
    case DVD_HMSF_TimeCodeEvents: {
      std::lock_guard g(impl_->m);
      impl_->snap.hmsfEvents = on != 0;
      return S_OK;
    }
    case DVD_NotifyParentalLevelChange:
    case DVD_AudioDuringFFwdRew:
      return S_OK;  // no parental levels; sound is never played at other speeds
  }
  return E_INVALIDARG;
}

}  // namespace kavoro::media
