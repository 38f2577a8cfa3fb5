#include "platform/ui/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace gw20::ui {

double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    ++i;
    digits = true;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      ++i;
      digits = true;
    }
  }
  if (!digits) return 0.0;
  // strtod on a copy that holds only the number: no exponent, no hex, no locale surprises
  // beyond the decimal point, which is always '.' in the "C" locale the program keeps.
  const std::string number(text.substr(start, i - start));
  return std::strtod(number.c_str(), nullptr);
}

std::int64_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.2e18;
  if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
  if (value <= -kLimit) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(std::nearbyint(value));  // default rounding mode: to even
}

}  // namespace gw20::ui
