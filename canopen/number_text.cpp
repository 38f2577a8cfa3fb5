#include "canopen/number_text.h"

#include <algorithm>

#include "platform/ui/numbers.h"

namespace gw20::canopen {

std::string HexText(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  constexpr std::uint64_t kBase = 16;
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value % kBase]);
    value /= kBase;
  } while (value > 0);
  return text;
}

std::string TwoDigitText(long long value) {
  const bool negative = value < 0;
  std::string digits = std::to_string(negative ? -value : value);
  if (digits.size() < 2) digits.insert(0, "0");
  return negative ? "-" + digits : digits;
}

std::uint32_t AddressValue(const std::string& Address) {
  constexpr std::int64_t kLargest = 0xFFFFFFFF;
  const std::int64_t value = ui::RoundHalfEven(ui::LeadingNumber(Address));
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, kLargest));
}

}  // namespace gw20::canopen
