#include "platform/ui/numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/ui/number_text.h"

namespace gw20::ui {
namespace {

// Exponents, hexadecimal, empty and wordy texts, 12.5 to 12: HostileInput's.
TEST(LeadingNumber, TakesLeadingDecimalAfterBlanksAndLineBreaksElseZero) {
  EXPECT_EQ(LeadingNumber("  -12.5abc"), -12.5);
  EXPECT_EQ(LeadingNumber("\t\r\n7\r\n-->"), 7.0);
  EXPECT_EQ(LeadingNumber("+.5"), 0.5);
  EXPECT_EQ(LeadingNumber("12."), 12.0);
  EXPECT_EQ(LeadingNumber("4294967295"), 4294967295.0);
  // Text without a number is zero.
  EXPECT_EQ(LeadingNumber("-"), 0.0);
  EXPECT_EQ(LeadingNumber(" . 5"), 0.0);
}

TEST(RoundHalfEven, HalvesGoToEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(0.4), 0);
  EXPECT_EQ(RoundHalfEven(2.51), 3);
  // Out of range is clamped, not undefined (a huge positive text is HostileInput's).
  EXPECT_EQ(RoundHalfEven(-1e30), std::numeric_limits<std::int64_t>::min());
}

// The everyday widths are pinned by the EDS files, the viewers' cells, the
// scan report and "COM 3"; here the edges.
TEST(NumberText, WidthsBlanksAndSigns) {
  EXPECT_EQ(Str(-3), "-3");
  EXPECT_EQ(Hex(0), "0");
  EXPECT_EQ(H2(256), "100");
  EXPECT_EQ(H2(-1), "00");
  EXPECT_EQ(D2(123), "123");
  EXPECT_EQ(D2(-3), "-03");
  EXPECT_EQ(D2(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace gw20::ui
