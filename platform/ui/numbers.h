#pragma once
// How numbers typed by the operator or printed by the console are read.

#include <cstdint>
#include <string_view>

namespace gw20::ui {

// The leading decimal number of `text`: leading blanks, tabs and line breaks
// skipped, then an optional sign, digits, an optional decimal point and
// fraction. A text that does not start with a number gives 0.
double LeadingNumber(std::string_view text);

// Nearest whole number, a half going to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Values beyond the 64-bit range are clamped.
std::int64_t RoundHalfEven(double value);

}  // namespace gw20::ui
