// Line noise on every character the controller sends, at rates from 0.1 % to
// 5 %, over 200 seeds per road.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/faults/fault_harness.h"

namespace gw20::testing {
namespace {

constexpr std::uint32_t kSeedsPerRate = 200;

// Texts the windows show ("title|text"), up to the first variable part.
bool SystemMessage(const std::string& shown) {
  static const std::vector<std::string> known{
      "Timeout",
      "The controller's EEPROM is only partly written: commit again.",
      "Some module isn't configured yet! Please use ZELK Utility to configure it.",
      "This modules is not supported!",
      "Attached modules do not match the configuration stored in EEPROM!",
      "This modules is not GW20A/QF!",
      "The scan listed more than 15 modules.",
      "Module ",  // a garbled module answer names the module and what is wrong
      "The controller's console showed EEPROM word ",  // never typed back
  };
  const std::string text = shown.substr(shown.find('|') + 1);
  return std::ranges::any_of(known, [&text](const std::string& start) { return text.starts_with(start); });
}

void Garble(Road road, const char* name) {
  std::map<std::string, int> outcomes;
  for (const double rate : {0.001, 0.005, 0.01, 0.02, 0.05}) {
    for (std::uint32_t seed = 1; seed <= kSeedsPerRate; ++seed) {
      SCOPED_TRACE(std::string(name) + " rate " + std::to_string(rate) + " seed " + std::to_string(seed));
      auto options = TwoModules();
      options.garbleSeed = seed;
      ConnectHarness r(std::move(options));
      if (road) r.OpenPage(*road);
      r.h.messages.Clear();
      r.controller.SetGarbleRate(rate);
      r.Press(road);
      const auto shown = r.Shown();
      for (const auto& message : shown) EXPECT_TRUE(SystemMessage(message)) << message;
      outcomes[shown.empty() ? "success" : shown.front()] += 1;
      // A commit that says nothing wrote every word as meant.
      EXPECT_TRUE(!road || !shown.empty() || r.WroteAsIntended(road));
      EXPECT_LE(r.h.state.modules.ModuleCount, 15);
      EXPECT_LE(r.h.state.modules.CurrentModule, 15);
      EXPECT_FALSE(r.h.state.CommitBusy);
      EXPECT_FALSE(r.port.IsOpen());
    }
  }
  std::cout << name << ", " << 5 * kSeedsPerRate << " garbled runs:\n";
  for (const auto& [outcome, count] : outcomes) std::cout << "  " << count << "  " << outcome << "\n";
}

TEST(GarbledLines, Connect) { Garble(std::nullopt, "connect"); }
// A connect types back every word it reads: on a configured controller, under
// line noise, the program changes no stored word, whatever the connect ends
// in. Read alone (gw20cli --no-type-back), not even a misread word is stored.
TEST(GarbledLines, ConnectOfAConfiguredController_ChangesNoStoredWord) {
  ConnectHarness::Words configured;
  {
    FaultHarness healthy;
    healthy.Prepare(std::nullopt);
    configured = AllEepromWords(healthy.controller);
  }
  for (const bool alone : {false, true}) {
    std::map<std::string, int> outcomes;
    int changed = 0, misread = 0;
    for (const double rate : {0.002, 0.005, 0.01}) {
      for (std::uint32_t seed = 1; seed <= kSeedsPerRate; ++seed) {
        SCOPED_TRACE("rate " + std::to_string(rate) + " seed " + std::to_string(seed) +
                     (alone ? " read alone" : ""));
        auto options = TwoModules();
        options.garbleSeed = seed;
        ConnectHarness r(std::move(options));
        r.h.state.console.ReadWordsAlone = alone;
        for (int k = 0; k < 3 * 64; ++k) r.controller.SetWord(k / 64, 4 * (k % 64), configured[k]);
        r.controller.SetGarbleRate(rate);
        r.Press(std::nullopt);
        // Typing back, a word may change only by the one fault the console's
        // display cannot show: noise turning a digit of the value into another
        // digit (or a line end), so the program types back a clean number the
        // word never held. Anything else would be the program's own doing.
        const auto now = AllEepromWords(r.controller);
        const auto& typed = r.controller.Transcript();
        for (std::size_t i = 0; i < now.size(); ++i) {
          if (now[i] == configured[i]) continue;
          const auto back = " " + std::to_string(static_cast<std::int32_t>(now[i]));
          const bool shownAsAnotherNumber = std::find(typed.begin(), typed.end(), back) != typed.end();
          (shownAsAnotherNumber ? misread : changed) += 1;
          EXPECT_TRUE(shownAsAnotherNumber && !alone)
              << "word " << i << ": " << configured[i] << " became " << now[i];
        }
        const auto shown = r.Shown();
        outcomes[shown.empty() ? "success" : shown.front()] += 1;
      }
    }
    std::cout << "connect of a configured controller, " << (alone ? "words read alone" : "values typed back")
              << ", 600 garbled runs: " << changed << " words changed by the program, " << misread
              << " typed back as shown with a digit garbled\n";
    for (const auto& [outcome, count] : outcomes) std::cout << "  " << count << "  " << outcome << "\n";
    EXPECT_EQ(changed, 0);
    if (alone) {
      EXPECT_EQ(misread, 0);
    }
  }
}

TEST(GarbledLines, CanopenCommit) { Garble(Profile::Canopen, "CANopen commit"); }
TEST(GarbledLines, DeviceNetCommit) { Garble(Profile::DeviceNet, "DeviceNet commit"); }

}  // namespace
}  // namespace gw20::testing
