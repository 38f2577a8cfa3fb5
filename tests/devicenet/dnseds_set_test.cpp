// The DeviceNet page without a controller. Its whole commit is PageCommit's, a
// cable pulled in it the fault matrix's.

#include "devicenet/dnseds_set.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/app_harness.h"
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
  // How each list shows its stored choice is PageCommit's second connect.
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

}  // namespace
}  // namespace gw20::devicenet
