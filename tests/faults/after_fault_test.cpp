// The run after a fault, as an operator would have it: a road cut off, or a
// controller that stops reading past the time-out after a line (1.5 s) or in
// the middle of one (2.5 s), at every line in turn; then, on the same
// controller, the next connect and the same commit.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "link/link_messages.h"
#include "tests/faults/fault_harness.h"

namespace gw20::testing {
namespace {

using std::chrono::milliseconds;

enum class Fault { Cut, Stall, MidLineStall };
const char* FaultName(Fault fault) {
  return fault == Fault::Cut ? "cut" : fault == Fault::Stall ? "1.5 s stall" : "2.5 s stall mid-line";
}

// Words 0:52 and 0:56 hold the commit's time stamp.
ConnectHarness::Words WithoutTimeStamp(ConnectHarness::Words words) {
  words[13] = words[14] = 0;
  return words;
}

// Behind the controller's own 8-character buffer, as the stalls need it.
struct AfterFault : FaultHarness {
  AfterFault() : FaultHarness(TwoModules(), true) {}

  // On the connected main window: the profile at node 5, its page, Finish.
  // True when it said nothing.
  bool Commit(Profile profile) {
    h.form.ApplicationSelect[profile == Profile::Canopen ? 0 : 1].Choose();
    h.form.CANNodeId.Type("5");
    h.form.SettingParameter.Press();
    h.form.WriteEDS.Press();
    if (profile == Profile::DeviceNet) ChooseConnections();
    h.messages.Clear();
    Press(profile);
    return Shown().empty() && h.form.CommunicationState.Text() == pages::kEdsOkStatus;
  }

  // Faults the line after `lines` more lines; mid-line, half way through the
  // next line as far as the healthy run shows it.
  void FaultAfter(std::size_t lines, Fault fault) {
    const int at = LineAfter(lines);
    if (fault == Fault::Cut) {
      cutAt = at;
    } else if (at >= 1) {
      controller.SetStallAfter(at, milliseconds(fault == Fault::Stall ? 1500 : 2500),
                               fault == Fault::MidLineStall ? std::optional<int>(2) : std::nullopt);
    }
  }
  void Heal() {
    cutAt.reset();
    controller.SetStallAfter(std::nullopt);
    time.Advance(milliseconds(5000));  // the operator's pause; any stall is over
    port.SetConnected(true);
  }
};

struct Counts {
  int runs = 0, wrongButOk = 0, matchingButWrong = 0, commitAgainWrong = 0, commitAgainFailed = 0,
      strayFiles = 0, warnedOfACut = 0, otherWordChanged = 0;
};

Counts RunAfterEveryFault(Road road, bool readAlone) {
  // The commit every road ends with (a connect's is the DeviceNet one): its
  // words from a blank controller with nothing going wrong, and its lines.
  const Profile profile = road.value_or(Profile::DeviceNet);
  AfterFault healthy;
  healthy.Prepare(road);
  const std::size_t lines = healthy.LinesTyped(road);
  EXPECT_TRUE(healthy.Shown().empty()) << RoadName(road);
  const auto clean = WithoutTimeStamp(AllEepromWords(healthy.controller));
  Counts counts;
  for (const Fault fault : {Fault::Cut, Fault::Stall, Fault::MidLineStall}) {
    for (std::size_t n = 0; n < lines; ++n) {
      SCOPED_TRACE(RoadName(road) + ", " + FaultName(fault) + " after line " + std::to_string(n));
      AfterFault r;
      r.h.state.console.ReadWordsAlone = readAlone;
      r.Prepare(road);
      const auto before = AllEepromWords(r.controller);
      r.FaultAfter(n, fault);
      r.h.messages.Clear();
      r.Press(road);
      ++counts.runs;
      if (r.Shown().empty() && (road ? WithoutTimeStamp(AllEepromWords(r.controller)) != clean
                                     : AllEepromWords(r.controller) != before)) {
        ++counts.wrongButOk;
      }

      // The next conversation on the same controller.
      r.Heal();
      const auto again = r.Reconnect();
      const bool cutWarned = Said(again, link::kInterruptedEditMessage);
      counts.warnedOfACut += cutWarned;
      const auto stored = WithoutTimeStamp(AllEepromWords(r.controller));
      if (!Said(again, link::kConfigMismatchMessage) && stored != clean) ++counts.matchingButWrong;

      // The same commit again.
      if (!r.Commit(profile)) {
        ++counts.commitAgainFailed;
        ADD_FAILURE() << "commit again: " << ::testing::PrintToString(r.Shown());
      }
      // Only a word the commit does not write (its own are 0:40 to 0:72 and
      // blocks 1 and 2) may differ, and only after the connect warned of a
      // conversation cut inside the editor.
      const auto final = WithoutTimeStamp(AllEepromWords(r.controller));
      std::size_t i = 0;
      while (i < final.size() && (final[i] == clean[i] || i < 10 || (i > 18 && i < 64))) ++i;
      if (i < final.size()) {
        ++counts.commitAgainWrong;
      } else if (final != clean) {
        ++counts.otherWordChanged;
        EXPECT_TRUE(cutWarned);
      }
      // Only the EDS file the commit writes, and never a staged one left behind.
      const auto names = Listing(r.folder);
      if (!names.empty() && names != std::vector<std::string>{r.EdsFile(profile).filename().string()}) {
        ++counts.strayFiles;
      }
    }
  }
  std::cout << RoadName(road) << (readAlone ? " (words read alone)" : "") << ", " << counts.runs
            << " faulted runs, then a connect and the commit again: " << counts.wrongButOk
            << " ended without a message with a wrong word, " << counts.matchingButWrong
            << " connects took a wrong image for a match, " << counts.warnedOfACut
            << " warned of a conversation cut inside the editor, " << counts.commitAgainWrong
            << " commits again wrote other words than a clean commit, " << counts.otherWordChanged
            << " left a word no commit writes changed (warned), " << counts.strayFiles
            << " left a file beside the EDS file\n";
  EXPECT_EQ(counts.wrongButOk, 0);
  EXPECT_EQ(counts.matchingButWrong, 0);
  EXPECT_EQ(counts.commitAgainWrong, 0);
  EXPECT_EQ(counts.commitAgainFailed, 0);
  EXPECT_EQ(counts.strayFiles, 0);
  return counts;
}

TEST(AfterAFault, CanopenCommit_CommitAgainGivesACleanCommitsWords) {
  RunAfterEveryFault(Profile::Canopen, false);
}
TEST(AfterAFault, DeviceNetCommit_CommitAgainGivesACleanCommitsWords) {
  RunAfterEveryFault(Profile::DeviceNet, false);
}
// The window types back what it reads; a stall in the middle of a value
// leaves digits that the next conversation's first Enter stores. Read
// alone (gw20cli), a connect types no value and leaves none.
TEST(AfterAFault, Connect_NextConnectWarnsOfAHalfTypedValue) {
  RunAfterEveryFault(std::nullopt, false);
  EXPECT_EQ(RunAfterEveryFault(std::nullopt, true).otherWordChanged, 0);
}

}  // namespace
}  // namespace gw20::testing
