#pragma once
// Identifying a scanned module by its model name: channel counts into its
// record, process-image totals, and its application-object record.

#include <string_view>

#include "modules/modules_fwd.h"

namespace gw20::modules {

// Looks ModuleName up in the catalog for the slot table.CurrentModule (the
// scan passes the ModelName it has just stored there).
// Known model: writes the record's non-zero channel counts (the others keep
// the 0 of the connect's reset), sets TypeCodeCount 1 and TypeCode2 0, adds
// the model's bytes to the four totals (digital channels rounded up to whole
// bytes per module, 2 bytes per analog channel, counters add nothing), fills
// AppObjList through ModuleCode and returns true.
// Unknown model: empties the record's Address and returns false; nothing
// else changes.
// Throws ModuleTableError, with the table unchanged, when a total would pass
// 255, when CurrentModule is not a slot 0..14, or when the record's Address
// is not a number 0..255.
bool ModuleChInfo(ModuleTable& table, std::string_view ModuleName);

// Copies slot Account of ModuleList into AppObjList(Account): Name, IOType,
// numeric Address, channel counts DOC/AOC/DIC/AIC, byte lengths DOL/DIL
// (channels rounded up to bytes) and AOL/AIL (2 per channel), TypeCodeCount
// and TypeCode2. Counters are not carried. Returns true.
// Throws ModuleTableError, with the table unchanged, when Account is not a
// slot 0..14 or the record's Address is not a number 0..255.
bool ModuleCode(ModuleTable& table, int Account, int IOType);

}  // namespace gw20::modules
