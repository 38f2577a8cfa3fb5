// Against a controller: the EEPROM image read, checked, built and written,
// also over a line that tampers with what passes; the field-port scan, its
// listing's odd entries and bad answers; the scan dialog's presets.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link/com_para_setting_f.h"
#include "link/console.h"
#include "link/eeprom_image.h"
#include "link/eeprom_procedures.h"
#include "link/field_port_scan.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_table.h"
#include "tests/support/console_bench.h"
#include "tests/support/module_tables.h"
#include "tests/support/scripted_port.h"
#include "tests/support/simulated_port.h"

namespace gw20::link {
namespace {

using namespace std::chrono_literals;
using Words = std::vector<std::uint32_t>;

// Three known modules in slots 0..2, identified as the scan does.
modules::ModuleTable ThreeModules() {
  return gw20::testing::Scanned({{"1", "RA850"}, {"2", "RA812"}, {"17", "RA394"}});
}

// A simulated line with one fault on request: the `at`-th character (1 = the
// first) typed after `trigger` reaches the controller changed, or its echo
// comes back changed; or the controller's text `shown` reads `instead`.
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

// A base, so the controller is there before the console bench's port.
struct WithController {
  sim::Controller controller{gw20::testing::Unbuffered()};
};

// The line tampers with nothing unless a test asks it to.
class EepromWithController : public ::testing::Test,
                             public WithController,
                             public gw20::testing::ConsoleBench<TamperingPort> {
 protected:
  EepromWithController() : ConsoleBench(controller) {
    state.ControllerPrompt = "GW20M>";
    values.Now = {2026, 12, 6, 9, 30, 15};
    // Heartbeat with flag bits above 127: the console shows this word negative.
    values.ErrorControlWord = 0x84000000u + 1000u * 256u;
  }
  Words AllWords() const { return gw20::testing::AllEepromWords(controller); }
  std::vector<std::string> LinesSince(std::size_t first) const {
    return gw20::testing::LinesSince(controller, first);
  }
  void Commit() {
    ASSERT_TRUE(BuildConfigurationImage(values, params, ThreeModules(), image).Ok());
    ASSERT_TRUE(WriteConfigurationImage(console, state, events, image, false).Ok());
  }

  EepromImage image;
  GatewayParameters params;
  ConfigurationValues values;
  std::vector<int> progress;
  ProgressCallback record = [this](int value) { progress.push_back(value); };
};
using EchoCheck = EepromWithController;

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
  values.LastOutputMap = 2, values.LastInputMap = 3;
  ASSERT_NO_FATAL_FAILURE(Commit());
  EXPECT_EQ(std::pair(image.ModuleBlockBytes, image.EepromConfigValid), std::pair(24, 1));
  const std::string errorControlText = "-2080118784";
  const auto lines = controller.Transcript();
  const auto block2 = std::find(lines.begin(), lines.end(), "block 2");
  ASSERT_NE(block2, lines.end());
  // "el 0", six words Long(0)..Long(20), then the end of the edit.
  EXPECT_EQ(std::vector<std::string>(block2 + 1, lines.end() - 1),
            (std::vector<std::string>{"el 0", errorControlText, "0", "33751040", "17321985", "17306114",
                                      "17011729", "."}));
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
  // Header word k with its high and its low half.
  const std::uint32_t faults[][3] = {
      {0, 436, 0},         {0, 437, 36},     {1, 5, 24}, {1, 0, 8},          {2, 0, 0},
      {2, 128, 0},         {2, 1, 3 * 256},  {2, 1, 9},  {3, 32768, 0x0101}, {3, 2020, 13 * 256},
      {3, 2020, 256 + 32}, {4, 25 * 256, 0}, {4, 61, 0}, {4, 0, 61 * 256},   {5, 0x0200, 0},
      {5, 8, 100},         {5, 0, 40000},    {6, 1, 34}, {7, 1, 1}};
  for (const auto& [k, high, low] : faults) {
    gw20::testing::ConsoleBench<gw20::testing::ScriptedPort> b;
    EepromImage image = valid;
    const std::uint32_t stored = high << 16 | low;
    image.ConfigHeader[k] = stored;
    image.EepromConfigValid = 0;
    EXPECT_TRUE(CheckStoredConfiguration(b.console, b.state, image, params, table, {}).Ok());
    EXPECT_TRUE(image.ConfigMismatch) << "word " << k << " = " << stored;
    EXPECT_EQ(image.EepromConfigValid, 0);
    EXPECT_TRUE(b.port.Lines().empty());
  }
}

// A value that reaches the controller changed, or only echoed changed, is
// entered, reopened, set and read back: every word ends as intended.
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

TEST(ShownValue, OneNumberAWordCanHoldWithBlanksAround) {
  for (const char* clean : {"-12", " 36\r\n", "\t0 ", "4294967295", "-2147483648"}) {
    EXPECT_TRUE(IsCleanShownValue(clean)) << clean;
  }
  for (const char* garbled :
       {"", " \r\n", "1#1092", "12 34", "+5", "4294967296", "-2147483649", "1.5", "--1"}) {
    EXPECT_FALSE(IsCleanShownValue(garbled)) << garbled;
  }
}

GatewayParameters ScanParameters(int checksum) {
  GatewayParameters params;
  params.BaudText = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
  params.ScanChecksum = checksum;
  return params;
}

struct Outcome {
  ScanResult result;
  modules::ModuleTable table;
  std::vector<std::string> lines;  // as the far end received them
  std::vector<int> progress;
  std::vector<std::string> status;
};

template <class Port>
Outcome Scan(gw20::testing::ConsoleBench<Port>& b, const GatewayParameters& params) {
  b.state.ControllerPrompt = "GW20M>";
  Outcome out;
  modules::ResetModuleTable(out.table);
  const ScanCallbacks callbacks{[&out](int value) { out.progress.push_back(value); },
                                [&out](std::string text) { out.status.push_back(std::move(text)); }};
  out.result = ScanFieldPort(b.console, b.state, params, out.table, callbacks);
  return out;
}

TEST(ScanFieldPort, SimulatedChainWithChecksums_FillsTableInListingOrder) {
  sim::ControllerOptions options;
  // Address, model, type code, data format, bit rate, checksum, "D".
  options.modules = {{0x05, "RA850", 0x30, 0x02, 9600, true, true},
                     {0x0A, "RA812", 0x41, 0x10, 9600, true, false},
                     {0x0F, "RA394", 0x0B, 0x00, 9600, true, false}};
  sim::Controller controller{gw20::testing::Unbuffered(options)};
  gw20::testing::ConsoleBench<gw20::testing::SimulatedPort> b{controller};
  const auto out = Scan(b, ScanParameters(1));
  ASSERT_TRUE(out.result.Ok()) << out.result.description;
  const std::vector<std::string> lines{
      "use com2", "/s1",      "",      "/timeout 200", "",     "",     "",   "/baud 9600",
      "/start 0", "/end  15", "/scan", "$052",         "$0A2", "$0F2", "/q", "/q"};
  EXPECT_EQ(controller.Transcript(), lines);
  EXPECT_EQ(controller.Prompt(), "GW20M>");
  EXPECT_EQ(out.progress, (std::vector<int>{3, 5, 6}));
  EXPECT_EQ(out.status, std::vector<std::string>{"Scaning..."});

  // Address, model, type code, data format; the application object keeps
  // the codes with the 9600 bit/s code 6 and a single type code.
  std::vector<std::string> found;
  for (int i = 0; i < out.table.ModuleCount; ++i) {
    const auto& r = out.table.ModuleList[out.table.ModuleOrder[i]];
    const auto& o = out.table.AppObjList[out.table.ModuleOrder[i]];
    EXPECT_EQ(std::vector<int>({o.TypeCode, o.DataFormat, o.Baud, o.TypeCodeCount, o.TypeCode2}),
              std::vector<int>({r.TypeCode, r.DataFormat, 6, 1, 0}));
    found.push_back(r.Address + " " + r.ModelName + " " + std::to_string(r.TypeCode) + " " +
                    std::to_string(r.DataFormat));
  }
  EXPECT_EQ(found, (std::vector<std::string>{"5 RA850 48 2", "10 RA812 65 16", "15 RA394 11 0"}));
  EXPECT_EQ(out.table.TotalAIBytes, 34);
}

// A scan whose far end answers the set-up, lists `listing` and answers each
// query from `answers` ("Timeout" for any other).
Outcome ScanScripted(const std::string& listing, std::map<std::string, std::string> answers,
                     int checksum = 0) {
  gw20::testing::ConsoleBench<gw20::testing::ScriptedPort> b;
  b.port.SetResponder([listing, answers](const std::string& line) {
    return gw20::testing::ScanFarEnd(
        line, listing,
        [&answers](const std::string& query) {
          const auto found = answers.find(query);
          return found == answers.end() ? std::string("Timeout") : found->second;
        },
        20ms);
  });
  auto out = Scan(b, ScanParameters(checksum));
  out.lines = b.port.Lines();
  return out;
}

TEST(ScriptedScan, ListingVariants_AreParsedWithoutOverrunningTheTable) {
  const auto empty = ScanScripted("Scan 0-15: no module", {});
  EXPECT_TRUE(empty.result.Ok());
  EXPECT_EQ(empty.table.ModuleCount, 0);

  // "D" before "{" is not part of the name; an entry cut off before its "{"
  // ends the listing and leaves its slot empty.
  const auto odd =
      ScanScripted("!05RA850{5}\r\n!0ARA850D{d}\r\n!07RA8", {{"$052", "!05300602"}, {"$0A2", "!0A310600"}});
  ASSERT_TRUE(odd.result.Ok()) << odd.result.description;
  const auto& list = odd.table.ModuleList;
  EXPECT_EQ(std::tuple(odd.table.ModuleCount, list[0].ModelName, list[1].ModelName, list[1].Address,
                       list[1].TypeCode, list[2].Address),
            std::tuple(2, "RA850", "RA850", "10", 0x31, ""));

  std::string sixteen;
  for (int i = 0; i < 16; ++i) sixteen += "!01RA394{x}";
  const auto tooMany = ScanScripted(sixteen, {{"$012", "!01300600"}});
  EXPECT_EQ(tooMany.result.status, ScanStatus::Error);
  EXPECT_FALSE(tooMany.result.description.empty());
}

TEST(ScriptedScan, BadEntriesAndAnswers_EndTheScanWithTheirFailure) {
  // Address 00 stops the scan before a later, fine entry is asked.
  const auto unconfigured = ScanScripted("!00RA850{}!05RA850{}", {{"$052", "!05300602"}});
  EXPECT_EQ(unconfigured.result.status, ScanStatus::ModuleNotConfigured);
  EXPECT_EQ(std::count(unconfigured.lines.begin(), unconfigured.lines.end(), "$052"), 0);

  EXPECT_EQ(ScanScripted("!05XX999{}", {}).result.status, ScanStatus::ModuleNotSupported);
  for (const char* answer : {"Timeout", "!05300602 Timeout", "no answer"}) {
    EXPECT_EQ(ScanScripted("!05RA850{}", {{"$052", answer}}).result.status, ScanStatus::ModuleNotSupported);
  }

  const auto garbled = ScanScripted("!05RA850{}", {{"$052", "!05ZZ0602"}});
  EXPECT_EQ(garbled.result.status, ScanStatus::Error);
  EXPECT_NE(garbled.result.description.find("type code"), std::string::npos) << garbled.result.description;
}

// The scan-parameters dialog's presets, headless. What OK, Enter and Escape
// store is ScanDialogViewTest's, HostileInput's and the connect's.
TEST(ComParaSetting, ListsPresetTheStoredChoiceAndAreNotDoubled) {
  testing::FormRecorder host;
  ui::Form mainForm{"Main_F", host};
  GatewayParameters params;
  bool done = false;
  ComParaSetting_F dialog{params, done, host, mainForm};
  // The first opening's rate and time-out are the connect's "/baud 9600" and
  // "/timeout 200"; the list's rates, CliEndToEnd's "/baud 19200".
  dialog.Show();
  EXPECT_EQ(dialog.ScanChecksumCombol.Text(), " Disable");
  // Every entry as the dialog spells it, blanks included.
  EXPECT_EQ(dialog.ScanBaudrateCombol.Items(),
            (std::vector<std::string>{"     1200 BPS", "     2400 BPS", "     4800 BPS", "     9600 BPS",
                                      "   19200 BPS", "   38400 BPS", "   57600 BPS", " 115200 BPS"}));
  EXPECT_EQ(dialog.ScanChecksumCombol.Items(), (std::vector<std::string>{" Disable", "Enable"}));
  // A second opening shows the previous choice, and the lists are not doubled.
  dialog.Unload();
  params.ScanBaudIndex = 7;
  params.ScanTimeoutMs = 1500;
  dialog.Show();
  EXPECT_EQ(dialog.ScanBaudrateCombol.ListCount(), 8);
  EXPECT_EQ(dialog.ScanBaudrateCombol.Text(), " 115200 BPS");
  EXPECT_EQ(dialog.ScanTimeout.Text(), "1500");
}

}  // namespace
}  // namespace gw20::link
