// The scan-parameters dialog's presets, headless. What OK, Enter and
// Escape store is ScanDialogViewTest's, HostileInput's and the connect's.

#include "link/com_para_setting_f.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/gateway_parameters.h"
#include "tests/support/test_services.h"

namespace gw20::link {
namespace {

TEST(ComParaSetting, ListsPresetTheStoredChoiceAndAreNotDoubled) {
  testing::FormRecorder host;
  ui::Form mainForm{"Main_F", host};
  GatewayParameters params;
  bool done = false;
  ComParaSetting_F dialog{params, done, host, mainForm};
  // The first opening's rate and time-out are the connect's "/baud 9600" and
  // "/timeout 200"; the list's rates, CliEndToEnd's "/baud 19200".
  dialog.Show();
  EXPECT_EQ(dialog.ScanChecksumCombol.Text(), " Disable");
  // Every entry as the dialog spells it, blanks included.
  EXPECT_EQ(dialog.ScanBaudrateCombol.Items(),
            (std::vector<std::string>{"     1200 BPS", "     2400 BPS", "     4800 BPS", "     9600 BPS",
                                      "   19200 BPS", "   38400 BPS", "   57600 BPS", " 115200 BPS"}));
  EXPECT_EQ(dialog.ScanChecksumCombol.Items(), (std::vector<std::string>{" Disable", "Enable"}));
  // A second opening shows the previous choice, and the lists are not doubled.
  dialog.Unload();
  params.ScanBaudIndex = 7;
  params.ScanTimeoutMs = 1500;
  dialog.Show();
  EXPECT_EQ(dialog.ScanBaudrateCombol.ListCount(), 8);
  EXPECT_EQ(dialog.ScanBaudrateCombol.Text(), " 115200 BPS");
  EXPECT_EQ(dialog.ScanTimeout.Text(), "1500");
}

}  // namespace
}  // namespace gw20::link
