// Every command line of a connect, a CANopen commit and a DeviceNet commit,
// cut off in turn: the operator is told in the system's words, the port is
// closed, nothing stays busy, a commit's page stays open and locked, no EDS
// file is half there, and the next connect to a healthy controller succeeds
// in the same run.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {
namespace {

// A pulled cable (nothing passes, the port stays open) or an unplugged
// adapter (the controller's end hangs up).
enum class Fault { Mute, HangUp };

std::string Name(Road road) {
  return !road ? "connect" : *road == Profile::Canopen ? "CANopen commit" : "DeviceNet commit";
}

// One run of a road whose controller goes silent once `cutAfter` more lines
// have reached it. RA412 at 3 and RA312 at 10: digital and analog data both ways.
struct Run : ConnectHarness {
  explicit Run(Road what)
      : ConnectHarness(
            WithModules({{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA312"}})),
        road(what) {
    time.OnAdvance([this](std::chrono::milliseconds) {
      if (cutAt && controller.Transcript().size() >= *cutAt) port.SetConnected(false);
    });
  }

  void CutAfter(std::optional<std::size_t> lines, Fault fault = Fault::Mute) {
    cutAt.reset();
    controller.SetHangUpAfter(std::nullopt);
    if (!lines) return;
    const std::size_t at = controller.Transcript().size() + *lines;
    if (fault == Fault::Mute) {
      cutAt = at;
    } else {
      // The adapter goes with the answer to that line out.
      controller.SetHangUpAfter(static_cast<int>(at));
    }
  }

  // Connects healthy and opens the page of the road, with an older file of
  // the same name in the folder.
  void Prepare() {
    if (!road) return;
    OpenPage(*road);
    std::ofstream(EdsFile(*road), std::ios::binary) << "older file\r\n";
    if (road == Profile::DeviceNet) {
      auto& page = *h.form.DeviceNetPage();
      page.InpPut[devicenet::kPoll].Pick(1);
      page.OutPut[devicenet::kPoll].Pick(1);
    }
  }

  void Press() {
    h.messages.Clear();
    ConnectHarness::Press(road);
  }

  // The page of a failed commit: still open and shown, its controls locked.
  void ExpectPageLocked() const {
    const ui::Form* page = h.form.CanopenPage();
    bool locked = page && !h.form.CanopenPage()->Frame1.Enabled();
    if (road == Profile::DeviceNet) {
      page = h.form.DeviceNetPage();
      locked = page && !h.form.DeviceNetPage()->Frame1.Enabled() &&
               !h.form.DeviceNetPage()->FinishDeviceSet.Enabled();
    }
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->Loaded() && h.forms.IsShown(*page) && locked);
  }

  // Back to the main window as the operator would after a failed commit.
  void LeavePage() {
    if (road == Profile::Canopen) h.form.CanopenPage()->BackButton.Press();
    if (road == Profile::DeviceNet) h.form.DeviceNetPage()->BackButton.Press();
  }

  Road road;
  std::optional<std::size_t> cutAt;
};

std::size_t LinesOf(Road road) {
  Run healthy(road);
  healthy.Prepare();
  const std::size_t before = healthy.controller.Transcript().size();
  healthy.Press();
  EXPECT_TRUE(healthy.Shown().empty() || !road) << Name(road);
  return healthy.controller.Transcript().size() - before;
}

// Cuts `road` after every line in turn; with `safeOrder` the commits write
// the header last. Returns how many cuts left an image the next connect took
// for a matching configuration although it was not the one committed.
int CutAtEveryLine(Road road, bool safeOrder = false, Fault fault = Fault::Mute) {
  const std::size_t lines = LinesOf(road);
  EXPECT_GT(lines, 5u);
  std::cout << Name(road) << (safeOrder ? " (safe order)" : "") << ": " << lines << " lines, each "
            << (fault == Fault::Mute ? "cut" : "hung up") << " in turn\n";
  int mixedButMatching = 0;
  for (std::size_t n = 0; n < lines; ++n) {
    SCOPED_TRACE(Name(road) + " cut after line " + std::to_string(n));
    Run r(road);
    r.h.state.console.SafeWriteOrder = safeOrder;
    r.Prepare();
    r.CutAfter(n, fault);
    r.Press();
    // The words the commit meant to leave, as the controller would hold them.
    const auto& image = r.h.state.eeprom;
    const auto words = [](const std::vector<std::uint32_t>& block, std::size_t count) {
      return ConnectHarness::Words(block.begin(),
                                   block.begin() + static_cast<long>(std::min(count, block.size())));
    };
    const std::size_t moduleWords = static_cast<std::size_t>(image.ModuleBlockBytes / 4);
    const std::vector<ConnectHarness::Words> committed{
        words(image.ConfigHeader, 9), words(image.ModuleBlock, moduleWords), words(image.DeviceNetBlock, 7)};

    const auto shown = r.Shown();
    if (shown.empty()) {
      ADD_FAILURE() << "no message";
      continue;
    }
    // A commit cut off says "Timeout", and that the image is mixed once a word
    // was typed, and notes the line that got no answer; the connect has one
    // message per step.
    if (road) {
      EXPECT_EQ(shown.front(), "|Timeout");
      EXPECT_LE(shown.size(), 2u);
      if (shown.size() == 2) {
        EXPECT_EQ(shown[1], "|The controller's EEPROM is only partly written: commit again.");
      }
      const auto& notes = r.h.messages.Notes();
      EXPECT_TRUE(notes.size() == 1 && notes[0].starts_with("gw20.console: no "))
          << ::testing::PrintToString(notes);
      EXPECT_EQ(r.h.form.CommunicationState.Text(), "Timeout");
      EXPECT_EQ(ReadFile(r.EdsFile(*road)), "older file\r\n");
      r.ExpectPageLocked();
    }
    EXPECT_FALSE(r.port.IsOpen());
    EXPECT_FALSE(r.h.state.CommitBusy);
    EXPECT_TRUE(r.h.form.Connect.Enabled());

    // The cable is back: the same run connects again.
    r.CutAfter(std::nullopt);
    r.port.SetConnected(true);
    r.LeavePage();
    r.h.messages.Clear();
    r.h.form.Connect.Press();
    const auto again = r.Shown();
    EXPECT_TRUE(r.h.form.Connected) << (again.empty() ? "" : again.back());
    const bool mismatch = !again.empty() && again.front().find("do not match") != std::string::npos;
    const bool partly = shown.size() == 2;
    if (partly && !mismatch) {
      const bool whole = r.Block(0, 40, 9) == committed[0] &&
                         r.Block(2, 0, static_cast<int>(moduleWords)) == committed[1] &&
                         (road != Profile::DeviceNet || r.Block(1, 0, 7) == committed[2]);
      if (!whole) ++mixedButMatching;
    }
  }
  return mixedButMatching;
}

TEST(FaultMatrix, ConnectCutAtEveryLine) { CutAtEveryLine(std::nullopt); }
// In the controller's own order a cut can leave a mix that the next connect
// takes for a match: the operator has been told to commit again.
TEST(FaultMatrix, CanopenCommitCutAtEveryLine) {
  const int mixed = CutAtEveryLine(Profile::Canopen);
  std::cout << "CANopen commit: mixed images taken for a match after " << mixed << " cuts\n";
}
TEST(FaultMatrix, DeviceNetCommitCutAtEveryLine) {
  const int mixed = CutAtEveryLine(Profile::DeviceNet);
  std::cout << "DeviceNet commit: mixed images taken for a match after " << mixed << " cuts\n";
}

// An adapter unplugged after any line: the same outcomes as a pulled cable.
TEST(FaultMatrix, HangUpAtEveryLineOfEveryRoad) {
  for (const Road road : {Road{}, Road{Profile::Canopen}, Road{Profile::DeviceNet}}) {
    CutAtEveryLine(road, false, Fault::HangUp);
  }
}

// Written header last, a cut commit never leaves an image that seems to match.
TEST(FaultMatrix, SafeOrderCommitsCutAtEveryLine_NeverSeemToMatch) {
  EXPECT_EQ(CutAtEveryLine(Profile::Canopen, true), 0);
  EXPECT_EQ(CutAtEveryLine(Profile::DeviceNet, true), 0);
}

}  // namespace
}  // namespace gw20::testing
