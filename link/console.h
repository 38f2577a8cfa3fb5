#pragma once
// The command-and-prompt exchange with the controller's console. One command
// line is typed a character at a time, then the reply is collected until an
// awaited prompt arrives or the time-out passes. Waiting keeps the windows
// alive through the event pump; nothing here shows a message.

#include <chrono>
#include <string>
#include <string_view>

namespace gw20::ui {
class EventPump;
class SerialPort;
class TickCounter;
}  // namespace gw20::ui

namespace gw20::link {

// Pause after each typed character, so the controller's small receive buffer
// never overflows. Events are pumped during the pause.
inline constexpr std::chrono::milliseconds kCharacterPause{4};
// How long one wait on the port lasts before events are pumped again.
inline constexpr std::chrono::milliseconds kPollPeriod{2};

struct ConsoleState {
  // Text collected by the last ConsoleExchange or ConsoleScanExchange: before
  // the prompt after a success, everything collected after a time-out.
  std::string ConsoleReply;
  int ConsoleTimeout = 1000;  // ms, one exchange
  // The identified controller's main prompt, "GW20M>" or "GW20A>".
  std::string ControllerPrompt;
  // How commits write the image; the windows keep both off, gw20cli sets
  // them on request. See WriteOptions and VerifyConfigurationImage.
  bool SafeWriteOrder = false;
  bool VerifyWrites = false;
};

class Console {
 public:
  // The port must be open while exchanges run.
  Console(ui::SerialPort& port, ui::EventPump& events, ui::TickCounter& ticks, ConsoleState& state);

  // Types Command and a carriage return, collects the reply into ConsoleReply
  // until Prompt. False on time-out (ConsoleTimeout ms), an empty Prompt, or a
  // transmit buffer that did not drain.
  bool ConsoleExchange(std::string_view Command, std::string_view Prompt);
  // Types Command, waits for the edit prompt "-->" and reads the number
  // between Key and "-->" into Value. ConsoleReply is not touched; Value is
  // written only on success.
  bool ConsoleReadValue(std::string_view Command, std::string_view Key, double& Value);
  // After a quiet period, types "/scan" and collects the listing until
  // "[COM" + PortDigit + ":]", with an inactivity time-out of 15 x ConsoleTimeout.
  bool ConsoleScanExchange(std::string_view PortDigit);

 private:
  ui::SerialPort& port_;
  ui::EventPump& events_;
  ui::TickCounter& ticks_;
  ConsoleState& state_;
};

// Value + 4294967296 when negative: console words are printed signed.
double ToUnsigned32(double Value);
// The text typed back at an edit prompt: signed 32-bit decimal with a leading
// blank when not negative ("-1" for 4294967295, " 36" for 36).
std::string SignedLongText(double Value);
// Hexadecimal text to number; any non-hexadecimal character counts as 0.
double HexTextToNumber(std::string_view Text);

}  // namespace gw20::link
