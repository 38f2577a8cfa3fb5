// Validating and storing the panel's values, and opening the configuration page.

#include <gtest/gtest.h>

#include <string>

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

TEST_F(ParameterTest, CanPanel_NodeId_RangeOfTheChosenApplicationBeforeRounding) {
  h.ClickToggle(kCanPanel);
  for (const char* rejected : {"0", "", "abc", "128", "127.5"}) {
    h.messages.Clear();
    Set(rejected);
    EXPECT_EQ(LastMessage(), "Node ID is not supported!(1~127)") << rejected;
  }
  Set("127");
  EXPECT_EQ(params.NodeId, 127);
  Set("12abc");
  EXPECT_EQ(params.NodeId, 12);
  Set("12.5");
  EXPECT_EQ(params.NodeId, 12);
  Set("13.5");
  EXPECT_EQ(params.NodeId, 14);
  EXPECT_EQ(form.CommunicationState.Text(), "Setting Ok");

  form.ApplicationSelect[1].Choose();
  form.CANBaudrate.Pick(2);
  h.messages.Clear();
  Set("64");
  EXPECT_EQ(LastMessage(), "Node ID is not supported!(1~63)");
  Set("63");
  EXPECT_EQ(params.ApplicationType, link::kDeviceNet);
  EXPECT_EQ(params.CanBaudIndex, 2);
  EXPECT_EQ(form.ViewerText[0].Text(), "       500    KBPS");
  EXPECT_EQ(form.ViewerText[1].Text(), "DeviceNet");
}

TEST_F(ParameterTest, ComPanel_Timeout_RangeAndStoredValues) {
  h.ClickToggle(kComPanel);
  for (const char* rejected : {"0", "32768", "abc", "0.5"}) {
    h.messages.Clear();
    Set(rejected);
    EXPECT_EQ(LastMessage(), "Timeout value is out of range!(1ms~32767ms)") << rejected;
  }
  EXPECT_EQ(params.Com2Timeout, 0);
  form.ComChecksum.Pick(1);
  form.CANBaudrate.Pick(3);
  Set("32767");
  EXPECT_EQ(params.Com2Timeout, 32767);
  EXPECT_EQ(params.Com2Checksum, 1);
  EXPECT_EQ(params.Com2BaudIndex, 3);
  EXPECT_EQ(form.ViewerText[0].Text(), "        9600    BPS");
  EXPECT_EQ(form.ViewerText[1].Text(), "Enalbe");
  EXPECT_EQ(form.ViewerText[2].Text(), "32767");
}

TEST_F(ParameterTest, RejectedSetting_LeavesParametersSelectionAndViewerAsTheyWere) {
  params.ApplicationType = link::kDeviceNet;
  params.NodeId = 5;
  params.CanBaudIndex = 5;  // the DeviceNet list cannot show it
  h.ClickToggle(kCanPanel);
  const auto before = params;
  const std::string viewerBefore = form.ViewerText[2].Text();
  form.CommunicationState.SetText("");
  Set("70");
  Set("9");  // no bit rate selected: refused as well
  EXPECT_EQ(h.messages.Messages().size(), 2u);
  EXPECT_EQ(params.NodeId, before.NodeId);
  EXPECT_EQ(params.CanBaudIndex, before.CanBaudIndex);
  EXPECT_EQ(params.ApplicationType, before.ApplicationType);
  EXPECT_EQ(form.ViewerText[2].Text(), viewerBefore);
  EXPECT_EQ(form.CommunicationState.Text(), "");
}

TEST_F(ParameterTest, WriteEDS_RequiresConnectAndOpensThePageOfTheOption) {
  form.WriteEDS.Press();
  EXPECT_EQ(form.CommunicationState.Text(), "Connect to GW-20 first");
  EXPECT_EQ(form.DeviceNetPage(), nullptr);
  EXPECT_TRUE(h.messages.Messages().empty());

  form.Show();
  form.Connected = true;
  form.ApplicationSelect[0].SetValue(true);
  params.ApplicationType = link::kDeviceNet;
  params.NodeId = 10;
  h.state.eeprom.EepromConfigValid = 1;
  form.WriteEDS.Press();
  EXPECT_EQ(h.state.eeprom.EepromConfigValid, 0);
  EXPECT_EQ(params.ApplicationType, link::kCanOpen);
  ASSERT_NE(form.CanopenPage(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.CanopenPage()));
  EXPECT_FALSE(h.forms.IsShown(form));
  form.CanopenPage()->BackButton.Press();
  EXPECT_TRUE(h.forms.IsShown(form));
  EXPECT_FALSE(form.CanopenPage()->Loaded());

  form.ApplicationSelect[0].SetValue(false);
  form.ApplicationSelect[1].SetValue(true);
  form.WriteEDS.Press();
  ASSERT_NE(form.DeviceNetPage(), nullptr);
  EXPECT_TRUE(h.forms.IsShown(*form.DeviceNetPage()));
  EXPECT_EQ(form.CanopenPage(), nullptr);
  form.DeviceNetPage()->BackButton.Press();
  EXPECT_TRUE(h.forms.IsShown(form));

  form.ApplicationSelect[1].SetValue(false);
  form.ApplicationSelect[0].SetValue(true);
  params.NodeId = 200;
  form.WriteEDS.Press();
  ASSERT_FALSE(h.messages.Messages().empty());
  EXPECT_EQ(h.messages.Messages().back().text, "NodeID Error");
  EXPECT_EQ(form.CommunicationState.Text(), "NodeID or Application error");
  EXPECT_EQ(form.CanopenPage(), nullptr);
  EXPECT_FALSE(form.DeviceNetPage()->Loaded());
  EXPECT_TRUE(h.forms.IsShown(form));
}

}  // namespace
}  // namespace gw20::app
