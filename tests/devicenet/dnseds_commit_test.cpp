// The whole DeviceNet road against the in-process simulated controller:
// connect, choose DeviceNet, open the page, choose connections, Finish, and
// connect again. A cable pulled during the commit is the fault matrix's.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "devicenet/dnseds_set.h"
#include "tests/support/connect_harness.h"

namespace gw20::devicenet {
namespace {

using testing::ConnectHarness;
using testing::Profile;
using Words = ConnectHarness::Words;

// RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA883 (8 AI) at 4, RA883Z (10 AI) at 5
// and RA312 (8 DO, 8 DI) at 0x0A: two output and two input assemblies; 250 kbit/s.
struct Road : testing::PageRoad<DNSEdsSet> {
  Road()
      : PageRoad({{.address = 0x03, .model = "RA412", .typeCode = 0x0D},
                  {.address = 0x04, .model = "RA883"},
                  {.address = 0x05, .model = "RA883Z"},
                  {.address = 0x0A, .model = "RA312", .typeCode = 0x40}},
                 1) {}
};

std::uint32_t Path(std::uint32_t index, std::uint32_t classId, std::uint32_t instance,
                   std::uint32_t attribute) {
  return index << 24 | classId << 16 | instance << 8 | attribute;
}

TEST(DeviceNetCommit, WritesBlocks021AndTheFile_AndTheNextConnectPresetsThePage) {
  Road r;
  auto& page = r.page;
  EXPECT_EQ(r.Shown(), std::vector<std::string>{"|This is a new Setting for DNS gateway"});
  r.h.messages.Clear();
  page.InpPut[kPoll].Pick(1);       // INPUT  01(Assembly): the digital inputs
  page.OutPut[kPoll].Pick(2);       // OUTPUT 02(Assembly): the analog outputs
  page.InpPut[kCosCyclic].Pick(2);  // INPUT  02(Assembly): the analog inputs
  page.IO_Info[kDefaultCos].Choose();
  page.EDSInfo[0].Type("Line 7");
  const auto before = r.controller.Transcript().size();
  page.FinishDeviceSet.Press();

  EXPECT_EQ(r.Shown(), std::vector<std::string>{});
  EXPECT_TRUE(!page.Loaded() && r.h.forms.IsShown(r.h.form));
  EXPECT_FALSE(r.h.state.CommitBusy || r.port.IsOpen());

  // As CanopenCommit's, with a 28-byte DeviceNet block, DeviceNet (1) at 250 kbit/s (1) and 40 AI bytes.
  const Words header{0x01B40024, 0x001C001C, 0x00050101, 0x07EA0C06, 0x091E0F00,
                     0x000300C8, 0x00020028, 0x00020002, 0};
  // Module words: RA412 and RA883 store ten times their catalog code, RA883Z one more.
  const Words moduleBlock{0, 0, 1u << 24 | 1u << 16, 0x0A28B403, 0x0A551E04, 0x0A551F05, 0x0103120A};
  const Words deviceNetBlock{2u << 16,         Path(1, 4, 3, 3), Path(0, 4, 0, 3), Path(2, 4, 4, 3),
                             Path(2, 4, 2, 3), Path(0, 4, 0, 3), Path(0, 43, 1, 0)};
  EXPECT_EQ(r.Block(0, 40, 9), header);
  EXPECT_EQ(r.Block(2, 0, 7), moduleBlock);
  EXPECT_EQ(r.Block(1, 0, 7), deviceNetBlock);

  EXPECT_EQ(r.LinesSince(before), r.CommitLines(header, moduleBlock, deviceNetBlock));

  // The page's description and default connection reach the file.
  const std::string eds = testing::ReadFile(r.EdsFile(Profile::DeviceNet));
  for (const char* line :
       {"\r\n$ Line 7\r\n", "   Default = 0x000D;        $ Poll/COS/Cyclic as default\r\n"})
    EXPECT_NE(eds.find(line), std::string::npos) << line;

  // Connected again, the controller gives back what was stored.
  r.h.form.Connect.Press();
  EXPECT_TRUE(r.Shown().empty());
  EXPECT_EQ(r.h.state.params.ApplicationType, 1);
  r.h.form.WriteEDS.Press();
  auto& again = *r.h.form.DeviceNetPage();
  EXPECT_TRUE(r.Shown().empty());
  EXPECT_EQ(again.InpPut[kPoll].ListIndex(), 1);
  EXPECT_EQ(again.OutPut[kPoll].ListIndex(), 2);
  EXPECT_EQ(again.InpPut[kCosCyclic].ListIndex(), 2);
  EXPECT_TRUE(again.IO_Info[kDefaultCos].Value());
}

}  // namespace
}  // namespace gw20::devicenet
