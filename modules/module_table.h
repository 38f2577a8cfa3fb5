#pragma once
// The program's picture of the modules on the field port: rebuilt by every
// connect, read by everything that derives an object model, an EDS file or a
// viewer table.

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "modules/app_object_record.h"
#include "modules/zelk_module_record.h"

namespace gw20::modules {

// A fault in filling the table that must end the connect: a process-image
// total beyond its byte, a slot index outside 0..14, an unreadable address.
// what() is the description the operator is shown.
class ModuleTableError : public std::runtime_error {
 public:
  explicit ModuleTableError(const std::string& description) : std::runtime_error(description) {}
};

// Largest value of the table's byte-sized totals.
inline constexpr int kMaxTotalBytes = 255;
// Largest module address on the field port.
inline constexpr int kMaxAddress = 255;

struct ModuleTable {
  std::array<ZelkModuleRecord, kModuleSlots> ModuleList{};  // index order is scan order
  // Entries 0..ModuleCount-1: the ModuleList indexes in use, ascending.
  std::array<int, kModuleSlots> ModuleOrder{};
  int ModuleCount = 0;
  int CurrentModule = 0;  // the slot the scan is filling, 0..14
  // Process-image bytes of all identified modules, each 0..255.
  int TotalDOBytes = 0;
  int TotalAOBytes = 0;
  int TotalDIBytes = 0;
  int TotalAIBytes = 0;
  std::array<AppObjectRecord, kModuleSlots> AppObjList{};  // indexed like ModuleList
};

// What a connect clears before it scans: the totals, ModuleCount,
// CurrentModule, ModuleOrder, and every slot's Address and five channel
// counts. Model names, type codes, data formats and AppObjList stay; a slot
// with an empty Address is never read.
void ResetModuleTable(ModuleTable& table);

// The value of a module's Address text as the scan writes it (plain decimal,
// 0..255); nullopt for anything else, an empty text included.
std::optional<int> ParseModuleAddress(std::string_view Address);

// The numeric address shown and written for a slot: ParseModuleAddress, or 0
// for a text that is none (a scanned slot always has one).
int AddressValue(const ZelkModuleRecord& record);

// Calls visit(slot, record) for the modules in ModuleOrder(0 .. ModuleCount
// - 1): the order in which every table of modules lists them.
template <typename Visit>
void ForEachListedModule(const ModuleTable& table, Visit&& visit) {
  const int count = std::clamp(table.ModuleCount, 0, kModuleSlots);
  for (int position = 0; position < count; ++position) {
    const int slot = table.ModuleOrder[position];
    if (slot >= 0 && slot < kModuleSlots) visit(slot, table.ModuleList[slot]);
  }
}

// Calls visit(slot, record) for slots 0 .. slotCount - 1 whose Address is not
// empty, in slot order: how the object models walk the table.
template <typename Visit>
void ForEachSlotInUse(const ModuleTable& table, Visit&& visit, int slotCount = kModuleSlots) {
  const int last = std::clamp(slotCount, 0, kModuleSlots);
  for (int slot = 0; slot < last; ++slot) {
    if (InUse(table.ModuleList[slot])) visit(slot, table.ModuleList[slot]);
  }
}

// Rebuilds ModuleOrder and ModuleCount from the slots whose Address is not
// empty, in ascending slot order; unused ModuleOrder entries become 0.
void BuildModuleOrder(ModuleTable& table);

}  // namespace gw20::modules
