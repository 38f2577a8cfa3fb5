// The run after a fault, as an operator would have it: a road cut off, or a
// controller that stops reading past the time-out after a line (1.5 s) or in
// the middle of one (2.5 s), at every line in turn; then, on the same
// controller, the next connect and the same commit.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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

  // The commit every road ends with: the connect's own is the DeviceNet one.
  static Profile CommitOf(Road road) { return road.value_or(Profile::DeviceNet); }

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

  // Faults the line after `lines` more lines (of the next line, mid-way, for `MidLineStall`).
  void FaultAfter(std::size_t lines, Fault fault, std::size_t midLine) {
    const int at = static_cast<int>(controller.Transcript().size() + lines);
    if (fault == Fault::Cut) {
      cutAt = at;
    } else if (at >= 1) {
      controller.SetStallAfter(
          at, fault == Fault::Stall ? milliseconds(1500) : milliseconds(2500),
          fault == Fault::MidLineStall ? std::optional<int>(static_cast<int>(midLine)) : std::nullopt);
    }
  }
  void Heal() {
    cutAt.reset();
    controller.SetStallAfter(std::nullopt);
    time.Advance(milliseconds(5000));  // the operator's pause; any stall is over
    port.SetConnected(true);
  }

  // Only the EDS file the commit writes, and never a staged one left behind.
  bool FolderHoldsOnlyTheEdsFile(Profile profile) const {
    const auto names = Listing(folder);
    return names.empty() || names == std::vector<std::string>{EdsFile(profile).filename().string()};
  }
};

struct Counts {
  int runs = 0, wrongButOk = 0, matchingButWrong = 0, commitAgainWrong = 0, commitAgainFailed = 0,
      strayFiles = 0, warnedOfACut = 0, otherWordChanged = 0;
};

// The commit's words from a blank controller with nothing going wrong, and
// how many lines the road types.
std::pair<ConnectHarness::Words, std::size_t> CleanRun(Road road) {
  AfterFault clean;
  clean.Prepare(road);
  const std::size_t before = clean.controller.Transcript().size();
  clean.Press(road);
  EXPECT_TRUE(clean.Shown().empty()) << RoadName(road);
  return {WithoutTimeStamp(AllEepromWords(clean.controller)), clean.controller.Transcript().size() - before};
}

Counts RunAfterEveryFault(Road road, bool readAlone) {
  const auto [clean, lines] = CleanRun(road);
  const Profile profile = AfterFault::CommitOf(road);
  Counts counts;
  for (const Fault fault : {Fault::Cut, Fault::Stall, Fault::MidLineStall}) {
    for (std::size_t n = 0; n < lines; ++n) {
      SCOPED_TRACE(RoadName(road) + ", " + FaultName(fault) + " after line " + std::to_string(n));
      AfterFault r;
      r.h.state.console.ReadWordsAlone = readAlone;
      r.Prepare(road);
      const auto before = AllEepromWords(r.controller);
      // Mid-line: half way through the line, as far as the healthy run shows it.
      r.FaultAfter(n, fault, 2);
      r.h.messages.Clear();
      r.Press(road);
      ++counts.runs;
      const bool firstOk = r.Shown().empty();
      const auto afterFirst = WithoutTimeStamp(AllEepromWords(r.controller));
      if (firstOk && (road ? afterFirst != clean : AllEepromWords(r.controller) != before))
        ++counts.wrongButOk;

      // The next conversation on the same controller.
      r.Heal();
      r.LeavePage();
      r.h.messages.Clear();
      r.h.form.Connect.Press();
      const auto again = r.Shown();
      EXPECT_TRUE(r.h.form.Connected) << (again.empty() ? "" : again.back());
      const auto said = [&again](std::string_view text) {
        return std::ranges::any_of(again, [text](const std::string& s) { return s.ends_with(text); });
      };
      const bool cutWarned = said(link::kInterruptedEditMessage);
      counts.warnedOfACut += cutWarned;
      const auto stored = WithoutTimeStamp(AllEepromWords(r.controller));
      if (!said(link::kConfigMismatchMessage) && stored != clean) ++counts.matchingButWrong;

      // The same commit again.
      if (!r.Commit(profile)) {
        ++counts.commitAgainFailed;
        ADD_FAILURE() << "commit again: " << ::testing::PrintToString(r.Shown());
      }
      const auto final = WithoutTimeStamp(AllEepromWords(r.controller));
      if (final != clean) {
        // Only a word the commit does not write may differ, and only after
        // the connect warned of a conversation cut inside the editor.
        const auto written = [](std::size_t i) { return i >= 10 && i <= 18 ? true : i >= 64; };
        bool commitsOwn = false;
        for (std::size_t i = 0; i < final.size(); ++i) {
          if (final[i] != clean[i] && written(i)) commitsOwn = true;
        }
        if (commitsOwn) {
          ++counts.commitAgainWrong;
        } else {
          ++counts.otherWordChanged;
          EXPECT_TRUE(cutWarned);
        }
      }
      if (!r.FolderHoldsOnlyTheEdsFile(profile)) ++counts.strayFiles;
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
  return counts;
}

void ExpectNothingWrongSilently(const Counts& c) {
  EXPECT_EQ(c.wrongButOk, 0);
  EXPECT_EQ(c.matchingButWrong, 0);
  EXPECT_EQ(c.commitAgainWrong, 0);
  EXPECT_EQ(c.commitAgainFailed, 0);
  EXPECT_EQ(c.strayFiles, 0);
}

TEST(AfterAFault, CanopenCommit_CommitAgainGivesACleanCommitsWords) {
  ExpectNothingWrongSilently(RunAfterEveryFault(Profile::Canopen, false));
}
TEST(AfterAFault, DeviceNetCommit_CommitAgainGivesACleanCommitsWords) {
  ExpectNothingWrongSilently(RunAfterEveryFault(Profile::DeviceNet, false));
}
// The window types back what it reads; a stall in the middle of a value
// leaves digits that the next conversation's first Enter stores. Read
// alone (gw20cli), a connect types no value and leaves none.
TEST(AfterAFault, Connect_NextConnectWarnsOfAHalfTypedValue) {
  ExpectNothingWrongSilently(RunAfterEveryFault(std::nullopt, false));
  const Counts alone = RunAfterEveryFault(std::nullopt, true);
  ExpectNothingWrongSilently(alone);
  EXPECT_EQ(alone.otherWordChanged, 0);
}

}  // namespace
}  // namespace gw20::testing
