#include "platform/ui/numbers.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gw20::ui
