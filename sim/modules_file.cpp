#include "sim/modules_file.h"

#include <cstddef>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <utility>

namespace gw20::sim {
namespace {

using nlohmann::json;

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kBlanksAndCommas = " \t\r\n,";

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

}  // namespace

ModulesFileError::ModulesFileError(int line, int column, const std::string& message)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " + message),
      line_(line),
      column_(column) {}

std::vector<FieldModule> ParseModulesJson(std::string_view text) {
  // The parse tree keeps no positions: the callback notes where each entry of
  // the list starts (after the "[" or the end of the one before, its comma and
  // blanks), and refuses a key given twice, which the tree would silently drop.
  std::size_t taken = 0;
  std::size_t afterPrevious = 0;
  std::vector<std::size_t> starts;
  std::set<std::string> keys;
  const auto note = [&](int depth, json::parse_event_t event, json& parsed) {
    using Event = json::parse_event_t;
    const bool value = event == Event::value;
    if (depth == 0 && event == Event::array_start) afterPrevious = taken;
    if (depth == 1 && (value || event == Event::object_start || event == Event::array_start)) {
      starts.push_back(text.find_first_not_of(kBlanksAndCommas, afterPrevious));
      keys.clear();
    }
    if (depth == 1 && (value || event == Event::object_end || event == Event::array_end)) {
      afterPrevious = taken;
    }
    if (depth == 2 && event == Event::key && !keys.insert(parsed.get<std::string>()).second) {
      throw ErrorAt(text, starts.back(), "key \"" + parsed.get<std::string>() + "\" given twice");
    }
    return true;
  };
  json chain;
  try {
    chain = json::parse(CountingReader(text.data(), taken), CountingReader(text.data() + text.size(), taken),
                        note);
  } catch (const json::parse_error& error) {
    // error.byte counts the offending character itself.
    throw ErrorAt(text, error.byte == 0 ? 0 : error.byte - 1, ReasonOf(error, ": "));
  } catch (const json::exception& error) {  // a number beyond a double's range: a value, not syntax
    throw ErrorAt(text, starts.empty() ? text.find_first_not_of(kBlanks) : starts.back(),
                  ReasonOf(error, "] "));
  }
  if (!chain.is_array()) {
    throw ErrorAt(text, text.find_first_not_of(kBlanks), "expected a \"[\" opening the list of modules");
  }
  std::vector<FieldModule> modules;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    try {
      modules.push_back(ReadModule(chain[i]));
      CheckModules(modules);
    } catch (const std::invalid_argument& error) {
      throw ErrorAt(text, starts[i], error.what());
    }
  }
  return modules;
}

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
