#include "sim/modules_file.h"

#include <charconv>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

namespace gw20::sim {
namespace {

constexpr std::string_view kWhitespace = " \t\r\n";
constexpr int kHexBase = 16;
constexpr std::size_t kUnicodeEscapeDigits = 4;
constexpr unsigned kAsciiLimit = 0x80;

// Reads exactly the module chain shape, not JSON in general: every value is
// read by what its key expects, so an error can say what was expected where.
class ChainReader {
 public:
  explicit ChainReader(std::string_view text) : text_(text) {}

  std::vector<FieldModule> ReadChain() {
    std::vector<FieldModule> modules;
    Expect('[', "a \"[\" opening the list of modules");
    if (!Accept(']')) {
      do {
        const std::size_t start = Skip();
        modules.push_back(ReadModule());
        try {
          CheckModules(modules);
        } catch (const std::invalid_argument& error) {
          Fail(start, error.what());
        }
      } while (Accept(','));
      Expect(']', "\",\" or \"]\" after a module");
    }
    if (Skip() != text_.size()) {
      Fail(pos_, "unexpected text after the list of modules");
    }
    return modules;
  }

 private:
  [[noreturn]] void Fail(std::size_t at, const std::string& message) const {
    int line = 1;
    int column = 1;
    for (std::size_t i = 0; i < at && i < text_.size(); ++i) {
      if (text_[i] == '\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    throw ModulesFileError(line, column, message);
  }

  // Skips whitespace; returns the position of the next character.
  std::size_t Skip() {
    while (pos_ < text_.size() && kWhitespace.find(text_[pos_]) != std::string_view::npos) {
      ++pos_;
    }
    return pos_;
  }

  bool Accept(char c) {
    if (Skip() < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  void Expect(char c, std::string_view what) {
    if (!Accept(c)) {
      Fail(pos_, "expected " + std::string(what));
    }
  }

  FieldModule ReadModule() {
    FieldModule module;
    const std::size_t start = Skip();
    Expect('{', "a \"{\" opening a module");
    const std::map<std::string, std::function<void()>, std::less<>> readers = {
        {"address", [&] { module.address = ReadHexByte(); }},
        {"model", [&] { module.model = ReadString(); }},
        {"typeCode", [&] { module.typeCode = ReadHexByte(); }},
        {"dataFormat", [&] { module.dataFormat = ReadHexByte(); }},
        {"baud", [&] { module.baud = ReadInteger(); }},
        {"checksum", [&] { module.checksum = ReadBoolean(); }},
        {"dSuffix", [&] { module.dSuffix = ReadBoolean(); }},
    };
    std::map<std::string, bool, std::less<>> seen;
    if (!Accept('}')) {
      do {
        const std::size_t keyStart = Skip();
        const std::string key = ReadString();
        const auto reader = readers.find(key);
        if (reader == readers.end()) {
          Fail(keyStart, "unknown key \"" + key + "\"");
        }
        if (seen[key]) {
          Fail(keyStart, "key \"" + key + "\" given twice");
        }
        seen[key] = true;
        Expect(':', "\":\" after a key");
        reader->second();
      } while (Accept(','));
      Expect('}', "\",\" or \"}\" after a value");
    }
    for (const std::string_view required : {"address", "model"}) {
      if (!seen.contains(required)) {
        Fail(start, "the module has no \"" + std::string(required) + "\"");
      }
    }
    return module;
  }

  std::string ReadString() {
    const std::size_t start = Skip();
    Expect('"', "a string");
    std::string value;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      const char c = text_[pos_++];
      if (static_cast<unsigned char>(c) < ' ') {
        Fail(pos_ - 1, "control character inside a string");
      }
      if (c != '\\') {
        value += c;
        continue;
      }
      value += ReadEscape();
    }
    if (pos_ >= text_.size()) {
      Fail(start, "string without its closing quote");
    }
    ++pos_;
    return value;
  }

  // After a backslash. Only ASCII is wanted here, so \u beyond it is refused.
  char ReadEscape() {
    const std::size_t at = pos_ - 1;
    if (pos_ >= text_.size()) {
      Fail(at, "unfinished escape");
    }
    const char c = text_[pos_++];
    const std::string_view simple = "\"\\/bfnrt";
    const std::string_view meaning = "\"\\/\b\f\n\r\t";
    if (const std::size_t i = simple.find(c); i != std::string_view::npos) {
      return meaning[i];
    }
    unsigned code = 0;
    const std::string_view digits = text_.substr(pos_, kUnicodeEscapeDigits);
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, kHexBase);
    if (c != 'u' || digits.size() != kUnicodeEscapeDigits || ec != std::errc() ||
        ptr != digits.data() + digits.size()) {
      Fail(at, "invalid escape");
    }
    if (code >= kAsciiLimit) {
      Fail(at, "only ASCII characters are allowed");
    }
    pos_ += kUnicodeEscapeDigits;
    return static_cast<char>(code);
  }

  int ReadHexByte() {
    const std::size_t start = Skip();
    const auto value = ParseHexByte(ReadString());
    if (!value) {
      Fail(start, "expected two hexadecimal digits in quotes, e.g. \"0A\"");
    }
    return *value;
  }

  int ReadInteger() {
    const std::size_t start = Skip();
    std::size_t end = start;
    while (end < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[end])) != 0 ||
                                  std::string_view("-+.eE").find(text_[end]) != std::string_view::npos)) {
      ++end;
    }
    const std::string_view number = text_.substr(start, end - start);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    // JSON forbids leading zeros and "+"; from_chars refuses "+" itself.
    const bool leadingZero = number.size() > 1 && number[0] == '0';
    if (number.empty() || ec != std::errc() || ptr != number.data() + number.size() || leadingZero) {
      Fail(start, "expected a whole number");
    }
    pos_ = end;
    return value;
  }

  bool ReadBoolean() {
    const std::size_t start = Skip();
    for (const bool value : {true, false}) {
      const std::string_view word = value ? "true" : "false";
      if (text_.substr(start, word.size()) == word) {
        pos_ += word.size();
        return value;
      }
    }
    Fail(start, "expected true or false");
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

ModulesFileError::ModulesFileError(int line, int column, const std::string& message)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " + message),
      line_(line),
      column_(column) {}

std::vector<FieldModule> ParseModulesJson(std::string_view text) { return ChainReader(text).ReadChain(); }

std::vector<FieldModule> ReadModulesFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw std::runtime_error(file.string() + ": cannot be read");
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    throw std::runtime_error(file.string() + ": cannot be read");
  }
  try {
    return ParseModulesJson(text.str());
  } catch (const ModulesFileError& error) {
    throw std::runtime_error(file.string() + ":" + error.what());
  }
}

}  // namespace gw20::sim
