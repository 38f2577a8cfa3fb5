// Validating and storing the panel's values, and opening the configuration page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "tests/support/app_harness.h"

namespace gw20::app {
namespace {

class ParameterTest : public LoadedMainForm {
 protected:
  ParameterTest() { form.SelectedPanel = kNoPanel; }
  // Types `text` into the node-ID / time-out box and presses Setting.
  void Set(const std::string& text) {
    h.form.CANNodeId.SetText(text);
    h.form.SettingParameter.Press();
  }
  std::string LastMessage() const {
    return h.messages.Messages().empty() ? "" : h.messages.Messages().back().text;
  }
};

// Texts without a number, 0, and what is stored from "12abc" or "12.5" are
// HostileInput's; here the edges of each range and what a setting stores.
TEST_F(ParameterTest, CanPanel_NodeId_RangeOfTheChosenApplicationAndRounding) {
  h.ClickToggle(kCanPanel);
  const std::string viewerBefore = form.ViewerText[2].Text();
  form.CommunicationState.SetText("");
  Set("128");
  EXPECT_EQ(LastMessage(), "Node ID is not supported!(1~127)");
  // A refusal leaves the parameters and the viewer as they were.
  EXPECT_TRUE(params.NodeId == 1 && form.ViewerText[2].Text() == viewerBefore &&
              form.CommunicationState.Text().empty());
  Set("127");
  EXPECT_EQ(params.NodeId, 127);
  Set("13.5");
  EXPECT_EQ(params.NodeId, 14);
  EXPECT_EQ(form.CommunicationState.Text(), "Setting Ok");

  form.ApplicationSelect[1].Choose();  // refills the list; Setting stores the application
  EXPECT_EQ(form.CANBaudrate.ListIndex(), 0);
  form.CANBaudrate.Pick(2);
  h.messages.Clear();
  Set("64");
  EXPECT_EQ(LastMessage(), "Node ID is not supported!(1~63)");
  EXPECT_EQ(params.ApplicationType, link::kCanOpen);
  Set("63");
  EXPECT_EQ(params.ApplicationType, link::kDeviceNet);
  EXPECT_EQ(params.CanBaudIndex, 2);  // its viewer text is MainViewTest's
}

TEST_F(ParameterTest, ComPanel_Timeout_RangeAndStoredValues) {
  h.ClickToggle(kComPanel);
  Set("32768");
  EXPECT_EQ(LastMessage(), "Timeout value is out of range!(1ms~32767ms)");
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
  EXPECT_EQ(form.DeviceNetPage(), nullptr);
  EXPECT_TRUE(h.messages.Messages().empty());

  // Connected: a node ID outside the option's range opens nothing.
  form.Show();
  form.Connected = true;
  form.ApplicationSelect[0].SetValue(true);
  params.NodeId = 200;
  form.WriteEDS.Press();
  ASSERT_FALSE(h.messages.Messages().empty());
  EXPECT_EQ(h.messages.Messages().back().text, "NodeID Error");
  EXPECT_EQ(form.CommunicationState.Text(), "NodeID or Application error");
  EXPECT_TRUE(form.CanopenPage() == nullptr || !form.CanopenPage()->Loaded());

  // Back from the page is COPEDS_F's; the DeviceNet page opening is
  // ConnectHarness::OpenPage's, for every DeviceNet commit test.
  params.NodeId = 10;
  params.ApplicationType = link::kDeviceNet;  // switching from it invalidates the stored image
  h.state.eeprom.EepromConfigValid = 1;
  form.WriteEDS.Press();
  EXPECT_EQ(h.state.eeprom.EepromConfigValid, 0);
  EXPECT_EQ(params.ApplicationType, link::kCanOpen);
  ASSERT_NE(form.CanopenPage(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.CanopenPage()));
  EXPECT_FALSE(h.forms.IsShown(form));
}

}  // namespace
}  // namespace gw20::app
