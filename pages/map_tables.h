#pragma once
// The two mapping tables both profiles derive from the module table, one
// entry text per data byte: PDOs on the CANopen side, assembly instances on
// the DeviceNet side. Whichever configuration page loaded last decides their
// content. This is the storage the pages share; each profile reads it
// through its own view (canopen::PdoTable, devicenet::AssemblyTable).

#include <array>
#include <string>

namespace gw20::pages {

inline constexpr int kMapRecords = 32;         // records per direction
inline constexpr int kMapRecordEntries = 251;  // entries per record (DeviceNet uses them all)

// EntryKind values.
inline constexpr int kDigitalEntries = 0;  // one 8-bit group per entry
inline constexpr int kAnalogEntries = 1;   // one 16-bit channel per two equal entries

// One PDO (CANopen) or one assembly instance (DeviceNet).
struct MapRecord {
  // "" = never written; otherwise an entry text of the profile.
  std::array<std::string, kMapRecordEntries> Entries{};
  int EntryCount = 0;  // entries in use, 0..251; DeviceNet only
  int EntryKind = kDigitalEntries;
};

struct MapTables {
  std::array<MapRecord, kMapRecords> OutputMap{};  // the gateway's outputs
  std::array<MapRecord, kMapRecords> InputMap{};   // the gateway's inputs
  // Index of the last record in use per table, 0..31.
  int LastOutputMap = 0;
  int LastInputMap = 0;
  // CANopen: first PDO index after the digital PDOs; 4 when the digital data
  // fit into PDO 0 or there are none.
  int NextFreeRxPdo = 0;
  int NextFreeTxPdo = 0;
};

// Empties every entry and sets EntryCount and EntryKind to 0 in both tables,
// so nothing of an earlier derivation can reach a viewer or a file. The
// scalars are left to the derivation that follows.
void ClearMapTables(MapTables& tables);

}  // namespace gw20::pages
