#pragma once
// Reads an EDS file back for the tests: sections and their keys,
// and every line checked for its CR LF ending.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace gw20::testing {

struct EdsText {
  // Section name (without brackets) -> key -> value, as written.
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> sectionOrder;
  // "line N: why" for every line that is not CR LF ended, a key outside a
  // section, a repeated section or key, or a line that is neither.
  std::vector<std::string> problems;

  // The value, or "<missing>" when the section or key is absent.
  std::string Value(const std::string& section, const std::string& key) const;
};

EdsText ReadEds(std::string_view bytes);

}  // namespace gw20::testing
