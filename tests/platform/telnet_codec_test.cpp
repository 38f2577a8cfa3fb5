// The Telnet side of a device server speaking RFC 2217, as byte
// transcripts: what the server sends, what the console sees, what goes back.
#include "platform/ui/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace gw20::ui {
namespace {

using namespace telnet;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (const int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// One option command each: IAC, the verb, the option.
std::string Will(int option) { return Bytes({kIac, kWill, option}); }
std::string Wont(int option) { return Bytes({kIac, kWont, option}); }
std::string Do(int option) { return Bytes({kIac, kDo, option}); }
std::string Dont(int option) { return Bytes({kIac, kDont, option}); }

constexpr SerialSettings kConsoleLine{115200, Parity::None, 8, StopBits::One};

// A COM port option subnegotiation carrying `body`.
std::string ComPort(std::initializer_list<int> body) {
  return Bytes({kIac, kSb, kComPortOption}) + Bytes(body) + Bytes({kIac, kSe});
}

// What the client answers a server that agrees to everything offered.
std::string AgreedSettings() {
  return ComPort({kSetBaudRate, 0x00, 0x01, 0xC2, 0x00}) + ComPort({kSetDataSize, 8}) +
         ComPort({kSetParity, 1}) + ComPort({kSetStopSize, 1}) + ComPort({kSetControl, kNoFlowControl});
}

TEST(TelnetCodec, ServersOpening_AnsweredOnce_SettingsSet_NothingReachesTheConsole) {
  TelnetCodec codec(kConsoleLine);
  EXPECT_EQ(codec.Offer(), Will(kComPortOption) + Do(kBinary) + Will(kBinary) + Do(kSuppressGoAhead) +
                               Will(kSuppressGoAhead));
  EXPECT_FALSE(codec.Settled());
  // A device server's opening, split anywhere: it agrees to what was asked,
  // offers to echo (refused: the controller echoes), notifies its modem
  // state, and confirms a confirmation.
  const std::string opening = Will(kSuppressGoAhead) + Do(kSuppressGoAhead) + Will(kEcho) + Dont(kEcho) +
                              Do(kBinary) + Will(kBinary) + Do(kComPortOption) + ComPort({107, 0}) +
                              Do(kSuppressGoAhead);
  std::string answers;
  std::string text;
  for (std::size_t i = 0; i < opening.size(); i += 3) text += codec.Decode(opening.substr(i, 3), answers);
  EXPECT_EQ(text, "");
  EXPECT_EQ(answers, Dont(kEcho) + AgreedSettings());
  EXPECT_TRUE(codec.Settled());
  EXPECT_TRUE(codec.ComPortControl());

  // The server's answers to the settings and a line-state notice around the
  // prompt: only the prompt reaches the console.
  answers.clear();
  const std::string reply =
      ComPort({101, 0x00, 0x01, 0xC2, 0x00}) + "\r\nGW" + ComPort({106, 0x60}) + Bytes({kIac, 241}) + "20M>";
  EXPECT_EQ(codec.Decode(reply, answers), "\r\nGW20M>");
  EXPECT_EQ(answers, "");
  // Later settings go at once.
  EXPECT_EQ(codec.ChangeSettings(kConsoleLine), AgreedSettings());
}

TEST(TelnetCodec, Iac_DoubledBothWays_AndInsideASubnegotiation) {
  TelnetCodec codec(kConsoleLine);
  (void)codec.Offer();
  std::string answers;
  (void)codec.Decode(Do(kBinary) + Will(kBinary), answers);
  EXPECT_EQ(codec.Encode(Bytes({'a', 0xFF, '\r'})), Bytes({'a', 0xFF, 0xFF, '\r'}));
  EXPECT_EQ(codec.Decode(Bytes({'x', kIac, kIac, 'y'}) + ComPort({107, kIac, kIac}) + "z", answers),
            Bytes({'x', 0xFF, 'y', 'z'}));
  // A baud rate with an 0xFF byte is sent with it doubled.
  (void)codec.Decode(Do(kComPortOption), answers);
  EXPECT_EQ(codec.ChangeSettings({0x00FF0100, Parity::Even, 7, StopBits::Two}).substr(0, 11),
            ComPort({kSetBaudRate, 0x00, 0xFF, 0xFF, 0x01, 0x00}));
}

TEST(TelnetCodec, RefusedOptions_NoLoop_AndCrNulOutsideBinary) {
  TelnetCodec codec(kConsoleLine);
  (void)codec.Offer();
  std::string answers;
  // A plain Telnet server: refuses binary and the COM port option, asks
  // for terminal type (24) twice and offers status (5).
  (void)codec.Decode(Wont(kBinary) + Dont(kBinary) + Dont(kComPortOption) + Do(kSuppressGoAhead) +
                         Will(kSuppressGoAhead) + Do(24) + Do(24) + Will(5),
                     answers);
  EXPECT_EQ(answers, Wont(24) + Wont(24) + Dont(5));
  EXPECT_TRUE(codec.Settled());
  EXPECT_FALSE(codec.ComPortControl());
  EXPECT_EQ(codec.ChangeSettings(kConsoleLine), "");
  // Not binary: a carriage return travels as CR NUL, and comes back so.
  EXPECT_EQ(codec.Encode("el 0\r"), Bytes({'e', 'l', ' ', '0', '\r', 0}));
  EXPECT_EQ(codec.Decode(Bytes({'\r', 0, '\n', '>', 0}), answers), Bytes({'\r', '\n', '>', 0}));
  // Confirmations of what is already so get no answer.
  answers.clear();
  (void)codec.Decode(Will(kSuppressGoAhead) + Dont(kBinary) + Wont(kEcho), answers);
  EXPECT_EQ(answers, "");
  // An option turned off that was on is confirmed once.
  (void)codec.Decode(Dont(kSuppressGoAhead) + Dont(kSuppressGoAhead), answers);
  EXPECT_EQ(answers, Wont(kSuppressGoAhead));
}

}  // namespace
}  // namespace gw20::ui
