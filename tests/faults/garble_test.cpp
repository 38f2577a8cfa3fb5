// Line noise on every character the controller sends, at rates from 0.1 % to
// 5 %, over 200 seeds per road: each run succeeds or ends in one of the
// system's messages, with at most 15 modules and nothing left busy.

#include <gtest/gtest.h>

#include <array>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {
namespace {

constexpr std::array<double, 5> kRates{0.001, 0.005, 0.01, 0.02, 0.05};
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
  };
  const std::string text = shown.substr(shown.find('|') + 1);
  for (const auto& start : known) {
    if (text.rfind(start, 0) == 0) return true;
  }
  return false;
}

void Garble(Road road, const char* name) {
  std::map<std::string, int> outcomes;
  for (const double rate : kRates) {
    for (std::uint32_t seed = 1; seed <= kSeedsPerRate; ++seed) {
      SCOPED_TRACE(std::string(name) + " rate " + std::to_string(rate) + " seed " + std::to_string(seed));
      auto options = WithModules({{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA312"}});
      options.garbleSeed = seed;
      ConnectHarness r(std::move(options));
      if (road) r.OpenPage(*road);
      r.h.messages.Clear();
      r.controller.SetGarbleRate(rate);
      r.Press(road);
      const auto shown = r.Shown();
      for (const auto& message : shown) EXPECT_TRUE(SystemMessage(message)) << message;
      outcomes[shown.empty() ? "success" : shown.front()] += 1;
      EXPECT_LE(r.h.state.modules.ModuleCount, 15);
      EXPECT_LE(r.h.state.modules.CurrentModule, 15);
      EXPECT_FALSE(r.h.state.CommitBusy);
      EXPECT_FALSE(r.port.IsOpen());
    }
  }
  std::cout << name << ", " << kRates.size() * kSeedsPerRate << " garbled runs:\n";
  for (const auto& [outcome, count] : outcomes) std::cout << "  " << count << "  " << outcome << "\n";
}

TEST(GarbledLines, Connect) { Garble(std::nullopt, "connect"); }
TEST(GarbledLines, CanopenCommit) { Garble(Profile::Canopen, "CANopen commit"); }
TEST(GarbledLines, DeviceNetCommit) { Garble(Profile::DeviceNet, "DeviceNet commit"); }

}  // namespace
}  // namespace gw20::testing
