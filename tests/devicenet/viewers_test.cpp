// The assembly object viewer: one row per assembly, its entries, and the
// tabs of the directions that carry data.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "devicenet/assembly_maps.h"
#include "devicenet/show_ass_obj.h"
#include "modules/module_table.h"
#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::devicenet {
namespace {

using Row = std::vector<std::string>;

class Viewers : public ::testing::Test {
 protected:
  testing::FormRecorder host;
  modules::ModuleTable table;
  MapTables maps;
  std::unique_ptr<ShowAssObj> assemblies;

  // The viewer over `scanned` and the assemblies derived from it.
  ShowAssObj& OpenAssemblies(modules::ModuleTable scanned) {
    table = std::move(scanned);
    BuildAssemblyMaps(table, maps);
    assemblies = std::make_unique<ShowAssObj>(table, maps, host);
    assemblies->Show();
    return *assemblies;
  }
};

TEST_F(Viewers, Assemblies_OnlyInputsOrNone_InputTabFromId64WithEveryEntry) {
  // RA883Z: ten analog input words, two entries each.
  const ShowAssObj& form = OpenAssemblies(testing::Scanned({{"1", "RA883Z"}}));
  ASSERT_EQ(form.AssObjParaTableTag.Tabs().size(), 1U);
  EXPECT_EQ(form.AssObjParaTableTag.Tabs()[0].caption, "Input Instance");
  const ui::Grid& grid = form.AssObjParaRecord;
  ASSERT_EQ(grid.Cols(), kAssemblyFixedCols + 20);
  EXPECT_EQ(grid.TextMatrix(1, 1) + " " + grid.TextMatrix(1, 2), "64 20");
  EXPECT_EQ(grid.TextMatrix(1, 3) + " " + grid.TextMatrix(1, 22), "0x1-RA883Z:1 0x1-RA883Z:10");

  // No data either way: no tabs, only the header row.
  EXPECT_TRUE(OpenAssemblies(modules::ModuleTable{}).AssObjParaTableTag.Tabs().empty());
  EXPECT_EQ(assemblies->AssObjParaRecord.Rows(), 1);
}

TEST_F(Viewers, Assemblies_DigitalAndAnalogBothWays_InputIdsFollowTheOutputIds) {
  // RA412: 4 DO, 1 AO, 1 DI, 2 AI.
  ShowAssObj& form = OpenAssemblies(testing::Scanned({{"5", "RA412"}}));
  ASSERT_EQ(form.AssObjParaTableTag.Tabs().size(), 2U);
  const ui::Grid& grid = form.AssObjParaRecord;
  ASSERT_EQ(grid.Rows(), 3);
  EXPECT_EQ(testing::GridRow(grid, 1), (Row{"1", "64", "1", "RA412:00~03", ""}));
  EXPECT_EQ(testing::GridRow(grid, 2), (Row{"2", "65", "2", "0x5-RA412:1", "0x5-RA412:1"}));

  form.AssObjParaTableTag.Click(1);
  ASSERT_EQ(grid.Cols(), kAssemblyFixedCols + 4);
  EXPECT_EQ(testing::GridRow(grid, 1), (Row{"1", "66", "1", "0x5-RA412:00~00", "", "", ""}));
  EXPECT_EQ(grid.TextMatrix(2, 1), "67");
  EXPECT_EQ(grid.TextMatrix(2, 6), "0x5-RA412:2");

  // Back to the outputs: rebuilt, not appended to.
  form.AssObjParaTableTag.Click(0);
  ASSERT_EQ(grid.Cols(), kAssemblyFixedCols + 2);
  EXPECT_EQ(grid.TextMatrix(1, 1), "64");
}

}  // namespace
}  // namespace gw20::devicenet
