// The connect sequence and the plan menu against the in-process simulated
// controller. Waking a console left in any mode is the fault matrix's: it
// connects again after a cut at every line.

#include "app/connect_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/assembly_maps.h"
#include "devicenet/dnseds_set.h"
#include "link/connect_progress.h"
#include "plans/plan_file.h"
#include "plans/plan_state.h"
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

using devicenet::kCosCyclic;
using devicenet::kPoll;
using devicenet::kStrobe;

// The chain of docs/plans/devicenet-example.json, on a field port at its
// plan's 19200 bit/s with the checksum.
std::vector<sim::FieldModule> ExampleChain() {
  std::vector<sim::FieldModule> chain{
      {.address = 0x01, .model = "RA412", .typeCode = 0x40},
      {.address = 0x02, .model = "RA822", .typeCode = 0x40},
      {.address = 0x03, .model = "RA850", .typeCode = 0x08, .dataFormat = 0x02}};
  for (auto& module : chain) module.baud = 19200, module.checksum = true;
  return chain;
}

plans::Plan ExamplePlan() {
  const auto read = plans::ReadPlan(std::filesystem::path(PLAN_EXAMPLES_DIR) / "devicenet-example.json");
  EXPECT_TRUE(read.Ok()) << read.error.Text();
  return read.plan.value_or(plans::Plan{});
}

// The example plan's scan: 19200 bit/s with the checksum.
void ScanAsThePlan(link::ComParaSetting_F& dialog) {
  dialog.ScanBaudrateCombol.Pick(4);
  dialog.ScanChecksumCombol.Pick(1);
}

sim::ControllerOptions WithEeprom(std::vector<sim::FieldModule> chain, std::filesystem::path eeprom) {
  auto options = testing::WithModules(std::move(chain));
  options.eepromFile = std::move(eeprom);
  return options;
}

// What the panels and the scan dialog hold, to compare whole.
std::vector<int> Panels(const link::GatewayParameters& p) {
  return {p.ApplicationType, p.NodeId,      p.CanBaudIndex,  p.Com2BaudIndex,
          p.Com2Checksum,    p.Com2Timeout, p.ScanBaudIndex, p.ScanChecksum};
}

struct PlanBench : testing::ConnectHarness {
  // `eeprom`: a file that keeps the controller's EEPROM; empty: none.
  explicit PlanBench(std::vector<sim::FieldModule> chain = ExampleChain(), std::filesystem::path eeprom = {})
      : ConnectHarness(WithEeprom(std::move(chain), std::move(eeprom))) {}
  // Queues `plan` written to NAME in the program's folder for the next Open Plan.
  void QueuePlan(const plans::Plan& plan, const std::string& name) {
    ASSERT_FALSE(plans::WritePlan(folder / name, plan).has_value());
    h.files.opens.push_back(folder / name);
  }
  plans::Plan SavedPlan(const std::string& name) {
    h.files.saves.push_back(folder / name);
    h.form.SavePlan.Press();
    const auto read = plans::ReadPlan(folder / (name + ".json"));
    EXPECT_TRUE(read.Ok()) << read.error.Text();
    return read.plan.value_or(plans::Plan{});
  }
  Main_F& form = h.form;
  link::GatewayParameters& params = h.state.params;
};

TEST(PlanMenu, SavePlan_WritesWhatThePanelsAndTheVisitedPageShow_ForBothProfiles) {
  PlanBench b;
  b.choose = ScanAsThePlan;
  b.form.Connect.Press();
  ASSERT_TRUE(b.form.Connected);
  b.h.ClickToggle(kComPanel);
  b.form.CANBaudrate.Pick(4);
  b.form.ComChecksum.Pick(1);
  b.form.CANNodeId.Type("150");
  b.form.SettingParameter.Press();
  b.h.ClickToggle(kCanPanel);
  b.form.ApplicationSelect[1].Choose();
  b.form.CANBaudrate.Pick(1);  // 250 kbit/s
  b.form.CANNodeId.Type("9");
  b.form.SettingParameter.Press();
  b.form.WriteEDS.Press();
  auto& dns = *b.form.DeviceNetPage();
  plans::PlanDeviceNet shown;
  const int produced[] = {2, 1, 4}, consumed[] = {1, 3, 2};  // Poll, Strobe, COS/Cyclic
  for (int k = 0; k < devicenet::kConnectionSlots; ++k) {
    dns.InpPut[k].Pick(produced[k]);
    dns.OutPut[k].Pick(consumed[k]);
    shown.connections[k] = {dns.InpPut[k].Text(), dns.OutPut[k].Text()};
  }
  dns.IO_Info[devicenet::kDefaultStrobe].Choose();
  dns.EDSInfo[eds::kEdsDescription].Type("Line 7");
  shown.defaultConnection = "Strobe";
  dns.BackButton.Press();

  b.h.messages.Clear();
  const plans::Plan dnsPlan = b.SavedPlan("line7");  // ".json" added
  EXPECT_EQ(b.h.files.asked.back(), "Save Plan|Plans (*.json)");
  const std::string written = (b.folder / "line7.json").string();
  EXPECT_EQ(b.Shown(), std::vector<std::string>{"Save Plan|The plan was written to " + written + "."});
  plans::Plan expected = ExamplePlan();  // the same chain, field port and scan
  expected.nodeId = 9;
  expected.canBitRateKbps = 250;
  expected.edsInfo = {"Line 7", ""};
  expected.deviceNet = shown;
  EXPECT_EQ(plans::WritePlanText(dnsPlan), plans::WritePlanText(expected));

  // The CANopen page, with heartbeat chosen.
  b.form.ApplicationSelect[0].Choose();
  b.form.CANBaudrate.Pick(3);  // 125 kbit/s
  b.form.CANNodeId.Type("33");
  b.form.SettingParameter.Press();
  b.form.WriteEDS.Press();
  auto& cop = *b.form.CanopenPage();
  cop.ErrControl[canopen::kHeartbeat].Choose();
  cop.Heartbeat_T.Type("1500");
  cop.EDSInfo[eds::kEdsCreator].Type("Commissioning");
  cop.BackButton.Press();
  const plans::Plan copPlan = b.SavedPlan("line7-canopen");
  expected.profile = plans::Profile::CANopen;
  expected.nodeId = 33;
  expected.canBitRateKbps = 125;
  expected.edsInfo = {"", "Commissioning"};
  expected.deviceNet = {};
  expected.errorControl = {plans::ErrorControlProtocol::Heartbeat, 0, 0, 1500, 0};
  EXPECT_EQ(plans::WritePlanText(copPlan), plans::WritePlanText(expected));

  // The name typed without ".json" is asked about before it overwrites.
  b.h.messages.Clear();
  b.h.messages.Answer(ui::MessageAnswer::No);
  b.h.files.saves.push_back(b.folder / "line7");
  b.form.SavePlan.Press();
  EXPECT_EQ(b.Shown(), std::vector<std::string>{"Save Plan|" + written +
                                                " already exists.\nDo you want to replace it?"});
  EXPECT_EQ(plans::ReadPlan(written).plan, dnsPlan);
  EXPECT_EQ(b.SavedPlan("line7").profile, plans::Profile::CANopen);  // answered Yes

  b.h.messages.Clear();
  b.h.files.saves.push_back(b.folder / "no such folder" / "plan.json");
  b.form.SavePlan.Press();
  ASSERT_EQ(b.Shown().size(), 1u);
  EXPECT_TRUE(b.Shown()[0].starts_with("Error|" + (b.folder / "no such folder" / "plan.json").string()))
      << b.Shown()[0];
}

TEST(PlanMenu, OpenPlanBeforeConnect_SetsThePanelsAfterIt_AndThePagePresetsEveryChoice) {
  PlanBench b;
  plans::Plan plan = ExamplePlan();
  // A COS consumed choice and a non-Poll default too: every side of every slot.
  modules::ModuleTable table;
  pages::MapTables maps;
  plans::LoadChain(plan, table);
  devicenet::BuildAssemblyMaps(table, maps);
  plan.deviceNet.connections[kCosCyclic].consumed = devicenet::ConsumedItems(table, maps).back();
  plan.deviceNet.defaultConnection = "Strobe";
  plan.edsInfo = {"Press 3", "Line crew"};
  b.QueuePlan(plan, "press3.json");
  b.form.OpenPlan.Press();
  EXPECT_EQ(b.Shown(), std::vector<std::string>{
                           "Open Plan|Plan press3.json sets:\n"
                           "DeviceNet, node ID 12, 500 kbit/s\n"
                           "field port 19200 bit/s, checksum on, time-out 150 ms\n"
                           "for 3 modules, scanned at 19200 bit/s, checksum on\n"
                           "The next connect scans with the plan's settings and sets the panels when it "
                           "finds these modules."});
  EXPECT_TRUE(b.form.Caption() == "General Setting - Plan press3.json" && b.form.ClosePlan.Enabled());
  // The scan dialog shows the plan's scan parameters, so its chain is found.
  b.h.messages.Clear();
  b.form.Connect.Press();
  ASSERT_TRUE(b.form.Connected);
  EXPECT_EQ(b.form.CommunicationState.Text() + "|" + b.form.CommunicationState.ToolTip(),
            "Preset from the plan|" + (b.folder / "press3.json").string());
  // 500 kbit/s; the field port at 19200 bit/s with the checksum; scanned so.
  EXPECT_EQ(Panels(b.params), (std::vector<int>{link::kDeviceNet, 12, 2, 4, 1, 150, 4, 1}));
  EXPECT_TRUE(b.form.ComButton[kCanPanel].Value());

  b.h.messages.Clear();
  b.form.WriteEDS.Press();
  auto& page = *b.form.DeviceNetPage();
  for (int k = 0; k < devicenet::kConnectionSlots; ++k) {
    EXPECT_EQ(page.InpPut[k].Text(), plan.deviceNet.connections[k].produced) << k;
    EXPECT_EQ(page.OutPut[k].Text(), plan.deviceNet.connections[k].consumed) << k;
  }
  EXPECT_EQ(page.DefaultIOInfo(), devicenet::kDefaultStrobe);
  EXPECT_EQ(page.EDSInfo[eds::kEdsCreator].Text(), "Line crew");
  // What Finish would store is the plan: saved again, it comes back whole.
  page.BackButton.Press();
  EXPECT_EQ(plans::WritePlanText(b.SavedPlan("again")), plans::WritePlanText(plan));

  // Closed, the plan presets nothing more.
  b.form.ClosePlan.Press();
  EXPECT_TRUE(b.form.Caption() == "General Setting" && !b.form.ClosePlan.Enabled());
  b.form.Connect.Press();
  EXPECT_EQ(b.form.CommunicationState.Text(), "Waiting for configuration");
  b.form.WriteEDS.Press();
  EXPECT_EQ(b.form.DeviceNetPage()->InpPut[kPoll].ListIndex(), devicenet::kNoneItem);

  // Opened while connected, it sets the panels at once.
  b.form.DeviceNetPage()->BackButton.Press();
  b.h.messages.Clear();
  b.h.files.opens.push_back(b.folder / "press3.json");
  b.form.OpenPlan.Press();
  ASSERT_EQ(b.Shown().size(), 1u);
  EXPECT_TRUE(b.Shown()[0].ends_with("\nThe panels are set; the DeviceNet page presets the plan's choices."));
  EXPECT_EQ(b.form.CommunicationState.Text(), "Preset from the plan");
}

// The controller stores the choices of a plan; a later run visits the page,
// leaves the Strobe and COS/Cyclic consumed lists alone (the page shows no
// pick in them), and saves.
TEST(PlanMenu, SavePlanAfterAVisit_KeepsWhatTheControllerStoresWhereTheOperatorPickedNothing) {
  const testing::ScratchFolder dir{"eeprom"};
  plans::Plan plan = ExamplePlan();
  plan.deviceNet.connections[kCosCyclic].consumed = "OUTPUT 04(AO,App.01)";
  {
    PlanBench committed(ExampleChain(), dir / "eeprom.txt");
    committed.QueuePlan(plan, "press3.json");
    committed.form.OpenPlan.Press();
    committed.form.Connect.Press();
    committed.form.WriteEDS.Press();
    committed.form.DeviceNetPage()->FinishDeviceSet.Press();
    ASSERT_EQ(committed.form.CommunicationState.Text(), "Produce .EDS file is OK");
  }
  PlanBench b(ExampleChain(), dir / "eeprom.txt");
  b.choose = ScanAsThePlan;
  b.form.Connect.Press();
  b.form.WriteEDS.Press();
  b.form.DeviceNetPage()->BackButton.Press();
  // As gw20cli's save reads it from the controller.
  EXPECT_EQ(plans::WritePlanText(b.SavedPlan("visited")), plans::WritePlanText(plan));

  // What the operator picks replaces the stored choice, also after a later visit.
  b.form.WriteEDS.Press();
  b.form.DeviceNetPage()->OutPut[kStrobe].Pick(1);
  b.form.DeviceNetPage()->BackButton.Press();
  b.form.WriteEDS.Press();
  b.form.DeviceNetPage()->BackButton.Press();
  plan.deviceNet.connections[kStrobe].consumed = "OUTPUT 01(Assembly)";
  EXPECT_EQ(plans::WritePlanText(b.SavedPlan("picked")), plans::WritePlanText(plan));
}

TEST(PlanMenu, OpenPlan_AnotherChainOrABadPlan_OneMessageAndNothingChanges) {
  PlanBench b({{.address = 0x01, .model = "RA412", .typeCode = 0x40}, {.address = 0x04, .model = "RA312"}});
  b.form.Connect.Press();
  ASSERT_TRUE(b.form.Connected);
  const link::GatewayParameters connected = b.params;
  b.h.messages.Clear();

  b.QueuePlan(ExamplePlan(), "press line 3 west, station 12, spare controller.json");
  b.form.OpenPlan.Press();
  EXPECT_EQ(b.form.Caption(), "General Setting - Plan press line 3 west,...re controller.json");
  ASSERT_EQ(b.Shown().size(), 1u);
  EXPECT_TRUE(b.Shown()[0].starts_with("Warning|") &&
              b.Shown()[0].find("slot 2: expected 02 RA822") != std::string::npos &&
              b.Shown()[0].find("slot 3: expected 03 RA850") != std::string::npos)
      << b.Shown()[0];
  EXPECT_EQ(Panels(b.params), Panels(connected));
  b.form.ApplicationSelect[1].Choose();
  b.form.WriteEDS.Press();
  EXPECT_EQ(b.form.DeviceNetPage()->InpPut[kPoll].ListIndex(),
            devicenet::kNoneItem);  // the page's own preset
  b.form.DeviceNetPage()->BackButton.Press();

  // Malformed JSON, then a choice the plan's chain does not list.
  b.h.messages.Clear();
  b.QueuePlan(ExamplePlan(), "broken.json");
  {
    std::ofstream out(b.folder / "broken.json", std::ios::app);
    out << "}";
  }
  b.form.OpenPlan.Press();
  plans::Plan unlisted = ExamplePlan();
  unlisted.deviceNet.connections[kPoll].produced = "INPUT  09(Assembly)";
  b.QueuePlan(unlisted, "unlisted.json");
  b.form.OpenPlan.Press();
  b.form.OpenPlan.Press();  // cancelled
  const auto shown = b.Shown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "Error|" + plans::ReadPlan(b.folder / "broken.json").error.Text());
  EXPECT_TRUE(
      // At the line and column of the text the chain's list lacks.
      shown[1].starts_with("Error|" + (b.folder / "unlisted.json").string() +
                           ":42:19: deviceNet.poll.produced: "))
      << shown[1];
  EXPECT_EQ(Panels(b.params), Panels(connected));
}

// Check Against Plan: asks for a connect first; after one, one message says
// how the controller differs from the plan picked, and no panel changes.
TEST(PlanMenu, CheckAgainstPlan_SaysHowTheControllerDiffersAndChangesNothing) {
  PlanBench b;
  b.choose = ScanAsThePlan;
  b.form.CheckAgainstPlan.Press();
  EXPECT_EQ(b.form.CommunicationState.Text(), kConnectFirstStatus);
  b.form.Connect.Press();
  ASSERT_TRUE(b.form.Connected);
  const link::GatewayParameters before = b.params;
  b.h.messages.Clear();
  b.QueuePlan(ExamplePlan(), "line3.json");
  b.form.CheckAgainstPlan.Press();
  // A fresh controller holds no configuration; its chain is the plan's.
  EXPECT_EQ(b.Shown(),
            std::vector<std::string>{"Check Against Plan|The controller differs from the plan "
                                     "line3.json:\nAttached modules do not match the configuration "
                                     "stored in EEPROM!"});
  EXPECT_EQ(Panels(b.params), Panels(before));
}

}  // namespace
}  // namespace gw20::app
