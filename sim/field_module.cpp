#include "sim/field_module.h"

#include <array>
#include <iterator>
#include <stdexcept>

#include "sim/bytes.h"

namespace gw20::sim {
namespace {

constexpr int kFirstBaudCode = 3;
constexpr int kHexBase = 16;
// The listing's entry and prompt markers; a model name holding one would confuse the PC's parser.
constexpr std::string_view kForbiddenInModel = "!{}[]>";
constexpr char kEntrySeparator = ',';
constexpr char kFieldSeparator = ':';

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return std::nullopt;
}

std::string ModuleName(const FieldModule& module) {
  if (module.address < 0 || module.address > kByteMax) {
    return "module at address " + std::to_string(module.address);
  }
  return "module " + HexByte(module.address);
}

void CheckModel(const FieldModule& module) {
  if (module.model.empty()) {
    throw std::invalid_argument(ModuleName(module) + ": the model name is empty");
  }
  for (const char c : module.model) {
    if (c <= ' ' || c > '~' || kForbiddenInModel.find(c) != std::string_view::npos) {
      throw std::invalid_argument(ModuleName(module) + ": the model name \"" + module.model +
                                  "\" may not hold blanks, control characters or any of " +
                                  std::string(kForbiddenInModel));
    }
  }
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t end = text.find(separator);
    parts.push_back(text.substr(0, end));
    if (end == std::string_view::npos) {
      return parts;
    }
    text.remove_prefix(end + 1);
  }
}

}  // namespace

std::optional<int> BaudCode(int baud) {
  for (std::size_t i = 0; i < std::size(kFieldBauds); ++i) {
    if (kFieldBauds[i] == baud) {
      return kFirstBaudCode + static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::string HexByte(int value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  return {kDigits[static_cast<std::size_t>(value / kHexBase % kHexBase)],
          kDigits[static_cast<std::size_t>(value % kHexBase)]};
}

std::optional<int> ParseHexByte(std::string_view text) {
  if (text.size() != 2) {
    return std::nullopt;
  }
  const auto high = HexDigit(text[0]);
  const auto low = HexDigit(text[1]);
  if (!high || !low) {
    return std::nullopt;
  }
  return *high * kHexBase + *low;
}

void CheckModule(const FieldModule& module, UsedAddresses& used) {
  if (module.address < 0 || module.address > kByteMax) {
    throw std::invalid_argument(ModuleName(module) + ": the address must be 0..255");
  }
  const auto address = static_cast<std::size_t>(module.address);
  if (used.test(address)) {
    throw std::invalid_argument(ModuleName(module) + ": the address is used twice");
  }
  used.set(address);
  CheckModel(module);
  if (module.typeCode < 0 || module.typeCode > kByteMax || module.dataFormat < 0 ||
      module.dataFormat > kByteMax) {
    throw std::invalid_argument(ModuleName(module) + ": type code and data format must be 0..255");
  }
  if (!BaudCode(module.baud)) {
    throw std::invalid_argument(ModuleName(module) + ": bit rate " + std::to_string(module.baud) +
                                " is not one of 1200 2400 4800 9600 19200 38400 57600 115200");
  }
}

void CheckModules(const std::vector<FieldModule>& modules) {
  UsedAddresses used;
  for (const FieldModule& module : modules) {
    CheckModule(module, used);
  }
}

std::vector<FieldModule> ParseModuleList(std::string_view list, int baud, bool checksum) {
  constexpr std::size_t kMinFields = 2;
  constexpr std::size_t kMaxFields = 4;
  std::vector<FieldModule> modules;
  for (const std::string_view entry : Split(list, kEntrySeparator)) {
    const std::string bad = "bad module \"" + std::string(entry) + "\": ";
    const std::vector<std::string_view> fields = Split(entry, kFieldSeparator);
    if (fields.size() < kMinFields || fields.size() > kMaxFields) {
      throw std::invalid_argument(bad + "expected AA:MODEL[:TT[:FF]]");
    }
    FieldModule module;
    module.model = fields[1];
    module.baud = baud;
    module.checksum = checksum;
    const std::array<int*, kMaxFields> targets = {&module.address, nullptr, &module.typeCode,
                                                  &module.dataFormat};
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (targets[i] == nullptr) {
        continue;
      }
      const auto value = ParseHexByte(fields[i]);
      if (!value) {
        throw std::invalid_argument(bad + "\"" + std::string(fields[i]) + "\" is not two hexadecimal digits");
      }
      *targets[i] = *value;
    }
    modules.push_back(std::move(module));
  }
  CheckModules(modules);
  return modules;
}

}  // namespace gw20::sim
