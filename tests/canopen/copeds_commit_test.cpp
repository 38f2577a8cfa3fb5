// The whole CANopen road against the in-process simulated controller:
// connect, set the parameters, open the page, Finish, and connect again.
// A cable pulled during the commit is the fault matrix's; a folder that
// cannot take the EDS file is CommitFile's.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "tests/support/connect_harness.h"

namespace gw20::canopen {
namespace {

using testing::ConnectHarness;
using testing::Profile;
using Words = ConnectHarness::Words;

// RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA812 (6 DO, 8 AI) at 10; 125 kbit/s.
struct Road : testing::PageRoad<COPEDS_F> {
  Road() : PageRoad({{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA812"}}, 3) {}
};

TEST(CanopenCommit, WritesTheImageAndTheFile_AndTheNextConnectReadsThemBack) {
  Road r;
  r.page.ErrControl[kHeartbeat].Choose();
  r.page.Heartbeat_T.Type("300");
  const auto before = r.controller.Transcript().size();
  r.page.FinishButton.Press();

  EXPECT_TRUE(r.Shown().empty());
  EXPECT_EQ(r.h.form.CommunicationState.Text(), "Produce .EDS file is OK");
  EXPECT_EQ(r.h.form.CommunicationState.ToolTip(), r.EdsFile(Profile::Canopen).string());
  EXPECT_TRUE(!r.page.Loaded() && r.h.forms.IsShown(r.h.form));
  EXPECT_FALSE(r.h.state.CommitBusy || r.port.IsOpen());

  // Magic and header bytes; DeviceNet and module block bytes; node 5, CANopen, 125 kbit/s (3);
  // 2026-12-06; 09:30:15; field port checksum off, 9600 bit/s (3), 200 ms; DI and AI bytes; DO and AO bytes.
  const Words header{0x01B40024, 0x00000014, 0x00050003, 0x07EA0C06, 0x091E0F00,
                     0x000300C8, 0x00010014, 0x00020002, 0};
  const Words moduleBlock{0x04012C00, 0, 3u << 24 | 3u << 16, 0x01041203, 0x0108120A};
  EXPECT_EQ(r.Block(0, 40, 9), header);
  EXPECT_EQ(r.Block(2, 0, 5), moduleBlock);

  EXPECT_EQ(r.LinesSince(before), r.CommitLines(header, moduleBlock));
  EXPECT_NE(
      testing::ReadFile(r.EdsFile(Profile::Canopen)).find("[1017]\r\nParameterName=Producer Heartbeat Time"),
      std::string::npos);

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

}  // namespace
}  // namespace gw20::canopen
