// The exchange family against the simulated controller, on virtual time.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/console.h"
#include "sim/controller.h"
#include "tests/support/simulated_port.h"
#include "tests/support/test_services.h"

namespace gw20::link {
namespace {

TEST(ConsoleWithController, EepromRead_ReachesPromptsAndReadsFirmwareWord) {
  gw20::testing::VirtualTime time;
  gw20::testing::VirtualTicks ticks{time};
  gw20::testing::VirtualPump events{time};
  sim::Controller controller{sim::ControllerOptions{}};
  gw20::testing::SimulatedPort port{time, controller};
  ASSERT_EQ(port.Open().status, ui::OpenStatus::Opened);
  ConsoleState state;
  Console console{port, events, ticks, state};

  EXPECT_TRUE(console.ConsoleExchange("", ">"));
  EXPECT_TRUE(console.ConsoleExchange("use eeprom", "[EEPROM:]"));
  EXPECT_TRUE(console.ConsoleExchange("block 0", "[EEPROM:]"));
  double value = -1.0;
  EXPECT_TRUE(console.ConsoleReadValue("el 0", "Long(0)=", value));
  EXPECT_EQ(value, 517.0);  // firmware 2.05
  EXPECT_TRUE(console.ConsoleExchange(".", "[EEPROM:]"));
  EXPECT_TRUE(console.ConsoleExchange("exit", ">"));
  EXPECT_NE(state.ConsoleReply.find("GW20M"), std::string::npos) << state.ConsoleReply;

  // Typed one character at a time, nothing was lost in the controller's FIFO.
  const std::vector<std::string> lines{"", "use eeprom", "block 0", "el 0", ".", "exit"};
  EXPECT_EQ(controller.Transcript(), lines);
}

}  // namespace
}  // namespace gw20::link
