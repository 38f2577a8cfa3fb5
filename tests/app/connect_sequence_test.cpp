// The connect sequence against the in-process simulated controller. Waking a
// console left in any mode is the fault matrix's: it connects again after a
// cut at every line.

#include "app/connect_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "link/connect_progress.h"
#include "tests/support/connect_harness.h"

namespace gw20::app {
namespace {

using namespace std::chrono_literals;
using Words = std::vector<std::uint32_t>;

sim::ControllerOptions Model(const std::string& model, std::vector<sim::FieldModule> modules = {}) {
  sim::ControllerOptions options;
  options.model = model;
  options.modules = std::move(modules);
  return options;
}

const std::vector<sim::FieldModule> kTwoModules{{.address = 0x05, .model = "RA850"},
                                                {.address = 0x0A, .model = "RA812"}};

// The connect bench, with the whole EEPROM and the commands typed.
struct Bench : testing::ConnectHarness {
  explicit Bench(sim::ControllerOptions options = Model("GW20M")) : ConnectHarness(std::move(options)) {}
  explicit Bench(const std::string& model) : Bench(Model(model)) {}

  Words Eeprom() const { return testing::AllEepromWords(controller); }
  // The command lines received, without the values typed back at edit prompts.
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const auto& line : controller.Transcript()) {
      const bool value = line.find_first_of("0123456789") != std::string::npos &&
                         line.find_first_not_of(" -0123456789") == std::string::npos;
      if (!value) commands.push_back(line);
    }
    return commands;
  }
  // The session ended: controls usable again, nothing left busy or open.
  void ExpectSessionEnded() const {
    const auto& f = h.form;
    EXPECT_TRUE(!h.state.CommitBusy && !port.IsOpen() && !f.ConnectProgress.Visible() && !f.Connected);
    EXPECT_TRUE(f.Enabled() && f.Connect.Enabled() && f.ComPort.Enabled() && f.EixtProgram.Enabled());
  }
};

const std::vector<std::string> kWakeUp{"", "", "", "/q", ".", "exit"};
const std::vector<std::string> kRead{"use eeprom", "block 0", "el 0", ".", "el 40",
                                     ".",          "block 1", "el 0", ".", "exit"};
const std::vector<std::string> kScanTwo{"use com2", "",           "/timeout 200", "",         "",
                                        "",         "/baud 9600", "/start 0",     "/end  15", "/scan",
                                        "$052",     "$0A2",       "/q",           "/q"};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(Connect, NewController_UsesDefaultsAndWarnsLast) {
  Bench b{Model("GW20M", kTwoModules)};
  const Words before = b.Eeprom();
  b.h.form.Connect.Press();

  // No block 2 is read from an unwritten EEPROM.
  EXPECT_EQ(b.Commands(), Joined({kWakeUp, kRead, kScanTwo}));
  EXPECT_EQ(b.Eeprom(), before);
  EXPECT_EQ(b.Shown(), std::vector<std::string>{
                           "Warnning|Attached modules do not match the configuration stored in EEPROM!"});
  const auto& form = b.h.form;
  EXPECT_EQ(b.h.forms.shows, (std::vector<std::string>{"ComParaSetting_F"}));
  // The erased header gives application 255, shown as DeviceNet; the other
  // defaults it gives are EepromWithController's.
  EXPECT_TRUE(form.Enabled() && form.Connected && !b.h.state.CommitBusy && form.ApplicationSelect[1].Value());
  EXPECT_EQ(form.FirmwareVer.Text() + "|" + form.CommunicationState.Text() + "|" + form.ViewerText[1].Text(),
            "2.05-2006/03/07|Waiting for configuration|DeviceNet");
  EXPECT_EQ(
      (std::vector<int>{b.h.state.modules.ModuleCount, b.h.state.params.ApplicationType, form.SelectedPanel}),
      (std::vector<int>{2, 255, kCanPanel}));
}

// A scan at a bit rate the modules do not use finds none but completes, and
// its rate becomes the default. Sixteen absent addresses at one second each
// take a quarter of a minute: the bar moves on in between its scan stages 3
// and 5, never back.
TEST(Connect, ScanAtAnotherBitRate_FindsNoModulesAndMovesTheBarBetweenItsStages) {
  Bench b{Model("GW20M", kTwoModules)};
  b.choose = [](link::ComParaSetting_F& dialog) {
    dialog.ScanBaudrateCombol.SetListIndex(4);
    dialog.ScanTimeout.Type("1000");
  };
  auto& bar = b.h.form.ConnectProgress;
  std::vector<int> shown;
  bar.Observe([&] { shown.push_back(bar.Value()); });
  b.h.form.Connect.Press();

  ASSERT_TRUE(b.h.form.Connected);
  const auto commands = b.Commands();
  EXPECT_NE(std::find(commands.begin(), commands.end(), "/baud 19200"), commands.end());
  EXPECT_EQ(std::tuple(b.h.state.modules.ModuleCount, b.h.state.params.Com2BaudIndex), std::tuple(0, 4));
  const auto during = std::count_if(shown.begin(), shown.end(), [](int value) {
    return value > link::kProgressScanStarted * kProgressPerStage &&
           value < link::kProgressScanned * kProgressPerStage;
  });
  EXPECT_GE(during, 10);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(shown.back(), kProgressMax);
}

// A GW20A is taken with its prompt (its picture and firmware text are
// cosmetic); any other controller, or none, ends with the timeout status.
TEST(Connect, ForeignControllerOrSilentLine_EndsWithTimeoutStatus) {
  Bench gw20a{"GW20A"};
  gw20a.h.form.Connect.Press();
  EXPECT_EQ(gw20a.h.state.console.ControllerPrompt, "GW20A>");
  EXPECT_TRUE(gw20a.h.form.Connected);
  Bench foreign{"QX30"};
  foreign.h.form.Connect.Press();
  EXPECT_EQ(foreign.Shown(), std::vector<std::string>{"Error|This modules is not GW20A/QF!"});
  EXPECT_EQ(foreign.controller.Transcript(), kWakeUp);
  Bench silent;
  silent.port.SetConnected(false);
  silent.h.form.Connect.Press();
  EXPECT_EQ(silent.Shown(), std::vector<std::string>{"Error|Timeout"});
  EXPECT_EQ(silent.h.messages.Notes(), std::vector<std::string>{"gw20.console: no \">\" after \"exit\""});
  // A cable pulled later in the sequence is the fault matrix's.
  for (const Bench* b : {&foreign, &silent}) {
    EXPECT_EQ(b->h.form.CommunicationState.Text(), "Timeout");
    b->ExpectSessionEnded();
  }
}

TEST(Connect, ModuleFaults_EndTheSessionWithTheirMessage) {
  struct Case {
    std::vector<sim::FieldModule> modules;
    std::string shown, status;
  };
  const std::vector<sim::FieldModule> bigAnalogs(13, sim::FieldModule{.model = "RA883Z"});
  std::vector<Case> cases{
      {{{.address = 0x03, .model = "RA850"}, {.address = 0x00, .model = "RA812"}},
       "Error|Some module isn't configured yet! Please use ZELK Utility to configure it.",
       "Scanning Process Stop"},
      {{{.address = 0x01, .model = "XY123"}}, "Error|This modules is not supported!", "Timeout"},
      {bigAnalogs, "|Overflow: ", ""}};
  // 13 x 20 bytes of analog inputs do not fit the byte-sized total.
  for (int i = 0; i < 13; ++i) cases[2].modules[i].address = i + 1;
  for (const auto& c : cases) {
    Bench b{Model("GW20M", c.modules)};
    b.h.form.Connect.Press();
    ASSERT_EQ(b.Shown().size(), 1u) << c.shown;
    EXPECT_EQ(b.Shown()[0].rfind(c.shown, 0), 0u) << b.Shown()[0];
    EXPECT_EQ(b.h.form.CommunicationState.Text(), c.status);
    b.ExpectSessionEnded();
  }
}

TEST(Connect, PortThatWillNotOpen_ReportsWhy) {
  using enum ui::OpenStatus;
  struct Case {
    std::string named;  // how the operator named the port; empty: its COM entry
    ui::OpenResult result;
    std::string shown, status;
  };
  const std::string server = "rfc2217://10.0.0.7:4001";
  const std::string refused = "connection to 10.0.0.7:4001 refused: check the device server";
  const std::string missing = "There is no /dev/ttyS2.", busy = "has been occupied";
  const std::vector<Case> cases{
      {"", {Occupied, "busy"}, "Error|COM 3 " + busy, "COM 3 " + busy},
      {"", {Failed, "No such device"}, "|No such device", ""},
      {"", {Failed, ""}, "Error|Can't open COM 3!", "before"},
      {"", {Missing, missing}, "Error|Can't open COM 3! " + missing, "before"},
      // A port named by its device or server is called so, never "COM 1".
      {"/dev/ttyUSB0", {Occupied, "busy"}, "Error|/dev/ttyUSB0 " + busy, "/dev/ttyUSB0 " + busy},
      {server, {Missing, refused}, "Error|Can't open " + server + "! " + refused, "before"}};
  for (const auto& c : cases) {
    Bench b;
    b.h.form.CommunicationState.SetText("before");
    b.port.SetOpenResult(c.result);
    if (!c.named.empty()) b.port.SetNamed(*ui::ParseConsoleAddress(c.named).address);
    b.h.form.Connect.Press();
    EXPECT_EQ(b.Shown(), std::vector<std::string>{c.shown});
    EXPECT_EQ(b.h.form.CommunicationState.Text(), c.status);
    b.ExpectSessionEnded();
  }
}

TEST(Connect, PressedAgainWhileRunning_DoesNothing) {
  Bench reference;
  reference.h.form.Connect.Press();
  Bench b;
  int nested = 0;
  // The operator clicks Connect again while the first sequence pumps events.
  b.time.At(20ms, [&] {
    ++nested;
    b.h.form.Connect_MouseUp();
  });
  b.h.form.Connect.Press();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(b.port.OpenCalls(), 1);
  EXPECT_EQ(b.controller.Transcript(), reference.controller.Transcript());
  EXPECT_TRUE(b.h.form.Connected);
}

}  // namespace
}  // namespace gw20::app
