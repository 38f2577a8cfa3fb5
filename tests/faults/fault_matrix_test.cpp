// Every command line of each road cut off in turn; the next connect to a
// healthy controller succeeds in the same run.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "tests/faults/fault_harness.h"

namespace gw20::testing {
namespace {

// A pulled cable (nothing passes, the port stays open) or an unplugged
// adapter (the controller's end hangs up).
enum class Fault { Mute, HangUp };

// A commit's page open, with an older file of the same name in the folder;
// a connect from a blank controller.
struct Run : FaultHarness {
  Run(Road what, bool safeOrder) : road(what) {
    h.state.console.SafeWriteOrder = safeOrder;
    if (road) {
      Prepare(road);
      std::ofstream(EdsFile(*road), std::ios::binary) << "older file\r\n";
    }
    h.messages.Clear();
  }

  // Faults the line after `lines` more lines (nullopt: never); an unplugged
  // adapter goes with the answer to the last line out.
  void CutAfter(std::optional<std::size_t> lines, Fault fault = Fault::Mute) {
    const auto at = lines ? std::optional<int>(LineAfter(*lines)) : std::nullopt;
    cutAt = fault == Fault::Mute ? at : std::nullopt;
    controller.SetHangUpAfter(fault == Fault::HangUp ? at : std::nullopt);
  }

  // The page of a failed commit: still open and shown, its controls locked.
  void ExpectPageLocked() const {
    const auto* canopen = h.form.CanopenPage();
    const auto* deviceNet = h.form.DeviceNetPage();
    const ui::Form* page = road == Profile::Canopen ? static_cast<const ui::Form*>(canopen) : deviceNet;
    ASSERT_NE(page, nullptr);
    const bool locked = road == Profile::Canopen
                            ? !canopen->Frame1.Enabled()
                            : !deviceNet->Frame1.Enabled() && !deviceNet->FinishDeviceSet.Enabled();
    EXPECT_TRUE(page->Loaded() && h.forms.IsShown(*page) && locked);
  }

  Road road;
};

// Cuts `road` after every line in turn; with `safeOrder` the commits write
// the header last. Returns how many cuts left an image the next connect took
// for a matching configuration although it was not the one committed.
int CutAtEveryLine(Road road, bool safeOrder = false, Fault fault = Fault::Mute) {
  Run healthy(road, safeOrder);
  const std::size_t lines = healthy.LinesTyped(road);
  EXPECT_TRUE(healthy.Shown().empty() || !road) << RoadName(road);
  EXPECT_GT(lines, 5u);
  std::cout << RoadName(road) << (safeOrder ? " (safe order)" : "") << ": " << lines << " lines, each "
            << (fault == Fault::Mute ? "cut" : "hung up") << " in turn\n";
  int mixedButMatching = 0;
  for (std::size_t n = 0; n < lines; ++n) {
    SCOPED_TRACE(RoadName(road) + " cut after line " + std::to_string(n));
    Run r(road, safeOrder);
    r.CutAfter(n, fault);
    r.Press(road);
    const auto shown = r.Shown();
    if (shown.empty()) {
      ADD_FAILURE() << "no message";
      continue;
    }
    const std::vector<std::string> notes = r.h.messages.Notes();
    // A commit cut off says "Timeout", and that the image is mixed once a word
    // was typed, and notes the line that got no answer; the connect has one
    // message per step.
    if (road) {
      const std::vector<std::string> timeout{
          "|Timeout", "|The controller's EEPROM is only partly written: commit again."};
      EXPECT_EQ(shown,
                std::vector(timeout.begin(), timeout.begin() + std::min<std::size_t>(shown.size(), 2)));
      EXPECT_TRUE(notes.size() == 1 && notes[0].starts_with("gw20.console: no "))
          << ::testing::PrintToString(notes);
      EXPECT_EQ(r.h.form.CommunicationState.Text(), "Timeout");
      EXPECT_EQ(ReadFile(r.EdsFile(*road)), "older file\r\n");
      r.ExpectPageLocked();
    }
    // Only an unplugged adapter is blamed on the port, whatever step failed.
    const auto blamed = std::ranges::count_if(notes, [](const std::string& note) {
      return note.ends_with(" hung up: check that the port's adapter is still plugged in");
    });
    EXPECT_EQ(blamed, fault == Fault::HangUp ? 1 : 0) << ::testing::PrintToString(notes);
    // The window shows the note too, beside the system's status, not over it.
    const std::string console = "gw20.console: ";
    std::string noted;
    for (const auto& note : notes) {
      if (note.starts_with(console)) noted = note.substr(console.size());
    }
    EXPECT_EQ(r.h.form.CommunicationState.ToolTip(), noted);
    EXPECT_TRUE(!r.port.IsOpen() && !r.h.state.CommitBusy && r.h.form.Connect.Enabled());
    const bool whole = road && r.WroteAsIntended(road);  // before the next connect reads the image

    // The cable is back: the same run connects again.
    r.CutAfter(std::nullopt);
    r.port.SetConnected(true);
    const bool mismatch = Said(r.Reconnect(), "do not match");  // after every cut, not only mixed ones
    if (shown.size() == 2 && !mismatch && !whole) ++mixedButMatching;
  }
  return mixedButMatching;
}

// In the controller's own order a cut can leave a mix that the next connect
// takes for a match: the operator has been told to commit again.
TEST(FaultMatrix, CutAtEveryLineOfEveryRoad) {
  for (const Road road : kRoads) {
    const int mixed = CutAtEveryLine(road);
    if (road) std::cout << RoadName(road) << ": mixed images taken for a match after " << mixed << " cuts\n";
  }
}

// An adapter unplugged after any line: the same outcomes as a pulled cable.
TEST(FaultMatrix, HangUpAtEveryLineOfEveryRoad) {
  for (const Road road : kRoads) CutAtEveryLine(road, false, Fault::HangUp);
}

// Written header last, a cut commit never leaves an image that seems to match.
TEST(FaultMatrix, SafeOrderCommitsCutAtEveryLine_NeverSeemToMatch) {
  EXPECT_EQ(CutAtEveryLine(Profile::Canopen, true), 0);
  EXPECT_EQ(CutAtEveryLine(Profile::DeviceNet, true), 0);
}

}  // namespace
}  // namespace gw20::testing
