#include "tests/support/eds_reader.h"

#include <algorithm>

namespace gw20::testing {

std::string EdsText::Value(const std::string& section, const std::string& key) const {
  const auto s = sections.find(section);
  if (s == sections.end()) return "<missing>";
  const auto k = s->second.find(key);
  return k == s->second.end() ? "<missing>" : k->second;
}

EdsText ReadEds(std::string_view bytes) {
  EdsText eds;
  std::string current;
  int number = 0;
  while (!bytes.empty()) {
    ++number;
    const auto where = "line " + std::to_string(number) + ": ";
    const auto end = bytes.find("\r\n");
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 2);
    if (end == std::string_view::npos) eds.problems.push_back(where + "no CR LF at the end of the file");
    if (line.find_first_of("\r\n") != std::string_view::npos) eds.problems.push_back(where + "bare CR or LF");
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      current = std::string(line.substr(1, line.size() - 2));
      if (eds.sections.contains(current)) {
        eds.problems.push_back(std::string(where).append("section [").append(current).append("] again"));
      }
      eds.sections[current];
      eds.sectionOrder.push_back(current);
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      eds.problems.push_back(where + "neither section nor key");
    } else if (current.empty()) {
      eds.problems.push_back(where + "key outside a section");
    } else {
      const std::string key(line.substr(0, equals));
      auto& keys = eds.sections[current];
      if (keys.contains(key)) {
        eds.problems.push_back(
            std::string(where).append("key ").append(key).append(" again in [").append(current).append("]"));
      }
      keys[key] = std::string(line.substr(equals + 1));
    }
  }
  return eds;
}

}  // namespace gw20::testing
