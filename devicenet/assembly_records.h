#pragma once
// The DeviceNet reading of the shared mapping tables: output assembly r is
// OutputMap(r), input assembly r is InputMap(r), each one entry text per
// data byte. BuildAssemblyMaps writes the tables; everything else of the
// profile reads its assemblies through AssemblyTable, never through the
// records themselves.

#include <array>
#include <span>
#include <string>

#include "pages/map_tables.h"

namespace gw20::devicenet {

// The storage both configuration pages share; whichever loaded last decides
// its content.
using pages::MapTables;

// Instance id of the first assembly in the EDS file (class 0x04, 0x64).
inline constexpr int kFirstAssemblyInstance = 0x64;
// Data bytes of the longest assembly.
inline constexpr int kMaxAssemblyBytes = pages::kMapRecordEntries;

enum class AssemblyDirection { Output, Input };

// One assembly instance as the last derivation left it.
class Assembly {
 public:
  explicit Assembly(const pages::MapRecord& record) : record_(record) {}

  // Data bytes (EntryCount), 0..251; 0: the assembly is not in use.
  int Length() const;
  // The entry text of each data byte, Length() of them.
  std::span<const std::string> Entries() const {
    return {record_.Entries.data(), static_cast<std::size_t>(Length())};
  }
  // 16-bit analog words, two equal entries each; otherwise digital bytes.
  bool Analog() const { return record_.EntryKind == pages::kAnalogEntries; }

 private:
  const pages::MapRecord& record_;
};

// The assemblies of one direction.
class AssemblyTable {
 public:
  // `tables` must outlive the view; it reads them as they are when asked.
  AssemblyTable(const MapTables& tables, AssemblyDirection direction);

  // Assembly r, 0..31.
  Assembly operator[](int r) const { return Assembly(records_[static_cast<std::size_t>(r)]); }
  // Index of the last record in use (LastOutputMap, LastInputMap), 0..31.
  int Last() const;
  // Assemblies in use (NOut, NIn): records 0.. up to Last(), stopping at the
  // first empty one. 0, 1 or 2 after a DeviceNet derivation.
  int Count() const;
  // EDS instance id of assembly 0: 0x64 for the outputs, 0x64 + NOut for
  // the inputs, which are numbered on after the outputs.
  int FirstInstance() const { return firstInstance_; }

 private:
  const std::array<pages::MapRecord, pages::kMapRecords>& records_;
  const int& last_;
  int firstInstance_;
};

}  // namespace gw20::devicenet
