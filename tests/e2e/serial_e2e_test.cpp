// The program's serial side against gw20sim over a real pseudo-terminal: the
// port held and released, and the controller's small receive buffer. The
// console conversation on the same port, pump and tick counter is
// CliEndToEnd's (gw20cli runs on them).
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

TEST_F(SerialEndToEnd, AnOpenPortIsOccupiedUnderEitherName_UntilClosed) {
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
