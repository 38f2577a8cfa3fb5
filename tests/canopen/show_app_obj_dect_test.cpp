// The object dictionary viewer: one cell per module, group or channel in
// ModuleOrder, and the counter-module count it keeps for the EDS writer.

#include "canopen/show_app_obj_dect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::canopen {
namespace {

using testing::AddModule;

std::vector<std::string> Column(const ui::Grid& grid, int col) {
  std::vector<std::string> cells;
  for (int row = kDictionaryHeaderRows; row < grid.Rows(); ++row) cells.push_back(grid.TextMatrix(row, col));
  return cells;
}

class DictionaryViewer : public ::testing::Test {
 protected:
  modules::ModuleTable table;
  testing::FormRecorder host;
  int CounterModuleCount = 7;  // left by an earlier table
};

TEST_F(DictionaryViewer, StandardizedTab_ListsGroupsAndChannelsInModuleOrder) {
  AddModule(table, 1, "RA412", "10", {.DO = 4, .AO = 1, .DI = 1, .AI = 2});
  AddModule(table, 4, "RA952", "5", {.DI = 12});
  AddModule(table, 6, "RA874", "2", {.AO = 4});
  modules::BuildModuleOrder(table);
  ShowAppObjDect form(table, CounterModuleCount, host);
  form.Load();
  const ui::Grid& grid = form.ObjDectRecord;
  form.ObjDictTableTag.Click(kStandardizedTab);
  ASSERT_EQ(grid.Rows(), 3 + 5);  // five analog outputs are the longest object
  EXPECT_EQ(testing::GridRow(grid, 2),
            (std::vector<std::string>{"Subindex0", "3", "1", "1", "1", "2", "5", "5", "5"}));
  EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"0x00 (0xA-RA412:00-00)", "0x00 (0x5-RA952:00-07)",
                                                       "0x00 (0x5-RA952:08-11)", "", ""}));
  EXPECT_EQ(Column(grid, 5),
            (std::vector<std::string>{"0x0000 (0xA-RA412:1)", "0x0000 (0xA-RA412:2)", "", "", ""}));
  EXPECT_EQ(grid.TextMatrix(7, 7) + grid.TextMatrix(7, 8), "1 (0x2-RA874:4)0 (0x2-RA874:4)");
  EXPECT_EQ(CounterModuleCount, 0);
}

}  // namespace
}  // namespace gw20::canopen
