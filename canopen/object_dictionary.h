#pragma once
// The sizes and default values of the gateway's CANopen objects, all derived
// from the module table.

#include <cstdint>
#include <string_view>

#include "canopen/pdo_records.h"
#include "modules/modules_fwd.h"

namespace gw20::canopen {

inline constexpr int kMaxSubIndex = 255;            // every entry loop stops here at the latest
inline constexpr int kFirstDisabledPdo = 4;         // PDOs from this index start disabled
inline constexpr int kCounterResetTypeCode = 0x50;  // counter modules that can be reset
inline constexpr int kCounterModuleChannels = 2;    // entries of 0x2200 and 0x2201 per counter module

// Number of sub-entries after sub-index 0 of each object; 0 = the object is
// absent. Not capped at kMaxSubIndex: writers cap their loops.
struct ObjectSizes {
  int ReadDigitalInput = 0;      // 0x6000
  int WriteDigitalOutput = 0;    // 0x6200, 0x6206, 0x6207
  int ReadAnalogInput = 0;       // 0x6401
  int WriteAnalogOutput = 0;     // 0x6411, 0x6443, 0x6444
  int ModuleObjects = 0;         // 0x2000 .. 0x2003
  int CounterChannels = 0;       // 0x2200
  int CounterResetChannels = 0;  // 0x2201
};

// counterModuleCount: CountCounterModules of the same table.
ObjectSizes ComputeObjectSizes(const modules::ModuleTable& table, int counterModuleCount);

// Modules in ModuleOrder positions 0..ModuleCount-1 whose ModelName is
// "RA502B" or "RA502".
int CountCounterModules(const modules::ModuleTable& table);

// A counter/frequency module by its exact model name: a catalog model with
// counter channels.
bool IsCounterModule(std::string_view ModelName);

// Object 0x1000: profile 401 plus one bit per kind of I/O present.
std::uint32_t DeviceType(const modules::ModuleTable& table);

// COB-ID of PDO pdoIndex (0..31) as the EDS states it: the predefined
// identifier for PDOs 0..3, the disabled value (0xC0000000 receive,
// 0x80000000 transmit) from PDO 4 on. nodeId 1..127.
std::uint32_t PdoCobId(PdoDirection direction, int pdoIndex, int nodeId);

}  // namespace gw20::canopen
