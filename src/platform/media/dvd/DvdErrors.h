#pragma once
// Result codes of the DVD navigator (VFW_E_DVD_NO_BUTTON, _RENDERFAIL and _DECNOTENOUGH are
// generic platform codes in HResult.h).
#include "platform/com/HResult.h"

namespace kavoro {

constexpr HRESULT VFW_E_DVD_OPERATION_INHIBITED = MakeHResult(0x80040276);
constexpr HRESULT VFW_E_DVD_INVALIDDOMAIN = MakeHResult(0x80040277);
constexpr HRESULT VFW_E_DVD_GRAPHNOTREADY = MakeHResult(0x80040279);
constexpr HRESULT VFW_E_DVD_INVALID_DISC = MakeHResult(0x80040284);

}  // namespace kavoro
