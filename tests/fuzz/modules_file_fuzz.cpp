// The simulator's module chain, as a JSON file and as the --modules list:
// any text is either refused with a position inside it or read into a chain
// that passes the chain's checks and reads back the same when written again.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/field_module.h"
#include "sim/modules_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using gw20::sim::FieldModule;

bool Same(const std::vector<FieldModule>& a, const std::vector<FieldModule>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const FieldModule& x = a[i];
    const FieldModule& y = b[i];
    if (x.address != y.address || x.model != y.model || x.typeCode != y.typeCode ||
        x.dataFormat != y.dataFormat || x.baud != y.baud || x.checksum != y.checksum ||
        x.dSuffix != y.dSuffix) {
      return false;
    }
  }
  return true;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string ToJson(const std::vector<FieldModule>& chain) {
  using gw20::sim::HexByte;
  std::string out = "[";
  for (const FieldModule& m : chain) {
    if (out.size() > 1) out += ",\n";
    out += "{\"address\": \"" + HexByte(m.address) + "\", \"model\": " + JsonString(m.model) +
           ", \"typeCode\": \"" + HexByte(m.typeCode) + "\", \"dataFormat\": \"" + HexByte(m.dataFormat) +
           "\", \"baud\": " + std::to_string(m.baud) + ", \"checksum\": " + (m.checksum ? "true" : "false") +
           ", \"dSuffix\": " + (m.dSuffix ? "true" : "false") + "}";
  }
  return out + "]";
}

std::string ToList(const std::vector<FieldModule>& chain) {
  using gw20::sim::HexByte;
  std::string out;
  for (const FieldModule& m : chain) {
    if (!out.empty()) out += ",";
    out += HexByte(m.address) + ":" + m.model + ":" + HexByte(m.typeCode) + ":" + HexByte(m.dataFormat);
  }
  return out;
}

void JsonFile(std::string_view text) {
  std::vector<FieldModule> chain;
  try {
    chain = gw20::sim::ParseModulesJson(text);
  } catch (const gw20::sim::ModulesFileError& error) {
    int lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    FUZZ_CHECK(error.Line() >= 1 && error.Line() <= lines && error.Column() >= 1);
    FUZZ_CHECK(static_cast<std::size_t>(error.Column()) <= text.size() + 1);
    return;
  }
  gw20::sim::CheckModules(chain);  // throws, and so fails the run, for a chain it refuses
  FUZZ_CHECK(Same(gw20::sim::ParseModulesJson(ToJson(chain)), chain));
}

void ModuleList(std::string_view text) {
  constexpr int kBaud = 19200;
  std::vector<FieldModule> chain;
  try {
    chain = gw20::sim::ParseModuleList(text, kBaud, true);
  } catch (const std::invalid_argument&) {
    return;
  }
  FUZZ_CHECK(Same(gw20::sim::ParseModuleList(ToList(chain), kBaud, true), chain));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  JsonFile(text);
  ModuleList(text);
  return 0;
}
