// batch_bench: a line of controllers commissioned at once. For 1, 4 and 8
// simulated controllers with 15 modules each, `gw20cli batch` applies one
// plan to all of them; the table gives its wall time, the CPU time of the
// batch and all its applies, the CPU time of as many applies run one after
// another, and the peak resident memory of every process involved (the
// batch, its applies and the simulators), sampled from /proc. Then, on
// controllers that hold the plan: a check against a connect (a scan), side by
// side, and a batch --check of them all against one check.
//
//   batch_bench [--quick]   (--quick: 1 and 4 controllers only)

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/session_times.h"
#include "bench/sim_process.h"
#include "plans/plan_file.h"
#include "tests/e2e/line_plan.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kModules = 15;
constexpr auto kSampleEvery = std::chrono::milliseconds(20);
constexpr double kWallTarget = 1.15;  // 8 at once against one
constexpr double kCpuTarget = 1.2;    // a batch of 8 against 8 applies one by one
constexpr double kCheckTarget = 1.1;  // a check against a connect
constexpr double kMemoryTargetMb = 200;
constexpr double kMb = 1024.0 * 1024.0;

// Runs gw20cli with `args`, output to /dev/null; its exit status.
int RunCli(const std::vector<std::string>& args) {
  std::vector<std::string> all{GW20CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  const pid_t pid = gw20::bench::SpawnQuietly(std::move(all), true);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The resident memory of every process below this one, summed; the
// largest sum seen while it runs.
class MemorySampler {
 public:
  MemorySampler() : thread_([this] { Sample(); }) {}
  ~MemorySampler() {
    stop_ = true;
    thread_.join();
  }
  double PeakMb() const { return static_cast<double>(peak_.load()) / kMb; }

 private:
  static long long ResidentBytesBelow(pid_t root) {
    std::map<pid_t, pid_t> parents;
    std::map<pid_t, long long> resident;
    const long page = sysconf(_SC_PAGESIZE);
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      const pid_t pid = std::stoi(name);
      std::ifstream stat(entry.path() / "stat");
      std::string line;
      if (!std::getline(stat, line)) continue;
      // The command name may hold blanks; the fields after it do not.
      const auto close = line.rfind(')');
      if (close == std::string::npos) continue;
      char state = 0;
      int ppid = 0;
      if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
      parents[pid] = ppid;
      std::ifstream statm(entry.path() / "statm");
      long long size = 0, pages = 0;
      if (statm >> size >> pages) resident[pid] = pages * page;
    }
    long long sum = 0;
    for (const auto& [pid, ppid] : parents) {
      for (pid_t up = ppid; up > 1; up = parents.count(up) ? parents[up] : 0) {
        if (up == root) {
          sum += resident[pid];
          break;
        }
      }
    }
    return sum;
  }
  void Sample() {
    while (!stop_) {
      const long long now = ResidentBytesBelow(getpid());
      if (now > peak_) peak_ = now;
      std::this_thread::sleep_for(kSampleEvery);
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<long long> peak_{0};
  std::thread thread_;
};

struct Line {
  std::vector<std::unique_ptr<gw20::bench::ScratchFolder>> folders;
  std::vector<std::unique_ptr<gw20::bench::SimProcess>> sims;
};

// `count` simulated controllers that hold `plan`'s modules, each in a folder of its own.
Line StartSims(int count, const gw20::plans::Plan& plan) {
  Line line;
  for (int i = 0; i < count; ++i) {
    line.folders.push_back(std::make_unique<gw20::bench::ScratchFolder>("batch-bench"));
    const std::string eeprom = (*line.folders.back() / "eeprom").string();
    line.sims.push_back(std::make_unique<gw20::bench::SimProcess>(
        line.folders.back()->Path(),
        std::vector<std::string>{"--eeprom", eeprom, "--modules", gw20::testing::ModuleListOf(plan)}));
  }
  return line;
}

// gw20cli's batch of `planFile` over every controller of `line`, node IDs 1 up, then `more`.
std::vector<std::string> BatchArgs(const Line& line, const std::string& planFile,
                                   const std::vector<std::string>& more) {
  std::string ports, nodes;
  for (std::size_t i = 0; i < line.sims.size(); ++i) {
    ports += (i ? "," : "") + line.sims[i]->Link();
    nodes += (i ? "," : "") + std::to_string(i + 1);
  }
  std::vector<std::string> args{"batch", planFile, "--ports", ports, "--nodes", nodes};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

struct Row {
  int controllers = 0;
  double wall = 0;
  double cpu = 0;
  double memoryMb = 0;
  bool ok = false;
};

Row RunBatch(int count, const std::string& planFile, const gw20::plans::Plan& plan) {
  const Line line = StartSims(count, plan);
  gw20::bench::ScratchFolder out("batch-bench-out");
  Row row{count};
  MemorySampler memory;
  const double cpuBefore = gw20::bench::CpuSecondsOfWaitedChildren();
  const auto start = Clock::now();
  row.ok = RunCli(BatchArgs(line, planFile, {"--out", out.Path().string()})) == 0;
  row.wall = std::chrono::duration<double>(Clock::now() - start).count();
  row.cpu = gw20::bench::CpuSecondsOfWaitedChildren() - cpuBefore;
  row.memoryMb = memory.PeakMb();
  return row;
}

// CPU seconds of each of `count` applies run one after another.
std::vector<double> SingleApplies(int count, const std::string& planFile, const gw20::plans::Plan& plan) {
  std::vector<double> cpu;
  for (int i = 0; i < count; ++i) {
    const Line line = StartSims(1, plan);
    const double before = gw20::bench::CpuSecondsOfWaitedChildren();
    const int status = RunCli({"--port", line.sims[0]->Link(), "apply", planFile, "--node",
                               std::to_string(i + 1), "--out", line.folders[0]->Path().string()});
    cpu.push_back(gw20::bench::CpuSecondsOfWaitedChildren() - before);
    if (status != 0) std::printf("(single apply %d ended with status %d)\n", i + 1, status);
  }
  return cpu;
}

const char* Verdict(bool pass) { return pass ? "PASS" : "FAIL"; }

// Wall seconds of gw20cli with `args`; negative when it ended with another status than `expected`.
double TimedCli(const std::vector<std::string>& args, int expected = 0) {
  const auto start = Clock::now();
  const int status = RunCli(args);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return status == expected ? seconds : -seconds;
}

struct CheckTimes {
  double connect = 0;  // a scan: a connect with nothing after it
  double check = 0;    // one check of one controller
  double batch = 0;    // a batch --check of as many as were started
  int controllers = 0;
  bool ok = true;
};

// Check against connect, side by side on one controller that holds the plan;
// then a batch --check of `count` such controllers against one check.
CheckTimes MeasureChecks(int count, const std::string& planFile, const gw20::plans::Plan& plan) {
  const Line line = StartSims(count, plan);
  gw20::bench::ScratchFolder out("batch-bench-check");
  CheckTimes times{.controllers = count};
  times.ok = RunCli(BatchArgs(line, planFile, {"--out", out.Path().string()})) == 0;
  // The scan with the plan's own scan settings, so both talk alike.
  const std::vector<std::string> scan{"--port",
                                      line.sims[0]->Link(),
                                      "--scan-baud",
                                      std::to_string(plan.scan.bitRateBps),
                                      "--scan-checksum",
                                      plan.scan.checksum ? "on" : "off",
                                      "--scan-timeout",
                                      std::to_string(plan.scan.timeoutMs),
                                      "scan"};
  const std::vector<std::string> check{"--port", line.sims[0]->Link(), "check", planFile, "--node", "1"};
  constexpr int kRounds = 5;
  std::vector<double> connects, checks;
  for (int round = 0; round < kRounds; ++round) {
    connects.push_back(TimedCli(scan));
    checks.push_back(TimedCli(check));
  }
  const auto failed = [](const std::vector<double>& v) {
    return std::ranges::any_of(v, [](double s) { return s < 0; });
  };
  times.ok = times.ok && !failed(connects) && !failed(checks);
  times.connect = gw20::bench::Median(connects);
  times.check = gw20::bench::Median(checks);
  constexpr int kBatchRounds = 3;
  std::vector<double> batches;
  batches.reserve(kBatchRounds);
  for (int round = 0; round < kBatchRounds; ++round) {
    batches.push_back(TimedCli(BatchArgs(line, planFile, {"--check"})));
  }
  times.ok = times.ok && !failed(batches);
  times.batch = gw20::bench::Median(batches);
  return times;
}

}  // namespace

int Bench(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const std::vector<int> counts = quick ? std::vector<int>{1, 4} : std::vector<int>{1, 4, 8};
  const gw20::plans::Plan plan = gw20::testing::LinePlan(kModules);
  gw20::bench::ScratchFolder folder("batch-bench-plan");
  const std::string planFile = (folder / "line.json").string();
  if (const auto error = gw20::plans::WritePlan(planFile, plan)) {
    std::fprintf(stderr, "batch_bench: %s\n", error->Text().c_str());
    return 1;
  }

  std::vector<Row> rows;
  rows.reserve(counts.size());
  for (const int count : counts) rows.push_back(RunBatch(count, planFile, plan));
  const std::vector<double> single = SingleApplies(counts.back(), planFile, plan);

  std::printf(
      "\n### A line of controllers at once: DeviceNet plan, %d modules each, read-back on\n\n"
      "| controllers | wall s | CPU s (batch and applies) | CPU s of as many single applies | peak RSS MB "
      "(all processes) | every port ok |\n|---|---|---|---|---|---|\n",
      kModules);
  for (const Row& row : rows) {
    double singles = 0;
    for (int i = 0; i < row.controllers; ++i) singles += single[static_cast<std::size_t>(i)];
    std::printf("| %d | %.2f | %.2f | %.2f | %.1f | %s |\n", row.controllers, row.wall, row.cpu, singles,
                row.memoryMb, row.ok ? "yes" : "NO");
  }
  const Row& one = rows.front();
  const Row& all = rows.back();
  double singles = 0;
  for (const double s : single) singles += s;
  std::printf("\nTargets (%d controllers):\n", all.controllers);
  std::printf("- wall time at most %.2f x one controller's: %.2f s / %.2f s = %.2f  %s\n", kWallTarget,
              all.wall, one.wall, all.wall / one.wall, Verdict(all.wall <= kWallTarget * one.wall));
  std::printf("- CPU time at most %.1f x %d single applies': %.2f s / %.2f s = %.2f  %s\n", kCpuTarget,
              all.controllers, all.cpu, singles, all.cpu / singles, Verdict(all.cpu <= kCpuTarget * singles));
  std::printf("- peak resident memory of every process under %.0f MB: %.1f MB  %s\n", kMemoryTargetMb,
              all.memoryMb, Verdict(all.memoryMb < kMemoryTargetMb));

  const CheckTimes checks = MeasureChecks(counts.back(), planFile, plan);
  std::printf("\n### Checking controllers against the plan (%d modules, medians, %s)\n\n", kModules,
              checks.ok ? "every run as expected" : "SOME RUN FAILED");
  std::printf("- check of one controller at most %.2f x a connect: %.2f s / %.2f s = %.2f  %s\n",
              kCheckTarget, checks.check, checks.connect, checks.check / checks.connect,
              Verdict(checks.check <= kCheckTarget * checks.connect));
  std::printf("- batch --check of %d at most %.2f x one check: %.2f s / %.2f s = %.2f  %s\n",
              checks.controllers, kWallTarget, checks.batch, checks.check, checks.batch / checks.check,
              Verdict(checks.batch <= kWallTarget * checks.check));
  return 0;
}

int main(int argc, char** argv) {
  try {
    return Bench(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "batch_bench: %s\n", error.what());
    return 1;
  }
}
