// The scan-parameters dialog, headless.

#include "link/com_para_setting_f.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/gateway_parameters.h"
#include "tests/support/test_services.h"

namespace gw20::link {
namespace {

class ComParaSettingTest : public ::testing::Test {
 protected:
  ComParaSettingTest() { mainForm.SetEnabled(false); }  // as the connect leaves it

  testing::FormRecorder host;
  ui::Form mainForm{"Main_F", host};
  GatewayParameters params;
  bool done = false;
  ComParaSetting_F dialog{params, done, host, mainForm};
};

TEST_F(ComParaSettingTest, Load_FillsExactEntriesAndPresetsCurrentValues) {
  dialog.Show();
  const std::vector<std::string> bauds{"     1200 BPS", "     2400 BPS", "     4800 BPS", "     9600 BPS",
                                       "   19200 BPS",  "   38400 BPS",  "   57600 BPS",  " 115200 BPS"};
  EXPECT_EQ(dialog.ScanBaudrateCombol.Items(), bauds);
  EXPECT_EQ(dialog.ScanChecksumCombol.Items(), (std::vector<std::string>{" Disable", "Enable"}));
  EXPECT_EQ(dialog.ScanBaudrateCombol.Text(), "     9600 BPS");
  EXPECT_EQ(dialog.ScanChecksumCombol.Text(), " Disable");
  EXPECT_EQ(dialog.ScanTimeout.Text(), "200");

  // A second opening shows the previous choice, and the lists are not doubled.
  dialog.Unload();
  params.ScanBaudIndex = 7;
  params.ScanTimeoutMs = 1500;
  dialog.Show();
  EXPECT_EQ(dialog.ScanBaudrateCombol.ListCount(), 8);
  EXPECT_EQ(dialog.ScanBaudrateCombol.Text(), " 115200 BPS");
  EXPECT_EQ(dialog.ScanTimeout.Text(), "1500");
}

TEST_F(ComParaSettingTest, OkButton_StoresChoiceReleasesConnectAndEnablesMainWindow) {
  dialog.Show();
  dialog.ScanBaudrateCombol.Pick(5);
  dialog.ScanChecksumCombol.Pick(1);
  dialog.ScanTimeout.Type("750.5ms");
  dialog.ScanSettingOkButton.Press();
  EXPECT_EQ(params.ScanBaudIndex, 5);
  EXPECT_EQ(params.ScanChecksum, 1);
  EXPECT_EQ(params.ScanTimeoutMs, 750);  // half to the even neighbour
  EXPECT_TRUE(done);
  EXPECT_TRUE(mainForm.Enabled());
  EXPECT_FALSE(host.IsShown(dialog));
}

TEST_F(ComParaSettingTest, ClosingByFrameUnchanged_KeepsValuesEvenAPresetOutsideTheList) {
  params.ScanBaudIndex = 9;
  params.ScanChecksum = 1;
  dialog.Show();
  ASSERT_TRUE(dialog.Unload());  // what the close box does
  EXPECT_EQ(params.ScanBaudIndex, 9);
  EXPECT_EQ(params.ScanChecksum, 1);
  EXPECT_EQ(params.ScanTimeoutMs, 200);
  EXPECT_TRUE(done);
  EXPECT_TRUE(mainForm.Enabled());
}

}  // namespace
}  // namespace gw20::link
