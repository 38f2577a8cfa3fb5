// The DeviceNet page without a controller, and its whole road against the
// in-process simulated controller. A cable pulled in the commit is the fault matrix's.

#include "devicenet/dnseds_set.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/connect_harness.h"
#include "tests/support/module_tables.h"

namespace gw20::devicenet {
namespace {

constexpr std::uint32_t kTop = 16777216;
constexpr std::uint32_t kHalf = 65536;

// RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA850 (8 AI) at 4, RB331 (32 DI) at
// 5 and 6: a digital input assembly of 9 bytes and one of 20 analog bytes.
struct Page : app::PageBench<DNSEdsSet> {
  Page() {
    h.state.modules = testing::Scanned({{"3", "RA412"}, {"4", "RA850"}, {"5", "RB331"}, {"6", "RB331"}});
    // A valid stored image: default COS, Poll produces item 2, consumes item 1.
    h.state.eeprom.DeviceNetBlock = {2 * kHalf, 2 * kTop, 0, 0, 1 * kTop, 0, 0, 0, 0, 0, 0};
  }
  // The messages shown since the last call, as "title|text".
  std::vector<std::string> Shown() {
    auto shown = h.Shown();
    h.messages.Clear();
    return shown;
  }
};

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : "|") + item;
  return text;
}

TEST(DNSEdsSet, Load_FillsTheListsAndPresetsAValidStoredChoice) {
  Page p;
  p.h.state.choices.ConsumedChoice = {0, 4, 3, 0};  // from an earlier visit
  auto& page = p.Open();
  EXPECT_TRUE(p.Shown().empty());
  for (int k = 0; k < kConnectionSlots; ++k) {
    EXPECT_EQ(Joined(page.InpPut[k].Items()),
              "None|INPUT  01(Assembly)|INPUT  02(Assembly)|INPUT  03(DI,App.01)|INPUT  04(DI,App.03)|"
              "INPUT  05(DI,App.04)|INPUT  06(AI,App.01)|INPUT  07(AI,App.02)");
    EXPECT_EQ(Joined(page.OutPut[k].Items()),
              "None|OUTPUT 01(Assembly)|OUTPUT 02(Assembly)|OUTPUT 03(DO,App.01)|OUTPUT 04(AO,App.01)");
  }
  // How each list shows its stored choice is DeviceNetCommit's second connect.
  EXPECT_EQ(
      std::tuple(page.OutPut[kStrobe].ListIndex(), p.h.state.choices.ConsumedChoice, page.DefaultIOInfo()),
      std::tuple(-1, (std::array<int, 4>{1, 4, 3, 0}), kDefaultCos));
}

TEST(DNSEdsSet, Load_InvalidStoredChoicesFallBackToNoneWithTheirMessage) {
  struct Case {
    std::vector<std::uint32_t> block;
    bool mismatch;
    std::string shown;
  };
  const std::vector<Case> cases{
      {{2 * kHalf, 8 * kTop, 0, 0, 0, 0, 0}, false, "|EEPROM ERROR,We show the default value."},
      {{0, 0, 0, 0, 5 * kTop, 0, 0}, false, "|EEPROM ERROR,We show the default value."},
      {{4 * kHalf, 0, 0, 0, 0, 0, 0}, false, "|This is a new Setting for DNS gateway"},
      {{0, 1 * kTop, 0, 0, 0, 0, 0}, true, "|This is a new Setting for DNS gateway"},
  };
  for (const auto& c : cases) {
    Page p;
    p.h.state.eeprom.DeviceNetBlock = c.block;
    p.h.state.eeprom.ConfigMismatch = c.mismatch;
    p.h.state.choices.ProducedChoice = {3, 3, 3, 0};
    auto& page = p.Open();
    EXPECT_EQ(p.Shown(), std::vector<std::string>{c.shown});
    EXPECT_EQ(p.h.state.choices.ProducedChoice, (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(std::tuple(page.InpPut[kCosCyclic].ListIndex(), page.OutPut[kPoll].ListIndex(),
                         page.IO_Info[kDefaultPoll].Value(), page.DefaultIOInfo()),
              std::tuple(0, 0, true, kDefaultPoll));
  }
}

TEST(DNSEdsSet, Strobe_RefusesNineBytesOrMoreAndKeepsTheOldChoice) {
  Page p;
  auto& page = p.Open();
  auto& strobe = page.InpPut[kStrobe];
  strobe.Pick(6);  // RA412's analog input: 4 bytes
  EXPECT_TRUE(p.Shown().empty());

  for (int refused : {1, 2, 7}) {  // 9 digital bytes, 20 analog bytes, RA850's 16 bytes
    strobe.Pick(refused);
    EXPECT_EQ(p.Shown(), std::vector<std::string>{"Error|Error! The selected data length > 8 bytes"});
    EXPECT_EQ(std::pair(strobe.ListIndex(), p.h.state.choices.ProducedChoice[kStrobe]), std::pair(6, 6));
  }
  // Poll has no such limit.
  page.InpPut[kPoll].Pick(1);
  EXPECT_EQ(p.h.state.choices.ProducedChoice[kPoll], 1);
  EXPECT_TRUE(p.Shown().empty());
}

TEST(DNSEdsSet, Back_WarnsAndReopensFromTheImage) {
  Page p;
  auto& page = p.Open();
  page.InpPut[kPoll].Pick(5);
  page.IO_Info[kDefaultCyclic].Choose();
  EXPECT_EQ(page.DefaultIOInfo(), kDefaultCyclic);

  page.BackButton.Press();
  EXPECT_EQ(p.Shown(), std::vector<std::string>{"|You have not fininshing!"});
  EXPECT_TRUE(!page.Loaded() && p.mainShown == 1);

  auto& again = p.Open();
  EXPECT_EQ(std::tuple(again.InpPut[kPoll].ListIndex(), p.h.state.choices.ProducedChoice[kPoll],
                       again.DefaultIOInfo()),
            std::tuple(2, 2, kDefaultCos));
}

using testing::ConnectHarness;
using testing::Profile;
using Words = ConnectHarness::Words;

// RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA883 (8 AI) at 4, RA883Z (10 AI) at 5
// and RA312 (8 DO, 8 DI) at 0x0A: two output and two input assemblies; 250 kbit/s.
struct Road : ConnectHarness {
  Road()
      : ConnectHarness(testing::WithModules({{.address = 0x03, .model = "RA412", .typeCode = 0x0D},
                                             {.address = 0x04, .model = "RA883"},
                                             {.address = 0x05, .model = "RA883Z"},
                                             {.address = 0x0A, .model = "RA312", .typeCode = 0x40}})) {}
  DNSEdsSet& page = (OpenPage(Profile::DeviceNet, 1), *h.form.DeviceNetPage());
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
  EXPECT_EQ(std::tuple(again.InpPut[kPoll].ListIndex(), again.OutPut[kPoll].ListIndex(),
                       again.InpPut[kCosCyclic].ListIndex(), again.IO_Info[kDefaultCos].Value()),
            std::tuple(1, 2, 2, true));
}

}  // namespace
}  // namespace gw20::devicenet
