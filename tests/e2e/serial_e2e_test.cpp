// The program's serial side against the simulated controller over a real
// pseudo-terminal: QSerialPort, event pump, tick counter and console exchange.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "link/console.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"

extern char** environ;

namespace gw20 {
namespace {

using namespace std::chrono_literals;
// Generous limits for a loaded machine; no test asserts a duration.
constexpr auto kProcessLimit = 10s;
constexpr auto kPollStep = 20ms;
constexpr int kConsoleTimeoutMs = 3000;

class SerialEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gw20-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    const std::string link = (dir_ / "com1").string(), transcript = (dir_ / "transcript").string();
    std::vector<std::string> args = {GW20SIM_PATH, "--link", link, "--transcript", transcript, "--fifo", "8"};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, GW20SIM_PATH, nullptr, nullptr, argv.data(), environ), 0);
    for (auto waited = 0ms; !std::filesystem::exists(link); waited += kPollStep) {
      ASSERT_EQ(waitpid(pid_, nullptr, WNOHANG), 0) << "gw20sim ended before serving";
      ASSERT_LT(waited, kProcessLimit) << "gw20sim made no link";
      std::this_thread::sleep_for(kPollStep);
    }
    setenv("GW20_COM1", link.c_str(), 1);
    port_.SetPortNumber(1);
    state_.ConsoleTimeout = kConsoleTimeoutMs;
    ASSERT_EQ(port_.Open().status, ui::OpenStatus::Opened);
  }

  // Also runs after a failure, so no simulator is left behind.
  void TearDown() override {
    port_.Close();
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      for (auto waited = 0ms; waitpid(pid_, nullptr, WNOHANG) == 0; waited += kPollStep) {
        if (waited >= kProcessLimit) kill(pid_, SIGKILL);
        std::this_thread::sleep_for(kPollStep);
      }
    }
    unsetenv("GW20_COM1");
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  std::vector<std::string> Transcript() const {
    std::ifstream file(dir_ / "transcript");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path dir_;
  pid_t pid_ = 0;
  qtui::QtSerialPort port_;
  qtui::QtEventPump events_;
  qtui::QtTickCounter ticks_;
  link::ConsoleState state_;
  link::Console console_{port_, events_, ticks_, state_};
};

TEST_F(SerialEndToEnd, PacedConsole_ReadsTheFirmwareWord_WhileHoldingThePort) {
  qtui::QtSerialPort second;
  second.SetPortNumber(1);
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Occupied);
  // The same device under its own name is just as occupied.
  setenv("GW20_COM2", std::filesystem::canonical(dir_ / "com1").c_str(), 1);
  qtui::QtSerialPort byDeviceName;
  byDeviceName.SetPortNumber(2);
  EXPECT_EQ(byDeviceName.Open().status, ui::OpenStatus::Occupied);
  unsetenv("GW20_COM2");

  ASSERT_TRUE(console_.ConsoleExchange("use eeprom", "[EEPROM:]")) << state_.ConsoleReply;
  ASSERT_TRUE(console_.ConsoleExchange("block 0", "[EEPROM:]")) << state_.ConsoleReply;
  double version = 0;
  ASSERT_TRUE(console_.ConsoleReadValue("el 0", "Long(0)=", version));
  EXPECT_EQ(version, 2 * 256 + 5);
  EXPECT_TRUE(console_.ConsoleExchange(".", "[EEPROM:]"));
  EXPECT_TRUE(console_.ConsoleExchange("exit", ">"));
  EXPECT_NE(state_.ConsoleReply.find("GW20M"), std::string::npos) << state_.ConsoleReply;
  EXPECT_EQ(Transcript(), (std::vector<std::string>{"use eeprom", "block 0", "el 0", ".", "exit"}));

  port_.Close();  // released: the next holder gets it
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Opened);
}

TEST_F(SerialEndToEnd, TypingFasterThanTheFifo_LosesCharacters_PacingDoesNot) {
  port_.Write("use eeprom\r");
  std::string reply;
  while (port_.WaitForInput(300ms)) reply += port_.ReadAll();
  EXPECT_EQ(reply.find("[EEPROM:]"), std::string::npos) << reply;
  for (const std::string& line : Transcript()) EXPECT_NE(line, "use eeprom");

  console_.ConsoleExchange("", ">");  // ends whatever is left of the garbled line
  EXPECT_TRUE(console_.ConsoleExchange("use eeprom", "[EEPROM:]")) << state_.ConsoleReply;
  ASSERT_FALSE(Transcript().empty());
  EXPECT_EQ(Transcript().back(), "use eeprom");
}

}  // namespace
}  // namespace gw20

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // the exchanges pump Qt's events, as in the program
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
