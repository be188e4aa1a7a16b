// IDvdInfo2 of the navigator: answers from the snapshot the streaming thread keeps.
#include <algorithm>

#include "platform/media/dvd/DvdLanguages.h"
#include "platform/media/dvd/DvdNavigatorImpl.h"

namespace kavoro::media {

HRESULT DvdNavigator::GetCurrentDomain(DVD_DOMAIN* domain) {
  if (!domain) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  *domain = impl_->snap.domain;
  return S_OK;
}

namespace {
DVD_HMSF_TIMECODE Hmsf(std::int64_t t90k, bool pal) {
  if (t90k < 0) t90k = 0;
  const std::int64_t s = t90k / 90000;
  DVD_HMSF_TIMECODE t;
  t.bHours = static_cast<std::uint8_t>(s / 3600);
  t.bMinutes = static_cast<std::uint8_t>(s / 60 % 60);
  t.bSeconds = static_cast<std::uint8_t>(s % 60);
  t.bFrames = static_cast<std::uint8_t>((t90k % 90000) * (pal ? 25 : 30) / 90000);
  return t;
}
}  // namespace

HRESULT DvdNavigator::GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location) {
  if (!location) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  if (impl_->snap.domain == DVD_DOMAIN_Stop) return VFW_E_DVD_INVALIDDOMAIN;
  location->TitleNum = impl_->snap.title;
  location->ChapterNum = impl_->snap.chapter;
  location->TimeCode = Hmsf(impl_->snap.domain == DVD_DOMAIN_Title ? impl_->snap.time90k : 0,
                            impl_->pal);
  location->TimeCodeFlags = impl_->pal ? DVD_TC_FLAG_25fps : DVD_TC_FLAG_30fps;
  return S_OK;
}

HRESULT DvdNavigator::GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* flags) {
  if (!total) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  if (impl_->snap.domain != DVD_DOMAIN_Title) return VFW_E_DVD_INVALIDDOMAIN;
  *total = Hmsf(impl_->snap.titleLength90k, impl_->pal);
  if (flags) *flags = impl_->pal ? DVD_TC_FLAG_25fps : DVD_TC_FLAG_30fps;
  return S_OK;
}

HRESULT DvdNavigator::GetNumberOfChapters(ULONG title, ULONG* chapters) {
  if (!chapters) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  if (title < 1 || title > impl_->titles.size()) return E_INVALIDARG;
  *chapters = impl_->titles[title - 1].chapters;
  return S_OK;
}

HRESULT DvdNavigator::GetCurrentButton(ULONG* available, ULONG* current) {
  if (!available || !current) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  *available = impl_->snap.buttons;
  *current = impl_->snap.button;
  return impl_->snap.buttons ? S_OK : VFW_E_DVD_NO_BUTTON;
}

HRESULT DvdNavigator::GetCurrentAudio(ULONG* available, ULONG* current) {
  if (!available || !current) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  *available = impl_->snap.audioCount;
  *current = impl_->snap.audio;
  return S_OK;
}

HRESULT DvdNavigator::GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled) {
  if (!available || !current || !disabled) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  *available = impl_->snap.spuCount;
  *current = impl_->snap.spu;
  *disabled = impl_->snap.spuOn ? 0 : 1;
  return S_OK;
}

HRESULT DvdNavigator::GetCurrentUOPS(ULONG* uops) {
  if (!uops) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  *uops = impl_->snap.uops;
  return S_OK;
}

namespace {
// The language of an audio or subpicture stream of the title set, from its table of codes.
template <std::size_t N>
HRESULT StreamLanguage(DvdNavigator::Impl* i, const std::array<std::uint16_t, N>& langs,
                       ULONG stream, LCID* language) {
  if (!language) return E_POINTER;
  if (!i->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(i->m);
  if (stream >= N || langs[stream] == kNoStream) return E_INVALIDARG;
  *language = LanguageFromDiscCode(langs[stream]);
  return S_OK;
}
}  // namespace

HRESULT DvdNavigator::GetAudioLanguage(ULONG stream, LCID* language) {
  return StreamLanguage(impl_.get(), impl_->snap.audioLang, stream, language);
}

HRESULT DvdNavigator::GetSubpictureLanguage(ULONG stream, LCID* language) {
  return StreamLanguage(impl_.get(), impl_->snap.spuLang, stream, language);
}

HRESULT DvdNavigator::GetButtonAtPosition(POINT point, ULONG* button) {
  if (!button) return E_POINTER;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  std::lock_guard g(impl_->m);
  const ULONG b = impl_->ButtonOnScreen(point);
  if (!b) return VFW_E_DVD_NO_BUTTON;
  *button = b;
  return S_OK;
}

HRESULT DvdNavigator::GetState(IDvdState** state) {
  if (!state) return E_POINTER;
  *state = nullptr;
  if (!impl_->nav) return VFW_E_DVD_GRAPHNOTREADY;
  DvdPlace p;
  {
    std::lock_guard g(impl_->m);
    const DvdNavigator::Impl::Snapshot& s = impl_->snap;
    // First play passes on its own; there is no place to return to there or when stopped.
    if (s.domain == DVD_DOMAIN_Stop || s.domain == DVD_DOMAIN_FirstPlay)
      return VFW_E_DVD_INVALIDDOMAIN;
    p.discId = impl_->discId;
    p.domain = s.domain;
    p.titleSet = s.domain == DVD_DOMAIN_VideoManagerMenu ? 0 : s.titleSet;
    const bool inTitle = s.domain == DVD_DOMAIN_Title;
    p.title = inTitle ? s.title : 0;
    p.chapter = inTitle ? s.chapter : 0;
    p.time90k = inTitle ? std::max<std::int64_t>(s.time90k, 0) : 0;
    p.audio = s.audio < kDvdAudioStreams ? s.audio : 0;
    p.spu = s.spu < kDvdSubpictureStreams ? s.spu : 0;
    p.spuOn = s.spuOn;
    p.angle = s.angle >= 1 && s.angle <= kDvdAngles ? s.angle : 1;
  }
  *state = MakeDvdState(p).Detach();
  return S_OK;
}

}  // namespace kavoro::media
