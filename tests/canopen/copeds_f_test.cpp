// The CANopen page without a controller. Its whole commit is PageCommit's, a
// cable pulled in it the fault matrix's, a folder that cannot take the EDS
// file CommitFile's.

#include "canopen/copeds_f.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "modules/show_zelk_info.h"
#include "tests/support/app_harness.h"
#include "tests/support/module_tables.h"

namespace gw20::canopen {
namespace {

// RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3.
struct Page : app::PageBench<COPEDS_F> {
  Page() {
    testing::AddModule(h.state.modules, 0, "RA412", "3", {.DO = 4, .AO = 1, .DI = 1, .AI = 2});
    modules::BuildModuleOrder(h.state.modules);
  }
  // Guard time, life time factor and heartbeat time as the page shows them.
  std::string Times() const {
    return page->GuardTime_T[0].Text() + "," + page->GuardTime_T[1].Text() + "," + page->Heartbeat_T.Text();
  }
};

// Heartbeat from the stored word is PageCommit's second connect.
TEST(COPEDS_F, Load_PresetsErrorControlFromTheStoredWord) {
  Page p;
  p.h.state.eds = {"old", "old"};
  p.h.state.eeprom.EepromConfigValid = 1;
  p.h.state.eeprom.ModuleBlock = {0x0003E803, 0, 0, 0};
  auto& guarding = p.Open();
  EXPECT_TRUE(guarding.ErrControl[kNodeGuarding].Value() && guarding.ParameterSetting_frame[0].Visible() &&
              !guarding.ParameterSetting_frame[1].Visible());
  EXPECT_EQ(p.Times(), "1000,3,0");
  EXPECT_EQ(p.h.state.eds, (eds::EdsInfo{"", ""}));
  EXPECT_EQ(p.h.state.maps.LastInputMap, 3);  // the PDO tables were derived

  // No stored configuration: node guarding with zeros, whatever block 2 says.
  p.h.state.eeprom.EepromConfigValid = 0;
  p.h.state.eeprom.ModuleBlock[0] = 0x04012C00;
  EXPECT_TRUE(p.Open().ErrControl[kNodeGuarding].Value());
  EXPECT_EQ(std::pair(p.h.state.errorControl.ErrorControlFlags, p.Times()),
            std::pair(0, std::string("0,0,0")));
}

TEST(COPEDS_F, Finish_ChecksTheTimesOfTheChosenProtocolOnly) {
  struct Case {
    int protocol;
    std::string guard, life, heartbeat, shown;
    int stored;  // GuardTime, LifeTimeFactor and HeartbeatTime added up
  };
  const std::vector<Case> cases{
      {kNodeGuarding, "65535", "255", "x", "", 65535 + 255},
      {kNodeGuarding, "65536", "1", "0", "|Guard Time is overflow", 0},
      {kNodeGuarding, "10", "-1", "0", "|Life factor is overflow", 0},
      {kHeartbeat, "abc", "999", "65535", "", 65535},  // its overflow is HostileInput's
  };
  for (const auto& c : cases) {
    Page p;
    auto& page = p.Open();
    page.ErrControl[c.protocol].Choose();
    page.GuardTime_T[0].Type(c.guard);
    page.GuardTime_T[1].Type(c.life);
    page.Heartbeat_T.Type(c.heartbeat);
    page.EDSInfo[eds::kEdsCreator].Type("me");
    p.h.state.CommitBusy = true;  // Finish then stops right after taking the values
    page.FinishButton.Press();
    const auto& s = p.h.state.errorControl;
    EXPECT_EQ(p.h.Shown(), c.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.shown});
    EXPECT_EQ(s.GuardTime + s.LifeTimeFactor + s.HeartbeatTime, c.stored) << c.guard << c.life << c.heartbeat;
    EXPECT_EQ(p.h.state.eds[eds::kEdsCreator], c.shown.empty() ? "me" : "");
    EXPECT_EQ(p.port.OpenCalls(), 0);
  }
}

TEST(COPEDS_F, ViewersAndBack_NeedChannelsAndWaitForTheCommit) {
  Page empty;
  empty.h.state.modules = {};
  auto& bare = empty.Open();
  for (auto* button : {&bare.ShowZelk, &bare.ShowObjDictionary, &bare.ShowSettingResult}) button->Press();
  EXPECT_EQ(empty.h.Shown(),
            (std::vector<std::string>{"|No channel is available!", "|No object is available!",
                                      "|No channel is available!"}));
  EXPECT_EQ(empty.h.forms.shows, std::vector<std::string>{"COPEDS_F"});

  Page p;
  auto& page = p.Open();
  for (auto* button : {&page.ShowZelk, &page.ShowObjDictionary, &page.ShowSettingResult}) button->Press();
  EXPECT_TRUE(p.h.Shown().empty());
  ASSERT_NE(page.DictionaryViewer(), nullptr);
  EXPECT_TRUE(p.h.forms.IsShown(*page.DictionaryViewer()) && p.h.forms.IsShown(page));
  p.h.state.CommitBusy = true;
  page.BackButton.Press();
  EXPECT_EQ(p.h.Shown(), std::vector<std::string>{"|Module is connecting now!"});
  EXPECT_TRUE(page.Loaded() && page.DictionaryViewer()->Loaded() && p.mainShown == 0);
  p.h.state.CommitBusy = false;
  page.BackButton.Press();  // the viewers go with the page
  EXPECT_FALSE(page.Loaded() || page.PdoViewer()->Loaded() || page.ZelkViewer()->Loaded() ||
               page.DictionaryViewer()->Loaded());
  EXPECT_EQ(p.mainShown, 1);
}

}  // namespace
}  // namespace gw20::canopen
