// Lines that do not come back as typed, and values shown garbled: nothing
// wrong is entered as it stands, and a connect leaves every stored word as it
// was. Against the simulated controller on virtual time, with the line
// between tampered with.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/console.h"
#include "link/eeprom_image.h"
#include "link/eeprom_procedures.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "tests/support/console_bench.h"
#include "tests/support/module_tables.h"
#include "tests/support/simulated_port.h"

namespace gw20::link {
namespace {

using Words = std::vector<std::uint32_t>;

// A simulated line with one fault on request: the `at`-th character typed
// after `after` has been typed in full reaches the controller changed, or its
// echo comes back changed; or the controller's text `shown` reads `instead`.
class TamperingPort : public gw20::testing::SimulatedPort {
 public:
  using SimulatedPort::SimulatedPort;

  void Write(std::string_view text) override {
    std::string out(text);
    for (char& c : out) {
      typedSoFar_ += c;
      if (armed_ > 0 && typedSoFar_.ends_with(trigger_)) armed_ = 0, countdown_ = at_;
      if (countdown_ > 0 && --countdown_ == 0) {
        if (inbound_) c = '7';
        echoToChange_ = !inbound_;
      }
    }
    SimulatedPort::Write(out);
  }
  std::string ReadAll() override {
    std::string text = SimulatedPort::ReadAll();
    if (echoToChange_ && !text.empty()) text[0] = '#', echoToChange_ = false;
    if (!shown_.empty()) {
      if (const auto at = text.find(shown_); at != std::string::npos) {
        text.replace(at, shown_.size(), instead_);
        shown_.clear();
      }
    }
    return text;
  }

  // Changes the `at`-th character typed after `trigger` (1 = the first).
  void ChangeTyped(std::string trigger, int at, bool inbound) {
    trigger_ = std::move(trigger), at_ = at, inbound_ = inbound, armed_ = 1;
  }
  void ChangeShown(std::string shown, std::string instead) {
    shown_ = std::move(shown), instead_ = std::move(instead);
  }

 private:
  std::string typedSoFar_, trigger_, shown_, instead_;
  int at_ = 0, armed_ = 0, countdown_ = 0;
  bool inbound_ = false, echoToChange_ = false;
};

struct WithController {
  sim::Controller controller{gw20::testing::Unbuffered()};
};

class EchoCheck : public ::testing::Test,
                  public WithController,
                  public gw20::testing::ConsoleBench<TamperingPort> {
 protected:
  EchoCheck() : ConsoleBench(controller) { state.ControllerPrompt = "GW20M>"; }
  Words AllWords() const { return gw20::testing::AllEepromWords(controller); }
  std::vector<std::string> LinesSince(std::size_t first) const {
    return gw20::testing::LinesSince(controller, first);
  }
  // A committed image of three modules.
  void Commit() {
    ConfigurationValues values;
    values.Now = {2026, 12, 6, 9, 30, 15};
    values.ErrorControlWord = 0x84000000u + 1000u * 256u;
    ASSERT_TRUE(BuildConfigurationImage(values, params, table, image).Ok());
    ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, false).Ok());
  }

  modules::ModuleTable table = gw20::testing::Scanned({{"1", "RA850"}, {"2", "RA812"}, {"17", "RA394"}});
  EepromImage image;
  GatewayParameters params;
};

// A value that reaches the controller changed, or whose echo alone comes back
// changed, is entered, reopened with "el", set and read back: the commit ends
// with every word as intended.
TEST_F(EchoCheck, CommitValueNotEchoedAsTyped_IsRepairedToTheIntendedWord) {
  Commit();
  const Words intended = AllWords();
  for (const bool inbound : {true, false}) {
    for (int k = 0; k < 9; ++k) controller.SetWord(0, 40 + 4 * k, 0);
    const auto before = controller.Transcript().size();
    // The third character of the word typed after "el 40" and its first word.
    port.ChangeTyped("el 40\r" + std::to_string(image.ConfigHeader[0]) + "\r", 3, inbound);
    ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, false).Ok()) << inbound;
    EXPECT_EQ(AllWords(), intended) << inbound;
    const auto lines = LinesSince(before);
    // The changed line was entered, then the word reopened and read back.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "el 44"), lines.end()) << inbound;
  }
}

// The connect types back what it read: a value that comes back other than
// typed is repaired to the value read; a value shown garbled is never typed
// back: "." leaves it and the connect stops with its own message.
TEST_F(EchoCheck, ConnectNeverChangesAStoredWord) {
  Commit();
  const Words stored = AllWords();
  for (const bool inbound : {true, false}) {
    port.ChangeTyped("el 40\r", 2, inbound);
    const auto before = controller.Transcript().size();
    EepromImage read;
    ASSERT_TRUE(ReadStoredConfiguration(console, state, read).Ok()) << inbound;
    EXPECT_EQ(AllWords(), stored) << inbound;
    const auto lines = LinesSince(before);
    // Reopened to read it, and once more to read back what was typed again.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "el 40"), inbound ? 3 : 2) << inbound;
    EXPECT_EQ(Words(read.ConfigHeader.begin(), read.ConfigHeader.begin() + 9),
              Words(image.ConfigHeader.begin(), image.ConfigHeader.begin() + 9));
  }

  const auto word44 = std::to_string(static_cast<std::int32_t>(image.ConfigHeader[1]));
  port.ChangeShown("Long(44)=" + word44, "Long(44)=1#" + word44.substr(2));
  const auto before = controller.Transcript().size();
  EepromImage read;
  const auto garbled = ReadStoredConfiguration(console, state, read);
  EXPECT_EQ(garbled.status, EepromStatus::Error);
  EXPECT_EQ(garbled.description, GarbledWordText(0, 44));
  EXPECT_EQ(AllWords(), stored);
  const auto lines = LinesSince(before);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), ".");
  EXPECT_EQ(lines[lines.size() - 2], std::to_string(image.ConfigHeader[0]).insert(0, " "));
}

// What counts as a value that can be typed back as it stands.
TEST(ShownValue, OneNumberAWordCanHoldWithBlanksAround) {
  for (const char* clean : {"-12", " 36\r\n", "\t0 ", "4294967295", "-2147483648"}) {
    EXPECT_TRUE(IsCleanShownValue(clean)) << clean;
  }
  for (const char* garbled :
       {"", " \r\n", "1#1092", "12 34", "+5", "4294967296", "-2147483649", "1.5", "--1"}) {
    EXPECT_FALSE(IsCleanShownValue(garbled)) << garbled;
  }
}

}  // namespace
}  // namespace gw20::link
