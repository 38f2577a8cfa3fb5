#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/controller.h"

namespace gw20::sim {
namespace {

using std::chrono::milliseconds;

std::string Type(Controller& controller, std::string_view text) {
  controller.Receive(text);
  return controller.TakeOutput();
}

std::string Wait(Controller& controller, milliseconds elapsed) {
  controller.Advance(elapsed);
  return controller.TakeOutput();
}

// The "!" entries of a listing, each up to and including its "{".
std::vector<std::string> Entries(const std::string& listing) {
  std::vector<std::string> entries;
  for (std::size_t p = listing.find('!'); p != std::string::npos; p = listing.find('!', p + 1)) {
    entries.push_back(listing.substr(p, listing.find('{', p) - p + 1));
  }
  return entries;
}

std::unique_ptr<Controller> ChainController() {
  ControllerOptions options;
  options.fifo = 0;
  options.modules = {
      {.address = 0x00, .model = "RA412"},
      {.address = 0x0A, .model = "RA850", .typeCode = 0x40, .dataFormat = 0x01, .dSuffix = true},
      {.address = 0x0C, .model = "RA8", .baud = 19200},
      {.address = 0x0F, .model = "RA412", .checksum = true},
  };
  auto controller = std::make_unique<Controller>(std::move(options));
  Type(*controller, "use com2\r");
  return controller;
}

TEST(FieldPortTest, ScanListsModulesMatchingBitRateAndChecksumAndCostsTimeOutPerAbsentAddress) {
  const auto controller = ChainController();
  EXPECT_EQ(Type(*controller, "/timeout 100\r"), "/timeout 100\r\nTime-out = 100 ms\r\n[COM2:]");
  EXPECT_EQ(Type(*controller, "/baud 9600\r"), "/baud 9600\r\nBaud rate = 9600\r\n[COM2:]");
  EXPECT_EQ(Type(*controller, "/start 0\r"), "/start 0\r\nStart address = 0\r\n[COM2:]");
  EXPECT_EQ(Type(*controller, "/end  15\r"), "/end  15\r\nEnd address = 15\r\n[COM2:]");

  // Two modules answer (5 ms each), fourteen addresses time out on the controller's clock.
  std::string listing = Type(*controller, "/scan\r");
  listing += Wait(*controller, milliseconds(2 * 5 + 14 * 100 - 1));
  EXPECT_EQ(listing.find(']'), std::string::npos) << listing;
  EXPECT_NE(listing.find("."), std::string::npos) << "a long scan shows progress";
  listing += Wait(*controller, milliseconds(1));
  ASSERT_TRUE(listing.ends_with("\r\n[COM2:]")) << listing;
  EXPECT_EQ(listing.find_first_of(">]"), listing.size() - 1) << "only the prompt holds ] or >";
  // The checksum module at 0F is left out; with checksum on it is the one that answers
  // (ScanFieldPort.SimulatedChainWithChecksums_FillsTableInListingOrder).
  EXPECT_EQ(Entries(listing), (std::vector<std::string>{"!00RA412{", "!0ARA850D{"}));
}

TEST(FieldPortTest, ConfigurationQueryAnswersPresentModulesAndTimesOutOtherwise) {
  const auto controller = ChainController();
  EXPECT_EQ(Type(*controller, "$0a2\r"), "$0a2\r\n");
  // The server is told when to wake for the answer, not left to its periodic look.
  EXPECT_EQ(controller->NextOutputIn(), milliseconds(5));
  EXPECT_EQ(Wait(*controller, milliseconds(5)), "!0A400601\r\n[COM2:]");
  EXPECT_EQ(controller->NextOutputIn(), std::nullopt);

  // Absent, at another bit rate, or not a query: "Timeout" after the set time-out.
  for (const std::string line : {"$052", "$0C2", "$0A3", "hello"}) {
    EXPECT_EQ(Type(*controller, line + "\r"), line + "\r\n");
    EXPECT_EQ(Wait(*controller, milliseconds(199)), "") << line;
    EXPECT_EQ(Wait(*controller, milliseconds(1)), "Timeout\r\n[COM2:]") << line;
  }

  // Bad settings are refused and keep the old value; a line typed during a scan stops it.
  EXPECT_EQ(Type(*controller, "/baud 9601\r"), "/baud 9601\r\nInvalid value\r\n[COM2:]");
  EXPECT_EQ(Type(*controller, "/timeout -5\r"), "/timeout -5\r\nInvalid value\r\n[COM2:]");
  EXPECT_EQ(Type(*controller, "/sleep\r"), "/sleep\r\nUnknown command\r\n[COM2:]");
  Type(*controller, "/scan\r");
  EXPECT_EQ(Type(*controller, "/q\r"), "/q\r\nAborted\r\nGW20M>");
  EXPECT_EQ(Wait(*controller, milliseconds(10000)), "");
}

TEST(FieldPortTest, FaultsSilenceTheCableOrGarbleOneAnswer) {
  ControllerOptions options;
  options.fifo = 0;
  options.silentAfterLines = 2;
  options.garbleLine = 1;
  Controller controller(std::move(options));
  EXPECT_EQ(Type(controller, "use com2\r"), "use com2\r\n#######");
  EXPECT_EQ(Type(controller, "$012\r"), "$012\r\n");
  EXPECT_EQ(Wait(controller, milliseconds(200)), "") << "the cable was pulled before the answer";
  EXPECT_EQ(Type(controller, "/q\r"), "");
  EXPECT_EQ(controller.Transcript().size(), 2u);

  controller.SetSilent(false);
  EXPECT_EQ(Type(controller, "/q\r"), "/q\r\nGW20M>");
}

}  // namespace
}  // namespace gw20::sim
