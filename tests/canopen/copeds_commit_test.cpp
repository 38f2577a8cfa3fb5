// The whole CANopen road against the in-process simulated controller:
// connect, set the parameters, open the page, Finish, and connect again.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "tests/support/connect_harness.h"

namespace gw20::canopen {
namespace {

using namespace std::chrono_literals;
using Words = testing::ConnectHarness::Words;

sim::ControllerOptions TwoModules() {
  sim::ControllerOptions options;
  options.modules = {{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA812"}};
  return options;
}

struct Road : testing::ConnectHarness {
  explicit Road(sim::ControllerOptions options = TwoModules()) : ConnectHarness(std::move(options)) {}

  // Connects, chooses CANopen node 5 at 125 kbit/s and opens the page.
  COPEDS_F& ConnectAndOpen() {
    auto& form = h.form;
    form.Connect.Press();
    EXPECT_TRUE(form.Connected);
    form.ApplicationSelect[0].Choose();
    form.CANBaudrate.Pick(3);
    form.CANNodeId.Type("5");
    form.SettingParameter.Press();
    h.messages.Clear();
    form.WriteEDS.Press();
    EXPECT_NE(form.CanopenPage(), nullptr);
    return *form.CanopenPage();
  }
};

std::vector<std::string> Typed(const Words& words) {
  std::vector<std::string> lines;
  for (const auto w : words) lines.push_back(std::to_string(static_cast<std::int32_t>(w)));
  return lines;
}

TEST(CanopenCommit, WritesTheImageAndTheFile_AndTheNextConnectReadsThemBack) {
  Road r;
  auto& page = r.ConnectAndOpen();
  page.ErrControl[kHeartbeat].Choose();
  page.Heartbeat_T.Type("300");
  const auto before = r.controller.Transcript().size();
  page.FinishButton.Press();

  EXPECT_TRUE(r.Shown().empty());
  EXPECT_EQ(r.h.form.CommunicationState.Text(), "Produce .EDS file is OK");
  EXPECT_EQ(r.h.form.CommunicationState.ToolTip(), (r.folder / "COPn5.eds").string());
  EXPECT_TRUE(!page.Loaded() && r.h.forms.IsShown(r.h.form));
  EXPECT_FALSE(r.h.state.CommitBusy || r.port.IsOpen());

  // RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA812 (6 DO, 8 AI) at 10; 2026-12-06 09:30:15.
  const Words header{436u << 16 | 36,
                     20,
                     5u << 16 | 3,
                     2026u << 16 | 12u << 8 | 6,
                     9u << 24 | 30u << 16 | 15u << 8,
                     3u << 16 | 200,
                     1u << 16 | 20,
                     2u << 16 | 2,
                     0};
  const Words moduleBlock{0x04012C00, 0, 3u << 24 | 3u << 16, 0x01041203, 0x0108120A};
  EXPECT_EQ(r.Block(0, 40, 9), header);
  EXPECT_EQ(r.Block(2, 0, 5), moduleBlock);

  std::vector<std::string> expected{"/q", "exit", ".", "exit", "use eeprom", "block 0", "el 40"};
  for (const auto& line : Typed(header)) expected.push_back(line);
  for (const auto* line : {".", "block 2", "el 0"}) expected.push_back(line);
  for (const auto& line : Typed(moduleBlock)) expected.push_back(line);
  expected.push_back(".");
  expected.push_back("exit");
  const auto& transcript = r.controller.Transcript();
  EXPECT_EQ(
      std::vector<std::string>(transcript.begin() + static_cast<std::ptrdiff_t>(before), transcript.end()),
      expected);

  std::ifstream file(r.folder / "COPn5.eds", std::ios::binary);
  const std::string eds{std::istreambuf_iterator<char>(file), {}};
  EXPECT_NE(eds.find("[1017]\r\nParameterName=Producer Heartbeat Time"), std::string::npos);

  // Connected again, the controller gives back what was stored.
  r.h.form.Connect.Press();
  EXPECT_TRUE(r.Shown().empty());
  EXPECT_EQ(r.h.state.eeprom.EepromConfigValid, 1);
  EXPECT_EQ(r.h.state.params.NodeId, 5);
  r.h.form.WriteEDS.Press();
  auto& again = *r.h.form.CanopenPage();
  EXPECT_TRUE(again.ErrControl[kHeartbeat].Value());
  EXPECT_EQ(again.Heartbeat_T.Text(), "300");
}

TEST(CanopenCommit, CablePulledWhileWriting_LeavesThePageOpenWithoutFile) {
  Road r;
  auto& page = r.ConnectAndOpen();
  // The cable goes once the commit has typed its tenth line (a header word).
  const auto pullAt = r.controller.Transcript().size() + 10;
  r.time.OnAdvance([&r, pullAt](std::chrono::milliseconds) {
    if (r.controller.Transcript().size() >= pullAt) r.port.SetConnected(false);
  });
  page.FinishButton.Press();
  EXPECT_EQ(r.Shown(), (std::vector<std::string>{
                           "|Timeout", "|The controller's EEPROM is only partly written: commit again."}));
  EXPECT_EQ(r.h.form.CommunicationState.Text(), "Timeout");
  EXPECT_TRUE(page.Loaded() && r.h.forms.IsShown(page));
  EXPECT_FALSE(page.Frame1.Enabled() || r.h.state.CommitBusy || r.port.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(r.folder / "COPn5.eds"));
}

TEST(CanopenCommit, UnwritableFolder_NamesTheFileAndFinishCanBePressedAgain) {
  Road r;
  auto& page = r.ConnectAndOpen();
  const auto blocked = r.folder / "not_a_folder";
  std::ofstream(blocked) << "x";
  r.h.folder.path = blocked;
  page.FinishButton.Press();
  EXPECT_EQ(r.Shown(), std::vector<std::string>{"Error|Can't write the EDS file " +
                                                (blocked / "COPn5.eds").string() + "!"});
  EXPECT_EQ(r.h.form.CommunicationState.Text(), "EDS file error");
  EXPECT_EQ(r.controller.Word(0, 40), 436u << 16 | 36);  // the EEPROM was written
  EXPECT_TRUE(page.Loaded() && !r.h.state.CommitBusy);

  r.h.folder.path = r.folder;
  page.FinishButton.Press();
  EXPECT_EQ(r.h.form.CommunicationState.Text(), "Produce .EDS file is OK");
  EXPECT_TRUE(std::filesystem::exists(r.folder / "COPn5.eds"));
  EXPECT_FALSE(page.Loaded());
}

}  // namespace
}  // namespace gw20::canopen
