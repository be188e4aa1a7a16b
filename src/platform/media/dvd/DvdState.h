#pragma once
// The navigator's saved place (IDvdState), which also saves itself through IPersistStream so
// that bookmark files can hold it and OleLoadFromStream can make it again.
//
// Saved form, all numbers least significant byte first:
//   "KDVS", u16 version (2), u16 length of what follows (36), then
//   u64 disc identity, u8 domain, u8 audio stream, u8 subpicture stream, u8 flags (bit 0:
//   subpictures show), u16 title, u16 chapter, u64 time in the title (90 kHz), u8 angle,
//   u8 title set (0 in the video manager's menus), 2 zero bytes, u32 zero, and last a u32
//   FNV-1a checksum of the 40 bytes before it.
// Version 1 is the same with the title set's byte zero: it loads with title set 0 (a title
// set menu of such a state is the one of the title set playing when it is restored).
// Load checks the magic, the version, the length, the checksum and every value's range, and
// leaves the object as it was when any of them is wrong.
#include <cstdint>

#include "platform/com/ComPtr.h"
#include "platform/com/Guid.h"
#include "platform/media/dvd/DvdTypes.h"
#include "platform/media/dvd/IDvdState.h"

namespace kavoro {

// The state object's class (what OleSaveToStream writes in front of its data).
constexpr CLSID CLSID_KavoroDvdState = MakeGuid(0x4B56F0E1, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51,
                                                0x0E, 0x7F, 0x21, 0xC4, 0xE1);

namespace media {

// What a saved state holds.
struct DvdPlace {
  std::uint64_t discId = 0;
  DVD_DOMAIN domain = DVD_DOMAIN_Title;  // a menu (VideoManagerMenu, VideoTitleSetMenu) or Title
  ULONG title = 0;       // from 1 in the title domain; 0 in menus
  ULONG chapter = 0;     // from 1 in the title domain; 0 in menus
  std::int64_t time90k = 0;
  ULONG audio = 0;       // logical stream numbers, from 0
  ULONG spu = 0;
  bool spuOn = false;
  ULONG angle = 1;       // from 1
  ULONG titleSet = 0;    // of a title set menu or a title, from 1; 0 in the video manager's
                         // menus, or not known (a version 1 state)

  bool operator==(const DvdPlace&) const = default;
};

// Highest stream numbers a disc can have, the most angles and title sets.
constexpr ULONG kDvdTitleSets = 99;
constexpr ULONG kDvdAudioStreams = 8;
constexpr ULONG kDvdSubpictureStreams = 32;
constexpr ULONG kDvdAngles = 9;

// What the navigator reads out of a state object given to SetState. Any thread.
struct IDvdSavedPlace : IUnknown {
  static constexpr IID kIID = MakeGuid(0x4B56F0E2, 0x6A1E, 0x4C2B, 0x9D, 0x3A, 0x51, 0x0E, 0x7F,
                                       0x21, 0xC4, 0xE2);
  using Base = IUnknown;
  virtual HRESULT GetPlace(DvdPlace* place) = 0;
};

// A new state object holding `place` (not checked: the navigator gives only what it read).
ComPtr<IDvdState> MakeDvdState(const DvdPlace& place);

// Registers CLSID_KavoroDvdState with the class registry. Any thread; once is enough.
void RegisterDvdState();

}  // namespace media
}  // namespace kavoro
