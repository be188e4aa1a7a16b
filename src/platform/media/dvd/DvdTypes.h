#pragma once
// Values shared by the DVD control, information and builder interfaces.
#include <cstdint>

#include "platform/com/Unknown.h"

namespace kavoro {

using LCID = std::uint32_t;  // language identifier; 0 = no language

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

// Time on a disc: hours, minutes, seconds, frames. As the 32-bit event parameter of the time
// events, bHours is the lowest byte.
struct DVD_HMSF_TIMECODE {
  std::uint8_t bHours = 0;
  std::uint8_t bMinutes = 0;
  std::uint8_t bSeconds = 0;
  std::uint8_t bFrames = 0;
};

// Frame-rate flags of GetTotalTitleTime.
constexpr ULONG DVD_TC_FLAG_25fps = 0x1;
constexpr ULONG DVD_TC_FLAG_30fps = 0x2;
constexpr ULONG DVD_TC_FLAG_DropFrame = 0x4;
constexpr ULONG DVD_TC_FLAG_Interpolated = 0x8;

enum DVD_DOMAIN : int {
  DVD_DOMAIN_FirstPlay = 1,
  DVD_DOMAIN_VideoManagerMenu = 2,
  DVD_DOMAIN_VideoTitleSetMenu = 3,
  DVD_DOMAIN_Title = 4,
  DVD_DOMAIN_Stop = 5,
};

enum DVD_MENU_ID : int {
  DVD_MENU_Title = 2,
  DVD_MENU_Root = 3,
  DVD_MENU_Subpicture = 4,
  DVD_MENU_Audio = 5,
  DVD_MENU_Angle = 6,
  DVD_MENU_Chapter = 7,
};

enum DVD_OPTION_FLAG : int {
  DVD_ResetOnStop = 1,
  DVD_NotifyParentalLevelChange = 2,
  DVD_HMSF_TimeCodeEvents = 3,
  DVD_AudioDuringFFwdRew = 4,
};

enum DVD_RELATIVE_BUTTON : int {
  DVD_Relative_Upper = 1,
  DVD_Relative_Lower = 2,
  DVD_Relative_Left = 3,
  DVD_Relative_Right = 4,
};

// The first parameter of EC_DVD_WARNING and EC_DVD_ERROR.
enum DVD_WARNING : int {
  DVD_WARNING_InvalidDVD1_0Disc = 1,
  DVD_WARNING_FormatNotSupported = 2,
  DVD_WARNING_IllegalNavCommand = 3,
  DVD_WARNING_Open = 4,
  DVD_WARNING_Seek = 5,
  DVD_WARNING_Read = 6,
};
enum DVD_ERROR : int {
  DVD_ERROR_Unexpected = 1,
  DVD_ERROR_CopyProtectFail = 2,
  DVD_ERROR_InvalidDVD1_0Disc = 3,
};

// The display a 16:9 title is shown on (SelectVideoModePreference): its own shape, or a 4:3
// screen with the picture letter-boxed or panned and scanned. The subpicture streams of such a
// title may differ with the display.
constexpr ULONG DISPLAY_CONTENT_DEFAULT = 0x0;
constexpr ULONG DISPLAY_16x9 = 0x1;
constexpr ULONG DISPLAY_4x3_PANSCAN_PREFERRED = 0x2;
constexpr ULONG DISPLAY_4x3_LETTERBOX_PREFERRED = 0x3;

// Flags of the control calls.
constexpr DWORD DVD_CMD_FLAG_None = 0x0;
constexpr DWORD DVD_CMD_FLAG_Flush = 0x1;
constexpr DWORD DVD_CMD_FLAG_SendEvents = 0x2;
constexpr DWORD DVD_CMD_FLAG_Block = 0x4;
constexpr DWORD DVD_CMD_FLAG_StartWhenRendered = 0x8;
constexpr DWORD DVD_CMD_FLAG_EndAfterRendered = 0x10;

// Flags of RenderDvdVideoVolume.
constexpr DWORD AM_DVD_HWDEC_PREFER = 0x01;
constexpr DWORD AM_DVD_HWDEC_ONLY = 0x02;
constexpr DWORD AM_DVD_SWDEC_PREFER = 0x04;
constexpr DWORD AM_DVD_SWDEC_ONLY = 0x08;
constexpr DWORD AM_DVD_NOVPE = 0x100;

// Streams that failed to render, in dwFailedStreamsFlag.
constexpr DWORD AM_DVD_STREAM_VIDEO = 0x01;
constexpr DWORD AM_DVD_STREAM_AUDIO = 0x02;
constexpr DWORD AM_DVD_STREAM_SUBPIC = 0x04;

// What a partly successful DVD render could not do.
struct AM_DVD_RENDERSTATUS {
  HRESULT hrVPEStatus = S_OK;
  BOOL bDvdVolInvalid = 0;
  BOOL bDvdVolUnknown = 0;
  BOOL bNoLine21In = 0;
  BOOL bNoLine21Out = 0;
  int iNumStreams = 0;
  int iNumStreamsFailed = 0;
  DWORD dwFailedStreamsFlag = 0;
};

struct DVD_PLAYBACK_LOCATION2 {
  ULONG TitleNum = 0;
  ULONG ChapterNum = 0;
  DVD_HMSF_TIMECODE TimeCode;
  ULONG TimeCodeFlags = 0;
};

// The 32-bit event parameter of the time events as its four bytes, hours lowest.
constexpr DVD_HMSF_TIMECODE HmsfFromParam(std::uint32_t p) {
  return {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
          static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 24)};
}
constexpr std::uint32_t HmsfToParam(const DVD_HMSF_TIMECODE& t) {
  return t.bHours | (static_cast<std::uint32_t>(t.bMinutes) << 8) |
         (static_cast<std::uint32_t>(t.bSeconds) << 16) | (static_cast<std::uint32_t>(t.bFrames) << 24);
}

}  // namespace kavoro
