#include "modules/module_table.h"

#include <charconv>

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

std::optional<int> ParseModuleAddress(std::string_view Address) {
  int value = -1;
  const char* end = Address.data() + Address.size();
  const auto [stop, error] = std::from_chars(Address.data(), end, value);
  // Only the scan's own form: no sign, no leading zero ("-0" and "007" are no
  // address the scan writes).
  const bool plain = !Address.empty() && Address.front() >= '0' && Address.front() <= '9' &&
                     (Address.size() == 1 || Address.front() != '0');
  if (!plain || error != std::errc{} || stop != end || value < 0 || value > kMaxAddress) {
    return std::nullopt;
  }
  return value;
}

int AddressValue(const ZelkModuleRecord& record) { return ParseModuleAddress(record.Address).value_or(0); }

void BuildModuleOrder(ModuleTable& table) {
  table.ModuleOrder.fill(0);
  table.ModuleCount = 0;
  for (int slot = 0; slot < kModuleSlots; ++slot) {
    if (InUse(table.ModuleList[slot])) table.ModuleOrder[table.ModuleCount++] = slot;
  }
}

}  // namespace gw20::modules
