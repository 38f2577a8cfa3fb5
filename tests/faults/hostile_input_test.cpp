// Every number box fed texts easy to paste by mistake: read as its leading
// decimal number (0 without one). EDS texts are the EDS writers' fuzz target's.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "link/com_para_setting_f.h"
#include "link/link_messages.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {
namespace {

struct Nasty {
  std::string text;
  double read;  // the leading decimal number, before rounding
};

const std::vector<Nasty>& NastyTexts() {
  // A euro sign (outside Latin-1, as UTF-8 bytes) before a 5; ten thousand digits or letters.
  static const std::string nines(10000, '9'), letters(10000, 'x');
  static const std::vector<Nasty> texts{
      {"", 0},      {"   ", 0},    {"0", 0},       {"-1", -1},        {"99999999999999999999", 1e20},
      {"1e9", 1},   {"0x10", 0},   {"12abc", 12},  {"12.5", 12.5},    {"12,5", 12},
      {"\t7\t", 7}, {"7\r\n8", 7}, {"\u20ac5", 0}, {nines, HUGE_VAL}, {letters, 0}};
  return texts;
}

// Halves to the even neighbour, as stored.
long long Stored(double read) { return static_cast<long long>(std::nearbyint(read)); }

TEST(HostileInput, MainWindowBoxes_RefuseWithTheirMessageOrStoreTheLeadingNumber) {
  struct Box {
    int panel;
    double low, high;
    std::string refusal;
    int link::GatewayParameters::*stored;
  };
  const std::vector<Box> boxes{
      {app::kCanPanel, 1, 127, "Node ID is not supported!(1~127)", &link::GatewayParameters::NodeId},
      {app::kComPanel, 1, 32767, "Timeout value is out of range!(1ms~32767ms)",
       &link::GatewayParameters::Com2Timeout},
  };
  for (const Box& box : boxes) {
    for (const Nasty& nasty : NastyTexts()) {
      SCOPED_TRACE("panel " + std::to_string(box.panel) + " text \"" + nasty.text.substr(0, 20) + "\"");
      VirtualTime time;
      ScriptedPort port{time};
      app::AppHarness h{time, port};
      h.form.Load();
      h.form.SelectedPanel = app::kNoPanel;
      h.ClickToggle(box.panel);
      if (box.panel == app::kCanPanel) h.form.ApplicationSelect[0].Choose();
      h.form.CANBaudrate.Pick(0);
      h.form.CANNodeId.Type(nasty.text);
      h.form.SettingParameter.Press();
      if (nasty.read >= box.low && nasty.read <= box.high) {
        EXPECT_EQ(h.Shown(), std::vector<std::string>());
        EXPECT_EQ(h.state.params.*box.stored, Stored(nasty.read));
      } else {
        EXPECT_EQ(h.Shown(), std::vector<std::string>{std::string(link::kErrorTitle) + "|" + box.refusal});
      }
    }
  }
}

TEST(HostileInput, ScanAndErrorControlTimes_ClampOrRefuse) {
  for (const Nasty& nasty : NastyTexts()) {
    SCOPED_TRACE("text \"" + nasty.text.substr(0, 20) + "\"");
    app::PageBench<canopen::COPEDS_F> bench;
    auto& h = bench.h;
    h.form.Load();
    // The scan dialog clamps its time-out into the field's range.
    bool done = false;
    link::ComParaSetting_F dialog(h.state.params, done, h.forms, h.form);
    dialog.Show(false);
    dialog.ScanTimeout.Type(nasty.text);
    dialog.ScanSettingOkButton.Press();
    EXPECT_EQ(h.state.params.ScanTimeoutMs,
              std::clamp<long long>(Stored(std::min(nasty.read, 1e6)), 0, 32767));

    // The CANopen page refuses a time beyond its field before anything is sent.
    auto& s = h.state;
    auto& page = bench.Open();
    page.ErrControl[canopen::kHeartbeat].Choose();
    page.Heartbeat_T.Type(nasty.text);
    h.messages.Clear();
    page.FinishButton.Press();
    ASSERT_FALSE(h.messages.Messages().empty());
    if (nasty.read >= 0 && nasty.read <= 65535) {
      EXPECT_EQ(s.errorControl.HeartbeatTime, Stored(nasty.read));
      EXPECT_NE(h.messages.Messages()[0].text, "Consumer Heartbeat Time is overflow");
    } else {
      EXPECT_EQ(h.messages.Messages()[0].text, "Consumer Heartbeat Time is overflow");
    }
    EXPECT_FALSE(s.CommitBusy);
  }
}

}  // namespace
}  // namespace gw20::testing
