#include "sim/modules_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "sim/unique_fd.h"

namespace gw20::sim {
namespace {

using nlohmann::json;

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kBlanksAndCommas = " \t\r\n,";
constexpr std::size_t kReadChunk = 4096;

// Hands the text to the JSON parser and counts what it has taken, so the
// parser's callback knows where in the text it is.
class CountingReader {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingReader(const char* at, std::size_t& taken) : at_(at), taken_(&taken) {}
  reference operator*() const { return *at_; }
  CountingReader& operator++() {
    ++at_;
    ++*taken_;
    return *this;
  }
  bool operator==(const CountingReader& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  std::size_t* taken_;
};

ModulesFileError ErrorAt(std::string_view text, std::size_t offset, const std::string& message) {
  int line = 1;
  int column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return {line, column, message};
}

// The library's message without what comes before `separator`: its
// "[json.exception.NAME]" and, for a parse error, the position it counts.
std::string ReasonOf(const json::exception& error, std::string_view separator) {
  const std::string what = error.what();
  const std::size_t end = what.find(separator);
  return end == std::string::npos ? what : what.substr(end + separator.size());
}

// One entry of the list, each value read as its key wants it. Throws std::invalid_argument.
FieldModule ReadModule(const json& entry) {
  if (!entry.is_object()) throw std::invalid_argument("expected a \"{\" opening a module");
  FieldModule module;
  for (const auto& item : entry.items()) {
    // Named, not bound, so that the lambdas can take them with every compiler.
    const std::string& key = item.key();
    const json& value = item.value();
    const auto expect = [&key](bool good, std::string_view what) {
      if (!good) throw std::invalid_argument("\"" + key + "\": expected " + std::string(what));
    };
    const auto hexByte = [&] {
      const auto byte = value.is_string() ? ParseHexByte(value.get_ref<const std::string&>()) : std::nullopt;
      expect(byte.has_value(), "two hexadecimal digits in quotes, e.g. \"0A\"");
      return *byte;
    };
    const auto boolean = [&] {
      expect(value.is_boolean(), "true or false");
      return value.get<bool>();
    };
    if (key == "address") {
      module.address = hexByte();
    } else if (key == "model") {
      expect(value.is_string(), "a string");
      module.model = value.get<std::string>();
    } else if (key == "typeCode") {
      module.typeCode = hexByte();
    } else if (key == "dataFormat") {
      module.dataFormat = hexByte();
    } else if (key == "baud") {
      expect(value.is_number_unsigned()  ? std::in_range<int>(value.get<std::uint64_t>())
             : value.is_number_integer() ? std::in_range<int>(value.get<std::int64_t>())
                                         : false,
             "a whole number");
      module.baud = value.get<int>();
    } else if (key == "checksum") {
      module.checksum = boolean();
    } else if (key == "dSuffix") {
      module.dSuffix = boolean();
    } else {
      throw std::invalid_argument("unknown key \"" + key + "\"");
    }
  }
  for (const std::string required : {"address", "model"}) {
    if (!entry.contains(required)) throw std::invalid_argument("the module has no \"" + required + "\"");
  }
  return module;
}

// Reads the text once without building it, to note where each entry of the
// list starts (after the "[" or the end of the one before, its comma and
// blanks) and to refuse a key given twice, which the parse tree would silently
// drop. Syntax errors are thrown as ModulesFileError. A SAX pass, because the
// library's parser callback searches the whole list each time an entry ends.
class EntryPositions : public json::json_sax_t {
 public:
  explicit EntryPositions(std::string_view text) : text_(text) {}

  // What the reader has taken so far; it counts here.
  std::size_t& Taken() { return taken_; }
  const std::vector<std::size_t>& Starts() const { return starts_; }

  bool null() override { return Value(); }
  bool boolean(bool /*value*/) override { return Value(); }
  bool number_integer(number_integer_t /*value*/) override { return Value(); }
  bool number_unsigned(number_unsigned_t /*value*/) override { return Value(); }
  bool number_float(number_float_t /*value*/, const string_t& /*text*/) override { return Value(); }
  bool string(string_t& /*value*/) override { return Value(); }
  bool binary(binary_t& /*value*/) override { return Value(); }
  bool start_object(std::size_t /*elements*/) override { return Open(); }
  bool start_array(std::size_t /*elements*/) override {
    if (depth_ == 0) afterPrevious_ = taken_;
    return Open();
  }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool key(string_t& name) override {
    if (depth_ == 2 && !keys_.insert(name).second) {
      throw ErrorAt(text_, starts_.back(), "key \"" + name + "\" given twice");
    }
    return true;
  }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const json::exception& error) override {
    if (const auto* syntax = dynamic_cast<const json::parse_error*>(&error)) {
      // byte counts the offending character itself.
      throw ErrorAt(text_, syntax->byte == 0 ? 0 : syntax->byte - 1, ReasonOf(error, ": "));
    }
    // A number beyond a double's range: a value, not syntax.
    throw ErrorAt(text_, starts_.empty() ? text_.find_first_not_of(kBlanks) : starts_.back(),
                  ReasonOf(error, "] "));
  }

 private:
  // An entry of the list begins at depth 1.
  void EntryStarts() {
    if (depth_ == 1) {
      starts_.push_back(text_.find_first_not_of(kBlanksAndCommas, afterPrevious_));
      keys_.clear();
    }
  }
  void EntryEnds() {
    if (depth_ == 1) afterPrevious_ = taken_;
  }
  bool Value() {
    EntryStarts();
    EntryEnds();
    return true;
  }
  bool Open() {
    EntryStarts();
    ++depth_;
    return true;
  }
  bool Close() {
    --depth_;
    EntryEnds();
    return true;
  }

  std::string_view text_;
  std::size_t taken_ = 0;
  std::size_t afterPrevious_ = 0;
  int depth_ = 0;
  std::vector<std::size_t> starts_;
  std::set<std::string> keys_;
};

}  // namespace

ModulesFileError::ModulesFileError(int line, int column, const std::string& message)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " + message),
      line_(line),
      column_(column) {}

std::vector<FieldModule> ParseModulesJson(std::string_view text) {
  EntryPositions positions(text);
  std::size_t& taken = positions.Taken();
  json::sax_parse(CountingReader(text.data(), taken), CountingReader(text.data() + text.size(), taken),
                  &positions);
  // The text is sound JSON now; this pass builds the tree.
  const json chain = json::parse(text);
  if (!chain.is_array()) {
    throw ErrorAt(text, text.find_first_not_of(kBlanks), "expected a \"[\" opening the list of modules");
  }
  const std::vector<std::size_t>& starts = positions.Starts();
  std::vector<FieldModule> modules;
  modules.reserve(chain.size());
  UsedAddresses used;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    try {
      modules.push_back(ReadModule(chain[i]));
      CheckModule(modules.back(), used);
    } catch (const std::invalid_argument& error) {
      throw ErrorAt(text, starts[i], error.what());
    }
  }
  return modules;
}

std::vector<FieldModule> ReadModulesFile(const std::filesystem::path& file) {
  // A FIFO would block the start until something writes to it, and opening a
  // device may already do something: only a regular file is opened, and
  // without waiting, in case one was swapped in meanwhile.
  struct stat status {};
  const auto refuse = [&file](const std::string& why) {
    return std::runtime_error(file.string() + ": " + why);
  };
  if (::stat(file.c_str(), &status) != 0) throw refuse("cannot be read");
  if (!S_ISREG(status.st_mode)) throw refuse("not a regular file");
  const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.Valid() || ::fstat(fd.Get(), &status) != 0) throw refuse("cannot be read");
  if (!S_ISREG(status.st_mode)) throw refuse("not a regular file");
  std::string text;
  char buffer[kReadChunk];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw refuse("cannot be read");
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  try {
    return ParseModulesJson(text);
  } catch (const ModulesFileError& error) {
    throw std::runtime_error(file.string() + ":" + error.what());
  }
}

}  // namespace gw20::sim
