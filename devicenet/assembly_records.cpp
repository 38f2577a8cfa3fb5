#include "devicenet/assembly_records.h"

#include <algorithm>

namespace gw20::devicenet {

int Assembly::Length() const { return std::clamp(record_.EntryCount, 0, kMaxAssemblyBytes); }

AssemblyTable::AssemblyTable(const MapTables& tables, AssemblyDirection direction)
    : records_(direction == AssemblyDirection::Output ? tables.OutputMap : tables.InputMap),
      last_(direction == AssemblyDirection::Output ? tables.LastOutputMap : tables.LastInputMap),
      firstInstance_(kFirstAssemblyInstance) {
  if (direction == AssemblyDirection::Input) {
    firstInstance_ += AssemblyTable(tables, AssemblyDirection::Output).Count();
  }
}

int AssemblyTable::Last() const { return std::clamp(last_, 0, pages::kMapRecords - 1); }

int AssemblyTable::Count() const {
  int count = 0;
  while (count <= Last() && (*this)[count].Length() != 0) ++count;
  return count;
}

}  // namespace gw20::devicenet
