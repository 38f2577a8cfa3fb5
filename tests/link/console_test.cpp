#include "link/console.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/console_bench.h"
#include "tests/support/scripted_port.h"

namespace gw20::link {
namespace {

using namespace std::chrono_literals;
using gw20::testing::ScriptedPort;
using gw20::testing::TimedChunk;

// Chunks this long after the CR arrive while the reply is collected, not while typing.
constexpr auto kAfterTyping = 20ms;

class ConsoleTest : public ::testing::Test, public gw20::testing::ConsoleBench<ScriptedPort> {};

TEST_F(ConsoleTest, ConsoleExchange_ReplyIsTheTextBeforeTheFirstPrompt) {
  struct Case {
    std::string command, prompt;
    std::vector<TimedChunk> chunks;
    std::string reply;
  };
  const std::vector<Case> cases{
      {"use eeprom",  // a prompt split across chunks
       "[EEPROM:]",
       {{kAfterTyping, "use eeprom\r\n[EEP"}, {kAfterTyping + 5ms, "ROM:]"}},
       "use eeprom\r\n"},
      // Blanks at chunk edges are dropped, line ends kept.
      {"",
       ">",
       {{kAfterTyping, "  word  "},
        {kAfterTyping + 5ms, " \r\nnext "},
        {kAfterTyping + 10ms, "one "},
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

// An empty prompt never matches: what came stays as the reply. No answer
// leaves it empty, and a late answer is not taken for the next exchange's.
TEST_F(ConsoleTest, ConsoleExchange_NoPromptFound_TimesOut) {
  port.OnCarriageReturn(1, {{1ms, "GW20M>"}});
  EXPECT_FALSE(console.ConsoleExchange("", ""));
  EXPECT_EQ(state.ConsoleReply, "GW20M>");
  EXPECT_FALSE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "");
  port.DeliverAfter(0ms, "late>");
  port.OnCarriageReturn(3, {{1ms, "GW20M>"}});
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
  port.SetOutBufferCounts({3, 3, 3, 3, 3, 3, 3, 3, 3, 0});
  EXPECT_TRUE(console.ConsoleExchange("exit", ">"));
  EXPECT_EQ(state.ConsoleReply, "GW20M");
}

// A word shown negative is read as its unsigned word, the reply untouched; a
// key absent or empty, no edit prompt or a stuck buffer fail, the value kept.
TEST_F(ConsoleTest, ConsoleReadValue_ReadsTheWordShown_FailsLeavingTheValueOtherwise) {
  state.ConsoleReply = "previous";
  port.OnCarriageReturn(1, {{kAfterTyping, "el 40\r\nLong(40)=-12"}, {kAfterTyping + 5ms, "3\r\n-->"}});
  std::uint32_t value = 7;
  EXPECT_TRUE(console.ConsoleReadValue("el 40", "Long(40)=", value));
  EXPECT_EQ(value, 4294967173u);  // -123
  EXPECT_EQ(state.ConsoleReply, "previous");
  EXPECT_EQ(port.Lines(), std::vector<std::string>{"el 40"});

  value = 7;
  port.OnCarriageReturn(2, {{1ms, "Long(0)=5\r\n[EEPROM:]"}});
  EXPECT_FALSE(console.ConsoleReadValue("el 0", "Long(0)=", value));
  port.SetOutBufferCounts(std::vector<int>(10, 1));
  port.OnCarriageReturn(3, {{1ms, "Long(0)=5\r\n-->"}});
  EXPECT_FALSE(console.ConsoleReadValue("el 0", "Long(0)=", value));
  port.SetResponder([](const std::string&) { return std::vector<TimedChunk>{{1ms, "Long(4)=36\r\n-->"}}; });
  EXPECT_FALSE(console.ConsoleReadValue("el 40", "Long(40)=", value));
  EXPECT_FALSE(console.ConsoleReadValue("el 4", "", value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(console.ConsoleReadValue("el 4", "Long(4)=", value));
  EXPECT_EQ(value, 36u);
}

TEST_F(ConsoleTest, ConsoleScanExchange_ChunksRestartInactivityTimeout_SilenceFails) {
  state.ConsoleTimeout = std::chrono::milliseconds(100);  // the scan allows 1500 ms of silence
  port.DeliverAfter(10ms, "stale[COM2:]");
  port.OnCarriageReturn(
      1, {{1000ms, "/scan\r\n01 ZE-4050"}, {2200ms, "\r\n02 ZE-4017"}, {3400ms, "\r\n[COM2:]"}});
  EXPECT_TRUE(console.ConsoleScanExchange("2"));  // the stale text before typing flushed
  EXPECT_EQ(state.ConsoleReply, "/scan\r\n01 ZE-4050\r\n02 ZE-4017\r\n");
  EXPECT_EQ(port.Lines(), std::vector<std::string>{"/scan"});

  port.OnCarriageReturn(2, {{100ms, "/scan\r\n01 ZE-4050"}, {1800ms, "\r\n[COM2:]"}});
  EXPECT_FALSE(console.ConsoleScanExchange("2"));
  EXPECT_EQ(state.ConsoleReply, "/scan\r\n01 ZE-4050");
}

// When a controller echoes: never, once it has read a character, or on arrival.
enum class Echo { kNone, kOnRead, kOnArrival };

// A controller that reads its buffer of `fifo` characters every `serviceMs` ms,
// losing those that find it full, and answers a line with ">". Of the scripted
// port only the opening and settings are kept.
class SlowReaderPort : public ScriptedPort {
 public:
  SlowReaderPort(gw20::testing::VirtualTime& time, std::size_t fifo, int serviceMs, Echo echo)
      : ScriptedPort(time), fifo_(fifo), serviceMs_(serviceMs), echo_(echo) {
    time.OnAdvance([this](std::chrono::milliseconds) {
      if (++sinceService_ >= serviceMs_) Service();
    });
  }
  // Arrives at once, between two services, as a late answer would.
  void Deliver(const std::string& text) { received_ += text; }
  const std::vector<std::string>& Lines() const { return lines_; }

  int InBufferCount() override { return static_cast<int>(received_.size()); }
  void DiscardInput() override { received_.clear(); }
  std::string ReadAll() override { return std::exchange(received_, {}); }
  std::size_t MostWaiting() const { return mostWaiting_; }  // most ever waiting at once
  void ForgetMostWaiting() { mostWaiting_ = 0; }

  void Write(std::string_view text) override {
    for (const char c : text) {
      if (buffer_.size() < fifo_) buffer_ += c;
      mostWaiting_ = std::max(mostWaiting_, buffer_.size());
      if (echo_ == Echo::kOnArrival) received_ += c == '\r' ? "\r\n" : std::string(1, c);
    }
  }
  bool WaitForInput(std::chrono::milliseconds) override { return !received_.empty(); }

 private:
  void Service() {
    sinceService_ = 0;
    for (const char c : std::exchange(buffer_, {})) {
      if (c != '\r') {
        line_ += c;
        if (echo_ == Echo::kOnRead) received_ += c;
        continue;
      }
      lines_.push_back(std::exchange(line_, {}));
      received_ += echo_ == Echo::kOnRead ? "\r\n>" : ">";
    }
  }

  std::size_t fifo_;
  int serviceMs_;
  Echo echo_;
  int sinceService_ = 0;
  std::size_t mostWaiting_ = 0;
  std::string buffer_, line_, received_;
  std::vector<std::string> lines_;
};

// A console over a SlowReaderPort; CharacterPause 0: the echo alone paces.
using SlowBench = gw20::testing::ConsoleBench<SlowReaderPort>;

// Each character waits for the echo of the ones before it, so a one-character
// buffer loses nothing; a late answer is no part of the echo, which stays in
// the reply with its blanks. An echo other than typed stops the line before Enter.
TEST(ConsolePacing, EchoPacedTyping_TinyBufferLosesNothing_AndOnlyTheEchoLetsEnterGo) {
  for (const bool staleBurst : {false, true}) {
    SlowBench b{staleBurst ? 2u : 1u, 3, Echo::kOnRead};
    if (staleBurst) b.time.At(1ms, [&b] { b.port.Deliver("Unknown command\r\nGW20M>"); });
    EXPECT_TRUE(b.console.ConsoleExchange("/end  15", ">")) << staleBurst;
    EXPECT_EQ(b.port.Lines(), std::vector<std::string>{"/end  15"}) << staleBurst;
    EXPECT_TRUE(staleBurst || b.state.ConsoleReply == "/end  15\r\n") << b.state.ConsoleReply;
  }
  SlowBench b{8u, 1, Echo::kOnRead};
  b.time.At(3ms, [&b] { b.port.Deliver("#"); });  // noise in the middle of the echo
  EXPECT_FALSE(b.console.ConsoleExchange("use eeprom", ">"));
  EXPECT_EQ(b.console.LastFailure(), ConsoleFailure::EchoDiffers);
  EXPECT_TRUE(b.port.Lines().empty());
}

// Typing runs ahead of the echo by a window that widens line by line up to
// kMaxTypingWindow, below the controller's 8-character buffer: a controller
// that reads only every 3 ms loses nothing, and the lines are the same.
// TypingWindow 1 waits for each echo.
TEST(ConsolePacing, TypingAheadOfTheEcho_StaysBelowTheBufferAndLosesNothing) {
  const std::vector<std::string> commands{"use eeprom", "block 0", "el 40", "28573732", "-2080118784", "."};
  for (const int window : {1, kMaxTypingWindow}) {
    SlowBench b{8u, 3, Echo::kOnRead};
    b.state.TypingWindow = window;
    for (const auto& command : commands) {
      EXPECT_TRUE(b.console.ConsoleExchange(command, ">")) << command;
      // Until the console has echoed, typing goes on after kFirstEchoWait.
      if (command == commands.front()) b.port.ForgetMostWaiting();
    }
    EXPECT_EQ(b.port.Lines(), commands);
    EXPECT_LE(b.port.MostWaiting(), static_cast<std::size_t>(window)) << window;
    EXPECT_GT(b.port.MostWaiting(), window == 1 ? 0u : 2u) << window;
  }
}

// A controller slower than the echo limit that does not echo, or echoes
// before it reads, is served by a longer CharacterPause.
TEST(ConsolePacing, CharacterPause_LengthensThePauseForASlowController) {
  for (const Echo echo : {Echo::kNone, Echo::kOnArrival, Echo::kOnRead}) {
    SlowBench b{1u, 10, echo};
    b.state.CharacterPause = 11ms;
    EXPECT_TRUE(b.console.ConsoleExchange("block 0", ">")) << static_cast<int>(echo);
    EXPECT_EQ(b.port.Lines(), std::vector<std::string>{"block 0"}) << static_cast<int>(echo);
  }
}

TEST(ConsolePacing, Settings_CharacterPauseInWholeMsUpToTheLimit_TypingWindowUpToItsMaximum) {
  for (const int ms : {10, 0, 1000}) {
    EXPECT_EQ(ParseCharacterPause(std::to_string(ms).c_str()), std::chrono::milliseconds(ms));
  }
  for (const char* bad : {"", "1001", "-1", "5ms", " 5", "abc", "99999999999999999999"}) {
    EXPECT_EQ(ParseCharacterPause(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(ParseCharacterPause(nullptr), std::nullopt);
  EXPECT_EQ(ParseTypingWindow("3"), 3);
  for (const char* bad : {"0", "7", "", "x", " 2"}) EXPECT_EQ(ParseTypingWindow(bad), std::nullopt) << bad;
}

// Words are shown signed and kept unsigned, garbage clamped; a hexadecimal
// text reads any other character as 0. How a word is typed back is the
// console value fuzz target's.
TEST(ConsoleNumbers, ShownWordsTypedBackAndHexText) {
  const std::vector<std::pair<double, std::uint32_t>> words{
      {-1.0, 4294967295u},   {-2147483648.0, 2147483648u}, {517.0, 517u}, {12.7, 12u}, {1e300, 4294967295u},
      {-1e300, 2147483648u}, {std::nan(""), 2147483648u}};
  for (const auto& [shown, word] : words) EXPECT_EQ(WordFromShown(shown), word) << shown;
  const std::vector<std::pair<std::string, double>> hex{
      {"0A", 10}, {"0a", 10}, {"1G", 16}, {"fF", 255}, {"", 0}};
  for (const auto& [text, number] : hex) EXPECT_EQ(HexTextToNumber(text), number) << text;
}

}  // namespace
}  // namespace gw20::link
