#include "link/console.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "platform/ui/number_text.h"
#include "platform/ui/numbers.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"

namespace gw20::link {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kBlank = ' ';
// The transmit buffer must be empty after this many tests, or the line is stuck.
constexpr int kDrainTests = 10;
// Between two failed drain tests. A real port needs about a millisecond to
// send a dozen characters at 115200 bit/s, so the ten tests span enough time
// for it even when the port only drains while events are processed.
constexpr std::chrono::milliseconds kDrainPause{1};
constexpr std::string_view kEditPrompt = "-->";
constexpr std::string_view kScanCommand = "/scan";
// The scan listing is long and slow: its time-out is this many ordinary ones.
constexpr int kScanTimeoutFactor = 15;
constexpr double kSmallestShown = -2147483648.0;
constexpr double kLargestWord = 4294967295.0;

// How one member of the exchange family differs from the others.
struct ExchangeRules {
  std::chrono::milliseconds quiet{0};  // before flushing, let the line settle this long
  bool pumpWhileDraining = true;
  // Without a new chunk (or since the start when not restarted).
  std::chrono::milliseconds timeout{0};
  bool restartTimeoutOnChunk = false;
};

// How typing a command went.
enum class Typed { Ok, EchoDiffers, NoEcho };

// The port, pump and tick counter of one exchange, and the steps they share.
class Line {
 public:
  Line(ui::SerialPort& port, ui::EventPump& events, ui::TickCounter& ticks, std::chrono::milliseconds pause,
       std::chrono::milliseconds echoTimeout, Pacing& pacing)
      : port_(port),
        events_(events),
        ticks_(ticks),
        pause_(pause),
        echoTimeout_(echoTimeout),
        pacing_(pacing) {}

  // Lets `period` pass, keeping the windows alive and not spinning: the
  // pause runs the event loop until its end.
  void WaitQuietly(std::chrono::milliseconds period) {
    const auto start = ticks_.NowMs();
    for (std::chrono::milliseconds elapsed{0}; elapsed < period; elapsed = Since(start)) {
      events_.Pause(period - elapsed);
    }
  }

  // Time since the tick count `start`, as the tick counter takes differences.
  std::chrono::milliseconds Since(std::int32_t start) const {
    return std::chrono::milliseconds(ui::TicksSince(start, ticks_.NowMs()));
  }

  void Flush() {
    if (port_.InBufferCount() > 0) static_cast<void>(port_.ReadAll());
  }

  // One character per write, each followed by a short pause, and no more
  // than the conversation's window ahead of the echo, which is compared
  // character for character with what was typed. Enter follows only when
  // the whole command came back as typed (or the console has not echoed at
  // all): a line that lost or changed a character on its way is never
  // entered as it stands. The window widens by one with every line that
  // came back whole and falls back to one character on any fault. No pause
  // follows Enter (the caller waits for its echo after the drain check).
  Typed Type(std::string_view command) {
    for (std::size_t i = 0; i < command.size(); ++i) {
      Write(command[i]);
      const auto ahead = static_cast<std::size_t>(std::max(1, pacing_.window)) - 1;
      const Typed typed = AwaitEchoOf(command.substr(0, i + 1), i + 1 == command.size() ? 0 : ahead);
      if (typed != Typed::Ok) {
        pacing_.window = 1;
        return typed;
      }
    }
    if (!command.empty() && echoAt_ != std::string::npos) {
      pacing_.echoes = true;
      pacing_.window = std::min(pacing_.window + 1, pacing_.maxWindow);
    }
    Write(kCarriageReturn);
    return Typed::Ok;
  }

  // What came back while typing: the echo, or whatever stood in its place.
  const std::string& Echo() const { return early_; }

  // Waits until everything typed has been echoed: as many characters back as
  // typed, and something new since the last one, so that one burst of stale
  // text cannot release a run of characters. At least CharacterPause, at most
  // max(kEchoWaitLimit, CharacterPause); pumps events at least once. Used
  // after Enter, whose echo comes with the answer.
  void AwaitEcho() {
    const auto start = ticks_.NowMs();
    const auto shortest = pause_;
    const auto longest = std::max(kEchoWaitLimit, pause_);
    bool arrived = false;
    for (;;) {
      const auto elapsed = Since(start);
      if (elapsed >= longest) return;
      if (arrived && early_.size() >= typed_) {
        if (elapsed >= shortest) return;
        events_.Pause(shortest - elapsed);
        continue;
      }
      if (port_.WaitForInput(std::min(kPollPeriod, longest - elapsed))) {
        const std::string text = port_.ReadAll();
        arrived = arrived || !text.empty();
        early_ += text;
      }
      events_.ProcessEvents();
    }
  }

  // True once nothing is left to transmit, false after kDrainTests failed tests.
  bool Drained(bool pumpBetweenTests) {
    for (int attempt = 0; attempt < kDrainTests; ++attempt) {
      if (port_.OutBufferCount() == 0) return true;
      if (pumpBetweenTests) events_.Pause(kDrainPause);
    }
    return false;
  }

  // Collects chunks into `reply` (emptied first) until one of `prompts` is
  // found while the line is quiet. Returns where the earliest prompt starts
  // and which one it is, or npos on time-out (then `reply` holds everything
  // collected). An empty prompt never matches.
  std::pair<std::size_t, std::size_t> Collect(std::string& reply,
                                              std::initializer_list<std::string_view> prompts,
                                              const ExchangeRules& rules) {
    constexpr auto kNone = std::string_view::npos;
    reply.clear();
    auto start = ticks_.NowMs();
    const auto append = [&](const std::string& chunk) {
      reply += ui::TrimBlanks(chunk);
      if (rules.restartTimeoutOnChunk) start = ticks_.NowMs();
    };
    // What came while typing would still wait in the receive buffer had it
    // not been read for pacing: it is one chunk with whatever waits now.
    if (!early_.empty()) {
      append(std::exchange(early_, {}) + (port_.InBufferCount() > 0 ? port_.ReadAll() : std::string()));
    }
    for (;;) {
      const auto elapsed = Since(start);
      if (elapsed >= rules.timeout) return {kNone, 0};
      if (port_.InBufferCount() > 0) {
        append(port_.ReadAll());
        continue;
      }
      // The prompt is searched only now, on all text collected so far, so a
      // prompt split over two chunks is still found.
      std::pair<std::size_t, std::size_t> first{kNone, 0};
      std::size_t index = 0;
      for (const auto prompt : prompts) {
        const auto found = prompt.empty() ? kNone : reply.find(prompt);
        if (found < first.first) first = {found, index};
        ++index;
      }
      if (first.first != kNone) return first;
      // Nothing waiting: block on the port instead of spinning, then let the
      // windows breathe.
      const auto wait = std::min<std::chrono::milliseconds>(kAnswerPollPeriod, rules.timeout - elapsed);
      if (port_.WaitForInput(wait)) append(port_.ReadAll());
      events_.ProcessEvents();
    }
  }

  // Steps shared by the family up to the start of collecting.
  ConsoleFailure Send(std::string_view command, const ExchangeRules& rules) {
    if (rules.quiet > std::chrono::milliseconds::zero()) WaitQuietly(rules.quiet);
    Flush();
    switch (Type(command)) {
      case Typed::Ok:
        break;
      case Typed::EchoDiffers:
        return ConsoleFailure::EchoDiffers;
      case Typed::NoEcho:
        return ConsoleFailure::NoEcho;
    }
    if (!Drained(rules.pumpWhileDraining)) return ConsoleFailure::NotDrained;
    // The carriage return's echo usually comes with the answer's start.
    AwaitEcho();
    return ConsoleFailure::None;
  }

 private:
  // Waits until the echo of `typed`, everything typed since the flush, is
  // back but for at most `ahead` characters (and CharacterPause has passed),
  // taking in what came and pumping events at least once: the pause after
  // each character. Text before the echo's first character is the end of an
  // earlier answer that came late (the awaited prompt may stand in the
  // echo), not part of the echo. A character that came back other than typed
  // does not stop the typing: the whole line goes out, so that a line the
  // controller took as typed (noise on the echo alone) is whole when a repair
  // enters it. With the whole line typed (`ahead` 0), its echo back in full
  // but other than typed is EchoDiffers. An echo that stops is NoEcho (as
  // many characters back as typed but not as typed: EchoDiffers), since what
  // was typed may still wait in a busy controller's buffer. A console that
  // has echoed in this conversation, or sent anything since the flush, gets
  // up to echoTimeout_ for the echo; one that has not gets kFirstEchoWait,
  // after which typing goes on unchecked.
  Typed AwaitEchoOf(std::string_view typed, std::size_t ahead) {
    const auto start = ticks_.NowMs();
    bool pumped = false;
    for (;;) {
      if (port_.InBufferCount() > 0) early_ += port_.ReadAll();
      if (echoAt_ == std::string::npos) echoAt_ = EchoStart(early_, typed);
      const std::size_t echoed = echoAt_ == std::string::npos ? 0 : early_.size() - echoAt_;
      const std::size_t back = echoAt_ == std::string::npos ? early_.size() : echoed;
      const bool wrong = echoed > 0 && !typed.starts_with(std::string_view(early_).substr(echoAt_));
      if (wrong && ahead == 0 && echoed >= typed.size()) return Typed::EchoDiffers;
      // Only the echo lets typing go on, never text before it; the last
      // character waits for the whole echo, as typed.
      const bool caughtUp = ahead == 0 ? echoed == typed.size() && !wrong : echoed + ahead >= typed.size();
      const bool echoing = pacing_.echoes || !early_.empty();
      const auto longest = echoing ? std::max(echoTimeout_, pause_) : std::max(kFirstEchoWait, pause_);
      const auto elapsed = Since(start);
      if (caughtUp && elapsed >= pause_ && pumped) return Typed::Ok;
      if (elapsed >= longest) {
        if (caughtUp || (!echoing && !wrong)) return Typed::Ok;
        return back >= typed.size() ? Typed::EchoDiffers : Typed::NoEcho;
      }
      if (caughtUp) {
        if (elapsed < pause_) {
          events_.Pause(pause_ - elapsed);
        } else {
          events_.ProcessEvents();
        }
        pumped = true;
        continue;
      }
      if (port_.WaitForInput(std::min(kPollPeriod, longest - elapsed))) early_ += port_.ReadAll();
      events_.ProcessEvents();
      pumped = true;
    }
  }

  // Where in `received` the echo of `typed` begins: the earliest position
  // from which the rest is a start of `typed`, or, two characters or more,
  // is one but for a single character (an echo with a character garbled);
  // npos while none is. Text before it is the tail of an earlier answer.
  static std::size_t EchoStart(std::string_view received, std::string_view typed) {
    const auto echoFrom = [&](std::size_t at, std::size_t tolerated) {
      const auto rest = received.substr(at);
      if (rest.size() > typed.size() || (tolerated > 0 && rest.size() < 2)) return false;
      std::size_t differing = 0;
      for (std::size_t i = 0; i < rest.size(); ++i) differing += rest[i] != typed[i] ? 1 : 0;
      return differing <= tolerated;
    };
    for (const std::size_t tolerated : {0, 1}) {
      for (std::size_t at = 0; at < received.size(); ++at) {
        if (echoFrom(at, tolerated)) return at;
      }
    }
    return std::string::npos;
  }

  void Write(char c) {
    port_.Write(std::string_view(&c, 1));
    ++typed_;
  }

  ui::SerialPort& port_;
  ui::EventPump& events_;
  ui::TickCounter& ticks_;
  std::chrono::milliseconds pause_;
  std::chrono::milliseconds echoTimeout_;
  Pacing& pacing_;
  std::size_t typed_ = 0;                   // characters written since the flush
  std::string early_;                       // everything read since the flush, not yet collected
  std::size_t echoAt_ = std::string::npos;  // where in early_ the echo begins
};

}  // namespace

Console::Console(ui::SerialPort& port, ui::EventPump& events, ui::TickCounter& ticks, ConsoleState& state)
    : port_(port), events_(events), ticks_(ticks), state_(state) {}

Pacing& Console::PacingNow() {
  pacing_.maxWindow = std::clamp(state_.TypingWindow, 1, kMaxTypingWindow);
  pacing_.window = std::min(pacing_.window, pacing_.maxWindow);
  return pacing_;
}

bool Console::Finish(bool ok, ConsoleFailure failure) {
  failure_ = ok ? ConsoleFailure::None : failure;
  return ok;
}

bool Console::ConsoleExchange(std::string_view Command, std::string_view Prompt) {
  const ExchangeRules rules{.timeout = state_.ConsoleTimeout};
  Line line(port_, events_, ticks_, state_.CharacterPause, state_.ConsoleTimeout, PacingNow());
  if (const auto failed = line.Send(Command, rules); failed != ConsoleFailure::None) {
    echo_ = line.Echo();
    return Finish(false, failed);
  }
  const auto found = line.Collect(state_.ConsoleReply, {Prompt}, rules).first;
  if (found == std::string::npos) return Finish(false, ConsoleFailure::Timeout);
  state_.ConsoleReply.resize(found);
  return Finish(true, ConsoleFailure::None);
}

int Console::ConsoleEnter(std::initializer_list<std::string_view> Prompts) {
  const ExchangeRules rules{.timeout = state_.ConsoleTimeout};
  Line line(port_, events_, ticks_, state_.CharacterPause, state_.ConsoleTimeout, PacingNow());
  if (const auto failed = line.Send({}, rules); failed != ConsoleFailure::None) {
    Finish(false, failed);
    return -1;
  }
  const auto [found, which] = line.Collect(state_.ConsoleReply, Prompts, rules);
  if (found == std::string::npos) {
    Finish(false, ConsoleFailure::Timeout);
    return -1;
  }
  state_.ConsoleReply.resize(found);
  Finish(true, ConsoleFailure::None);
  return static_cast<int>(which);
}

bool Console::ConsoleReadValue(std::string_view Command, std::string_view Key, std::uint32_t& Value) {
  bool clean = false;
  return ConsoleReadValue(Command, Key, Value, clean);
}

bool Console::ConsoleReadValue(std::string_view Command, std::string_view Key, std::uint32_t& Value,
                               bool& Clean) {
  const ExchangeRules rules{.pumpWhileDraining = false, .timeout = state_.ConsoleTimeout};
  Line line(port_, events_, ticks_, state_.CharacterPause, state_.ConsoleTimeout, PacingNow());
  if (const auto failed = line.Send(Command, rules); failed != ConsoleFailure::None) {
    echo_ = line.Echo();
    return Finish(false, failed);
  }
  std::string text;  // its own buffer: the caller's ConsoleReply stays as it was
  const auto prompt = line.Collect(text, {kEditPrompt}, rules).first;
  if (prompt == std::string::npos || Key.empty()) return Finish(false, ConsoleFailure::Timeout);

  // The key is searched without its outer blanks, but the number is taken
  // after the key as given, up to the prompt.
  const auto key = std::string(ui::TrimBlanks(Key));
  const auto where = std::string(ui::TrimBlanks(text)).find(key);
  if (where == std::string::npos) return Finish(false, ConsoleFailure::Timeout);
  const auto valueStart = where + Key.size();
  // A key that only occurs after the prompt answers nothing about this word.
  if (valueStart > prompt) return Finish(false, ConsoleFailure::Timeout);
  const auto shown = std::string_view(text).substr(valueStart, prompt - valueStart);
  Value = WordFromShown(ui::LeadingNumber(shown));
  Clean = IsCleanShownValue(shown);
  return Finish(true, ConsoleFailure::None);
}

bool Console::ConsoleScanExchange(std::string_view PortDigit) {
  const ExchangeRules rules{.quiet = state_.ConsoleTimeout,
                            .timeout = kScanTimeoutFactor * state_.ConsoleTimeout,
                            .restartTimeoutOnChunk = true};
  Line line(port_, events_, ticks_, state_.CharacterPause, state_.ConsoleTimeout, PacingNow());
  if (const auto failed = line.Send(kScanCommand, rules); failed != ConsoleFailure::None) {
    echo_ = line.Echo();
    return Finish(false, failed);
  }
  const auto prompt = "[COM" + std::string(PortDigit) + ":]";
  const auto found = line.Collect(state_.ConsoleReply, {prompt}, rules).first;
  if (found == std::string::npos) return Finish(false, ConsoleFailure::Timeout);
  state_.ConsoleReply.resize(found);
  return Finish(true, ConsoleFailure::None);
}

bool IsCleanShownValue(std::string_view text) {
  constexpr std::string_view kAround = " \t\r\n";
  const auto first = text.find_first_not_of(kAround);
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(kAround) - first + 1);
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  constexpr std::int64_t kSmallest = -2147483648LL;
  constexpr std::int64_t kLargest = 4294967295LL;
  return error == std::errc{} && end == text.data() + text.size() && number >= kSmallest &&
         number <= kLargest;
}

namespace {

// A whole decimal number low..high, the whole text; nullopt for no text or any other.
std::optional<long long> WholeNumberIn(const char* text, long long low, long long high) {
  if (text == nullptr) return std::nullopt;
  const std::string_view digits(text);
  long long number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || number < low ||
      number > high) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

std::optional<std::chrono::milliseconds> ParseCharacterPause(const char* text) {
  const auto ms = WholeNumberIn(text, 0, kMaxCharacterPause.count());
  return ms ? std::optional(std::chrono::milliseconds(*ms)) : std::nullopt;
}

std::optional<int> ParseTypingWindow(const char* text) {
  const auto window = WholeNumberIn(text, 1, kMaxTypingWindow);
  return window ? std::optional(static_cast<int>(*window)) : std::nullopt;
}

void TakeConsoleVariables(ConsoleState& state, const ui::VariableLookup& lookup) {
  if (const auto text = lookup(kCharacterPauseVariable)) {
    state.CharacterPause = ParseCharacterPause(text->c_str()).value_or(state.CharacterPause);
  }
  if (const auto text = lookup(kTypingWindowVariable)) {
    state.TypingWindow = ParseTypingWindow(text->c_str()).value_or(state.TypingWindow);
  }
}

std::uint32_t WordFromShown(double shown) {
  if (!(shown >= kSmallestShown)) shown = kSmallestShown;  // NaN too
  if (shown > kLargestWord) shown = kLargestWord;
  // Two's complement: the low 32 bits of a negative number are its word.
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::floor(shown)));
}

std::string SignedLongText(std::uint32_t Value) {
  const auto shown = static_cast<std::int32_t>(Value);
  std::string text = std::to_string(shown);
  if (shown >= 0) text.insert(text.begin(), kBlank);
  return text;
}

double HexTextToNumber(std::string_view Text) {
  constexpr double kBase = 16.0;
  constexpr int kFirstLetterDigit = 10;
  double result = 0.0;
  for (const char c : Text) {
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + kFirstLetterDigit;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + kFirstLetterDigit;
    }
    result = result * kBase + digit;
  }
  return result;
}

}  // namespace gw20::link
