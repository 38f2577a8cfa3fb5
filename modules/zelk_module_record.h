#pragma once
// One I/O module on the controller's field port, as the scan found it.

#include <string>

namespace gw20::modules {

// Slots of the module table: the controller masters at most fifteen modules.
inline constexpr int kModuleSlots = 15;

// Byte-sized fields hold 0..255.
struct ZelkModuleRecord {
  std::string ModelName;  // exactly as the module reported it, e.g. "RA394"
  // Module address as decimal text "1".."255"; empty: the slot holds no usable module.
  std::string Address;
  int DOChannels = 0;       // digital outputs
  int AOChannels = 0;       // analog outputs
  int DIChannels = 0;       // digital inputs
  int AIChannels = 0;       // analog inputs, one 16-bit word each
  int CounterChannels = 0;  // counter/frequency channels, one 32-bit value each
  int TypeCodeCount = 0;    // 1: a single type code (every module the catalog knows)
  int TypeCode = 0;         // reported by the module (channel 0 where it has two)
  int TypeCode2 = 0;        // channel 1 of a module with two type codes
  int DataFormat = 0;       // reported by the module
};

// A slot is in use while its Address is not empty.
inline bool InUse(const ZelkModuleRecord& record) { return !record.Address.empty(); }

}  // namespace gw20::modules
