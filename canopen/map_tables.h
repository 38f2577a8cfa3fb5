#pragma once
// The two PDO mapping tables: what each receive and transmit PDO carries, one
// entry text per data byte. The DeviceNet side fills the same tables its own
// way, so whichever page derived last decides their content.

#include <array>
#include <string>
#include <string_view>

namespace gw20::canopen {

inline constexpr int kMapRecords = 32;         // PDOs per direction
inline constexpr int kMapRecordEntries = 251;  // entries per record (DeviceNet uses them all)
inline constexpr int kPdoDataBytes = 8;        // CANopen uses Entries 0..7 only

// An unused byte of a started PDO.
inline constexpr std::string_view kUnusedEntry = "--------:----";

// EntryKind values.
inline constexpr int kDigitalEntries = 0;  // one 8-bit group per entry
inline constexpr int kAnalogEntries = 1;   // one 16-bit channel per two equal entries

// One PDO (CANopen) or one I/O block (DeviceNet).
struct MapRecord {
  // "" = never written; otherwise a module entry text or kUnusedEntry.
  std::array<std::string, kMapRecordEntries> Entries{};
  int EntryCount = 0;  // byte; DeviceNet only
  int EntryKind = kDigitalEntries;
};

struct MapTables {
  std::array<MapRecord, kMapRecords> OutputMap{};  // receive PDO i + 1: the gateway's outputs
  std::array<MapRecord, kMapRecords> InputMap{};   // transmit PDO i + 1: the gateway's inputs
  // Index of the last PDO in use per table, 0..31 (PDOs in use = value + 1).
  int LastOutputMap = 0;
  int LastInputMap = 0;
  // First PDO index after the digital PDOs; 4 when the digital data fit into
  // PDO 0 or there are none.
  int NextFreeRxPdo = 0;
  int NextFreeTxPdo = 0;
};

// Empties every entry and sets EntryCount and EntryKind to 0 in both tables,
// so nothing of an earlier derivation can reach a viewer or a file. The
// scalars are left to the derivation that follows.
void ClearMapTables(MapTables& tables);

}  // namespace gw20::canopen
