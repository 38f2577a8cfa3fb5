#include "sim/command_line.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sim/modules_file.h"
#include "tests/support/test_services.h"

namespace gw20::sim {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The field-port settings apply to every module of the list wherever they stand.
TEST(CommandLineTest, ParsesEveryOption) {
  const SimOptions options = ParseCommandLine(
      Words("--link /tmp/x --model=GW20A --firmware 3.12-2010/11/30 --eeprom e.txt --transcript t.txt "
            "--answer-times a.txt --fifo 0 --modules 01:RA412,0a:RA850:40:0F --field-checksum on "
            "--field-baud=19200 --fault-silent-after 0 --fault-garble-line 3 --fault-hangup-after 4 "
            "--fault-garble 0.025 --seed=4294967295 --fault-latency 250 --fault-stall-after 7 "
            "--fault-stall-ms=35 --line-delay 25 --line-rate 115200"));
  const ControllerOptions& c = options.controller;
  EXPECT_FALSE(options.help);
  EXPECT_EQ(
      (std::vector<std::string>{options.link, c.model, c.eepromFile, c.transcriptFile, c.answerTimesFile}),
      (std::vector<std::string>{"/tmp/x", "GW20A", "e.txt", "t.txt", "a.txt"}));
  EXPECT_EQ((std::vector<long long>{c.firmwareMajor, c.firmwareMinor, c.firmwareYear, c.firmwareMonth,
                                    c.firmwareDay, static_cast<long long>(c.fifo), c.silentAfterLines.value(),
                                    c.garbleLine.value(), c.hangUpAfterLines.value(), c.garbleSeed,
                                    c.latency.count(), c.stallAfterLines.value(), c.stallTime.count()}),
            (std::vector<long long>{3, 12, 2010, 11, 30, 0, 0, 3, 4, 4294967295, 250, 7, 35}));
  EXPECT_DOUBLE_EQ(c.garbleRate, 0.025);
  EXPECT_EQ(options.line.delay.count(), 25);
  EXPECT_EQ(options.line.bitsPerSecond, 115200);
  // Address, model, type code, data format, bit rate, checksum.
  std::string modules;
  for (const auto& m : c.modules) {
    modules += std::to_string(m.address) + " " + m.model + " " + std::to_string(m.typeCode) + " " +
               std::to_string(m.dataFormat) + " " + std::to_string(m.baud) + (m.checksum ? " on;" : " off;");
  }
  EXPECT_EQ(modules, "1 RA412 0 0 19200 on;10 RA850 64 15 19200 on;");

  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).version);  // no --link needed
  EXPECT_DOUBLE_EQ(ParseCommandLine({"--link", "l", "--fault-garble", "1"}).controller.garbleRate, 1.0);
  const ControllerOptions none = ParseCommandLine({"--link", "l"}).controller;
  EXPECT_TRUE(none.fifo == 8 && !none.garbleLine && !none.hangUpAfterLines && none.garbleRate == 0 &&
              none.garbleSeed == 1 && none.latency.count() == 0 && !none.stallAfterLines);
}

TEST(CommandLineTest, RejectsBadArguments) {
  // No arguments at all, and each bad option after a good --link.
  EXPECT_THROW(ParseCommandLine({}), CommandLineError);
  for (const char* options :
       {"--fifo -1", "--firmware 2.05", "--firmware 2.x5-2006/03/07", "--modules 1:RA412",
        "--modules 01:RA412:4", "--modules 01:RA412,", "--modules 01:RA412 --modules 01:RA850",
        "--field-baud 9601", "--field-checksum yes", "--modules-file /nonexistent/modules.json",
        "--fault-garble-line 0", "--fault-silent-after -1", "--fault-hangup-after two", "--fault-garble nan",
        "--seed 4294967296", "--fault-latency 5ms"}) {
    EXPECT_THROW(ParseCommandLine(Words(std::string("--link l ") + options)), CommandLineError) << options;
  }
  // An empty value, which a line split at blanks cannot hold.
  for (const char* option : {"--model", "--fault-garble"}) {
    EXPECT_THROW(ParseCommandLine({"--link", "l", option, ""}), CommandLineError) << option;
  }

  // These are refused too, the message naming the option and the value it refuses.
  std::vector<std::pair<std::string, std::string>> messages = {
      {"--link l --fault-hangup-after 0", "--fault-hangup-after \"0\""},
      {"--link l --fault-garble 1.5", "--fault-garble \"1.5\""},
      {"--link l --seed x", "--seed \"x\""},
      {"--link l --fault-latency -5", "--fault-latency \"-5\""},
      // A stall takes both options, a line from 1 on and at least a millisecond.
      {"--link l --fault-stall-after 3", "--fault-stall-after needs --fault-stall-ms"},
      {"--link l --fault-stall-ms 35", "--fault-stall-ms needs --fault-stall-after"},
      {"--link l --fault-stall-after 0 --fault-stall-ms 35", "--fault-stall-after \"0\""},
      {"--link l --fault-stall-after 1 --fault-stall-ms 0", "--fault-stall-ms \"0\""},
      {"--link l --fault-stall-after 1 --fault-stall-ms 35ms", "--fault-stall-ms \"35ms\""},
      {"--link l --line-delay -1", "--line-delay \"-1\""},
      {"--link l --line-rate 49", "--line-rate \"49\""},
      {"--link l --bogus=1", "unknown option \"--bogus\""},
      {"--link l -xy", "unknown option \"-x\""},
      {"--link l --fault-g=1", "ambiguous option \"--fault-g\", one of --fault-garble-line --fault-garble"},
      {"--model M --link", "--link needs a value"},
      {"--help=yes", "--help takes no value"},
      {"extra --link l", "unexpected argument \"extra\""},
  };
  // A FIFO as the modules file is refused at once; were it waited on, the
  // alarm would end the run rather than let it hang.
  const testing::ScratchFolder folder("sim");
  const std::string fifo = (folder / "modules.json").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  messages.emplace_back("--link l --modules-file " + fifo, fifo + ": not a regular file");
  alarm(60);
  for (const auto& [line, message] : messages) {
    const std::string thrown =
        testing::ThrownMessage<CommandLineError>([&args = line] { ParseCommandLine(Words(args)); });
    EXPECT_NE(thrown.find(message), std::string::npos) << line << " gave " << thrown;
  }
  alarm(0);
}

// The modules file, --modules-file's.
TEST(ModulesFileTest, ReadsEveryKeyWithDefaultsForTheOptionalOnes) {
  const auto modules = ParseModulesJson(R"( [
    {"address": "0a", "model": "RA\u0034\"12", "typeCode": "40", "dataFormat": "0F",
     "baud": 115200, "checksum": true, "dSuffix": true},
    {"model": "RA850", "address": "00"}
  ] )");
  // Address, model, type code, data format, bit rate, checksum and "D".
  std::string read;
  for (const auto& m : modules) {
    for (const int n : {m.address, m.typeCode, m.dataFormat, m.baud, int{m.checksum}, int{m.dSuffix}})
      read += std::to_string(n) + " ";
    read += m.model + ";";
  }
  EXPECT_EQ(read, "10 64 15 115200 1 1 RA4\"12;0 0 0 9600 0 0 RA850;");
  EXPECT_TRUE(ParseModulesJson("[]").empty());
}

// Text that is not JSON: at the offending character. A module that cannot be
// used: at the start of its entry.
TEST(ModulesFileTest, RefusesAnythingElseSayingWhere) {
  std::vector<std::pair<std::string, std::string>> bad = {
      {"", "1:1: syntax error"},
      {"[{\"address\": \"01\", \"model\": \"X\"},]", "1:34: syntax error"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 1e999}]", "1:2: number overflow"},
      {" {}", "1:2: expected a \"[\""},
      {"[{\"address\": \"0A\"}]", "1:2: the module has no \"model\""},
      {"[{\"address\": \"0A\", \"model\": \"X\"},\n {\"address\": \"0a\", \"model\": \"Y\"}]",
       "2:2: module 0A: the address is used twice"},
      {"[{\"address\": \"01\", \"model\": \"X\"}, \n\n  3]", "3:3: expected a \"{\""},
      {"[{\"address\": \"0G\", \"model\": \"X\"}]", "1:2: \"address\": expected two hexadecimal digits"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"color\": 1}]", "1:2: unknown key \"color\""},
      {"[{\"address\": \"01\",\n  \"model\": \"X\", \"address\": \"02\"}]",
       "1:2: key \"address\" given twice"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 96.0}]", "1:2: \"baud\": expected a whole number"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 9601}]", "1:2: module 01: bit rate 9601"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"checksum\": 1}]",
       "1:2: \"checksum\": expected true or false"},
      {"[{\"address\": \"01\", \"model\": \"A B\"}]", "1:2: module 01: the model name"},
  };
  // Ten thousand entries, one a line: refused where the addresses run out, at the 257th.
  std::string longList = "[";
  for (int i = 0; i < 10000; ++i) {
    longList +=
        (i == 0 ? "" : ",\n") + std::string("{\"address\": \"") + HexByte(i % 256) + "\", \"model\": \"X\"}";
  }
  bad.emplace_back(longList + "]", "257:1: module 00: the address is used twice");
  for (const auto& [text, message] : bad) {
    const std::string thrown =
        testing::ThrownMessage<ModulesFileError>([&json = text] { ParseModulesJson(json); });
    EXPECT_EQ(thrown.rfind(message, 0), 0u) << text << " gave " << thrown;
  }
}

}  // namespace
}  // namespace gw20::sim
