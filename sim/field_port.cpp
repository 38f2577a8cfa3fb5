#include "sim/field_port.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <system_error>
#include <utility>

#include "sim/bytes.h"
#include "sim/console_text.h"

namespace gw20::sim {
namespace {

constexpr std::string_view kAborted = "Aborted";
constexpr char kProgressMark = '.';
constexpr char kQueryMark = '$';
constexpr char kConfigurationCommand = '2';
constexpr int kCommandIndex = 0;
constexpr int kAddressIndex = 1;
constexpr int kQueryLength = 4;

// All of `text` as a decimal number in min..max.
std::optional<int> ParseDecimal(std::string_view text, int min, int max) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

// "$AA2" with AA in either case: the address; nullopt for any other line.
std::optional<int> ConfigurationQueryAddress(std::string_view line) {
  if (line.size() != kQueryLength || line[kCommandIndex] != kQueryMark ||
      line[kQueryLength - 1] != kConfigurationCommand) {
    return std::nullopt;
  }
  return ParseHexByte(line.substr(kAddressIndex, 2));
}

}  // namespace

FieldPort::FieldPort(std::vector<FieldModule> modules) : modules_(std::move(modules)) {
  CheckModules(modules_);
}

std::string FieldPort::Reply(std::string_view line) const {
  return std::string(line) + std::string(kLineEnd) + std::string(kPrompt);
}

std::string FieldPort::HandleLine(std::string_view line) {
  if (line.empty()) {
    return std::string(kPrompt);
  }
  if (line.front() != '/') {
    const auto address = ConfigurationQueryAddress(line);
    return StartQuery(address);
  }
  const std::size_t blank = std::min(line.find_first_of(kBlanks), line.size());
  const std::string_view command = line.substr(0, blank);
  std::string_view argument = line.substr(blank);
  argument.remove_prefix(std::min(argument.find_first_not_of(kBlanks), argument.size()));
  if (command == "/scan" && argument.empty()) {
    return StartScan();
  }
  return HandleSetting(command, argument);
}

std::string FieldPort::HandleSetting(std::string_view command, std::string_view argument) {
  if ((command == "/s1" || command == "/s0") && argument.empty()) {
    settings_.checksum = command == "/s1";
    return Reply(settings_.checksum ? "Checksum on" : "Checksum off");
  }
  const std::string value(argument);
  if (command == "/timeout") {
    const auto ms = ParseDecimal(argument, 0, kHalfWordMax);
    if (!ms) {
      return Reply(kInvalidValue);
    }
    settings_.timeout = std::chrono::milliseconds(*ms);
    return Reply("Time-out = " + value + " ms");
  }
  if (command == "/baud") {
    const auto baud = ParseDecimal(argument, 0, kFieldBauds[std::size(kFieldBauds) - 1]);
    if (!baud || !BaudCode(*baud)) {
      return Reply(kInvalidValue);
    }
    settings_.baud = *baud;
    return Reply("Baud rate = " + value);
  }
  if (command == "/start" || command == "/end") {
    const auto address = ParseDecimal(argument, 0, kByteMax);
    if (!address) {
      return Reply(kInvalidValue);
    }
    const bool start = command == "/start";
    (start ? settings_.start : settings_.end) = *address;
    return Reply((start ? "Start address = " : "End address = ") + value);
  }
  return Reply(kUnknownCommand);
}

const FieldModule* FieldPort::Responder(int address) const {
  const auto module = std::find_if(modules_.begin(), modules_.end(), [&](const FieldModule& m) {
    return m.address == address && m.baud == settings_.baud && m.checksum == settings_.checksum;
  });
  return module == modules_.end() ? nullptr : &*module;
}

std::chrono::milliseconds FieldPort::ProbeTime(std::optional<int> address) const {
  return address && Responder(*address) != nullptr ? kAnswerTime : settings_.timeout;
}

std::string FieldPort::StartScan() {
  job_ = Job::kScan;
  found_ = 0;
  address_ = settings_.start;
  remaining_ = ProbeTime(address_);
  sinceOutput_ = std::chrono::milliseconds(0);
  dotsOnLine_ = false;
  std::string header = "Scanning addresses " + HexByte(settings_.start) + " to " + HexByte(settings_.end) +
                       " at " + std::to_string(settings_.baud) + " bit/s, checksum " +
                       (settings_.checksum ? "on" : "off") + std::string(kLineEnd);
  if (settings_.start > settings_.end) {
    return header + FinishJob("");
  }
  return header + Advance(std::chrono::milliseconds(0));
}

std::string FieldPort::StartQuery(std::optional<int> address) {
  job_ = Job::kQuery;
  address_ = address;
  remaining_ = ProbeTime(address_);
  sinceOutput_ = std::chrono::milliseconds(0);
  dotsOnLine_ = false;
  return Advance(std::chrono::milliseconds(0));
}

std::string FieldPort::Advance(std::chrono::milliseconds elapsed) {
  std::string output;
  while (Busy()) {
    const auto step = std::min(remaining_, kProgressInterval - sinceOutput_);
    if (step > elapsed) {
      remaining_ -= elapsed;
      sinceOutput_ += elapsed;
      break;
    }
    elapsed -= step;
    remaining_ -= step;
    sinceOutput_ += step;
    if (sinceOutput_ >= kProgressInterval) {
      output += kProgressMark;
      dotsOnLine_ = true;
      sinceOutput_ = std::chrono::milliseconds(0);
    }
    if (remaining_ <= std::chrono::milliseconds(0)) {
      const std::string text = FinishProbe();
      if (!text.empty()) {
        // Entries and answers start on a line of their own, after any progress dots.
        output += std::exchange(dotsOnLine_, false) ? std::string(kLineEnd) + text : text;
        sinceOutput_ = std::chrono::milliseconds(0);
      }
    }
  }
  return output;
}

std::optional<std::chrono::milliseconds> FieldPort::NextOutputIn() const {
  if (!Busy()) {
    return std::nullopt;
  }
  return std::max(std::min(remaining_, kProgressInterval - sinceOutput_), std::chrono::milliseconds(0));
}

std::string FieldPort::FinishProbe() {
  const FieldModule* module = address_ ? Responder(*address_) : nullptr;
  if (job_ == Job::kQuery) {
    if (module == nullptr) {
      return FinishJob(std::string(kTimeoutLine) + std::string(kLineEnd));
    }
    const int baudCode = BaudCode(module->baud).value_or(0);
    return FinishJob(WithChecksum("!" + HexByte(module->address) + HexByte(module->typeCode) +
                                  HexByte(baudCode) + HexByte(module->dataFormat)) +
                     std::string(kLineEnd));
  }
  std::string entry;
  if (module != nullptr) {
    ++found_;
    entry = WithChecksum("!" + HexByte(module->address) + module->model) + (module->dSuffix ? "D" : "") +
            "{addr=" + HexByte(module->address) + " type=" + HexByte(module->typeCode) +
            " format=" + HexByte(module->dataFormat) + " baud=" + std::to_string(module->baud) + "}" +
            std::string(kLineEnd);
  }
  if (*address_ >= settings_.end) {
    return entry + FinishJob("");
  }
  address_ = *address_ + 1;
  remaining_ = ProbeTime(address_);
  return entry;
}

std::string FieldPort::FinishJob(std::string text) {
  if (job_ == Job::kScan) {
    text += "Modules found: " + std::to_string(found_) + std::string(kLineEnd);
  }
  job_ = Job::kNone;
  return text + std::string(kPrompt);
}

std::string FieldPort::WithChecksum(std::string text) const {
  if (!settings_.checksum) {
    return text;
  }
  int sum = 0;
  for (const char c : text) {
    sum = (sum + static_cast<unsigned char>(c)) % kByteModulus;
  }
  return text + HexByte(sum);
}

std::string FieldPort::Abort() {
  if (!Busy()) {
    return {};
  }
  job_ = Job::kNone;
  dotsOnLine_ = false;
  return std::string(kAborted) + std::string(kLineEnd);
}

}  // namespace gw20::sim
