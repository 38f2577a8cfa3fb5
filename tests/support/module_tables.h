#pragma once
// Module tables as a scan leaves them, for the tests of everything derived
// from them.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modules/model_catalog.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"

namespace gw20::testing {

struct Channels {
  int DO = 0, AO = 0, DI = 0, AI = 0;
};

// Puts a module with these channels into `slot` and adds its bytes to the
// totals, whatever the catalog says; call modules::BuildModuleOrder afterwards.
inline void AddModule(modules::ModuleTable& table, int slot, const std::string& name,
                      const std::string& address, Channels ch, int typeCode = 0) {
  // Name, address, DO, AO, DI and AI channels, no counter channels or type code count, the type code.
  table.ModuleList[slot] = {name, address, ch.DO, ch.AO, ch.DI, ch.AI, 0, 0, typeCode};
  table.TotalDOBytes += (ch.DO + 7) / 8;
  table.TotalDIBytes += (ch.DI + 7) / 8;
  table.TotalAOBytes += 2 * ch.AO;
  table.TotalAIBytes += 2 * ch.AI;
}

// Each (address, model) identified through the catalog in the next slot, in
// module order; a model the catalog lacks leaves its slot unused.
inline modules::ModuleTable Scanned(const std::vector<std::pair<std::string, std::string>>& found) {
  modules::ModuleTable table;
  for (const auto& [address, model] : found) {
    table.ModuleList[table.CurrentModule].Address = address;
    table.ModuleList[table.CurrentModule].ModelName = model;
    EXPECT_EQ(modules::ModuleChInfo(table, model), modules::FindModel(model) != nullptr) << model;
    ++table.CurrentModule;
  }
  modules::BuildModuleOrder(table);
  return table;
}

}  // namespace gw20::testing
