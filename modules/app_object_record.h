#pragma once
// The DeviceNet application object of one module slot (class 0x64). ModuleCode
// fills the descriptive part when the catalog identifies the module; the type
// code, data format and bit-rate code come from the module's own answer.

#include <string>

namespace gw20::modules {

// Byte-sized fields hold 0..255; attribute numbers in brackets.
struct AppObjectRecord {
  std::string Name;       // [2] model name of the slot's module
  int IOType = 0;         // [1] I/O class code, see IOTypeOf
  int Address = 0;        // [3] numeric module address
  int Baud = 0;           // [4] module bit-rate code
  int TypeCode = 0;       // [5] first channel
  int TypeCode2 = 0;      // [5] second channel, shown beside the first
  int TypeCodeCount = 0;  // 1: one type code only
  int DataFormat = 0;     // [6]
  int DOL = 0;            // [7] digital output data, bytes
  int AOL = 0;            // [8] analog output data, bytes
  int DIL = 0;            // [9] digital input data, bytes
  int AIL = 0;            // [10] analog input data, bytes
  int DOC = 0;            // [11] digital output channels
  int AOC = 0;            // [12] analog output channels
  int DIC = 0;            // [13] digital input channels
  int AIC = 0;            // [14] analog input (word) channels
};

}  // namespace gw20::modules
