// The field-port scan: the pass-through set-up and the whole scan against the
// simulated controller, the listing's odd entries and bad answers on scripts;
// and the scan-parameters dialog's presets.

#include "link/field_port_scan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "link/com_para_setting_f.h"
#include "link/console.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "tests/support/console_bench.h"
#include "tests/support/scripted_port.h"
#include "tests/support/simulated_port.h"

namespace gw20::link {
namespace {

using namespace std::chrono_literals;

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
  options.modules = {
      {.address = 0x05,
       .model = "RA850",
       .typeCode = 0x30,
       .dataFormat = 0x02,
       .checksum = true,
       .dSuffix = true},
      {.address = 0x0A, .model = "RA812", .typeCode = 0x41, .dataFormat = 0x10, .checksum = true},
      {.address = 0x0F, .model = "RA394", .typeCode = 0x0B, .dataFormat = 0x00, .checksum = true}};
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
