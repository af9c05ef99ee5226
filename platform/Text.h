#pragma once
// 8-bit texts of the mail client's files are Windows-1252.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrove::platform {

namespace detail {
// Filled once from the rules in Text.cpp; the sorts and the statistics fold
// every byte they compare, so the folding is a table look-up.
extern const std::array<std::uint8_t, 256> kLower1252;
extern const std::array<std::uint8_t, 256> kUpper1252;
}  // namespace detail

// Lower and upper case by the Windows-1252 rules (A-Z and the accented
// capitals), whatever the machine's locale.
inline std::uint8_t ToLower1252(std::uint8_t c) {
    return detail::kLower1252[c];
}
inline std::uint8_t ToUpper1252(std::uint8_t c) {
    return detail::kUpper1252[c];
}
std::string ToLower1252(std::string_view text);

// Windows-1252 bytes to UTF-8, for display.
std::string Cp1252ToUtf8(std::string_view text);

// Whether the bytes are UTF-8: each lead byte (C2-F4) followed by all its
// continuation bytes. Texts that mix file-system paths with names from the
// folders are shown as UTF-8 when they are, else as Windows-1252.
bool IsValidUtf8(std::string_view text);

// Locale-aware, case-sensitive comparison of two Windows-1252 texts in the
// user's locale (the language-neutral root collation in the C/POSIX locale).
// Negative, zero or positive.
int CollateCompare(std::string_view a, std::string_view b);

}  // namespace kestrove::platform
