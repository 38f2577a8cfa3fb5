#include "sim/controller.h"

#include <stdexcept>
#include <tuple>
#include <utility>

namespace gw20::sim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr int kByteMax = 0xFF;
constexpr int kYearMax = 0xFFFF;
constexpr int kMonthMax = 12;
constexpr int kDayMax = 31;
constexpr int kByteBits = 8;
constexpr int kHalfWordBits = 16;

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
  CheckRange("year", options.firmwareYear, 0, kYearMax);
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

const std::vector<FieldModule>& CheckedModules(const ControllerOptions& options) {
  for (const auto& [name, count, min] : {std::tuple("silent-after line count", options.silentAfterLines, 0),
                                         std::tuple("garbled line number", options.garbleLine, 1)}) {
    if (count && *count < min) {
      throw std::invalid_argument(std::string("the ") + name + " must be at least " + std::to_string(min));
    }
  }
  return options.modules;
}

}  // namespace

Controller::Controller(ControllerOptions options)
    : options_(std::move(options)),
      eeprom_(VersionWord(options_), DateWord(options_), options_.eepromFile),
      transcript_(options_.transcriptFile),
      fieldPort_(CheckedModules(options_)),
      console_(CheckedModel(options_), eeprom_, fieldPort_),
      silent_(options_.silentAfterLines == 0) {}

void Controller::Send(std::string text) {
  if (silent_) {
    return;
  }
  if (garbling_) {
    for (char& c : text) {
      if (c != kCarriageReturn && c != kLineFeed) {
        c = kGarbleCharacter;
      }
    }
  }
  output_ += text;
}

void Controller::Receive(std::string_view burst) {
  if (options_.fifo != 0 && burst.size() > options_.fifo) {
    burst = burst.substr(0, options_.fifo);
  }
  for (const char c : burst) {
    if (silent_) {
      return;
    }
    if (c == kLineFeed) {
      continue;
    }
    if (c == kCarriageReturn) {
      output_ += Console::kLineEnd;
      transcript_.Append(line_);
      ++linesReceived_;
      garbling_ = options_.garbleLine == linesReceived_;
      Send(console_.HandleLine(line_));
      line_.clear();
      silent_ = silent_ || options_.silentAfterLines == linesReceived_;
      continue;
    }
    if (line_.size() < kMaxLineLength) {
      line_ += c;
      output_ += c;
    }
  }
}

std::string Controller::TakeOutput() { return std::exchange(output_, std::string()); }

void Controller::Advance(std::chrono::milliseconds elapsed) { Send(console_.Advance(elapsed)); }

std::uint32_t Controller::Word(int block, int address) const { return eeprom_.Word(block, address); }

void Controller::SetWord(int block, int address, std::uint32_t value) {
  eeprom_.SetWord(block, address, value);
}

const std::vector<std::string>& Controller::Transcript() const { return transcript_.Lines(); }

std::string_view Controller::Prompt() const { return console_.Prompt(); }

}  // namespace gw20::sim
