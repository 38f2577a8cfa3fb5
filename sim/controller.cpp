#include "sim/controller.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "sim/bytes.h"
#include "sim/console_text.h"

namespace gw20::sim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr int kMonthMax = 12;
constexpr int kDayMax = 31;
constexpr double kDrawRange = 4294967296.0;  // std::mt19937 draws 0 .. 2^32 - 1
constexpr const char* kStallTimeError = "the stall time must be at least 1 ms";

void CheckRange(std::string_view what, int value, int min, int max) {
  if (value < min || value > max) {
    throw std::invalid_argument("firmware " + std::string(what) + " " + std::to_string(value) +
                                " is out of range " + std::to_string(min) + "-" + std::to_string(max));
  }
}

// Bits 8-15 major, bits 0-7 minor.
std::uint32_t VersionWord(const ControllerOptions& options) {
  CheckRange("major version", options.firmwareMajor, 0, kByteMax);
  CheckRange("minor version", options.firmwareMinor, 0, kByteMax);
  return static_cast<std::uint32_t>(options.firmwareMajor) << kByteBits |
         static_cast<std::uint32_t>(options.firmwareMinor);
}

// year * 65536 + month * 256 + day.
std::uint32_t DateWord(const ControllerOptions& options) {
  CheckRange("year", options.firmwareYear, 0, kHalfWordMax);
  CheckRange("month", options.firmwareMonth, 1, kMonthMax);
  CheckRange("day", options.firmwareDay, 1, kDayMax);
  return static_cast<std::uint32_t>(options.firmwareYear) << kHalfWordBits |
         static_cast<std::uint32_t>(options.firmwareMonth) << kByteBits |
         static_cast<std::uint32_t>(options.firmwareDay);
}

const std::string& CheckedModel(const ControllerOptions& options) {
  if (options.model.empty()) {
    throw std::invalid_argument("the model name must not be empty");
  }
  return options.model;
}

ControllerOptions CheckedFaults(ControllerOptions options) {
  for (const auto& [name, count, min] :
       {std::tuple("silent-after line count", options.silentAfterLines, 0),
        std::tuple("garbled line number", options.garbleLine, 1),
        std::tuple("hang-up line count", options.hangUpAfterLines, 1),
        std::tuple("stall line count", options.stallAfterLines, 1),
        std::tuple("stall character count", options.stallAfterCharacters, 1)}) {
    if (count && *count < min) {
      throw std::invalid_argument(std::string("the ") + name + " must be at least " + std::to_string(min));
    }
  }
  // Written so that NaN fails too.
  if (!(options.garbleRate >= 0 && options.garbleRate <= 1)) {
    throw std::invalid_argument("the garble rate must be 0..1");
  }
  if (options.latency.count() < 0) {
    throw std::invalid_argument("the latency must not be negative");
  }
  if (options.stallAfterLines && options.stallTime.count() < 1) {
    throw std::invalid_argument(kStallTimeError);
  }
  return options;
}

}  // namespace

Controller::Controller(ControllerOptions options)
    : options_(CheckedFaults(std::move(options))),
      eeprom_(VersionWord(options_), DateWord(options_), options_.eepromFile),
      transcript_(options_.transcriptFile),
      answerTimes_(options_.answerTimesFile),
      fieldPort_(options_.modules),
      console_(CheckedModel(options_), eeprom_, fieldPort_),
      noise_(options_.garbleSeed),
      silent_(options_.silentAfterLines == 0) {}

std::string Controller::Noisy(std::string text) {
  if (options_.garbleRate == 0) {
    return text;
  }
  // Compared with the full 32-bit range, so that a rate of 1 changes every character.
  const double threshold = options_.garbleRate * kDrawRange;
  for (char& c : text) {
    if (static_cast<double>(noise_()) < threshold) {
      // Any byte but the original one.
      const auto other = static_cast<unsigned>(static_cast<unsigned char>(c)) + 1 + noise_() % kByteMax;
      c = static_cast<char>(static_cast<unsigned char>(other & kByteMax));
    }
  }
  return text;
}

void Controller::Emit(std::string text, std::chrono::milliseconds delay) {
  text = Noisy(std::move(text));
  if (held_.empty() && delay.count() == 0) {
    output_ += text;
  } else {
    held_.push_back({clock_ + delay, std::move(text)});
  }
}

void Controller::Echo(std::string_view text) {
  if (!Deaf()) {
    Emit(std::string(text), std::chrono::milliseconds(0));
  }
}

void Controller::Send(std::string text) {
  if (Deaf() || text.empty()) {
    return;
  }
  if (garbling_) {
    for (char& c : text) {
      if (c != kCarriageReturn && c != kLineFeed) {
        c = kGarbleCharacter;
      }
    }
  }
  answerTimes_.Answered(clock_ + options_.latency);
  Emit(std::move(text), options_.latency);
}

void Controller::Release() {
  while (!held_.empty() && held_.front().due <= clock_) {
    // A cable pulled meanwhile loses what was on its way.
    if (!silent_ && !hungUp_) {
      output_ += held_.front().text;
    }
    held_.pop_front();
  }
  if (held_.empty()) {
    silent_ = silent_ || cut_ == Cut::kSilence;
    hungUp_ = hungUp_ || cut_ == Cut::kHangUp;
    cut_ = Cut::kNone;
  }
  // A stall begins once the line's answer, and a scan or query it started, is out.
  if (stallDue_ && held_.empty() && !fieldPort_.Busy() && !Stalled()) {
    stallDue_ = false;
    stallEnd_ = clock_ + options_.stallTime;
  }
}

void Controller::SetStallAfter(std::optional<int> lines, std::chrono::milliseconds time,
                               std::optional<int> characters) {
  // The same rules as at start-up.
  ControllerOptions wanted = options_;
  wanted.stallAfterLines = lines;
  wanted.stallAfterCharacters = characters;
  if (lines) wanted.stallTime = time;
  (void)CheckedFaults(wanted);
  stallDue_ = false;
  options_.stallAfterLines = lines;
  options_.stallAfterCharacters = characters;
  if (!lines) {
    return;
  }
  options_.stallTime = time;
  if (!characters && *lines <= linesReceived_) {
    // Already past that line: the stall is due now.
    stallDue_ = true;
    Release();
  }
}

void Controller::EndStall() {
  if (!stallEnd_ || clock_ < *stallEnd_) {
    return;
  }
  stallEnd_.reset();
  const std::string waiting = std::exchange(stalledInput_, std::string());
  Handle(waiting);
}

void Controller::Receive(std::string_view burst) {
  if (options_.fifo != 0 && burst.size() > options_.fifo) {
    burst = burst.substr(0, options_.fifo);
  }
  Handle(burst);
}

void Controller::Handle(std::string_view characters) {
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const char c = characters[i];
    if (Deaf()) {
      return;
    }
    if (Stalled()) {
      // The rest waits in the receive buffer as far as it has room; the others are lost.
      const std::size_t room = options_.fifo == 0
                                   ? std::string_view::npos
                                   : options_.fifo - std::min(options_.fifo, stalledInput_.size());
      stalledInput_ += characters.substr(i, room);
      return;
    }
    if (c == kLineFeed) {
      continue;
    }
    if (c == kCarriageReturn) {
      Echo(kLineEnd);
      transcript_.Append(line_);
      answerTimes_.LineCompleted(line_, clock_);
      ++linesReceived_;
      garbling_ = options_.garbleLine == linesReceived_;
      Send(console_.HandleLine(line_));
      line_.clear();
      if (options_.hangUpAfterLines == linesReceived_) {
        cut_ = Cut::kHangUp;
      } else if (options_.silentAfterLines == linesReceived_) {
        cut_ = Cut::kSilence;
      }
      stallDue_ = stallDue_ || (options_.stallAfterLines == linesReceived_ && !options_.stallAfterCharacters);
      Release();
      continue;
    }
    if (line_.size() < kMaxLineLength) {
      answerTimes_.CharacterReceived(clock_);
      line_ += c;
      Echo(std::string_view(&c, 1));
      if (options_.stallAfterCharacters && options_.stallAfterLines == linesReceived_ &&
          static_cast<int>(line_.size()) == *options_.stallAfterCharacters) {
        // Mid-line: the rest of this burst waits in the buffer from here on.
        options_.stallAfterCharacters.reset();
        stallEnd_ = clock_ + options_.stallTime;
      }
    }
  }
}

std::string Controller::TakeOutput() { return std::exchange(output_, std::string()); }

void Controller::Advance(std::chrono::milliseconds elapsed) {
  do {
    // A millisecond at a time while output may come: each piece is held back
    // by the latency from the millisecond it was printed in, so that a
    // listing keeps its pace, and the answer-time log sees when it was
    // printed. An idle controller takes the rest in one step.
    const bool printing = options_.latency.count() > 0 || fieldPort_.Busy();
    auto part = printing ? std::min(std::chrono::milliseconds(1), elapsed) : elapsed;
    if (stallEnd_) {
      // The buffered characters are handled the moment the stall ends.
      part = std::min(part, *stallEnd_ - clock_);
    }
    clock_ += part;
    elapsed -= part;
    Send(console_.Advance(part));
    Release();
    EndStall();
  } while (elapsed.count() > 0);
}

std::optional<std::chrono::milliseconds> Controller::NextOutputIn() const {
  // A module answer is due on the controller's clock: the server must wake
  // for it then, not at its next periodic look, or every answer would seem
  // up to a service interval slower than the module gave it.
  std::optional<std::chrono::milliseconds> due = Deaf() ? std::nullopt : fieldPort_.NextOutputIn();
  if (!held_.empty()) {
    const auto held = std::max(held_.front().due - clock_, std::chrono::milliseconds(0));
    due = due ? std::min(*due, held) : held;
  }
  if (stallEnd_ && !stalledInput_.empty() && !Deaf()) {
    const auto end = *stallEnd_ - clock_;
    due = due ? std::min(*due, end) : end;
  }
  return due;
}

std::uint32_t Controller::Word(int block, int address) const { return eeprom_.Word(block, address); }

void Controller::SetWord(int block, int address, std::uint32_t value) {
  eeprom_.SetWord(block, address, value);
}

const std::vector<std::string>& Controller::Transcript() const { return transcript_.Lines(); }

std::string_view Controller::Prompt() const { return console_.Prompt(); }

}  // namespace gw20::sim
