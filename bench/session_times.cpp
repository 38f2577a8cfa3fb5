#include "bench/session_times.h"

#include <sys/resource.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace gw20::bench {
namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr double kLongGapMs = 500.0;

}  // namespace

SessionTimes ReadSessionTimes(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error(file.string() + ": cannot read the answer times");
  SessionTimes times;
  std::optional<double> previousEnd;  // ms on the controller's clock
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream fields(text);
    double typedAt = 0;
    double typing = 0;
    std::string answer;
    if (!(fields >> typedAt >> typing >> answer) || fields.get() != '\t') {
      throw std::runtime_error(file.string() + ": malformed line " + std::to_string(times.lines + 1));
    }
    std::string line;
    std::getline(fields, line);  // the rest, blanks included
    const double answerMs = answer == "-" ? 0.0 : std::stod(answer);
    if (previousEnd) {
      const double gap = typedAt - *previousEnd;
      if (gap >= kLongGapMs) {
        times.prescribedWaits += gap / kMsPerSecond;
        ++times.waitedTimeouts;
      } else {
        times.shortGaps += gap / kMsPerSecond;
      }
    }
    previousEnd = typedAt + typing + answerMs;
    times.typing += typing / kMsPerSecond;
    times.answering += answerMs / kMsPerSecond;
    times.commandCharacters += static_cast<int>(line.size());
    times.lineLengths.push_back(static_cast<int>(line.size()));
    if (line == "/scan") ++times.scans;
    ++times.lines;
  }
  return times;
}

namespace {

double CpuSecondsOf(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

double CpuSeconds() { return CpuSecondsOf(RUSAGE_SELF); }
double CpuSecondsOfWaitedChildren() { return CpuSecondsOf(RUSAGE_CHILDREN); }

}  // namespace gw20::bench
