#include "bench/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace gw20::bench {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(5);
constexpr auto kStartPoll = std::chrono::milliseconds(10);
constexpr int kPriority = -10;  // nice value

}  // namespace

SimProcess::SimProcess(const std::filesystem::path& folder, const std::vector<std::string>& args)
    : folder_(folder) {
  std::vector<std::string> all{GW20SIM_PATH, "--link", Link(), "--answer-times", AnswerTimesFile().string()};
  all.insert(all.end(), args.begin(), args.end());
  // Its greeting would interleave with the tables.
  pid_ = SpawnQuietly(std::move(all), false);
  // It stands in for a controller with a processor of its own: on a busy
  // machine the PC's load must not become the controller's, or characters it
  // reads late overflow its receive buffer. Only allowed to root; without it
  // the figures are still right, only noisier.
  setpriority(PRIO_PROCESS, static_cast<id_t>(pid_), kPriority);
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!std::filesystem::exists(Link())) {
    if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = 0;
      Stop();
      throw std::runtime_error("gw20sim did not serve " + Link());
    }
    std::this_thread::sleep_for(kStartPoll);
  }
}

SimProcess::~SimProcess() { Stop(); }

pid_t SpawnQuietly(std::vector<std::string> args, bool quietErrors) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (quietErrors) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + args.front());
  return pid;
}

void SimProcess::Stop() {
  if (pid_ == 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = 0;
}

std::string ModuleList(int count) {
  // Model, type code and data format as the connect expects them of each model.
  constexpr std::array<const char*, 3> kModels{"RA412:0D:00", "RA850:08:02", "RA312:40:00"};
  std::string list;
  for (int address = 1; address <= count; ++address) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%s%02X:%s", list.empty() ? "" : ",", address,
                  kModels[static_cast<std::size_t>(address - 1) % kModels.size()]);
    list += entry;
  }
  return list;
}

}  // namespace gw20::bench
