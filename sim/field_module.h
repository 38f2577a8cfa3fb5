#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw20::sim {

// One I/O module on the controller's field port, with its own settings: it
// answers only a master that talks at its bit rate and with its checksum mode.
struct FieldModule {
  int address = 0;     // 0..255, shown as two hexadecimal digits; 0 = never configured
  std::string model;   // name reported in the scan listing, e.g. "RA412"
  int typeCode = 0;    // 0..255
  int dataFormat = 0;  // 0..255
  int baud = 9600;     // bit/s, one of kFieldBauds
  bool checksum = false;
  bool dSuffix = false;  // the listing entry carries a "D" before its "{"
};

inline constexpr int kDefaultFieldBaud = 9600;
// The bit rates a module and the scan can use, in the order of their codes.
inline constexpr int kFieldBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// The two-digit bit-rate code of a module configuration answer (1200 -> 3 ...
// 115200 -> 10); nullopt for a bit rate not in kFieldBauds.
std::optional<int> BaudCode(int baud);

// `value` as two upper-case hexadecimal digits; `value` must be 0..255.
std::string HexByte(int value);

// Exactly two hexadecimal digits (either case); nullopt otherwise.
std::optional<int> ParseHexByte(std::string_view text);

// Checks a module chain: addresses 0..255 and unique, model names non-empty
// printable text without blanks or the listing's markers ("!", "{", "}") or
// the prompt characters (">", "[", "]"), codes 0..255, bit rates from
// kFieldBauds. Throws std::invalid_argument naming the module's address.
void CheckModules(const std::vector<FieldModule>& modules);

// The addresses a chain already uses, one bit per address 0..255.
using UsedAddresses = std::bitset<256>;

// Checks one module as it joins a chain, as CheckModules does, and marks its
// address in `used`: a long chain is checked in one pass.
void CheckModule(const FieldModule& module, UsedAddresses& used);

// Parses "AA:MODEL[:TT[:FF]]" entries separated by commas (TT and FF default
// 00); every module gets `baud` and `checksum`. Checks the entries as
// CheckModules does. Throws std::invalid_argument naming the bad entry.
std::vector<FieldModule> ParseModuleList(std::string_view list, int baud, bool checksum);

}  // namespace gw20::sim
