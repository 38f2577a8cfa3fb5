#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "temp_dir.h"

extern char** environ;

namespace gw20::sim {
namespace {

using Clock = std::chrono::steady_clock;
// Generous, so sanitizer builds on a busy machine don't fail; only an upper bound.
constexpr auto kPatience = std::chrono::seconds(15);
constexpr auto kPollStep = std::chrono::milliseconds(50);
constexpr auto kTypingPause = std::chrono::milliseconds(3);

// Reads from `fd` until `text` has arrived (returns all read) or patience runs out (nullopt).
std::optional<std::string> ReadUntil(int fd, std::string_view text) {
  std::string received;
  const auto deadline = Clock::now() + kPatience;
  while (received.find(text) == std::string::npos) {
    if (Clock::now() > deadline) {
      ADD_FAILURE() << "waited in vain for \"" << text << "\", got \"" << received << "\"";
      return std::nullopt;
    }
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(kPollStep.count())) > 0) {
      char buffer[256];
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count > 0) {
        received.append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0) {
        std::this_thread::sleep_for(kPollStep);  // pipe closed: the rest of the wait is for the deadline
      }
    }
  }
  return received;
}

// gw20sim running as a child process, its stdout and stderr on pipes.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
      throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<std::string> all = {GW20SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int error = posix_spawn(&pid_, GW20SIM_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    stdout_ = out[0];
    stderr_ = err[0];
    if (error != 0) {
      throw std::runtime_error("cannot start " GW20SIM_PATH);
    }
  }
  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(stdout_);
    close(stderr_);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  int Stdout() const { return stdout_; }
  std::string Stderr() const { return ReadUntil(stderr_, "\n").value_or(""); }
  void Terminate() const { kill(pid_, SIGTERM); }

  // The exit status, or nullopt if it did not exit normally in time.
  std::optional<int> Wait() {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
      }
      std::this_thread::sleep_for(kPollStep);
    }
    return std::nullopt;
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  int stderr_ = -1;
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

void TypeSlowly(int fd, std::string_view text) {
  for (const char c : text) {
    ASSERT_EQ(write(fd, &c, 1), 1);
    std::this_thread::sleep_for(kTypingPause);
  }
}

TEST(Gw20simProcessTest, ServesConsoleOnLinkUntilTerminated) {
  const test::TempDir dir;
  const std::filesystem::path link = dir / "ttyGW20";
  SimProcess sim({"--link", link.string(), "--transcript", (dir / "t.txt").string()});
  const auto banner = ReadUntil(sim.Stdout(), "\n");
  ASSERT_TRUE(banner);
  EXPECT_EQ(banner->rfind("gw20sim: serving GW20M on /dev/pts/", 0), 0u) << *banner;
  EXPECT_NE(banner->find(" as " + link.string() + "\n"), std::string::npos) << *banner;

  // The program closes and reopens the port at every connect; the sim must survive that.
  for (int connect = 0; connect < 2; ++connect) {
    const int fd = OpenRaw(link);
    ASSERT_GE(fd, 0);
    TypeSlowly(fd, "use eeprom\r");
    EXPECT_TRUE(ReadUntil(fd, "use eeprom\r\n[EEPROM:]"));
    TypeSlowly(fd, "block 0\r");
    EXPECT_TRUE(ReadUntil(fd, "block 0\r\n[EEPROM:]"));
    TypeSlowly(fd, "el 0\r");
    EXPECT_TRUE(ReadUntil(fd, "Long(0)=517\r\n-->"));
    TypeSlowly(fd, ".\rexit\r");
    EXPECT_TRUE(ReadUntil(fd, "exit\r\nGW20M>"));
    close(fd);
  }
  std::ifstream transcript(dir / "t.txt");
  std::string first;
  std::getline(transcript, first);
  EXPECT_EQ(first, "use eeprom");

  sim.Terminate();
  EXPECT_EQ(sim.Wait(), 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(Gw20simProcessTest, ScanListingArrivesAsTheControllerClockRuns) {
  const test::TempDir dir;
  const std::filesystem::path link = dir / "ttyGW20";
  SimProcess sim({"--link", link.string(), "--fifo", "0", "--modules", "03:RA850:40"});
  ASSERT_TRUE(ReadUntil(sim.Stdout(), "\n"));
  const int fd = OpenRaw(link);
  ASSERT_GE(fd, 0);
  TypeSlowly(fd, "use com2\r/timeout 100\r");
  ASSERT_TRUE(ReadUntil(fd, "100 ms\r\n[COM2:]"));
  TypeSlowly(fd, "/scan\r");
  const auto listing = ReadUntil(fd, "[COM2:]");
  ASSERT_TRUE(listing);
  EXPECT_NE(listing->find("!03RA850{"), std::string::npos) << *listing;
  // Sixteen addresses take 1.5 s of the controller's clock, so progress marks come in between.
  EXPECT_NE(listing->find('.'), std::string::npos) << *listing;
  TypeSlowly(fd, "$032\r");
  EXPECT_TRUE(ReadUntil(fd, "!03400600\r\n[COM2:]"));
  close(fd);
}

TEST(Gw20simProcessTest, BadInputExitsWithStatus2AndMessage) {
  const test::TempDir dir;
  std::ofstream(dir / "bad.txt") << "0:0=517\nnonsense\n";
  std::ofstream(dir / "bad.json") << "[\n  {\"address\": \"0A\", \"model\": RA412}\n]\n";
  const std::string link = (dir / "tty").string();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--link", link, "--eeprom", (dir / "bad.txt").string()}, "bad.txt:2:"},
      {{"--link", link, "--firmware", "2.05-2006/13/07"}, "month"},
      {{"--link", link, "--bogus"}, "--bogus"},
      {{"--model", "GW20A"}, "--link"},
      {{"--link", link, "--modules-file", (dir / "bad.json").string()}, "bad.json:2:30: expected a string"},
      {{"--link", link, "--modules", "0A:RA412,0a:RA850"}, "0A: the address is used twice"},
  };
  for (const auto& [args, message] : cases) {
    SimProcess sim(args);
    EXPECT_EQ(sim.Wait(), 2) << message;
    EXPECT_NE(sim.Stderr().find(message), std::string::npos) << message;
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

}  // namespace
}  // namespace gw20::sim
