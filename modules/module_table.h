#pragma once
// The program's picture of the modules on the field port: rebuilt by every
// connect, read by everything that derives an object model, an EDS file or a
// viewer table.

#include <array>
#include <stdexcept>
#include <string>

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

// Rebuilds ModuleOrder and ModuleCount from the slots whose Address is not
// empty, in ascending slot order; unused ModuleOrder entries become 0.
void BuildModuleOrder(ModuleTable& table);

}  // namespace gw20::modules
