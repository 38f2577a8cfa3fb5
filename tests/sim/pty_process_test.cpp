// gw20sim as a process on a real pseudo-terminal: the hang-up fault as the
// PC's port sees it, and a long listing to a PC that reads late.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/field_module.h"
#include "tests/sim/temp_dir.h"

extern char** environ;

namespace gw20::sim {
namespace {

using Clock = std::chrono::steady_clock;
// Generous, for a loaded machine; only an upper bound.
constexpr auto kPatience = std::chrono::seconds(15);
constexpr auto kPollStep = std::chrono::milliseconds(20);

// gw20sim serving on "link" in `dir`, its output discarded; ended (SIGTERM,
// then SIGKILL) when destroyed if it is still running.
class SimRun {
 public:
  SimRun(const test::TempDir& dir, std::vector<std::string> args) : link_(dir / "link") {
    args.insert(args.begin(), {GW20SIM_PATH, "--link", link_.string()});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&pid_, GW20SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~SimRun() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGTERM);
    if (!ExitCode()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  SimRun(const SimRun&) = delete;
  SimRun& operator=(const SimRun&) = delete;

  const std::filesystem::path& Link() const { return link_; }
  bool LinkThere() const { return std::filesystem::exists(std::filesystem::symlink_status(link_)); }
  // Waits until the link is served; false if the simulator ends first.
  bool Serving() {
    const auto deadline = Clock::now() + kPatience;
    while (!LinkThere() && pid_ > 0 && !Ended() && Clock::now() < deadline)
      std::this_thread::sleep_for(kPollStep);
    return LinkThere();
  }
  // The exit status once the simulator has ended on its own (nullopt: not within patience, or killed).
  std::optional<int> ExitCode() {
    const auto deadline = Clock::now() + kPatience;
    while (!Ended() && Clock::now() < deadline) std::this_thread::sleep_for(kPollStep);
    return status_ && WIFEXITED(*status_) ? std::optional(WEXITSTATUS(*status_)) : std::nullopt;
  }

 private:
  bool Ended() {
    int status = 0;
    if (!status_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    return status_.has_value();
  }

  std::filesystem::path link_;
  pid_t pid_ = -1;
  std::optional<int> status_;
};

int OpenRaw(const std::filesystem::path& device) {
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
  termios settings{};
  if (fd >= 0 && tcgetattr(fd, &settings) == 0) {
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
  }
  return fd;
}

void Send(int fd, std::string_view text) {
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// Reads until `text` has arrived (returns all read) or patience runs out.
std::optional<std::string> ReadUntil(int fd, std::string_view text) {
  std::string received;
  for (const auto deadline = Clock::now() + kPatience; received.find(text) == std::string::npos;) {
    if (Clock::now() > deadline) {
      ADD_FAILURE() << "waited in vain for \"" << text << "\", got " << received.size() << " characters";
      return std::nullopt;
    }
    pollfd pfd{fd, POLLIN, 0};
    char buffer[4096];
    if (poll(&pfd, 1, static_cast<int>(kPollStep.count())) > 0) {
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count > 0) received.append(buffer, static_cast<std::size_t>(count));
    }
  }
  return received;
}

TEST(Gw20simPty, HangUpAfterTheLastAnswerClosesTheTerminalAndEnds) {
  const test::TempDir dir;
  SimRun sim(dir, {"--fifo", "0", "--fault-hangup-after", "2"});
  ASSERT_TRUE(sim.Serving());
  const int fd = OpenRaw(sim.Link());
  ASSERT_GE(fd, 0);
  Send(fd, "use eeprom\r");
  EXPECT_TRUE(ReadUntil(fd, "use eeprom\r\n[EEPROM:]"));
  Send(fd, "block 0\r");
  EXPECT_TRUE(ReadUntil(fd, "block 0\r\n[EEPROM:]")) << "the last line is still answered";

  // Then the port reports a hang-up rather than going quiet.
  pollfd pfd{fd, POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())), 1);
  EXPECT_NE(pfd.revents & (POLLHUP | POLLERR), 0) << pfd.revents;
  char c = 0;
  EXPECT_LE(read(fd, &c, 1), 0);
  EXPECT_LT(write(fd, "\r", 1), 0);
  close(fd);
  EXPECT_EQ(sim.ExitCode(), 0);
  EXPECT_FALSE(sim.LinkThere());
}

TEST(Gw20simPty, LongListingReachesAPcThatReadsLateWhole) {
  // A hundred entries of some 3 KiB: far more than the pseudo-terminal holds.
  constexpr int kModules = 100;
  constexpr std::size_t kModelLength = 3000;
  const test::TempDir dir;
  std::vector<std::string> args = {"--fifo", "0"}, entries;
  for (int address = 1; address <= kModules; ++address) {
    const std::string model(kModelLength, static_cast<char>('A' + address % 26));
    args.insert(args.end(), {"--modules", HexByte(address) + ":" + model});
    entries.push_back("!" + HexByte(address) + model + "{addr=" + HexByte(address));
  }
  SimRun sim(dir, args);
  ASSERT_TRUE(sim.Serving());
  const int fd = OpenRaw(sim.Link());
  ASSERT_GE(fd, 0);
  Send(fd, "use com2\r/start 1\r/end " + std::to_string(kModules) + "\r");
  ASSERT_TRUE(ReadUntil(fd, "End address = " + std::to_string(kModules) + "\r\n[COM2:]"));
  Send(fd, "/scan\r");
  // The scan takes half a second of the controller's clock; the PC reads only afterwards.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const auto listing = ReadUntil(fd, "Modules found: " + std::to_string(kModules) + "\r\n[COM2:]");
  close(fd);
  ASSERT_TRUE(listing);
  std::string missing;
  for (const std::string& entry : entries) {
    if (listing->find(entry) == std::string::npos) missing += " " + entry.substr(1, 2);
  }
  EXPECT_EQ(missing, "") << "entries lost";
}

}  // namespace
}  // namespace gw20::sim
