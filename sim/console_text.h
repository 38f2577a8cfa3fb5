#pragma once
// What the controller's console and its field port write alike: the line
// end, the blanks between a command's words, and the two errors both answer.

#include <string_view>

namespace gw20::sim {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kUnknownCommand = "Unknown command";
inline constexpr std::string_view kInvalidValue = "Invalid value";

}  // namespace gw20::sim
