#pragma once
// The CANopen reading of the shared mapping tables: receive PDO i + 1 is
// OutputMap(i), transmit PDO i + 1 is InputMap(i), each with eight data
// bytes. BuildPdoMaps writes the tables; everything else of the profile reads
// its PDOs through PdoTable, never through the records themselves.

#include <array>
#include <string>
#include <string_view>

#include "pages/map_tables.h"

namespace gw20::canopen {

// The storage both configuration pages share; whichever loaded last decides
// its content.
using pages::MapTables;

inline constexpr int kPdoCount = pages::kMapRecords;  // per direction
inline constexpr int kPdoDataBytes = 8;

// An unused byte of a started PDO.
inline constexpr std::string_view kUnusedEntry = "--------:----";

enum class PdoDirection { Receive, Transmit };

// One PDO as the last derivation left it.
class PdoRecord {
 public:
  explicit PdoRecord(const pages::MapRecord& record) : record_(record) {}

  // Entry text of data byte `byte`, 0..7: "" never written, kUnusedEntry an
  // unused byte, otherwise the module channels the byte carries
  // ("0xA-RA412:00~03", "0x3-RA394:0").
  const std::string& Entry(int byte) const { return record_.Entries[static_cast<std::size_t>(byte)]; }
  // The bytes carry 16-bit analog channels, two equal entries each;
  // otherwise 8-bit digital groups.
  bool Analog() const { return record_.EntryKind == pages::kAnalogEntries; }
  // Number of mapped objects: the bytes before the first "" or kUnusedEntry,
  // one object per byte for a digital PDO and per two bytes for an analog one.
  int MappedObjectCount() const;

 private:
  const pages::MapRecord& record_;
};

// The 32 PDOs of one direction.
class PdoTable {
 public:
  // `tables` must outlive the view; it reads them as they are when asked.
  PdoTable(const MapTables& tables, PdoDirection direction);

  PdoDirection Direction() const { return direction_; }
  // PDO index `pdo`, 0..31.
  PdoRecord operator[](int pdo) const { return PdoRecord(records_[static_cast<std::size_t>(pdo)]); }
  // Index of the last PDO in use (LastOutputMap, LastInputMap), 0..31.
  int Last() const;
  // First PDO index after the digital PDOs (NextFreeRxPdo, NextFreeTxPdo).
  int NextFree() const { return nextFree_; }

 private:
  const std::array<pages::MapRecord, kPdoCount>& records_;
  const int& last_;
  const int& nextFree_;
  PdoDirection direction_;
};

}  // namespace gw20::canopen
