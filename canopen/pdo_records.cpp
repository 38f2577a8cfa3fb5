#include "canopen/pdo_records.h"

#include <algorithm>

namespace gw20::canopen {

int PdoRecord::MappedObjectCount() const {
  constexpr int kBytesPerChannel = 2;
  int used = 0;
  while (used < kPdoDataBytes && !Entry(used).empty() && Entry(used) != kUnusedEntry) ++used;
  return Analog() ? used / kBytesPerChannel : used;
}

PdoTable::PdoTable(const MapTables& tables, PdoDirection direction)
    : records_(direction == PdoDirection::Receive ? tables.OutputMap : tables.InputMap),
      last_(direction == PdoDirection::Receive ? tables.LastOutputMap : tables.LastInputMap),
      nextFree_(direction == PdoDirection::Receive ? tables.NextFreeRxPdo : tables.NextFreeTxPdo),
      direction_(direction) {}

int PdoTable::Last() const { return std::clamp(last_, 0, kPdoCount - 1); }

}  // namespace gw20::canopen
