// The module viewer: one row per module in ModuleOrder, and the number
// formats of its cells.

#include "modules/show_zelk_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modules/module_table.h"
#include "tests/support/test_services.h"

namespace gw20::modules {
namespace {

class ZelkInfo : public ::testing::Test {
 protected:
  ModuleTable table;
  testing::FormRecorder host;
};

TEST_F(ZelkInfo, ModulesWithAGapBetweenSlots_GiveConsecutiveRowsInModuleOrder) {
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
