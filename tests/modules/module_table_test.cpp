#include "modules/module_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "modules/module_ch_info.h"

namespace gw20::modules {
namespace {

TEST(ModuleTable, ResetThenRescan_KeepsNamesClearsCountsAndOrderFollowsUsedSlots) {
  ModuleTable table;
  for (int slot : {1, 4, 14}) {
    table.CurrentModule = slot;
    table.ModuleList[slot] = {.ModelName = "RA412", .Address = std::to_string(slot + 1)};
    ASSERT_TRUE(ModuleChInfo(table, "RA412"));
  }
  BuildModuleOrder(table);
  EXPECT_EQ(table.ModuleCount, 3);
  EXPECT_EQ((std::vector<int>{table.ModuleOrder[0], table.ModuleOrder[1], table.ModuleOrder[2]}),
            (std::vector<int>{1, 4, 14}));

  ResetModuleTable(table);
  EXPECT_EQ(table.ModuleCount, 0);
  EXPECT_EQ(table.ModuleOrder[1], 0);
  EXPECT_EQ(table.TotalDOBytes + table.TotalAOBytes + table.TotalDIBytes + table.TotalAIBytes, 0);
  const ZelkModuleRecord& r = table.ModuleList[4];
  EXPECT_EQ(r.Address, "");
  EXPECT_EQ(r.DOChannels + r.AOChannels + r.DIChannels + r.AIChannels + r.CounterChannels, 0);
  EXPECT_EQ(r.ModelName, "RA412");
  EXPECT_EQ(table.AppObjList[4].Name, "RA412");

  // A smaller second scan: stale order entries behind the new count are cleared.
  table.ModuleList[7].Address = "8";
  BuildModuleOrder(table);
  EXPECT_EQ((std::vector<int>{table.ModuleCount, table.ModuleOrder[0], table.ModuleOrder[2]}),
            (std::vector<int>{1, 7, 0}));
}

}  // namespace
}  // namespace gw20::modules
