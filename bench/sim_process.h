#pragma once
// gw20sim as a child process for the benchmarks, serving its console on a
// link in a folder of its own and logging its answer times there.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_services.h"

namespace gw20::bench {

class SimProcess {
 public:
  // Starts gw20sim (GW20SIM_PATH) with `args` plus --link and --answer-times
  // inside `folder`, and waits until it serves. Throws std::runtime_error
  // when it cannot be started or does not serve within a few seconds.
  SimProcess(const std::filesystem::path& folder, const std::vector<std::string>& args);
  // Stops it if still running.
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Ends the simulator and waits for it, so its answer-time file is complete.
  void Stop();
  std::string Link() const { return (folder_ / "com1").string(); }
  std::filesystem::path AnswerTimesFile() const { return folder_ / "answer-times.txt"; }

 private:
  std::filesystem::path folder_;
  pid_t pid_ = 0;
};

// Starts `args` (the program first) with standard output, and standard
// error too when `quietErrors`, going to /dev/null; its process ID. Throws
// std::runtime_error when it cannot be started.
pid_t SpawnQuietly(std::vector<std::string> args, bool quietErrors);

// The tests' scratch folder: fresh under the system's temporary folder,
// removed with its contents.
using testing::ScratchFolder;

// The --modules text of `count` modules at addresses 1, 2, ... (at most 15),
// cycling through a digital, an analog and a mixed model.
std::string ModuleList(int count);

}  // namespace gw20::bench
