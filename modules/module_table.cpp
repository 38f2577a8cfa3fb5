#include "modules/module_table.h"

namespace gw20::modules {

void ResetModuleTable(ModuleTable& table) {
  table.TotalDOBytes = 0;
  table.TotalAOBytes = 0;
  table.TotalDIBytes = 0;
  table.TotalAIBytes = 0;
  table.ModuleCount = 0;
  table.CurrentModule = 0;
  table.ModuleOrder.fill(0);
  for (ZelkModuleRecord& record : table.ModuleList) {
    record.Address.clear();
    record.DOChannels = 0;
    record.AOChannels = 0;
    record.DIChannels = 0;
    record.AIChannels = 0;
    record.CounterChannels = 0;
  }
}

void BuildModuleOrder(ModuleTable& table) {
  table.ModuleOrder.fill(0);
  table.ModuleCount = 0;
  for (int slot = 0; slot < kModuleSlots; ++slot) {
    if (InUse(table.ModuleList[slot])) table.ModuleOrder[table.ModuleCount++] = slot;
  }
}

}  // namespace gw20::modules
