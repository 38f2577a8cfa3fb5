#pragma once
// The DeviceNet assembly instances (class 0x04) derived from the module
// table: output assembly 0 packs every digital output byte in slot order (or
// the analog output words when there are no digital outputs), output
// assembly 1 the analog output words when both kinds exist; the same for the
// inputs. One entry text per data byte says which module channel sits there.

#include "devicenet/assembly_records.h"
#include "modules/modules_fwd.h"

namespace gw20::devicenet {

// Rebuilds OutputMap, InputMap, LastOutputMap and LastInputMap from the
// modules in use (slots 0..14) and the table's byte totals. The tables are
// cleared first, so nothing of an earlier CANopen or DeviceNet derivation
// stays. Entry texts:
//   digital output byte  ModelName + ":" + first bit + "~" + last bit
//   digital input byte   "0x" + Hex(address) + "-" + ModelName + ":00~07"
//   analog word k        "0x" + Hex(address) + "-" + ModelName + ":" + k, twice
// with bit numbers of two digits and, for the input words of the models
// whose words count in pairs (modules::HasCounterWords), the label 1 for
// words 1-2, 2 for words 3-4 and 3 from word 5 on. A record stops growing at
// 251 entries; EntryCount is then 251.
void BuildAssemblyMaps(const modules::ModuleTable& table, MapTables& maps);

}  // namespace gw20::devicenet
