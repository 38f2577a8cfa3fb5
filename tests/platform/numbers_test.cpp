#include "platform/ui/numbers.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/ui/number_text.h"

namespace gw20::ui {
namespace {

// Exponents, hexadecimal, empty and wordy texts, and rounding 12.5 to 12 are
// HostileInput's; here the console's replies and the EEPROM's largest word.
TEST(LeadingNumber, TakesLeadingDecimalAfterBlanksAndLineBreaksElseZero) {
  EXPECT_EQ(LeadingNumber("  -12.5abc"), -12.5);
  EXPECT_EQ(LeadingNumber("\t\r\n7\r\n-->"), 7.0);
  EXPECT_EQ(LeadingNumber("4294967295"), 4294967295.0);
  EXPECT_EQ(LeadingNumber("-"), 0.0);  // a sign alone is no number
}

// The one fault fuzzing found: D2 negated the smallest 64-bit number.
TEST(NumberText, D2_KeepsTheSmallestNumber) {
  EXPECT_EQ(D2(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

}  // namespace
}  // namespace gw20::ui
