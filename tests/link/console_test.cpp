#include "link/console.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/scripted_port.h"
#include "tests/support/test_services.h"

namespace gw20::link {
namespace {

using namespace std::chrono_literals;
using gw20::testing::ScriptedPort;
using gw20::testing::TimedChunk;

// Chunks scripted this long after the carriage return arrive while the reply
// is being collected, not during the pauses that follow typing.
constexpr auto kAfterTyping = 20ms;

class ConsoleTest : public ::testing::Test {
 protected:
  ConsoleTest() { port.Open(); }

  gw20::testing::VirtualTime time;
  gw20::testing::VirtualTicks ticks{time};
  gw20::testing::VirtualPump events{time};
  ScriptedPort port{time};
  ConsoleState state;
  Console console{port, events, ticks, state};
};

TEST_F(ConsoleTest, ConsoleExchange_ReplyIsTheTextBeforeTheFirstPrompt) {
  struct Case {
    std::string command, prompt;
    std::vector<TimedChunk> chunks;
    std::string reply;
  };
  const std::vector<Case> cases{
      // A prompt split across chunks.
      {"use eeprom",
       "[EEPROM:]",
       {{kAfterTyping, "use eeprom\r\n[EEP"}, {kAfterTyping + 5ms, "ROM:]"}},
       "use eeprom\r\n"},
      // Blanks at chunk edges are dropped, line ends kept.
      {"",
       ">",
       {{kAfterTyping, "  word  "}, {kAfterTyping + 5ms, " \r\nnext "}, {kAfterTyping + 10ms, "one "},
        {kAfterTyping + 15ms, "two>"}},
       "word\r\nnextonetwo"},
      {"a>b", ">", {{1ms, "a>b\r\nGW20M>"}}, "a"},  // the first occurrence wins
      {"", ">", {{1ms, "\r\nGW20M>"}}, "\r\nGW20M"},
  };
  for (const auto& c : cases) {
    ScriptedPort scripted{time};
    scripted.Open();
    Console fresh{scripted, events, ticks, state};
    scripted.DeliverAfter(0ms, "old>");  // stale input is flushed before typing
    scripted.OnCarriageReturn(1, c.chunks);
    EXPECT_TRUE(fresh.ConsoleExchange(c.command, c.prompt)) << c.reply;
    EXPECT_EQ(state.ConsoleReply, c.reply);
    EXPECT_EQ(scripted.Lines(), std::vector<std::string>{c.command});
  }
}

TEST_F(ConsoleTest, ConsoleExchange_CharactersLeaveOneAtATimeWithPauses) {
  port.OnCarriageReturn(1, {{1ms, "[EEPROM:]"}});
  EXPECT_TRUE(console.ConsoleExchange("block 0", "[EEPROM:]"));
  const std::vector<std::string> expected{"b", "l", "o", "c", "k", " ", "0", "\r"};
  EXPECT_EQ(port.Writes(), expected);
  const auto& times = port.WriteTimes();
  for (std::size_t i = 1; i < times.size(); ++i) EXPECT_LT(times[i - 1], times[i]) << "write " << i;
  EXPECT_GT(events.Pumps(), 0);
}

TEST_F(ConsoleTest, ConsoleExchange_EmptyPrompt_TimesOutKeepingCollectedText) {
  port.OnCarriageReturn(1, {{1ms, "GW20M>"}});
  EXPECT_FALSE(console.ConsoleExchange("", ""));
  EXPECT_EQ(state.ConsoleReply, "GW20M>");
}

TEST_F(ConsoleTest, ConsoleExchange_NoAnswer_TimesOutWithEmptyReply) {
  state.ConsoleReply = "previous";
  EXPECT_FALSE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "");
  // A late answer is not taken for the next exchange's reply.
  port.DeliverAfter(0ms, "late>");
  port.OnCarriageReturn(2, {{1ms, "GW20M>"}});
  EXPECT_TRUE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "GW20M");
}

TEST_F(ConsoleTest, ConsoleExchange_TransmitBufferStuck_FailsAfterTenTestsLeavingReply) {
  state.ConsoleReply = "previous";
  port.SetOutBufferCounts(std::vector<int>(10, 3));
  port.SetResponder([](const std::string&) { return std::vector<TimedChunk>{{1ms, "GW20M>"}}; });
  EXPECT_FALSE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "previous");
  EXPECT_EQ(port.OutBufferCountCalls(), 10);

  // Draining on the tenth test is still in time.
  std::vector<int> counts(9, 3);
  counts.push_back(0);
  port.SetOutBufferCounts(counts);
  EXPECT_TRUE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "GW20M");
}

TEST_F(ConsoleTest, ConsoleReadValue_NegativeValue_ReadWithoutTouchingReply) {
  state.ConsoleReply = "previous";
  port.OnCarriageReturn(1, {{kAfterTyping, "el 40\r\nLong(40)=-12"}, {kAfterTyping + 5ms, "3\r\n-->"}});
  double value = 7.5;
  EXPECT_TRUE(console.ConsoleReadValue("el 40", "Long(40)=", value));
  EXPECT_EQ(value, -123.0);
  EXPECT_EQ(state.ConsoleReply, "previous");
  EXPECT_EQ(port.Lines(), std::vector<std::string>{"el 40"});
}

TEST_F(ConsoleTest, ConsoleReadValue_KeyAbsentOrEmpty_FailsAndLeavesValue) {
  port.SetResponder([](const std::string&) {
    return std::vector<TimedChunk>{{1ms, "Long(4)=36\r\n-->"}};
  });
  double value = 7.5;
  EXPECT_FALSE(console.ConsoleReadValue("el 40", "Long(40)=", value));
  EXPECT_FALSE(console.ConsoleReadValue("el 4", "", value));
  EXPECT_EQ(value, 7.5);
  EXPECT_TRUE(console.ConsoleReadValue("el 4", "Long(4)=", value));
  EXPECT_EQ(value, 36.0);
}

TEST_F(ConsoleTest, ConsoleReadValue_NoEditPromptOrStuckBuffer_Fails) {
  double value = 7.5;
  port.OnCarriageReturn(1, {{1ms, "Long(0)=5\r\n[EEPROM:]"}});
  EXPECT_FALSE(console.ConsoleReadValue("el 0", "Long(0)=", value));
  port.SetOutBufferCounts(std::vector<int>(10, 1));
  port.OnCarriageReturn(2, {{1ms, "Long(0)=5\r\n-->"}});
  EXPECT_FALSE(console.ConsoleReadValue("el 0", "Long(0)=", value));
  EXPECT_EQ(value, 7.5);
}

TEST_F(ConsoleTest, ConsoleScanExchange_ChunksRestartInactivityTimeout) {
  state.ConsoleTimeout = 100;  // the scan allows 1500 ms of silence
  // Stale text during the quiet period before typing is flushed.
  port.DeliverAfter(10ms, "stale[COM2:]");
  port.OnCarriageReturn(1, {{1000ms, "/scan\r\n01 ZE-4050"},
                            {2200ms, "\r\n02 ZE-4017"},
                            {3400ms, "\r\n[COM2:]"}});
  EXPECT_TRUE(console.ConsoleScanExchange("2"));
  EXPECT_EQ(state.ConsoleReply, "/scan\r\n01 ZE-4050\r\n02 ZE-4017\r\n");
  EXPECT_EQ(port.Lines(), std::vector<std::string>{"/scan"});
}

TEST_F(ConsoleTest, ConsoleScanExchange_SilenceLongerThanTimeout_Fails) {
  state.ConsoleTimeout = 100;
  port.OnCarriageReturn(1, {{100ms, "/scan\r\n01 ZE-4050"}, {1800ms, "\r\n[COM2:]"}});
  EXPECT_FALSE(console.ConsoleScanExchange("2"));
  EXPECT_EQ(state.ConsoleReply, "/scan\r\n01 ZE-4050");
}

TEST(ConsoleNumbers, ToUnsigned32_NegativeWrapsPositiveKept) {
  EXPECT_EQ(ToUnsigned32(-1.0), 4294967295.0);
  EXPECT_EQ(ToUnsigned32(-2147483648.0), 2147483648.0);
  EXPECT_EQ(ToUnsigned32(517.0), 517.0);
}

TEST(ConsoleNumbers, SignedLongText_SignedDecimalWithBlankForNonNegative) {
  EXPECT_EQ(SignedLongText(4294967295.0), "-1");
  EXPECT_EQ(SignedLongText(36.0), " 36");
  EXPECT_EQ(SignedLongText(0.0), " 0");
  EXPECT_EQ(SignedLongText(2147483647.0), " 2147483647");
  EXPECT_EQ(SignedLongText(2147483648.0), "-2147483648");
  EXPECT_EQ(SignedLongText(4278190080.0), "-16777216");
}

TEST(ConsoleNumbers, HexTextToNumber_EitherCaseOtherCharactersZero) {
  EXPECT_EQ(HexTextToNumber("0A"), 10.0);
  EXPECT_EQ(HexTextToNumber("0a"), 10.0);
  EXPECT_EQ(HexTextToNumber("1G"), 16.0);
  EXPECT_EQ(HexTextToNumber("fF"), 255.0);
  EXPECT_EQ(HexTextToNumber(""), 0.0);
}

}  // namespace
}  // namespace gw20::link
