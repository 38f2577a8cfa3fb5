#include "modules/module_ch_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "modules/show_zelk_info.h"
#include "tests/support/test_services.h"

namespace gw20::modules {
namespace {

// Stores name and address in the slot as the scan does, then identifies it.
bool Identify(ModuleTable& table, int slot, const std::string& name, const std::string& address) {
  table.CurrentModule = slot;
  table.ModuleList[slot].ModelName = name;
  table.ModuleList[slot].Address = address;
  return ModuleChInfo(table, name);
}

TEST(ModuleChInfo, NameNotExactlyInCatalog_IsUnknownAndEmptiesAddress) {
  ModuleTable table;
  for (const char* name : {"RA850 ", "ra850", "Ra850", "RA8501", "RA850CX", "RA85", "RB706", "RB883W", ""}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Identify(table, 1, name, "2"));
    EXPECT_EQ(table.ModuleList[1].Address, "");
    EXPECT_EQ(table.ModuleList[1].AIChannels, 0);
  }
  EXPECT_EQ(table.TotalAIBytes, 0);
}

// The application object and the process-image totals of each kind alone, all
// four, and a counter module, which adds only its digital outputs.
TEST(ModuleChInfo, KnownModel_FillsRecordTotalsAndAppObject) {
  const struct {
    const char* name;
    int ioType;
    std::vector<int> bytes;  // DO, AO, DI and AI
  } cases[] = {{"RA812", 8, {1, 0, 0, 16}},
               {"RA412P", 6, {1, 2, 1, 2}},
               {"RA874", 1, {0, 8, 0, 0}},
               {"RB331", 2, {0, 0, 4, 0}},
               {"RA502", 8, {1, 0, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ModuleTable table;
    ASSERT_TRUE(Identify(table, 3, c.name, "18"));
    const ZelkModuleRecord& r = table.ModuleList[3];
    const AppObjectRecord& a = table.AppObjList[3];
    EXPECT_EQ((std::vector<int>{a.DOL, a.AOL, a.DIL, a.AIL}), c.bytes);
    EXPECT_EQ(
        (std::vector<int>{table.TotalDOBytes, table.TotalAOBytes, table.TotalDIBytes, table.TotalAIBytes}),
        c.bytes);
    EXPECT_EQ((std::vector<int>{a.DOC, a.AOC, a.DIC, a.AIC}),
              (std::vector<int>{r.DOChannels, r.AOChannels, r.DIChannels, r.AIChannels}));
    EXPECT_EQ(a.IOType, c.ioType);
    EXPECT_EQ(a.Name + " " + std::to_string(a.Address), std::string(c.name) + " 18");
  }
}

TEST(ModuleChInfo, DigitalChannels_RoundUpToWholeBytesPerModule) {
  ModuleTable table;
  ASSERT_TRUE(Identify(table, 0, "RA387", "1"));  // 13 digital outputs
  ASSERT_TRUE(Identify(table, 1, "RA952", "2"));  // 14 digital inputs
  EXPECT_EQ(std::pair(table.TotalDOBytes, table.TotalDIBytes), std::pair(2, 2));
  ASSERT_TRUE(Identify(table, 2, "RA476", "3"));  // 4 + 4, twice: a byte each, not one shared
  ASSERT_TRUE(Identify(table, 3, "RB356", "4"));
  EXPECT_EQ(std::pair(table.TotalDOBytes, table.TotalDIBytes), std::pair(4, 4));
}

// A total past 255 bytes, a slot or an address out of range: thrown before
// the table changes, so a failed connect leaves a consistent table behind.
TEST(ModuleChInfo, TotalPast255OrBadSlotOrAddress_ThrowsAndLeavesTableUnchanged) {
  ModuleTable table;
  for (int slot = 0; slot < 12; ++slot)
    ASSERT_TRUE(Identify(table, slot, "RA883Z", std::to_string(slot + 1)));
  EXPECT_EQ(testing::ThrownMessage<ModuleTableError>([&] { Identify(table, 12, "RA883Z", "13"); }),
            "Overflow: TotalAIBytes would be 260 bytes (at most 255) with module RA883Z at address 13");
  EXPECT_EQ(std::pair(table.TotalAIBytes, table.ModuleList[12].AIChannels), std::pair(240, 0));
  EXPECT_EQ(table.AppObjList[12].Name, "");

  table.CurrentModule = kModuleSlots;
  EXPECT_THROW(ModuleChInfo(table, "RA394"), ModuleTableError);
  for (const char* address : {"256", "x1", "1 ", ""}) {
    SCOPED_TRACE(address);
    EXPECT_THROW(Identify(table, 12, "RA394", address), ModuleTableError);
    EXPECT_EQ(table.TotalAIBytes, 240);
  }
}

// The firmware's DeviceNet codes of the variant groups, and the models whose
// analog words count in pairs; a model the catalog does not know has neither.
TEST(ModelCatalog, DeviceNetColumns) {
  const struct {
    const char* name;
    std::uint32_t code;
    bool counterWords;
  } cases[] = {{"RA412", 10 * 0x010412U, false},   {"RA412P", 10 * 0x010412U + 1, false},
               {"RB883R", 10 * 0x020883U, false},  {"RB883Z", 10 * 0x020883U + 1, false},
               {"RA883BL", 10 * 0x010883U, false}, {"RA883Z", 10 * 0x010883U + 1, false},
               {"RA850F", 0x010850U, false},       {"RA517B", 0x010517U, true},
               {"RA502", 0x010502U, true},         {"RB883W", 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DeviceNetModelCode(c.name), c.code);
    EXPECT_EQ(HasCounterWords(c.name), c.counterWords);
  }
}

TEST(ModuleTable, ResetThenRescan_ClearsCountsAndOrderFollowsUsedSlots) {
  ModuleTable table;
  for (int slot : {1, 4, 14}) ASSERT_TRUE(Identify(table, slot, "RA412", std::to_string(slot + 1)));
  BuildModuleOrder(table);
  ResetModuleTable(table);
  const ZelkModuleRecord& r = table.ModuleList[4];
  EXPECT_EQ(table.ModuleCount + table.ModuleOrder[1] + table.TotalDOBytes + table.TotalAOBytes +
                table.TotalDIBytes + table.TotalAIBytes + r.DOChannels + r.AOChannels + r.DIChannels +
                r.AIChannels + r.CounterChannels,
            0);
  EXPECT_EQ(r.Address, "");

  // A smaller second scan: stale order entries behind the new count are cleared.
  table.ModuleList[7].Address = "8";
  BuildModuleOrder(table);
  EXPECT_EQ((std::vector<int>{table.ModuleCount, table.ModuleOrder[0], table.ModuleOrder[2]}),
            (std::vector<int>{1, 7, 0}));
}

TEST(ModuleTable, ParseModuleAddress_TakesOnlyTheScansPlainDecimal) {
  for (const int n : {0, 10, 255}) EXPECT_EQ(ParseModuleAddress(std::to_string(n)), n);
  for (const char* text : {"", "-0", "-1", "+1", "007", "01", " 1", "1 ", "256", "0x1", "1a"})
    EXPECT_EQ(ParseModuleAddress(text), std::nullopt) << text;
}

// The module viewer: one row per module in ModuleOrder, and the number
// formats of its cells.
TEST(ZelkInfo, ModulesWithAGapBetweenSlots_GiveConsecutiveRowsInModuleOrder) {
  ModuleTable table;
  testing::FormRecorder host;
  // Name, address, DO, AO, DI, AI and counter channels, type code count, type codes, data format.
  table.ModuleList[0] = {"RA812", "10", 6, 0, 0, 8, 0, 1, 0x0D, 0, 0};
  table.ModuleList[1].ModelName = "RB706";  // rejected by the scan: no address
  table.ModuleList[2] = {"RA502", "255", 2, 0, 0, 0, 2, 0, 0x0D, 0, 31};
  table.ModuleList[3] = {"RA412", "1", 4, 1, 1, 2, 3, 1, 0x4A, 0, 2};
  BuildModuleOrder(table);
  ShowZelkInfo form(table, host);
  form.Show();
  const ui::Grid& grid = form.ZelkInfoRecord;
  ASSERT_EQ(grid.Rows(), 4);
  EXPECT_EQ(testing::GridRow(grid, 1),
            (std::vector<std::string>{"1", "0x0A", "RA812", "0x0D", "0x00", "6", "0", "0", "8", "0"}));
  EXPECT_EQ(testing::GridRow(grid, 2), (std::vector<std::string>{"2", "0xFF", "RA502", "Ch0:D--Ch1:0", "0x1F",
                                                                 "2", "0", "0", "0", "2"}));
  // Only the counter models show counter channels.
  EXPECT_EQ(testing::GridRow(grid, 3),
            (std::vector<std::string>{"3", "0x01", "RA412", "0x4A", "0x02", "4", "1", "1", "2", "0"}));
}

}  // namespace
}  // namespace gw20::modules
