#pragma once
// Module tables for the DeviceNet tests, as a scan leaves them.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modules/module_ch_info.h"
#include "modules/module_table.h"

namespace gw20::devicenet::test {

// Each (address, model) identified through the catalog in the next slot.
inline modules::ModuleTable Scanned(const std::vector<std::pair<std::string, std::string>>& found) {
  modules::ModuleTable table;
  for (const auto& [address, model] : found) {
    table.ModuleList[table.CurrentModule].Address = address;
    table.ModuleList[table.CurrentModule].ModelName = model;
    EXPECT_TRUE(modules::ModuleChInfo(table, model));
    ++table.CurrentModule;
  }
  modules::BuildModuleOrder(table);
  return table;
}

}  // namespace gw20::devicenet::test
