#pragma once
// The command-and-prompt exchange with the controller's console. One command
// line is typed a character at a time, then the reply is collected until an
// awaited prompt arrives or the time-out passes. Waiting keeps the windows
// alive through the event pump; nothing here shows a message.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gw20::ui {
class EventPump;
class SerialPort;
class TickCounter;
}  // namespace gw20::ui

namespace gw20::link {

// What the controller's console answers with once it is ready for the next
// command: the ends of its prompts, and the whole prompt of its EEPROM editor.
inline constexpr std::string_view kMainPromptEnd = ">";
inline constexpr std::string_view kFieldPortPromptEnd = "]";  // "[COM2:]"
inline constexpr std::string_view kEepromPrompt = "[EEPROM:]";

// Typing is paced by the echo: the next character goes out once the
// controller has echoed the ones before it, so at most one waits in its small
// receive buffer however slowly it reads. Longest wait for that echo: a line
// that echoes nothing (cut, or a controller that never echoes) is typed at
// this pace, which is the fixed pause used before echo pacing.
inline constexpr std::chrono::milliseconds kEchoWaitLimit{4};
// Longest CharacterPause the environment may set.
inline constexpr std::chrono::milliseconds kMaxCharacterPause{1000};
// Environment variable holding an operator's CharacterPause in ms, e.g. "10".
inline constexpr const char* kCharacterPauseVariable = "GW20_CHAR_PAUSE_MS";
// How long one wait on the port lasts before events are pumped again, while
// typing (an echo is due within a few ms).
inline constexpr std::chrono::milliseconds kPollPeriod{2};
// The same while waiting for an answer, which may take a whole time-out:
// longer, so that waiting costs few wake-ups. An arriving answer still ends
// the wait at once, and the windows are served well within what a person
// notices.
inline constexpr std::chrono::milliseconds kAnswerPollPeriod{10};

// The CharacterPause a text such as the environment variable's asks for:
// whole ms, 0..kMaxCharacterPause. Nullopt for no text or any other text.
std::optional<std::chrono::milliseconds> ParseCharacterPause(const char* text);
// kCharacterPauseVariable read now; 0 when unset or not a valid pause.
std::chrono::milliseconds CharacterPauseFromEnvironment();

struct ConsoleState {
  // Text collected by the last ConsoleExchange or ConsoleScanExchange: before
  // the prompt after a success, everything collected after a time-out.
  std::string ConsoleReply;
  std::chrono::milliseconds ConsoleTimeout{1000};  // one exchange
  // Shortest pause after each typed character, echo or not, for a controller
  // too slow for echo pacing alone; waits then last up to
  // max(kEchoWaitLimit, CharacterPause). 0 = the echo alone paces.
  std::chrono::milliseconds CharacterPause = CharacterPauseFromEnvironment();
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
  // until Prompt. False on time-out (ConsoleTimeout), an empty Prompt, or a
  // transmit buffer that did not drain.
  bool ConsoleExchange(std::string_view Command, std::string_view Prompt);
  // Types Command, waits for the edit prompt "-->" and reads the word shown
  // between Key and "-->" into Value (see WordFromShown). ConsoleReply is not
  // touched; Value is written only on success.
  bool ConsoleReadValue(std::string_view Command, std::string_view Key, std::uint32_t& Value);
  // After a quiet period, types "/scan" and collects the listing until
  // "[COM" + PortDigit + ":]", with an inactivity time-out of 15 x ConsoleTimeout.
  bool ConsoleScanExchange(std::string_view PortDigit);

 private:
  ui::SerialPort& port_;
  ui::EventPump& events_;
  ui::TickCounter& ticks_;
  ConsoleState& state_;
};

// The EEPROM word a number shown by the console stands for. The console shows
// words signed, so -1 is 4294967295. A fraction is dropped, and a number
// beyond what a word can show is clamped to the nearer end (-2147483648 or
// 4294967295): a garbled line then only fails the plausibility checks.
std::uint32_t WordFromShown(double shown);
// The text typed back at an edit prompt: signed 32-bit decimal with a leading
// blank when not negative ("-1" for 4294967295, " 36" for 36).
std::string SignedLongText(std::uint32_t Value);
// Hexadecimal text to number; any non-hexadecimal character counts as 0.
double HexTextToNumber(std::string_view Text);

}  // namespace gw20::link
