#pragma once
// Fixed English names for the platform's language identifiers, independent of the machine's
// own language settings.
#include <cstdint>
#include <string>

namespace kavoro {

constexpr const char* kUnknownLanguage = "Unknown Language";

// The name for a language identifier, matched whole (language and sublanguage together);
// "Unknown Language" for anything not in the table. Never empty. Any thread.
std::string LanguageName(std::uint32_t lcid);

}  // namespace kavoro
