// The main window's panels, lists, defaults and exit, headless.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/about_form.h"
#include "app/extern_setting.h"
#include "app/logo.h"
#include "tests/support/app_harness.h"

namespace gw20::app {
namespace {

using MainFormTest = LoadedMainForm;

TEST_F(MainFormTest, ComButton_SwitchingPanels_RefillsListAndShowsEachSidesValues) {
  form.SelectedPanel = kNoPanel;  // as after a connect
  params.CanBaudIndex = 7;
  params.Com2BaudIndex = 7;
  params.Com2Checksum = 1;
  h.ClickToggle(kCanPanel);
  ASSERT_EQ(form.CANBaudrate.ListCount(), 8);
  EXPECT_EQ(form.ViewerText[0].Text(), "     1000    KBPS");

  // Pressed again it greys and hides Setting; a third press is down again on
  // the same panel.
  h.ClickToggle(kCanPanel);
  EXPECT_FALSE(form.ComButton[0].Value());
  EXPECT_FALSE(form.SettingParameter.Visible());
  h.ClickToggle(kCanPanel);
  EXPECT_TRUE(form.SettingParameter.Visible());

  h.ClickToggle(kComPanel);  // the other toggle coming up is MainViewTest's
  ASSERT_EQ(form.CANBaudrate.ListCount(), 8);
  EXPECT_EQ(form.ViewerText[0].Text(), "      115200  BPS");
  EXPECT_EQ(form.ViewerText[1].Text(), "Enalbe");
  // An unset time-out shows the default but is not stored.
  EXPECT_EQ(form.CANNodeId.Text(), "50");
  EXPECT_EQ(params.Com2Timeout, 0);

  params.ApplicationType = link::kDeviceNet;
  params.CanBaudIndex = 2;
  h.ClickToggle(kCanPanel);
  ASSERT_EQ(form.CANBaudrate.ListCount(), 3);
  EXPECT_EQ(form.ViewerText[0].Text(), "       500    KBPS");
  EXPECT_FALSE(form.ApplicationSelect[0].Value());
}

// Every entry of the lists the panels fill, as the window spells them.
TEST_F(MainFormTest, Lists_SpellEveryEntryBlankForBlank) {
  form.SelectedPanel = kNoPanel;
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(form.CANBaudrate.Items(),
            (std::vector<std::string>{"         10    KBPS", "         20    KBPS", "         50    KBPS",
                                      "       125    KBPS", "       250    KBPS", "       500    KBPS",
                                      "       800    KBPS", "     1000    KBPS"}));
  form.ApplicationSelect[1].Choose();
  EXPECT_EQ(form.CANBaudrate.Items(),
            (std::vector<std::string>{"       125    KBPS", "       250    KBPS", "       500    KBPS"}));
  h.ClickToggle(kComPanel);
  EXPECT_EQ(form.CANBaudrate.Items(),
            (std::vector<std::string>{"        1200    BPS", "        2400    BPS", "        4800    BPS",
                                      "        9600    BPS", "       19200   BPS", "       38400   BPS",
                                      "       57600   BPS", "      115200  BPS"}));
  EXPECT_EQ(form.ComChecksum.Items(),
            (std::vector<std::string>{"              Disable", "              Enable"}));
  EXPECT_EQ(form.ViewerText[1].Text(), "Disable");
}

TEST_F(MainFormTest, CanPanel_StoredValuesTheListCannotShow_AreReplacedOrLeftUnselected) {
  form.SelectedPanel = kNoPanel;
  params.ApplicationType = link::kDeviceNet;
  params.NodeId = 100;
  params.CanBaudIndex = 5;  // the DeviceNet list has three entries
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(params.NodeId, 1);
  EXPECT_EQ(form.CANBaudrate.ListIndex(), -1);
  EXPECT_EQ(form.ViewerText[0].Text(), "");
  // Setting without a selected rate is refused and stores nothing.
  form.CANNodeId.SetText("9");
  form.SettingParameter.Press();
  ASSERT_EQ(h.messages.Messages().size(), 1u);
  EXPECT_EQ(h.messages.Messages()[0].text, "Please select a baud rate!");
  EXPECT_EQ(params.NodeId, 1);
  EXPECT_EQ(params.CanBaudIndex, 5);

  h.ClickToggle(kCanPanel);
  params.ApplicationType = link::kCanOpen;
  params.CanBaudIndex = 9;
  h.ClickToggle(kComPanel);
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(params.CanBaudIndex, 0);
  EXPECT_EQ(form.CANBaudrate.ListIndex(), -1);
}

TEST_F(MainFormTest, FormUnload_RefusedWhileBusy_AskedOtherwise) {
  form.About_.Press();
  ASSERT_NE(form.AboutWindow(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.AboutWindow()));
  h.state.CommitBusy = true;
  form.ExitProgram.Press();
  EXPECT_TRUE(form.Loaded());
  ASSERT_EQ(h.messages.Messages().size(), 1u);
  EXPECT_EQ(h.messages.Messages()[0].text, "Module is connecting now!");
  EXPECT_EQ(h.messages.Messages()[0].title, "Error");

  h.state.CommitBusy = false;
  h.messages.Answer(ui::MessageAnswer::No);
  form.EixtProgram.Press();
  EXPECT_TRUE(form.Loaded());
  EXPECT_TRUE(form.AboutWindow()->Loaded());
  EXPECT_EQ(h.messages.Messages()[1].text, "Are you sure to exit this program?");
  EXPECT_EQ(h.messages.Messages()[1].buttons, ui::MessageButtons::YesNo);

  form.EixtProgram.Press();  // answered Yes
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(form.AboutWindow()->Loaded());
}

TEST(StartUp, ExternSetting_ShowsSplashForASecondThenMainWindow) {
  testing::VirtualTime time;
  testing::ScriptedPort port{time};
  AppHarness h{time, port};
  Logo logo{h.forms};
  bool splashSeen = false;
  h.time.At(std::chrono::milliseconds(500), [&] { splashSeen = h.forms.IsShown(logo); });
  const auto start = h.time.Now();
  ExternSetting(h.services, logo, h.form);
  EXPECT_TRUE(splashSeen);
  EXPECT_GE(h.time.Now() - start, 1000u);
  EXPECT_FALSE(logo.Loaded());
  EXPECT_EQ(h.forms.shows, (std::vector<std::string>{"Logo", "Main_F"}));
}

}  // namespace
}  // namespace gw20::app
