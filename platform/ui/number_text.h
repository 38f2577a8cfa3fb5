#pragma once
// How numbers are written in tables, files and status texts, and how texts
// lose their padding. Every window, EDS writer and report takes its number
// texts from here.

#include <cstdint>
#include <string>
#include <string_view>

namespace gw20::ui {

// Decimal without blanks: 5 -> "5", -3 -> "-3".
std::string Dec(long long value);

// Decimal with one leading blank for a non-negative value, the sign in its
// place otherwise: 5 -> " 5", -3 -> "-3".
std::string Str(long long value);

// Uppercase hexadecimal without prefix or leading zeros: 0x30191 -> "30191",
// 0 -> "0".
std::string Hex(std::uint64_t value);

// At least two uppercase hexadecimal digits: 5 -> "05", 31 -> "1F",
// 256 -> "100". A negative value counts as 0.
std::string H2(long long value);

// Decimal with at least two digits: 3 -> "03", 123 -> "123". A negative
// value keeps its sign in front of the digits (-3 -> "-03").
std::string D2(long long value);

// The text without the blanks at its ends. Only blanks: line ends and tabs
// stay, since a console reply's line structure still matters to its reader.
std::string_view TrimBlanks(std::string_view text);

}  // namespace gw20::ui
