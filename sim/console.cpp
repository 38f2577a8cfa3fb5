#include "sim/console.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

#include "sim/console_text.h"

namespace gw20::sim {
namespace {

constexpr std::string_view kEepromPrompt = "[EEPROM:]";
constexpr std::string_view kEditPrompt = "-->";
constexpr std::string_view kInvalidBlock = "Invalid block";
constexpr std::string_view kInvalidAddress = "Invalid address";
constexpr std::string_view kQuitFieldPort = "/q";
constexpr std::string_view kEndEdit = ".";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  while (!(text = Trim(text)).empty()) {
    const std::size_t end = std::min(text.find_first_of(kBlanks), text.size());
    words.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return words;
}

// Parses all of `text` as a decimal integer (optional leading "-").
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

Console::Console(std::string model, Eeprom& eeprom, FieldPort& fieldPort)
    : mainPrompt_(std::move(model) + ">"), eeprom_(eeprom), fieldPort_(fieldPort) {}

std::string Console::Advance(std::chrono::milliseconds elapsed) { return fieldPort_.Advance(elapsed); }

std::string_view Console::Prompt() const {
  switch (mode_) {
    case Mode::kEeprom:
      return kEepromPrompt;
    case Mode::kEdit:
      return kEditPrompt;
    case Mode::kFieldPort:
      return FieldPort::kPrompt;
    case Mode::kMain:
      break;
  }
  return mainPrompt_;
}

std::string Console::Reprompt() const {
  if (mode_ != Mode::kEdit) {
    return std::string(Prompt());
  }
  // Shown signed, as the controller's firmware prints a "Long".
  const auto shown = static_cast<std::int32_t>(eeprom_.Word(block_, editAddress_));
  return "Long(" + std::to_string(editAddress_) + ")=" + std::to_string(shown) + std::string(kLineEnd) +
         std::string(kEditPrompt);
}

std::string Console::Error(std::string_view message) const {
  return std::string(message) + std::string(kLineEnd) + Reprompt();
}

std::string Console::HandleLine(std::string_view line) {
  // The controller reads its console between probes, so typing interrupts a scan.
  std::string aborted = fieldPort_.Abort();
  return aborted + HandleModeLine(line);
}

std::string Console::HandleModeLine(std::string_view line) {
  switch (mode_) {
    case Mode::kEeprom:
      return HandleEeprom(SplitWords(line));
    case Mode::kEdit:
      return HandleEdit(Trim(line));
    case Mode::kFieldPort:
      return HandleFieldPort(Trim(line));
    case Mode::kMain:
      break;
  }
  return HandleMain(SplitWords(line));
}

std::string Console::HandleMain(const std::vector<std::string_view>& words) {
  if (words.empty()) {
    return Reprompt();
  }
  if (words.size() == 2 && words[0] == "use") {
    if (words[1] == "eeprom") {
      mode_ = Mode::kEeprom;
      block_ = 0;
      return Reprompt();
    }
    if (words[1] == "com2") {
      mode_ = Mode::kFieldPort;
      fieldPort_.BeginSession();
      return Reprompt();
    }
  }
  return Error(kUnknownCommand);
}

std::string Console::HandleEeprom(const std::vector<std::string_view>& words) {
  if (words.empty()) {
    return Reprompt();
  }
  if (words.size() == 1 && words[0] == "exit") {
    mode_ = Mode::kMain;
    return Reprompt();
  }
  if (words[0] == "block") {
    const auto block = words.size() == 2 ? ParseInteger(words[1]) : std::nullopt;
    if (!block || *block < 0 || *block >= Eeprom::kBlockCount) {
      return Error(kInvalidBlock);
    }
    block_ = static_cast<int>(*block);
    return Reprompt();
  }
  if (words[0] == "el") {
    const auto address = words.size() == 2 ? ParseInteger(words[1]) : std::nullopt;
    if (!address || *address < 0 || *address > Eeprom::kLastAddress ||
        !Eeprom::IsValidAddress(static_cast<int>(*address))) {
      return Error(kInvalidAddress);
    }
    editAddress_ = static_cast<int>(*address);
    mode_ = Mode::kEdit;
    return Reprompt();
  }
  return Error(kUnknownCommand);
}

std::string Console::HandleEdit(std::string_view line) {
  if (line.empty()) {
    return Reprompt();
  }
  if (line == kEndEdit) {
    mode_ = Mode::kEeprom;
    return Reprompt();
  }
  // Both readings of a word are accepted: signed as displayed, or unsigned.
  const auto value = ParseInteger(line);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::uint32_t>::max()) {
    return Error(kInvalidValue);
  }
  eeprom_.SetWord(block_, editAddress_, static_cast<std::uint32_t>(*value));
  if (editAddress_ == Eeprom::kLastAddress) {
    // There is no next word to show: the edit ends as if "." had been typed.
    mode_ = Mode::kEeprom;
  } else {
    editAddress_ += Eeprom::kWordBytes;
  }
  return Reprompt();
}

std::string Console::HandleFieldPort(std::string_view line) {
  if (line == kQuitFieldPort) {
    mode_ = Mode::kMain;
    return Reprompt();
  }
  return fieldPort_.HandleLine(line);
}

}  // namespace gw20::sim
