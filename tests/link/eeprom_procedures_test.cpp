// Reading, checking, building and writing the EEPROM configuration image,
// against the simulated controller on virtual time.

#include "link/eeprom_procedures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "link/console.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_table.h"
#include "tests/support/console_bench.h"
#include "tests/support/module_tables.h"
#include "tests/support/scripted_port.h"
#include "tests/support/simulated_port.h"

namespace gw20::link {
namespace {

using Words = std::vector<std::uint32_t>;

constexpr std::uint32_t kHeaderMagic = 436u << 16;

// Three known modules in slots 0..2, identified as the scan does.
modules::ModuleTable ThreeModules() {
  return gw20::testing::Scanned({{"1", "RA850"}, {"2", "RA812"}, {"17", "RA394"}});
}

// A base, so the controller is there before the console bench's port.
struct WithController {
  sim::Controller controller{gw20::testing::Unbuffered()};
};

class EepromWithController : public ::testing::Test,
                             public WithController,
                             public gw20::testing::ConsoleBench<gw20::testing::SimulatedPort> {
 protected:
  EepromWithController() : ConsoleBench(controller) { state.ControllerPrompt = "GW20M>"; }
  Words AllWords() const { return gw20::testing::AllEepromWords(controller); }
  std::vector<std::string> LinesSince(std::size_t first) const {
    return gw20::testing::LinesSince(controller, first);
  }

  EepromImage image;
  GatewayParameters params;
  std::vector<int> progress;
  ProgressCallback record = [this](int value) { progress.push_back(value); };
};

TEST_F(EepromWithController, UnwrittenHeader_ConnectsWithDefaultsAndNoBlockTwoRead) {
  controller.SetWord(0, 40, 436u * 65536u);  // the magic alone, low half 0: never committed
  params.NodeId = 9, params.CanBaudIndex = 4, params.ApplicationType = kDeviceNet;
  params.ScanBaudIndex = 5, params.ScanChecksum = 1, params.ScanTimeoutMs = 300;

  // The firmware word as read is Connect.NewController's.
  ASSERT_TRUE(ReadStoredConfiguration(console, state, image).Ok());
  EXPECT_EQ(image.ConfigHeader[1], 4294967295.0);  // erased, shown as -1

  const auto afterRead = controller.Transcript().size();
  ASSERT_TRUE(CheckStoredConfiguration(console, state, image, params, ThreeModules(), record).Ok());
  EXPECT_TRUE(image.ConfigMismatch);
  EXPECT_EQ(image.EepromConfigValid, 0);
  // NodeId, CanBaudIndex, ApplicationType, then the field port as scanned.
  EXPECT_EQ((std::vector<int>{params.NodeId, params.CanBaudIndex, params.ApplicationType,
                              params.Com2BaudIndex, params.Com2Checksum, params.Com2Timeout}),
            (std::vector<int>{1, 0, kDeviceNet, 5, 1, 300}));
  EXPECT_EQ(image.ModuleBlock, Words(4, 0));
  EXPECT_EQ(progress, std::vector<int>{8});
  EXPECT_TRUE(LinesSince(afterRead).empty());
}

TEST_F(EepromWithController, BuiltImage_IsWrittenWordByWordAndReadBackUnchanged) {
  const auto table = ThreeModules();
  params.NodeId = 5, params.CanBaudIndex = 2, params.Com2BaudIndex = 3, params.Com2Timeout = 250;
  ConfigurationValues values;
  values.Now = {2026, 12, 6, 9, 30, 15};
  // Heartbeat with flag bits above 127: the console shows this word negative.
  values.ErrorControlWord = 0x84000000u + 1000u * 256u;
  values.LastOutputMap = 2, values.LastInputMap = 3;
  ASSERT_TRUE(BuildConfigurationImage(values, params, table, image).Ok());
  EXPECT_EQ(image.ModuleBlockBytes, 24);
  EXPECT_EQ(image.EepromConfigValid, 1);

  ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, false).Ok());
  const std::string errorControlText = "-2080118784";
  const auto lines = controller.Transcript();
  const auto block2 = std::find(lines.begin(), lines.end(), "block 2");
  ASSERT_NE(block2, lines.end());
  // "el 0", six words Long(0)..Long(20), then the end of the edit.
  const std::vector<std::string> moduleLines(block2 + 1, lines.end() - 1);
  const std::vector<std::string> expected{"el 0",     errorControlText, "0",        "33751040",
                                          "17321985", "17306114",       "17011729", "."};
  EXPECT_EQ(moduleLines, expected);
  EXPECT_EQ(controller.Word(2, 24), 0xFFFFFFFFu);  // the word after the last stays erased

  const auto before = AllWords();
  const auto afterWrite = controller.Transcript().size();
  EepromImage read;
  GatewayParameters connected;
  ASSERT_TRUE(ReadStoredConfiguration(console, state, read).Ok());
  ASSERT_TRUE(CheckStoredConfiguration(console, state, read, connected, table, record).Ok());
  EXPECT_EQ(AllWords(), before);
  EXPECT_FALSE(read.ConfigMismatch);
  EXPECT_EQ(read.EepromConfigValid, 1);
  EXPECT_EQ(read.ModuleBlock[0], values.ErrorControlWord);
  EXPECT_EQ((std::vector<int>{connected.NodeId, connected.CanBaudIndex, connected.Com2BaudIndex,
                              connected.Com2Timeout, read.ConfigTime.year, read.ConfigTime.second}),
            (std::vector<int>{5, 2, 3, 250, 2026, 15}));
  EXPECT_EQ(progress, (std::vector<int>{7, 8}));
  // The negative word is typed back as the text it showed.
  const auto readLines = LinesSince(afterWrite);
  EXPECT_NE(std::find(readLines.begin(), readLines.end(), errorControlText), readLines.end());
}

TEST_F(EepromWithController, SafeOrderAndVerify_LeaveTheSameImageAndCatchADifferentWord) {
  ConfigurationValues deviceNet;
  deviceNet.DeviceNet = true;
  ASSERT_TRUE(BuildConfigurationImage(deviceNet, params, ThreeModules(), image).Ok());
  image.DeviceNetBlock = {2u << 16, 1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, true).Ok());
  const Words inOrder = AllWords();
  // Blank what the commit writes, then write it again in the safe order.
  for (int k = 0; k < 9; ++k) controller.SetWord(0, 40 + 4 * k, 0);
  for (int k = 0; k < image.ModuleBlockBytes / 4; ++k) controller.SetWord(2, 4 * k, 0);
  for (int k = 0; k < 7; ++k) controller.SetWord(1, 4 * k, 0);
  const auto before = controller.Transcript().size();
  ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, true, {.safeOrder = true}).Ok());
  EXPECT_EQ(AllWords(), inOrder);
  // The header is made unwritten first and its first word typed last.
  const std::vector<std::string> typed(controller.Transcript().begin() + static_cast<std::ptrdiff_t>(before),
                                       controller.Transcript().end());
  EXPECT_EQ(std::vector<std::string>(typed.begin() + 5, typed.begin() + 9),
            (std::vector<std::string>{"block 0", "el 40", "0", "."}));
  EXPECT_EQ(typed[typed.size() - 3], std::to_string(static_cast<std::int32_t>(image.ConfigHeader[0])));

  const auto unchanged = AllWords();
  ASSERT_TRUE(VerifyConfigurationImage(console, state, image, true).Ok());
  EXPECT_EQ(AllWords(), unchanged);  // reading back changes nothing
  controller.SetWord(2, 8, 77);
  const auto differs = VerifyConfigurationImage(console, state, image, true);
  EXPECT_EQ(differs.status, EepromStatus::Error);
  EXPECT_EQ(differs.description, "EEPROM verify failed at block 2 word 2");
}

// Each implausible field of a stored header on its own.
TEST(CheckStoredConfiguration, EachImplausibleField_SetsMismatchWithoutConsole) {
  const auto table = ThreeModules();
  GatewayParameters params;
  EepromImage valid;
  ConfigurationValues values;
  values.Now = {2020, 1, 2, 3, 4, 5};
  ASSERT_TRUE(BuildConfigurationImage(values, params, table, valid).Ok());
  const auto word = [](std::uint32_t high, std::uint32_t low) { return high << 16 | low; };
  const std::vector<std::pair<int, std::uint32_t>> faults{{0, kHeaderMagic},
                                                          {0, word(437, 36)},
                                                          {1, word(5, 24)},
                                                          {1, word(0, 8)},
                                                          {2, word(0, 0)},
                                                          {2, word(128, 0)},
                                                          {2, word(1, 3 * 256)},
                                                          {2, word(1, 9)},
                                                          {3, word(32768, 0x0101)},
                                                          {3, word(2020, 13 * 256)},
                                                          {3, word(2020, 256 + 32)},
                                                          {4, word(25 * 256, 0)},
                                                          {4, word(61, 0)},
                                                          {4, word(0, 61 * 256)},
                                                          {5, word(0x0200, 0)},
                                                          {5, word(8, 100)},
                                                          {5, word(0, 40000)},
                                                          {6, word(1, 34)},
                                                          {7, word(1, 1)}};
  for (const auto& [k, stored] : faults) {
    gw20::testing::ConsoleBench<gw20::testing::ScriptedPort> b;
    EepromImage image = valid;
    image.ConfigHeader[k] = stored;
    image.EepromConfigValid = 0;
    EXPECT_TRUE(CheckStoredConfiguration(b.console, b.state, image, params, table, {}).Ok());
    EXPECT_TRUE(image.ConfigMismatch) << "word " << k << " = " << stored;
    EXPECT_EQ(image.EepromConfigValid, 0);
    EXPECT_TRUE(b.port.Lines().empty());
  }
}

}  // namespace
}  // namespace gw20::link
