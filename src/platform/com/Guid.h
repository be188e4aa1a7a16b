#pragma once
// Globally unique identifiers for classes and interfaces, in the platform's binary layout.
#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kavoro {

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::array<std::uint8_t, 8> Data4{};

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
  friend constexpr auto operator<=>(const GUID&, const GUID&) = default;

  // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, hex digits in either
  // case); nullopt for anything else.
  static std::optional<GUID> Parse(std::string_view text);
  // The braced, upper-case form, as the registry stores it.
  std::string ToString() const;
  bool IsNull() const { return *this == GUID{}; }
};

using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;

constexpr GUID GUID_NULL{};

// Compile-time GUID from its parts, for the named identifiers in headers.
constexpr GUID MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint8_t b0,
                        std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                        std::uint8_t b5, std::uint8_t b6, std::uint8_t b7) {
  return GUID{d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}};
}

}  // namespace kavoro

template <>
struct std::hash<kavoro::GUID> {
  std::size_t operator()(const kavoro::GUID& g) const noexcept {
    std::size_t h = g.Data1;
    h = h * 31 + g.Data2;
    h = h * 31 + g.Data3;
    for (auto b : g.Data4) h = h * 31 + b;
    return h;
  }
};
