// The connect sequence against the in-process simulated controller.

#include "app/connect_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "sim/controller.h"
#include "tests/app/app_harness.h"
#include "tests/support/simulated_port.h"

namespace gw20::app {
namespace {

TEST(FirmwareText, PadsMinorMonthAndDayOnly) {
  EXPECT_EQ(FirmwareText(2, 5, 2006, 3, 7), "2.05-2006/03/07");
  EXPECT_EQ(FirmwareText(12, 10, 2012, 11, 30), "12.10-2012/11/30");
}

sim::ControllerOptions Model(const std::string& model) {
  sim::ControllerOptions options;
  options.model = model;
  return options;
}

// A loaded main window wired to a simulated controller on one virtual time.
struct Bench {
  explicit Bench(const std::string& model = "GW20M") : controller(Model(model)) {
    h.form.Load();
    h.form.ComPort.SetListIndex(2);  // COM3
  }
  // Message texts and titles shown so far, as "title|text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& m : h.messages.Messages()) shown.push_back(m.title + "|" + m.text);
    return shown;
  }
  // The session ended: controls usable again, nothing left busy or open.
  void ExpectSessionEnded() const {
    EXPECT_FALSE(h.state.CommitBusy);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(h.form.Connect.Enabled());
    EXPECT_TRUE(h.form.ComPort.Enabled());
    EXPECT_TRUE(h.form.EixtProgram.Enabled());
    EXPECT_FALSE(h.form.ConnectProgress.Visible());
    EXPECT_FALSE(h.form.Connected);
  }

  testing::VirtualTime time;
  sim::Controller controller;
  testing::SimulatedPort port{time, controller};
  AppHarness h{time, port};
};

TEST(Connect, GW20A_IdentifiedAndCanPanelOpened) {
  Bench b{"GW20A"};
  auto& form = b.h.form;
  auto& eeprom = b.h.state.eeprom;
  eeprom.FirmwareMajor = 2, eeprom.FirmwareMinor = 5, eeprom.FirmwareYear = 2006;
  eeprom.FirmwareMonth = 3, eeprom.FirmwareDay = 7;
  b.h.state.params.NodeId = 42;
  form.Connect.Press();

  EXPECT_TRUE(b.Shown().empty());
  EXPECT_EQ(b.port.PortNumber(), 3);
  EXPECT_EQ(b.h.state.console.ControllerPrompt, "GW20A>");
  EXPECT_TRUE(form.ImageGW20[1].Visible());
  EXPECT_FALSE(form.ImageGW20[0].Visible());
  EXPECT_EQ(form.FirmwareVer.Text(), "2.05-2006/03/07");
  EXPECT_EQ(form.CommunicationState.Text(), "Waiting for configuration");
  EXPECT_TRUE(form.Connected);
  EXPECT_FALSE(b.h.state.CommitBusy);
  EXPECT_FALSE(b.port.IsOpen());
  EXPECT_TRUE(form.WriteEDS.Enabled());
  EXPECT_TRUE(form.ComButton[0].Value());
  EXPECT_EQ(form.SelectedPanel, kCanPanel);
  EXPECT_EQ(form.CANNodeId.Text(), "42");
  const std::vector<std::string> wakeUp{"", "", "", "/q", ".", "exit"};
  EXPECT_EQ(b.controller.Transcript(), wakeUp);
}

TEST(Connect, ConsoleLeftInAnyMode_StillReachesMainPrompt) {
  const std::vector<std::pair<std::string, std::string>> modes{
      {"use eeprom\r", "[EEPROM:]"}, {"use eeprom\rblock 0\rel 0\r", "-->"}, {"use com2\r", "[COM2:]"}};
  for (const auto& [leftIn, prompt] : modes) {
    Bench b;
    // One character per burst, so the controller's small FIFO keeps them all.
    for (const char c : leftIn) b.controller.Receive(std::string(1, c));
    (void)b.controller.TakeOutput();
    ASSERT_EQ(b.controller.Prompt(), prompt);
    b.h.form.Connect.Press();
    EXPECT_TRUE(b.h.form.Connected) << leftIn;
    EXPECT_EQ(b.h.state.console.ControllerPrompt, "GW20M>");
    EXPECT_TRUE(b.Shown().empty()) << leftIn;
  }
}

TEST(Connect, ForeignControllerOrSilentLine_EndsWithTimeoutStatus) {
  Bench foreign{"QX30"};
  foreign.h.form.Connect.Press();
  EXPECT_EQ(foreign.Shown(), std::vector<std::string>{"Error|This modules is not GW20A/QF!"});
  EXPECT_EQ(foreign.controller.Transcript().back(), "exit");  // after the wake-up
  Bench silent;
  silent.port.SetConnected(false);
  silent.h.form.Connect.Press();
  EXPECT_EQ(silent.Shown(), std::vector<std::string>{"Error|Timeout"});
  for (const Bench* b : {&foreign, &silent}) {
    EXPECT_EQ(b->h.form.CommunicationState.Text(), "Timeout");
    b->ExpectSessionEnded();
  }
}

TEST(Connect, PortThatWillNotOpen_ReportsWhy) {
  struct Case {
    ui::OpenResult result;
    std::string shown, status;
  };
  const std::vector<Case> cases{
      {{ui::OpenStatus::Occupied, "busy"}, "Error|COM 3 has been occupied", "COM 3 has been occupied"},
      {{ui::OpenStatus::Failed, "No such device"}, "|No such device", ""},
      {{ui::OpenStatus::Failed, ""}, "Error|Can't open COM 3!", "before"}};
  for (const auto& c : cases) {
    Bench b;
    b.h.form.CommunicationState.SetText("before");
    b.port.SetOpenResult(c.result);
    b.h.form.Connect.Press();
    EXPECT_EQ(b.Shown(), std::vector<std::string>{c.shown});
    EXPECT_EQ(b.h.form.CommunicationState.Text(), c.status);
    b.ExpectSessionEnded();
  }
}

TEST(Connect, PressedAgainWhileRunning_DoesNothing) {
  Bench b;
  int nested = 0;
  // The operator clicks Connect again while the first sequence pumps events.
  b.time.At(std::chrono::milliseconds(20), [&] {
    ++nested;
    b.h.form.Connect_MouseUp();
  });
  b.h.form.Connect.Press();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(b.port.OpenCalls(), 1);
  EXPECT_EQ(b.controller.Transcript().size(), 6u);
  EXPECT_TRUE(b.h.form.Connected);
}

}  // namespace
}  // namespace gw20::app
