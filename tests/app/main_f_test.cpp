// The main window's panels, lists, settings, defaults and exit, headless.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "app/about_form.h"
#include "app/extern_setting.h"
#include "app/logo.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "tests/support/app_harness.h"

namespace gw20::app {
namespace {

using MainFormTest = LoadedMainForm;

class ParameterTest : public LoadedMainForm {
 protected:
  ParameterTest() { form.SelectedPanel = kNoPanel; }
  // Types `text` into the node-ID / time-out box and presses Setting.
  void Set(const std::string& text) {
    h.form.CANNodeId.SetText(text);
    h.form.SettingParameter.Press();
  }
};

// Every entry of the lists the panels fill, as the window spells them.
const std::vector<std::string> kCanRates{"         10    KBPS", "         20    KBPS", "         50    KBPS",
                                         "       125    KBPS",  "       250    KBPS",  "       500    KBPS",
                                         "       800    KBPS",  "     1000    KBPS"};
const std::vector<std::string> kComRates{"        1200    BPS", "        2400    BPS", "        4800    BPS",
                                         "        9600    BPS", "       19200   BPS",  "       38400   BPS",
                                         "       57600   BPS",  "      115200  BPS"};

TEST_F(ParameterTest, ComButton_SwitchingPanels_RefillsTheListsSpelledBlankForBlank_AndShowsEachSidesValues) {
  const std::vector<std::string> deviceNetRates(kCanRates.begin() + 3, kCanRates.begin() + 6);
  params.CanBaudIndex = params.Com2BaudIndex = 7;
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(form.CANBaudrate.Items(), kCanRates);
  EXPECT_EQ(form.ViewerText[0].Text(), kCanRates[7]);
  form.ApplicationSelect[1].Choose();
  EXPECT_EQ(form.CANBaudrate.Items(), deviceNetRates);
  form.ApplicationSelect[0].Choose();  // the stored values, not the radio, must pick DeviceNet below

  // Pressed again it greys and hides Setting; a third press is down again on
  // the same panel.
  h.ClickToggle(kCanPanel);
  EXPECT_FALSE(form.ComButton[0].Value() || form.SettingParameter.Visible());
  h.ClickToggle(kCanPanel);
  EXPECT_TRUE(form.SettingParameter.Visible());

  h.ClickToggle(kComPanel);  // the other toggle coming up is MainViewTest's
  EXPECT_EQ(form.CANBaudrate.Items(), kComRates);
  EXPECT_EQ(form.ComChecksum.Items(),
            (std::vector<std::string>{"              Disable", "              Enable"}));
  // An unset time-out shows the default but is not stored.
  EXPECT_EQ(form.ViewerText[0].Text() + "|" + form.ViewerText[1].Text() + "|" + form.CANNodeId.Text(),
            kComRates[7] + "|Disable|50");
  EXPECT_EQ(params.Com2Timeout, 0);

  params.ApplicationType = link::kDeviceNet;
  params.CanBaudIndex = 2;
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(form.CANBaudrate.Items(), deviceNetRates);
  EXPECT_EQ(form.ViewerText[0].Text(), "       500    KBPS");
  EXPECT_FALSE(form.ApplicationSelect[0].Value());
  params.Com2Checksum = 1;
  h.ClickToggle(kComPanel);
  EXPECT_EQ(form.ViewerText[1].Text(), "Enalbe");
}

TEST_F(ParameterTest, CanPanel_StoredValuesTheListCannotShow_AreReplacedOrLeftUnselected) {
  params.ApplicationType = link::kDeviceNet;
  params.NodeId = 100;
  params.CanBaudIndex = 5;  // the DeviceNet list has three entries
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(std::tuple(params.NodeId, form.CANBaudrate.ListIndex(), form.ViewerText[0].Text()),
            std::tuple(1, -1, ""));
  // Setting without a selected rate is refused and stores nothing.
  Set("9");
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|Please select a baud rate!"});
  EXPECT_EQ(std::tuple(params.NodeId, params.CanBaudIndex), std::tuple(1, 5));

  h.ClickToggle(kCanPanel);
  params.ApplicationType = link::kCanOpen;
  params.CanBaudIndex = 9;
  h.ClickToggle(kComPanel);
  h.ClickToggle(kCanPanel);
  EXPECT_EQ(std::tuple(params.CanBaudIndex, form.CANBaudrate.ListIndex()), std::tuple(0, -1));
}

TEST_F(MainFormTest, FormUnload_RefusedWhileBusy_AskedOtherwise) {
  form.About_.Press();
  ASSERT_NE(form.AboutWindow(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.AboutWindow()));
  h.state.CommitBusy = true;
  form.ExitProgram.Press();
  EXPECT_TRUE(form.Loaded());
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|Module is connecting now!"});

  h.state.CommitBusy = false;
  h.messages.Answer(ui::MessageAnswer::No);
  form.EixtProgram.Press();
  EXPECT_TRUE(form.Loaded() && form.AboutWindow()->Loaded());
  EXPECT_EQ(h.messages.Messages()[1].text, "Are you sure to exit this program?");
  EXPECT_EQ(h.messages.Messages()[1].buttons, ui::MessageButtons::YesNo);

  form.EixtProgram.Press();  // answered Yes
  EXPECT_FALSE(form.Loaded() || form.AboutWindow()->Loaded());
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
  EXPECT_TRUE(splashSeen && !logo.Loaded());
  EXPECT_GE(h.time.Now() - start, 1000u);
  EXPECT_EQ(h.forms.shows, (std::vector<std::string>{"Logo", "Main_F"}));
}

// Texts without a number, 0, and what is stored from "12abc" or "12.5" are
// HostileInput's; here the edges of each range and what a setting stores.
TEST_F(ParameterTest, CanPanel_NodeId_RangeOfTheChosenApplicationAndRounding) {
  h.ClickToggle(kCanPanel);
  const std::string viewerBefore = form.ViewerText[2].Text();
  form.CommunicationState.SetText("");
  Set("128");
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|Node ID is not supported!(1~127)"});
  // A refusal leaves the parameters and the viewer as they were.
  EXPECT_TRUE(params.NodeId == 1 && form.ViewerText[2].Text() == viewerBefore &&
              form.CommunicationState.Text().empty());
  Set("127");
  EXPECT_EQ(params.NodeId, 127);
  Set("13.5");
  EXPECT_EQ(std::tuple(params.NodeId, form.CommunicationState.Text()), std::tuple(14, "Setting Ok"));

  form.ApplicationSelect[1].Choose();  // refills the list; Setting stores the application
  EXPECT_EQ(form.CANBaudrate.ListIndex(), 0);
  form.CANBaudrate.Pick(2);
  h.messages.Clear();
  Set("64");
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|Node ID is not supported!(1~63)"});
  EXPECT_EQ(params.ApplicationType, link::kCanOpen);
  Set("63");
  // The rate's viewer text is MainViewTest's.
  EXPECT_EQ(std::tuple(params.ApplicationType, params.CanBaudIndex), std::tuple(link::kDeviceNet, 2));
}

TEST_F(ParameterTest, ComPanel_Timeout_RangeAndStoredValues) {
  h.ClickToggle(kComPanel);
  Set("32768");
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|Timeout value is out of range!(1ms~32767ms)"});
  EXPECT_EQ(params.Com2Timeout, 0);
  form.ComChecksum.Pick(1);
  form.CANBaudrate.Pick(3);
  Set("32767");
  EXPECT_EQ((std::vector<int>{params.Com2Timeout, params.Com2Checksum, params.Com2BaudIndex}),
            (std::vector<int>{32767, 1, 3}));
  EXPECT_EQ(form.ViewerText[0].Text(), "        9600    BPS");
}

TEST_F(ParameterTest, WriteEDS_RequiresConnectAndOpensThePageOfTheOption) {
  form.WriteEDS.Press();
  EXPECT_EQ(form.CommunicationState.Text(), "Connect to GW-20 first");
  EXPECT_TRUE(form.DeviceNetPage() == nullptr && h.messages.Messages().empty());

  // Connected: a node ID outside the option's range opens nothing.
  form.Show();
  form.Connected = true;
  form.ApplicationSelect[0].SetValue(true);
  params.NodeId = 200;
  form.WriteEDS.Press();
  EXPECT_EQ(h.Shown(), std::vector<std::string>{"Error|NodeID Error"});
  EXPECT_EQ(form.CommunicationState.Text(), "NodeID or Application error");
  EXPECT_TRUE(form.CanopenPage() == nullptr || !form.CanopenPage()->Loaded());

  // Back from the page is COPEDS_F's; the DeviceNet page opening is
  // ConnectHarness::OpenPage's, for every DeviceNet commit test.
  params.NodeId = 10;
  params.ApplicationType = link::kDeviceNet;  // switching from it invalidates the stored image
  h.state.eeprom.EepromConfigValid = 1;
  form.WriteEDS.Press();
  EXPECT_EQ(std::tuple(h.state.eeprom.EepromConfigValid, params.ApplicationType),
            std::tuple(0, link::kCanOpen));
  ASSERT_NE(form.CanopenPage(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.CanopenPage()) && !h.forms.IsShown(form));
}

}  // namespace
}  // namespace gw20::app
