#include "platform/ui/number_text.h"

namespace gw20::ui {

std::string Dec(long long value) { return std::to_string(value); }

std::string Str(long long value) { return value < 0 ? Dec(value) : " " + Dec(value); }

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  constexpr std::uint64_t kBase = 16;
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % kBase]);
    value /= kBase;
  } while (value > 0);
  return text;
}

std::string H2(long long value) {
  std::string digits = Hex(value < 0 ? 0 : static_cast<std::uint64_t>(value));
  if (digits.size() < 2) digits.insert(0, "0");
  return digits;
}

std::string D2(long long value) {
  const bool negative = value < 0;
  std::string digits = std::to_string(negative ? 0ULL - static_cast<unsigned long long>(value) : value);
  if (digits.size() < 2) digits.insert(0, "0");
  return negative ? "-" + digits : digits;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace gw20::ui
