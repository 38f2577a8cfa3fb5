// The number texts: every text the program writes reads back as the number
// it was made from, and rounding stays within half a unit, a half going to
// the even neighbour. H2 and the reading of typed text are numbers_test's.

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/ui/number_text.h"
#include "platform/ui/numbers.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace gw20::ui;

constexpr std::int64_t kExact = std::int64_t{1} << 53;  // doubles hold every whole number below

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

void DecimalTexts(std::int64_t x) {
  const std::string dec = Dec(x);
  const std::string str = Str(x);
  const std::string d2 = D2(x);
  FUZZ_CHECK(str == (x < 0 ? dec : " " + dec));
  const std::string d2Digits = x < 0 ? d2.substr(1) : d2;
  FUZZ_CHECK(d2Digits.size() >= 2);
  for (const char c : d2Digits) FUZZ_CHECK(IsDecimalDigit(c));
  if (x <= -kExact || x >= kExact) return;
  const auto value = static_cast<double>(x);
  for (const std::string& text : {dec, str, d2}) {
    FUZZ_CHECK(LeadingNumber(text) == value);
    FUZZ_CHECK(RoundHalfEven(LeadingNumber(text)) == x);
  }
}

void HexTexts(std::uint64_t u) {
  const std::string hex = Hex(u);
  FUZZ_CHECK(!hex.empty() && (hex == "0" || hex.front() != '0'));
  std::uint64_t back = 0;
  const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), back, 16);
  FUZZ_CHECK(error == std::errc{} && end == hex.data() + hex.size() && back == u);
  for (const char c : hex) FUZZ_CHECK(IsDecimalDigit(c) || (c >= 'A' && c <= 'F'));
}

void Rounding(double value) {
  const std::int64_t r = RoundHalfEven(value);
  if (std::isnan(value)) {
    FUZZ_CHECK(r == 0);
    return;
  }
  if (std::fabs(value) >= 9.2e18) {
    FUZZ_CHECK(r == (value > 0 ? std::numeric_limits<std::int64_t>::max()
                               : std::numeric_limits<std::int64_t>::min()));
    return;
  }
  const double distance = std::fabs(value - static_cast<double>(r));
  FUZZ_CHECK(distance <= 0.5);
  if (distance == 0.5) FUZZ_CHECK(r % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto x = in.ConsumeIntegral<std::int64_t>();
  const auto u = in.ConsumeIntegral<std::uint64_t>();
  const auto bits = in.ConsumeIntegral<std::uint64_t>();
  DecimalTexts(x);
  HexTexts(u);
  Rounding(std::bit_cast<double>(bits));
  Rounding(static_cast<double>(x) / 2.0);  // halves, where the even neighbour matters
  return 0;
}
