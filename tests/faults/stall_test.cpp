// A controller that stops reading its console for 35 ms to 200 ms (writing
// its own EEPROM, serving its field port) after any line of a road, its
// 8-character receive buffer losing what overflows.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <utility>

#include "tests/faults/fault_harness.h"

namespace gw20::testing {
namespace {

using std::chrono::milliseconds;

// Behind the controller's own 8-character buffer; a DeviceNet commit (or the
// one configuring a connect's controller) consumes on Strobe.
struct StallRun : FaultHarness {
  explicit StallRun(Road road) : FaultHarness(TwoModules(), true) { Prepare(road, devicenet::kStrobe); }
};

// 43 ms is where, typed on without the echo, a line's last digit would find
// the buffer full and its Enter would not: the stall that once stored a
// shortened number. The 25 ms line delay is a device server on a network.
TEST(Stalls, AtEveryLineOfEveryRoad_NothingWrongIsWrittenSilently) {
  constexpr std::pair<int, int> kStallAndDelayMs[] = {{35, 0}, {43, 0}, {200, 0}, {200, 25}};
  for (const Road road : kRoads) {
    const std::size_t lines = StallRun(road).LinesTyped(road);
    for (const auto& [stall, delay] : kStallAndDelayMs) {
      int ok = 0, wrongButOk = 0, failed = 0, connectsChangingAWord = 0;
      for (std::size_t n = 1; n <= lines; ++n) {
        SCOPED_TRACE(RoadName(road) + ", " + std::to_string(stall) + " ms stall after line " +
                     std::to_string(n) + ", line delay " + std::to_string(delay) + " ms");
        StallRun r(road);
        r.port.SetLineDelay(milliseconds(delay));
        const auto stored = AllEepromWords(r.controller);
        r.controller.SetStallAfter(r.LineAfter(n), milliseconds(stall));
        r.Press(road);
        const bool succeeded = road ? r.h.form.CommunicationState.Text() == pages::kEdsOkStatus
                                    : r.h.form.Connected && r.Shown().empty();
        if (!succeeded) {
          ++failed;
          EXPECT_FALSE(r.Shown().empty());  // never a failure without a word
        } else if (road && !r.WroteAsIntended(road)) {
          ++wrongButOk;
        } else {
          ++ok;
        }
        if (!road && AllEepromWords(r.controller) != stored) ++connectsChangingAWord;
      }
      std::cout << RoadName(road) << ", " << stall << " ms stall (line delay " << delay
                << " ms) after each of " << lines << " lines: " << ok << " succeeded as intended, "
                << wrongButOk << " succeeded with a wrong word, " << failed << " failed with a message";
      if (!road) std::cout << ", " << connectsChangingAWord << " changed a stored word";
      std::cout << "\n";
      EXPECT_EQ(wrongButOk, 0) << RoadName(road);
      EXPECT_EQ(connectsChangingAWord, 0) << RoadName(road);
      // Echo pacing keeps the buffer from overflowing: a stall is only a delay.
      EXPECT_EQ(failed, 0) << RoadName(road);
    }
  }
}

}  // namespace
}  // namespace gw20::testing
