// The navigator's streams on the streaming thread: the title's logical streams mapped to the
// streams in its VOBs (DvdTitleStreams), the choice the VM makes and the user's.
#include <algorithm>

#include "platform/media/dvd/DvdLanguages.h"
#include "platform/media/dvd/DvdNavigatorImpl.h"

namespace kavoro::media {

void DvdNavigator::Impl::UpdateStreams() {
  // In a title its program chain says which streams exist and which stream in the VOBs plays
  // each logical one (DvdTitleStreams); menus have no choice of streams. The tables read at
  // opening are used: what libdvdnav answers for them lags behind a change of domain.
  const bool inTitle = dvdnav_is_domain_vts(nav) != 0;
  std::array<std::uint16_t, 8> al;
  std::array<std::uint16_t, 32> sl;
  al.fill(kNoStream);
  sl.fill(kNoStream);
  ULONG ac = 0, sc = 0;
  const DvdTitleStreams* t = PlayingStreams();
  if (inTitle && t) {
    for (std::size_t i = 0; i < t->audio.size() && i < al.size(); ++i)
      if (t->audio[i].present) al[i] = t->audio[i].language;
    for (std::size_t i = 0; i < t->spu.size() && i < sl.size(); ++i)
      if (t->spu[i].present) sl[i] = t->spu[i].language;
    ac = static_cast<ULONG>(std::min(t->audio.size(), al.size()));
    sc = static_cast<ULONG>(std::min(t->spu.size(), sl.size()));
  }
  // The stream the VM chose (by the preferred language) is told as a stream of the VOBs;
  // its logical number is what the interfaces speak of.
  const auto first = [](const std::array<std::uint16_t, 8>& langs, ULONG count) {
    for (ULONG i = 0; i < count; ++i)
      if (langs[i] != kNoStream) return static_cast<int>(i);
    return 0;
  };
  int audioNow = -1, spuNow = -1;
  if (inTitle && !audioUserChoice) {
    const int physical = dvdnav_get_active_audio_stream(nav);
    audioNow = physical < 0 ? -1 : dvdnav_get_audio_logical_stream(nav, static_cast<uint8_t>(physical));
    if (audioNow < 0 || audioNow >= static_cast<int>(ac) || al[audioNow] == kNoStream)
      audioNow = first(al, ac);
  }
  if (inTitle && !spuUserChoice) {
    const int physical = dvdnav_get_active_spu_stream(nav);
    spuNow = physical < 0 ? -1
                          : dvdnav_get_spu_logical_stream(nav, static_cast<uint8_t>(physical & 0x1F));
    if (spuNow < 0 || spuNow >= static_cast<int>(sc) || sl[spuNow] == kNoStream) spuNow = 0;
  }
  bool audioChanged = false, spuChanged = false;
  LCID audioLcid = 0, spuLcid = 0;
  ULONG audioLogical, spuLogical;
  {
    std::lock_guard g(m);
    snap.audioLang = al;
    snap.spuLang = sl;
    snap.audioCount = ac;
    snap.spuCount = sc;
    if (audioNow >= 0) {
      audioChanged = snap.audio != static_cast<ULONG>(audioNow);
      snap.audio = static_cast<ULONG>(audioNow);
      audioLcid = LanguageFromDiscCode(al[audioNow]);
    }
    if (spuNow >= 0) {
      spuChanged = snap.spu != static_cast<ULONG>(spuNow);
      snap.spu = static_cast<ULONG>(spuNow);
      spuLcid = LanguageFromDiscCode(sl[spuNow]);
    }
    audioLogical = snap.audio;
    spuLogical = snap.spu;
  }
  // The streams to deliver follow the title's mapping, the user's choice kept. A menu plays
  // its first streams (its sound, its buttons).
  audioPhysical = inTitle ? PhysicalAudioFor(audioLogical) : 0;
  spuPhysical = inTitle ? PhysicalSpuFor(spuLogical) : 0;
  if (audioChanged) Event(EC_DVD_AUDIO_STREAM_CHANGE, audioNow, static_cast<LONG_PTR>(audioLcid));
  if (spuChanged) Event(EC_DVD_SUBPICTURE_STREAM_CHANGE, spuNow, static_cast<LONG_PTR>(spuLcid));
}

const DvdTitleStreams* DvdNavigator::Impl::PlayingStreams() const {
  return playingTitle >= 1 && playingTitle <= titles.size() ? &titles[playingTitle - 1].streams
                                                            : nullptr;
}

int DvdNavigator::Impl::PhysicalAudioFor(ULONG logical) const {
  const DvdTitleStreams* t = PlayingStreams();
  if (!t || logical >= t->audio.size() || !t->audio[logical].present) return -1;
  return t->audio[logical].number;
}

int DvdNavigator::Impl::PhysicalSpuFor(ULONG logical) const {
  const DvdTitleStreams* t = PlayingStreams();
  return t ? t->SubpictureNumber(logical, display) : -1;
}

void DvdNavigator::Impl::SwitchAudio(ULONG stream) {
  audioPhysical = PhysicalAudioFor(stream);
  audioUserChoice = true;
  audioFramer.Reset(audioFramer.codec);
  LCID lcid;
  {
    std::lock_guard g(m);
    snap.audio = stream;
    lcid = LanguageFromDiscCode(snap.audioLang[stream]);
  }
  Event(EC_DVD_AUDIO_STREAM_CHANGE, static_cast<LONG_PTR>(stream), static_cast<LONG_PTR>(lcid));
}

void DvdNavigator::Impl::SwitchSpu(ULONG stream) {
  spuPhysical = PhysicalSpuFor(stream);
  spuUserChoice = true;
  spuUnit.Reset();
  if (spuSink) spuSink->DropUnits();
  LCID lcid;
  {
    std::lock_guard g(m);
    snap.spu = stream;
    lcid = LanguageFromDiscCode(snap.spuLang[stream]);
  }
  Event(EC_DVD_SUBPICTURE_STREAM_CHANGE, static_cast<LONG_PTR>(stream),
        static_cast<LONG_PTR>(lcid));
}

}  // namespace kavoro::media
