#pragma once
// The CANopen reading of the shared mapping tables: OutputMap(i) is receive
// PDO i + 1, InputMap(i) transmit PDO i + 1, eight bytes each.

#include <string_view>

#include "eds/map_tables.h"

namespace gw20::canopen {

using eds::ClearMapTables;
using eds::kAnalogEntries;
using eds::kDigitalEntries;
using eds::kMapRecordEntries;
using eds::kMapRecords;
using eds::MapRecord;
using eds::MapTables;

inline constexpr int kPdoDataBytes = 8;  // CANopen uses Entries 0..7 only

// An unused byte of a started PDO.
inline constexpr std::string_view kUnusedEntry = "--------:----";

}  // namespace gw20::canopen
