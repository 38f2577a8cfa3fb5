#pragma once
// Where the time of a console session went, from the simulator's answer-time
// log (gw20sim --answer-times).

#include <algorithm>
#include <filesystem>
#include <vector>

namespace gw20::bench {

// Summed over the session's command lines; times in seconds.
struct SessionTimes {
  int lines = 0;
  int commandCharacters = 0;  // typed characters received, not counting each line's CR
  int scans = 0;              // "/scan" lines
  double typing = 0;          // from each line's first character to its CR
  double answering = 0;       // the controller answering: CR to the last character of its answer
  // Gaps of at least half a second between an answer and the next line: the
  // time-outs and quiet periods the console procedures prescribe.
  int waitedTimeouts = 0;
  double prescribedWaits = 0;
  double shortGaps = 0;          // the other gaps: the program's own time between exchanges
  std::vector<int> lineLengths;  // each command line's typed characters, in order
};

// Reads the log of a simulator that has ended. Throws std::runtime_error
// naming the file when it cannot be read or a line is malformed.
SessionTimes ReadSessionTimes(const std::filesystem::path& file);

// Processor time (user and system) this process has used so far, s.
double CpuSeconds();
// The same for its children that have ended and been waited for.
double CpuSecondsOfWaitedChildren();

// The median of `values` (the mean of the middle two for an even count); T{} for none.
template <typename T>
T Median(std::vector<T> values) {
  if (values.empty()) return T{};
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

}  // namespace gw20::bench
