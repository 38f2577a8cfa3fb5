#pragma once
// The number formats of the CANopen tables and files.

#include <cstdint>
#include <string>

namespace gw20::canopen {

// Uppercase hexadecimal without prefix or leading zeros: 0x30191 -> "30191", 0 -> "0".
std::string HexText(std::uint64_t value);

// Decimal with at least two digits: 3 -> "03", 123 -> "123". Negative values
// keep their sign in front of the digits.
std::string TwoDigitText(long long value);

// The numeric value of a module's decimal Address text; 0 for a text without one.
std::uint32_t AddressValue(const std::string& Address);

}  // namespace gw20::canopen
