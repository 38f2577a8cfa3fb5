#include "sim/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gw20::sim {
namespace {

TEST(CommandLineTest, ParsesEveryOption) {
  const SimOptions options =
      ParseCommandLine({"--link", "/tmp/x", "--model=GW20A", "--firmware", "3.12-2010/11/30", "--eeprom",
                        "e.txt", "--transcript", "t.txt", "--fifo", "0"});
  EXPECT_FALSE(options.help);
  EXPECT_EQ(options.link, "/tmp/x");
  EXPECT_EQ(options.controller.model, "GW20A");
  EXPECT_EQ(options.controller.firmwareMajor, 3);
  EXPECT_EQ(options.controller.firmwareMinor, 12);
  EXPECT_EQ(options.controller.firmwareYear, 2010);
  EXPECT_EQ(options.controller.firmwareMonth, 11);
  EXPECT_EQ(options.controller.firmwareDay, 30);
  EXPECT_EQ(options.controller.eepromFile, "e.txt");
  EXPECT_EQ(options.controller.transcriptFile, "t.txt");
  EXPECT_EQ(options.controller.fifo, 0u);

  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_EQ(ParseCommandLine({"--link", "l"}).controller.fifo, 8u);
}

TEST(CommandLineTest, RejectsBadArguments) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--link"},
      {"--link", "l", "--color", "red"},
      {"--link", "l", "extra"},
      {"--link", "l", "--fifo", "-1"},
      {"--link", "l", "--fifo", "8k"},
      {"--link", "l", "--firmware", "2.05"},
      {"--link", "l", "--firmware", "2.05-2006/03"},
      {"--link", "l", "--firmware", "2.x5-2006/03/07"},
      {"--link", "l", "--firmware", "-2.05-2006/03/07"},
      {"--link", "l", "--model", ""},
      {"--help=yes"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseCommandLine(args), CommandLineError) << testing::PrintToString(args);
  }
}

}  // namespace
}  // namespace gw20::sim
