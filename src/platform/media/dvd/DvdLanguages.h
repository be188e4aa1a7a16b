#pragma once
// Two-letter language codes of a disc (ISO 639-1, as the disc stores them) and the platform's
// language identifiers.
#include <cstdint>

#include "platform/media/dvd/DvdTypes.h"

namespace kavoro::media {

// The identifier of the language's main form (English U.S. 0x0409, French 0x040C, German
// 0x0407...); 0 for a code the table does not know, 0xffff (no language) or 0.
LCID LanguageFromDiscCode(std::uint16_t code);

}  // namespace kavoro::media
