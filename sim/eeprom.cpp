#include "sim/eeprom.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace gw20::sim {
namespace {

constexpr std::string_view kLineFormat = "block:address=value";
constexpr std::string_view kTempSuffix = ".tmp";

// Parses all of `text` as an unsigned decimal number no greater than `max`.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value > max) {
    return std::nullopt;
  }
  return value;
}

std::string Where(const std::filesystem::path& file, int lineNumber) {
  return file.string() + ":" + std::to_string(lineNumber) + ": ";
}

}  // namespace

Eeprom::Eeprom(std::uint32_t firmwareVersionWord, std::uint32_t firmwareDateWord, std::filesystem::path file)
    : file_(std::move(file)) {
  words_.fill(kErasedWord);
  words_[Index(kFirmwareBlock, kFirmwareVersionAddress)] = firmwareVersionWord;
  words_[Index(kFirmwareBlock, kFirmwareDateAddress)] = firmwareDateWord;
  if (file_.empty()) {
    return;
  }
  std::error_code ec;
  if (std::filesystem::exists(file_, ec)) {
    Load();
  } else {
    Save();
  }
}

bool Eeprom::IsValidBlock(int block) { return block >= 0 && block < kBlockCount; }

bool Eeprom::IsValidAddress(int address) {
  return address >= 0 && address <= kLastAddress && address % kWordBytes == 0;
}

std::size_t Eeprom::Index(int block, int address) {
  if (!IsValidBlock(block) || !IsValidAddress(address)) {
    throw std::out_of_range("EEPROM word " + std::to_string(block) + ":" + std::to_string(address) +
                            " does not exist");
  }
  return static_cast<std::size_t>(block) * kWordsPerBlock + static_cast<std::size_t>(address / kWordBytes);
}

std::uint32_t Eeprom::Word(int block, int address) const { return words_[Index(block, address)]; }

void Eeprom::SetWord(int block, int address, std::uint32_t value) {
  words_[Index(block, address)] = value;
  if (!file_.empty()) {
    Save();
  }
}

void Eeprom::Load() {
  if (!std::filesystem::is_regular_file(file_)) {
    throw std::runtime_error(file_.string() + ": not a regular file");
  }
  std::ifstream in(file_);
  if (!in) {
    throw std::runtime_error(file_.string() + ": cannot open for reading");
  }
  std::array<bool, kWordCount> seen{};
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::string_view text = line;
    if (!text.empty() && text.back() == '\r') {  // tolerate files edited on Windows
      text.remove_suffix(1);
    }
    if (text.empty()) {
      continue;
    }
    const std::size_t colon = text.find(':');
    const std::size_t equals = text.find('=');
    if (colon == std::string_view::npos || equals == std::string_view::npos || equals < colon) {
      throw std::runtime_error(Where(file_, lineNumber) + "expected \"" + std::string(kLineFormat) +
                               "\", got \"" + std::string(text) + "\"");
    }
    const auto block = ParseUnsigned(text.substr(0, colon), kBlockCount - 1);
    if (!block) {
      throw std::runtime_error(Where(file_, lineNumber) + "block must be 0 to " +
                               std::to_string(kBlockCount - 1) + " in \"" + std::string(text) + "\"");
    }
    const auto address = ParseUnsigned(text.substr(colon + 1, equals - colon - 1), kLastAddress);
    if (!address || !IsValidAddress(static_cast<int>(*address))) {
      throw std::runtime_error(Where(file_, lineNumber) + "address must be a multiple of " +
                               std::to_string(kWordBytes) + " from 0 to " + std::to_string(kLastAddress) +
                               " in \"" + std::string(text) + "\"");
    }
    const auto value = ParseUnsigned(text.substr(equals + 1), kErasedWord);
    if (!value) {
      throw std::runtime_error(Where(file_, lineNumber) + "value must be 0 to " +
                               std::to_string(kErasedWord) + " in \"" + std::string(text) + "\"");
    }
    const std::size_t index = Index(static_cast<int>(*block), static_cast<int>(*address));
    if (seen[index]) {
      throw std::runtime_error(Where(file_, lineNumber) + "word " + std::to_string(*block) + ":" +
                               std::to_string(*address) + " is listed twice");
    }
    seen[index] = true;
    words_[index] = static_cast<std::uint32_t>(*value);
  }
  if (in.bad()) {
    throw std::runtime_error(file_.string() + ": read error");
  }
  for (std::size_t index = 0; index < kWordCount; ++index) {
    if (!seen[index]) {
      throw std::runtime_error(file_.string() + ": word " + std::to_string(index / kWordsPerBlock) + ":" +
                               std::to_string(index % kWordsPerBlock * kWordBytes) + " is missing; all " +
                               std::to_string(kWordCount) + " words must be listed");
    }
  }
}

void Eeprom::Save() const {
  // Written beside the target and renamed over it, so a reader never sees half a file.
  std::filesystem::path temp = file_;
  temp += kTempSuffix;
  std::ostringstream text;
  for (int block = 0; block < kBlockCount; ++block) {
    for (int address = 0; address <= kLastAddress; address += kWordBytes) {
      text << block << ':' << address << '=' << Word(block, address) << '\n';
    }
  }
  {
    std::ofstream out(temp, std::ios::trunc);
    out << text.str();
    out.close();
    if (!out) {
      throw std::runtime_error(temp.string() + ": cannot write the EEPROM contents");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, file_, ec);
  if (ec) {
    throw std::runtime_error(file_.string() + ": cannot replace it: " + ec.message());
  }
}

}  // namespace gw20::sim
