#pragma once
// The command-and-prompt exchange with the controller's console. One command
// line is typed a character at a time, then the reply is collected until an
// awaited prompt arrives or the time-out passes. Waiting keeps the windows
// alive through the event pump; nothing here shows a message.

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/console_address.h"

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
// Typed at the EEPROM editor's edit prompt, ends the edit and leaves the word
// shown as it was.
inline constexpr std::string_view kEndEdit = ".";

// Typing is paced by the echo: the next character goes out once the
// controller has echoed enough of the ones before it (see kMaxTypingWindow),
// so few wait in its small receive buffer however long the controller is
// busy elsewhere. Until a conversation has seen an echo at all, a character
// without one is followed by the next after kFirstEchoWait, so a console that
// does not echo still works: long enough for the round trip of a slow line
// (a device server on a network, a USB adapter's latency timer), so that
// its echo is seen. Once it has echoed, a missing echo is waited for up to
// ConsoleTimeout and then ends the exchange, Enter untyped.
inline constexpr std::chrono::milliseconds kFirstEchoWait{150};
// After Enter, whose echo comes with the answer: the longest wait for it
// before collecting the answer.
inline constexpr std::chrono::milliseconds kEchoWaitLimit{4};
// Characters typed ahead of their echo at most: the window of a conversation
// starts at one (each character waits for the echo of the one before) and
// widens by one with every line echoed whole, up to this; any fault narrows
// it to one again. It stays below the controller's 8-character receive
// buffer, so a controller that stops reading for a while loses nothing.
inline constexpr int kMaxTypingWindow = 6;
// Environment variable holding an operator's TypingWindow, 1..kMaxTypingWindow.
inline constexpr const char* kTypingWindowVariable = "GW20_TYPE_AHEAD";
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
// Only the programs' mains read the variables, once at start-up, so nothing
// below them depends on the caller's environment.
std::optional<std::chrono::milliseconds> ParseCharacterPause(const char* text);
// The TypingWindow a text such as kTypingWindowVariable's asks for: a whole
// number 1..kMaxTypingWindow; nullopt for no text or any other text.
std::optional<int> ParseTypingWindow(const char* text);

struct ConsoleState {
  // Text collected by the last ConsoleExchange or ConsoleScanExchange: before
  // the prompt after a success, everything collected after a time-out.
  std::string ConsoleReply;
  std::chrono::milliseconds ConsoleTimeout{1000};  // one exchange
  // Shortest pause after each typed character, echo or not, for a controller
  // too slow for echo pacing alone; waits then last up to
  // max(kEchoWaitLimit, CharacterPause). 0 = the echo alone paces.
  std::chrono::milliseconds CharacterPause{0};
  // How far typing may run ahead of the echo, at most (kMaxTypingWindow);
  // 1 waits for the echo of each character before the next.
  int TypingWindow = kMaxTypingWindow;
  // The identified controller's main prompt, "GW20M>" or "GW20A>".
  std::string ControllerPrompt;
  // How commits write the image; the windows keep both off, gw20cli sets
  // them on request. See WriteOptions and VerifyConfigurationImage.
  bool SafeWriteOrder = false;
  bool VerifyWrites = false;
  // How the connect and the read-back read words (see ReadStyle): the windows
  // type each value back, as the console's own conversation does; gw20cli
  // can read each word alone, so that noise can never change a stored word.
  bool ReadWordsAlone = false;
};

// Takes the operator's CharacterPause and TypingWindow from their variables
// (`lookup` of kCharacterPauseVariable and kTypingWindowVariable); a
// variable unset or not understood leaves the state's value.
void TakeConsoleVariables(ConsoleState& state, const ui::VariableLookup& lookup);

// Why the last exchange failed.
enum class ConsoleFailure {
  None,
  Timeout,     // the awaited prompt did not come in time (or Prompt was empty)
  NotDrained,  // the transmit buffer did not empty
  // A character came back other than typed (as many came back as were
  // typed): Enter was not typed.
  EchoDiffers,
  // The echo stopped coming (fewer characters came back than were typed, a
  // console known to echo): Enter was not typed, and must not be, since what
  // was typed may still wait in a busy controller's receive buffer.
  NoEcho,
};

// How typing is paced in one conversation.
struct Pacing {
  // The console has echoed what was typed: from then on a missing echo is
  // waited for up to ConsoleTimeout.
  bool echoes = false;
  int window = 1;  // characters that may be on their way unechoed
  int maxWindow = kMaxTypingWindow;
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
  // The same; Clean tells whether the text between Key and "-->" was one
  // number a word can hold, with nothing but blanks and line ends around it,
  // i.e. whether typing Value back leaves the word as it is.
  bool ConsoleReadValue(std::string_view Command, std::string_view Key, std::uint32_t& Value, bool& Clean);
  // Types Enter alone, completing whatever the console holds half-typed, and
  // collects the answer into ConsoleReply until the first of Prompts. The
  // index of the prompt found, or -1 on time-out.
  int ConsoleEnter(std::initializer_list<std::string_view> Prompts);
  // After a quiet period, types "/scan" and collects the listing until
  // "[COM" + PortDigit + ":]", with an inactivity time-out of 15 x ConsoleTimeout.
  bool ConsoleScanExchange(std::string_view PortDigit);

  // Why the last exchange failed (None after a success), and for an echo
  // failure what had come back of the command by then.
  ConsoleFailure LastFailure() const { return failure_; }
  const std::string& LastEcho() const { return echo_; }

 private:
  // The conversation's pacing, bounded by the state's TypingWindow as it is now.
  Pacing& PacingNow();
  // The end of an exchange: remembers why it failed.
  bool Finish(bool ok, ConsoleFailure failure);
  ui::SerialPort& port_;
  ui::EventPump& events_;
  ui::TickCounter& ticks_;
  ConsoleState& state_;
  Pacing pacing_;
  ConsoleFailure failure_ = ConsoleFailure::None;
  std::string echo_;
};

// Whether `text` (what stood between a key and the edit prompt) is one number
// a word can hold (-2147483648 .. 4294967295), with nothing but blanks, tabs
// and line ends around it.
bool IsCleanShownValue(std::string_view text);

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
