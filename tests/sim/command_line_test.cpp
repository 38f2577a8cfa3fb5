#include "sim/command_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace gw20::sim {
namespace {

TEST(CommandLineTest, ParsesEveryOption) {
  const SimOptions options =
      ParseCommandLine({"--link", "/tmp/x", "--model=GW20A", "--firmware", "3.12-2010/11/30", "--eeprom",
                        "e.txt", "--transcript", "t.txt", "--answer-times", "a.txt", "--fifo", "0"});
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
  EXPECT_EQ(options.controller.answerTimesFile, "a.txt");
  EXPECT_EQ(options.controller.fifo, 0u);

  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_EQ(ParseCommandLine({"--link", "l"}).controller.fifo, 8u);
}

TEST(CommandLineTest, ModuleListTakesTheCommonSettingsWhereverTheyAppear) {
  const SimOptions options =
      ParseCommandLine({"--link", "l", "--modules", "01:RA412,0a:RA850:40:0F", "--field-checksum", "on",
                        "--field-baud=19200", "--fault-silent-after", "0", "--fault-garble-line", "3"});
  const auto& modules = options.controller.modules;
  ASSERT_EQ(modules.size(), 2u);
  EXPECT_EQ(modules[0].address, 1);
  EXPECT_EQ(modules[0].model, "RA412");
  EXPECT_EQ(modules[0].typeCode, 0);
  EXPECT_EQ(modules[1].address, 10);
  EXPECT_EQ(modules[1].typeCode, 0x40);
  EXPECT_EQ(modules[1].dataFormat, 0x0F);
  for (const auto& module : modules) {
    EXPECT_EQ(module.baud, 19200);
    EXPECT_TRUE(module.checksum);
  }
  EXPECT_EQ(options.controller.silentAfterLines, 0);
  EXPECT_EQ(options.controller.garbleLine, 3);
  EXPECT_FALSE(ParseCommandLine({"--link", "l"}).controller.garbleLine);
}

TEST(CommandLineTest, ParsesTheLineFaults) {
  const ControllerOptions faults =
      ParseCommandLine({"--link", "l", "--fault-hangup-after", "4", "--fault-garble", "0.025",
                        "--seed=4294967295", "--fault-latency", "250"})
          .controller;
  EXPECT_EQ(faults.hangUpAfterLines, 4);
  EXPECT_DOUBLE_EQ(faults.garbleRate, 0.025);
  EXPECT_EQ(faults.garbleSeed, 4294967295u);
  EXPECT_EQ(faults.latency, std::chrono::milliseconds(250));
  EXPECT_DOUBLE_EQ(ParseCommandLine({"--link", "l", "--fault-garble", "1"}).controller.garbleRate, 1.0);

  const ControllerOptions none = ParseCommandLine({"--link", "l"}).controller;
  EXPECT_TRUE(!none.hangUpAfterLines && none.garbleRate == 0 && none.garbleSeed == 1 &&
              none.latency.count() == 0);
}

TEST(CommandLineTest, RejectsBadArguments) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--link", "l", "--fifo", "-1"},
      {"--link", "l", "--fifo", "8k"},
      {"--link", "l", "--firmware", "2.05"},
      {"--link", "l", "--firmware", "2.05-2006/03"},
      {"--link", "l", "--firmware", "2.x5-2006/03/07"},
      {"--link", "l", "--firmware", "-2.05-2006/03/07"},
      {"--link", "l", "--model", ""},
      {"--link", "l", "--modules", "1:RA412"},
      {"--link", "l", "--modules", "01"},
      {"--link", "l", "--modules", "01:RA412:4"},
      {"--link", "l", "--modules", "01:RA412:40:00:00"},
      {"--link", "l", "--modules", "01:"},
      {"--link", "l", "--modules", "01:RA412,"},
      {"--link", "l", "--modules", "01:RA412", "--modules", "01:RA850"},
      {"--link", "l", "--field-baud", "9601"},
      {"--link", "l", "--field-checksum", "yes"},
      {"--link", "l", "--modules-file", "/nonexistent/modules.json"},
      {"--link", "l", "--fault-garble-line", "0"},
      {"--link", "l", "--fault-silent-after", "-1"},
      {"--link", "l", "--fault-hangup-after", "0"},
      {"--link", "l", "--fault-hangup-after", "-2"},
      {"--link", "l", "--fault-hangup-after", "two"},
      {"--link", "l", "--fault-garble", "-0.1"},
      {"--link", "l", "--fault-garble", "1.5"},
      {"--link", "l", "--fault-garble", "nan"},
      {"--link", "l", "--fault-garble", "1%"},
      {"--link", "l", "--fault-garble", ""},
      {"--link", "l", "--seed", "-1"},
      {"--link", "l", "--seed", "4294967296"},
      {"--link", "l", "--seed", "x"},
      {"--link", "l", "--fault-latency", "-5"},
      {"--link", "l", "--fault-latency", "5ms"},
  };
  for (const auto& args : bad) {
    EXPECT_THROW(ParseCommandLine(args), CommandLineError) << testing::PrintToString(args);
  }

  // The message names the option, and the value it refuses.
  const std::vector<std::pair<std::vector<std::string>, std::string>> messages = {
      {{"--link", "l", "--fault-hangup-after", "0"}, "--fault-hangup-after \"0\""},
      {{"--link", "l", "--fault-garble", "1.5"}, "--fault-garble \"1.5\""},
      {{"--link", "l", "--seed", "x"}, "--seed \"x\""},
      {{"--link", "l", "--fault-latency", "-5"}, "--fault-latency \"-5\""},
      {{"--link", "l", "--bogus=1"}, "unknown option \"--bogus\""},
      {{"--link", "l", "-xy"}, "unknown option \"-x\""},
      {{"--link", "l", "--fault-g=1"},
       "ambiguous option \"--fault-g\", one of --fault-garble-line --fault-garble"},
      {{"--model", "M", "--link"}, "--link needs a value"},
      {{"--help=yes"}, "--help takes no value"},
      {{"extra", "--link", "l"}, "unexpected argument \"extra\""},
  };
  for (const auto& [args, message] : messages) {
    try {
      ParseCommandLine(args);
      ADD_FAILURE() << message << " accepted";
    } catch (const CommandLineError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace gw20::sim
