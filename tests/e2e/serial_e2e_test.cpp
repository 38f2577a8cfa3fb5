// The program's serial side against gw20sim over a real pseudo-terminal:
// QSerialPort, event pump, tick counter and console exchange.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/console.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"
#include "tests/support/sim_process.h"

namespace gw20::testing {
namespace {

using namespace std::chrono_literals;

class SerialEndToEnd : public ::testing::Test {
 protected:
  // Starts the simulator with `args` and opens the program's port on it.
  void Serve(const QStringList& args = {}) {
    ASSERT_TRUE(sim_.Start(args));
    setenv("GW20_COM1", sim_.Link().toLocal8Bit().constData(), 1);
    port_.SetPortNumber(1);
    state_.ConsoleTimeout = std::chrono::milliseconds(3000);  // generous for a loaded machine
    ASSERT_EQ(port_.Open().status, ui::OpenStatus::Opened);
  }
  void TearDown() override {
    port_.Close();
    unsetenv("GW20_COM1");
  }

  SimProcess sim_;
  qtui::QtSerialPort port_;
  qtui::QtEventPump events_;
  qtui::QtTickCounter ticks_;
  link::ConsoleState state_;
  link::Console console_{port_, events_, ticks_, state_};
};

TEST_F(SerialEndToEnd, PacedConsole_ReadsTheFirmwareWord_WhileHoldingThePort) {
  ASSERT_NO_FATAL_FAILURE(Serve());
  qtui::QtSerialPort second;
  second.SetPortNumber(1);
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Occupied);
  // The same device under its own name is just as occupied.
  setenv("GW20_COM2", std::filesystem::canonical(sim_.Link().toStdString()).c_str(), 1);
  qtui::QtSerialPort byDeviceName;
  byDeviceName.SetPortNumber(2);
  EXPECT_EQ(byDeviceName.Open().status, ui::OpenStatus::Occupied);
  unsetenv("GW20_COM2");

  ASSERT_TRUE(console_.ConsoleExchange("use eeprom", "[EEPROM:]")) << state_.ConsoleReply;
  ASSERT_TRUE(console_.ConsoleExchange("block 0", "[EEPROM:]")) << state_.ConsoleReply;
  std::uint32_t version = 0;
  ASSERT_TRUE(console_.ConsoleReadValue("el 0", "Long(0)=", version));
  EXPECT_EQ(version, 2u * 256 + 5);
  EXPECT_TRUE(console_.ConsoleExchange(".", "[EEPROM:]"));
  EXPECT_TRUE(console_.ConsoleExchange("exit", ">"));
  EXPECT_NE(state_.ConsoleReply.find("GW20M"), std::string::npos) << state_.ConsoleReply;
  EXPECT_EQ(sim_.Transcript(), QStringList({"use eeprom", "block 0", "el 0", ".", "exit"}));

  port_.Close();  // released: the next holder gets it
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Opened);
}

// The one test with the controller's own receive buffer of 8 characters.
TEST_F(SerialEndToEnd, TypingFasterThanTheFifo_LosesCharacters_PacingDoesNot) {
  ASSERT_NO_FATAL_FAILURE(Serve({"--fifo", "8"}));
  port_.Write("use eeprom\r");
  std::string reply;
  while (port_.WaitForInput(300ms)) reply += port_.ReadAll();
  EXPECT_EQ(reply.find("[EEPROM:]"), std::string::npos) << reply;
  EXPECT_FALSE(sim_.Transcript().contains("use eeprom"));

  console_.ConsoleExchange("", ">");  // ends whatever is left of the garbled line
  EXPECT_TRUE(console_.ConsoleExchange("use eeprom", "[EEPROM:]")) << state_.ConsoleReply;
  ASSERT_FALSE(sim_.Transcript().empty());
  EXPECT_EQ(sim_.Transcript().back(), "use eeprom");
}

}  // namespace
}  // namespace gw20::testing
