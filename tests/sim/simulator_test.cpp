// The simulated controller: its console, field port, faults and files, and
// the command line and modules file that set it up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/command_line.h"
#include "sim/controller.h"
#include "sim/modules_file.h"
#include "tests/support/test_services.h"

namespace gw20::sim {
namespace {

using std::chrono::milliseconds;

// Types `text` one character per burst, as a patient PC does; the reply.
std::string Type(Controller& controller, std::string_view text) {
  for (const char c : text) controller.Receive(std::string_view(&c, 1));
  return controller.TakeOutput();
}

struct Exchange {
  std::string_view typed;
  std::string_view reply;
};

void ExpectReplies(Controller& controller, std::span<const Exchange> exchanges) {
  for (const auto& [typed, reply] : exchanges) {
    EXPECT_EQ(Type(controller, typed), reply) << "typed " << ::testing::PrintToString(std::string(typed));
  }
}

using Words = std::vector<std::uint32_t>;
Words WordsAt(const Controller& controller, std::initializer_list<std::pair<int, int>> at) {
  Words words;
  for (const auto& [block, address] : at) words.push_back(controller.Word(block, address));
  return words;
}

std::string Wait(Controller& controller, milliseconds elapsed) {
  controller.Advance(elapsed);
  return controller.TakeOutput();
}

TEST(ControllerTest, EchoesAndAnswersEachModeWithItsPrompt) {
  Controller controller(ControllerOptions{});
  EXPECT_EQ(controller.Prompt(), "GW20M>");
  const Exchange toAnEdit[] = {
      {"\r", "\r\nGW20M>"},
      {"\n", ""},
      {"help\r", "help\r\nUnknown command\r\nGW20M>"},
      {"use eeprom\r", "use eeprom\r\n[EEPROM:]"},
      {"\r", "\r\n[EEPROM:]"},
      {"use com2\r", "use com2\r\nUnknown command\r\n[EEPROM:]"},
      {"block 3\r", "block 3\r\nInvalid block\r\n[EEPROM:]"},
      {"el 2\r", "el 2\r\nInvalid address\r\n[EEPROM:]"},
      {"el 256\r", "el 256\r\nInvalid address\r\n[EEPROM:]"},
      {"block 0\r", "block 0\r\n[EEPROM:]"},
      {"el 0\r", "el 0\r\nLong(0)=517\r\n-->"},
  };
  ExpectReplies(controller, toAnEdit);
  EXPECT_EQ(controller.Prompt(), "-->");
  const Exchange outAndThroughCom2[] = {
      {"\r", "\r\nLong(0)=517\r\n-->"},
      {"12x\r", "12x\r\nInvalid value\r\nLong(0)=517\r\n-->"},
      {".\r", ".\r\n[EEPROM:]"},
      {"exit\r", "exit\r\nGW20M>"},
      {"use com2\r", "use com2\r\n[COM2:]"},
      {"\r", "\r\n[COM2:]"},
      {"/q\r", "/q\r\nGW20M>"},
  };
  ExpectReplies(controller, outAndThroughCom2);
  // A burst beyond the 8-character receive buffer loses the rest.
  controller.Receive("use eeprom\r");
  EXPECT_EQ(Type(controller, "\r"), "use eepr\r\nUnknown command\r\nGW20M>");

  // The transcript keeps lines as typed (ScanFieldPort's holds blank ones and
  // doubled blanks), each to its first 128 characters.
  Type(controller, std::string(200, 'x') + "\r");
  EXPECT_EQ(controller.Transcript().back(), std::string(128, 'x'));
}

// Each end of the 32-bit ranges and one past it, a "+" the controller
// refuses, "." ending the edit; storing the last word of a block ends it too.
TEST(ControllerTest, EditsWordsShownSignedAndStoredUnsigned) {
  Controller controller(ControllerOptions{});
  EXPECT_EQ(WordsAt(controller, {{0, 4}, {2, 252}}), (Words{2006u * 65536 + 3 * 256 + 7, 4294967295u}));
  controller.SetWord(1, 248, 7);
  Type(controller, "use eeprom\rblock 0\r");
  const Exchange edits[] = {
      {"el 40\r", "el 40\r\nLong(40)=-1\r\n-->"},
      {"-1\r", "-1\r\nLong(44)=-1\r\n-->"},
      {"2147483648\r", "2147483648\r\nLong(48)=-1\r\n-->"},
      {"-2147483648\r", "-2147483648\r\nLong(52)=-1\r\n-->"},
      {"4294967296\r", "4294967296\r\nInvalid value\r\nLong(52)=-1\r\n-->"},
      {"-2147483649\r", "-2147483649\r\nInvalid value\r\nLong(52)=-1\r\n-->"},
      {"+5\r", "+5\r\nInvalid value\r\nLong(52)=-1\r\n-->"},
      {".\r", ".\r\n[EEPROM:]"},
      {"el 44\r", "el 44\r\nLong(44)=-2147483648\r\n-->"},
      {".\r", ".\r\n[EEPROM:]"},
      {"block 1\rel 248\r", "block 1\r\n[EEPROM:]el 248\r\nLong(248)=7\r\n-->"},
      {"1\r2\r", "1\r\nLong(252)=-1\r\n-->2\r\n[EEPROM:]"},
  };
  ExpectReplies(controller, edits);
  EXPECT_EQ(WordsAt(controller, {{0, 40}, {0, 44}, {0, 48}, {0, 52}, {1, 248}, {1, 252}, {0, 252}}),
            (Words{4294967295u, 2147483648u, 2147483648u, 4294967295u, 1, 2, 4294967295u}));
}

constexpr std::string_view kSession = "use eeprom\rblock 0\rel 0\r.\rexit\ruse com2\r/q\rhelp\r";

// Everything sent for a session through every mode.
std::string Session(double garbleRate, std::uint32_t seed) {
  ControllerOptions options;
  options.garbleRate = garbleRate;
  options.garbleSeed = seed;
  Controller controller(std::move(options));
  return Type(controller, kSession);
}

TEST(ControllerTest, LineNoiseRepeatsForASeedAndHitsCharactersAtTheRate) {
  const std::string clean = Session(0, 1);  // the defaults
  EXPECT_EQ(Session(0, 7), clean);
  const std::string noisy = Session(0.05, 7);
  EXPECT_EQ(Session(0.05, 7), noisy);
  EXPECT_NE(Session(0.05, 8), noisy);
  // Noise replaces characters, echo included, and never adds or drops one.
  ASSERT_EQ(noisy.size(), clean.size());
  const auto changed = [&](const std::string& text) {
    return std::inner_product(clean.begin(), clean.end(), text.begin(), 0u, std::plus<>(),
                              std::not_equal_to<>());
  };
  EXPECT_GT(changed(noisy), 0u);
  EXPECT_LT(changed(noisy), clean.size() / 5);
  const std::string garbage = Session(1, 7);
  ASSERT_EQ(garbage.size(), clean.size());
  EXPECT_EQ(changed(garbage), clean.size());
}

void TypeSlowly(Controller& controller, std::string_view text, milliseconds step) {
  for (const char c : text) {
    controller.Receive(std::string_view(&c, 1));
    controller.Advance(step);
  }
}

TEST(ControllerTest, AnswerTimesSplitTypingAnsweringAndWaiting) {
  const gw20::testing::ScratchFolder dir;
  for (const milliseconds latency : {milliseconds(0), milliseconds(40)}) {
    ControllerOptions options;
    options.latency = latency;
    options.answerTimesFile = dir / "times.txt";
    {
      Controller controller(std::move(options));
      controller.Advance(milliseconds(100));
      TypeSlowly(controller, "use com2\r", milliseconds(2));  // first character at 100, CR at 116
      controller.Advance(milliseconds(30));                   // the PC waits
      TypeSlowly(controller, "/scan\r", milliseconds(1));     // 148 to 153, then 16 empty addresses
      controller.Advance(milliseconds(5000));
      // The scan's record is complete once the next line begins.
      TypeSlowly(controller, "\r", milliseconds(1));
    }
    // Typed at, typing, answer and line, one line each.
    const auto answer = [&](milliseconds waited) { return std::to_string((waited + latency).count()); };
    EXPECT_EQ(gw20::testing::ReadFile(dir / "times.txt"), "100\t16\t" + answer({}) + "\tuse com2\n148\t5\t" +
                                                              answer(16 * FieldPort::kDefaultTimeout) +
                                                              "\t/scan\n5154\t0\t" + answer({}) + "\t\n");
  }
}

TEST(ControllerTest, StallKeepsWhatFitsTheBufferAndHandlesItAfterwards) {
  ControllerOptions options;
  options.fifo = 4;
  options.stallAfterLines = 2;
  options.stallTime = milliseconds(35);
  options.modules = {{.address = 0x0A, .model = "RA850"}};
  Controller controller(std::move(options));
  Type(controller, "use eeprom\r");
  EXPECT_EQ(Type(controller, "block 0\r"), "block 0\r\n[EEPROM:]");
  // Typed one character at a time, yet only the buffer's four are kept; nothing is echoed.
  EXPECT_EQ(Type(controller, "el 40\r"), "");
  EXPECT_EQ(controller.NextOutputIn(), milliseconds(35)) << "the server must wake when the stall ends";
  EXPECT_EQ(Wait(controller, milliseconds(34)), "");
  EXPECT_EQ(Wait(controller, milliseconds(1)), "el 4");
  EXPECT_EQ(Type(controller, "\r"), "\r\nLong(4)=131465991\r\n-->");
  EXPECT_EQ(controller.Transcript().back(), "el 4");

  // Placed in a running conversation, the line's CR arriving with what follows
  // it: the buffer fills across bursts.
  const auto lines = [&] { return static_cast<int>(controller.Transcript().size()); };
  controller.SetStallAfter(lines() + 1, milliseconds(10));
  controller.Receive(".\rex");
  EXPECT_EQ(controller.TakeOutput(), ".\r\n[EEPROM:]");
  controller.Receive("it\r");
  EXPECT_EQ(Wait(controller, milliseconds(10)), "exit");
  EXPECT_EQ(Type(controller, "\r"), "\r\nGW20M>");

  // After a module query the stall waits for the module's answer; a whole
  // line that waited is answered when it ends.
  controller.SetStallAfter(lines() + 2, milliseconds(20));
  Type(controller, "use com2\r$0A2\r");
  EXPECT_FALSE(controller.Stalled());
  EXPECT_TRUE(Wait(controller, milliseconds(5)).ends_with("[COM2:]"));
  EXPECT_TRUE(controller.Stalled());
  EXPECT_EQ(Type(controller, "/q\r"), "");
  EXPECT_EQ(Wait(controller, milliseconds(20)), "/q\r\nGW20M>");

  // Cleared before it begins; refused without a line or a time.
  controller.SetStallAfter(lines() + 1, milliseconds(10));
  controller.SetStallAfter(std::nullopt);
  EXPECT_EQ(Type(controller, "\r\r"), "\r\nGW20M>\r\nGW20M>");
  EXPECT_THROW(controller.SetStallAfter(0, milliseconds(10)), std::invalid_argument);
  EXPECT_THROW(controller.SetStallAfter(1, milliseconds(0)), std::invalid_argument);
  ControllerOptions timeless;
  timeless.stallAfterLines = 1;
  EXPECT_THROW(Controller{timeless}, std::invalid_argument);
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

// The checksum module at 0F is left out; "/s1" makes it the one that answers
// (ScanFieldPort.SimulatedChainWithChecksums_FillsTableInListingOrder), for
// one session: the controller's procedure never sends "/s0", so the next
// session must find the plain modules again.
TEST(FieldPortTest, ScanListsMatchingModulesCostingATimeOutPerAbsentAddress_ChecksumModeLastsOneSession) {
  const auto controller = ChainController();
  const Exchange settings[] = {{"/timeout 100\r", "/timeout 100\r\nTime-out = 100 ms\r\n[COM2:]"},
                               {"/baud 9600\r", "/baud 9600\r\nBaud rate = 9600\r\n[COM2:]"},
                               {"/start 0\r", "/start 0\r\nStart address = 0\r\n[COM2:]"},
                               {"/end  15\r", "/end  15\r\nEnd address = 15\r\n[COM2:]"}};
  ExpectReplies(*controller, settings);

  // Two modules answer (5 ms each), fourteen addresses time out on the controller's clock.
  std::string listing = Type(*controller, "/scan\r");
  listing += Wait(*controller, milliseconds(2 * 5 + 14 * 100 - 1));
  EXPECT_EQ(listing.find(']'), std::string::npos) << listing;
  EXPECT_NE(listing.find('.'), std::string::npos) << "a long scan shows progress";
  listing += Wait(*controller, milliseconds(1));
  EXPECT_TRUE(listing.ends_with("\r\n[COM2:]")) << listing;
  EXPECT_EQ(listing.find_first_of(">]"), listing.size() - 1) << "only the prompt holds ] or >";
  const std::vector<std::string> plain{"!00RA412{", "!0ARA850D{"};
  EXPECT_EQ(Entries(listing), plain);

  const auto scan = [&controller] {
    const std::string typed = Type(*controller, "/scan\r");
    return Entries(typed + Wait(*controller, milliseconds(16 * 100)));
  };
  EXPECT_EQ(Type(*controller, "/s1\r"), "/s1\r\nChecksum on\r\n[COM2:]");
  const auto withChecksum = scan();
  ASSERT_EQ(withChecksum.size(), 1u);
  EXPECT_TRUE(withChecksum[0].starts_with("!0FRA412")) << withChecksum[0];
  EXPECT_EQ(Type(*controller, "/q\r"), "/q\r\nGW20M>");
  Type(*controller, "use com2\r");
  EXPECT_EQ(scan(), plain) << "the time-out is kept, the mode not";
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
  const Exchange refused[] = {{"/baud 9601\r", "/baud 9601\r\nInvalid value\r\n[COM2:]"},
                              {"/timeout -5\r", "/timeout -5\r\nInvalid value\r\n[COM2:]"},
                              {"/sleep\r", "/sleep\r\nUnknown command\r\n[COM2:]"}};
  ExpectReplies(*controller, refused);
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

void WriteAll(const std::filesystem::path& file, const std::string& text) { std::ofstream(file) << text; }

ControllerOptions WithFiles(const gw20::testing::ScratchFolder& dir) {
  ControllerOptions options;
  options.eepromFile = dir / "eeprom.txt";
  options.transcriptFile = dir / "transcript.txt";
  return options;
}

// A file once created wins over the firmware options; a bad one is refused
// naming the file and the line.
TEST(EepromFileTest, CreatedSavedReloaded_ABadOneRejectedNamingFileAndLine) {
  const gw20::testing::ScratchFolder dir;
  const std::filesystem::path file = dir / "eeprom.txt";
  {
    ControllerOptions options = WithFiles(dir);
    options.firmwareMajor = 1;
    options.firmwareMinor = 10;
    Controller controller(std::move(options));
    const std::string created = gw20::testing::ReadFile(file);
    EXPECT_EQ(created.substr(0, created.find("0:8=")), "0:0=266\n0:4=131465991\n");
    EXPECT_NE(created.find("\n2:252=4294967295\n"), std::string::npos);
    Type(controller, "use eeprom\rblock 2\rel 100\r-2\r");
    controller.SetWord(1, 0, 42);
  }
  EXPECT_EQ(gw20::testing::ReadFile(dir / "transcript.txt"), "use eeprom\nblock 2\nel 100\n-2\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "eeprom.txt.tmp"));
  {
    const Controller reloaded(WithFiles(dir));
    EXPECT_EQ(WordsAt(reloaded, {{2, 100}, {1, 0}, {0, 0}}), (Words{4294967294u, 42u, 266u}));
    EXPECT_TRUE(reloaded.Transcript().empty());
  }

  const std::string good = gw20::testing::ReadFile(file);
  const std::string head = good.substr(0, good.find('\n') + 1), tail = good.substr(good.find("\n0:8=") + 1);
  const std::pair<std::string, std::string> cases[] = {
      {head + "0:4 131465991\n" + tail, "eeprom.txt:2: expected"},
      {head + "3:4=0\n" + tail, "eeprom.txt:2: block"},
      {head + "0:5=0\n" + tail, "eeprom.txt:2: address"},
      {head + "0:4=4294967296\n" + tail, "eeprom.txt:2: value"},
      {head + "0:0=1\n" + tail, "eeprom.txt:2: word 0:0 is listed twice"},
      {head + tail, "word 0:4 is missing"},
  };
  for (const auto& [text, message] : cases) {
    WriteAll(file, text);
    const std::string thrown = gw20::testing::ThrownMessage<std::runtime_error>(
        [&] { const Controller controller(WithFiles(dir)); });
    EXPECT_NE(thrown.find(message), std::string::npos) << message << ": " << thrown;
  }
  WriteAll(file, good + "\n");  // a trailing blank line is harmless
  EXPECT_NO_THROW(Controller{WithFiles(dir)});
}

std::vector<std::string> Args(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// The field-port settings apply to every module of the list wherever they stand.
TEST(CommandLineTest, ParsesEveryOption) {
  const SimOptions options = ParseCommandLine(
      Args("--link /tmp/x --model=GW20A --firmware 3.12-2010/11/30 --eeprom e.txt --transcript t.txt "
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
  EXPECT_EQ(std::pair(options.line.delay.count(), options.line.bitsPerSecond), std::pair(25L, 115200));
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
  EXPECT_THROW(ParseCommandLine({}), CommandLineError);
  for (const char* options :
       {"--fifo -1", "--firmware 2.05", "--firmware 2.x5-2006/03/07", "--modules 1:RA412",
        "--modules 01:RA412:4", "--modules 01:RA412,", "--modules 01:RA412 --modules 01:RA850",
        "--field-baud 9601", "--field-checksum yes", "--modules-file /nonexistent/modules.json",
        "--fault-garble-line 0", "--fault-silent-after -1", "--fault-hangup-after two", "--fault-garble nan",
        "--seed 4294967296", "--fault-latency 5ms"}) {
    EXPECT_THROW(ParseCommandLine(Args(std::string("--link l ") + options)), CommandLineError) << options;
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
        testing::ThrownMessage<CommandLineError>([&args = line] { ParseCommandLine(Args(args)); });
    EXPECT_NE(thrown.find(message), std::string::npos) << line << " gave " << thrown;
  }
  alarm(0);
}

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
