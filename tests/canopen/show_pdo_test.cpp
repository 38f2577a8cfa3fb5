// The PDO viewer: one row per PDO in use with its communication parameters,
// and the entries of the selected direction.

#include "canopen/show_pdo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "canopen/pdo_mapping.h"
#include "canopen/pdo_records.h"
#include "link/gateway_parameters.h"
#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::canopen {
namespace {

using testing::AddModule;
const std::string kUnused(kUnusedEntry);

class PdoViewer : public ::testing::Test {
 protected:
  modules::ModuleTable table;
  std::unique_ptr<MapTables> maps = std::make_unique<MapTables>();
  link::GatewayParameters params;
  testing::FormRecorder host;

  std::unique_ptr<ShowPDO> Open() {
    EXPECT_TRUE(BuildPdoMaps(table, *maps));
    auto form = std::make_unique<ShowPDO>(*maps, params, host);
    form->Show();
    return form;
  }
};

// Three RA917 (24 DO each) and an RA952 (14 DI) at node 127: the ninth
// output byte goes to PDO 5; the reserved analog PDOs 2 to 4 always show.
TEST_F(PdoViewer, ShowsEachDirectionWithItsRowsAndPredefinedCobIds) {
  params.NodeId = 127;
  for (int slot = 0; slot < 3; ++slot) AddModule(table, slot, "RA917", std::to_string(slot + 1), {.DO = 24});
  AddModule(table, 3, "RA952", "4", {.DI = 14});
  const auto form = Open();
  const ui::Grid& grid = form->PDOParaRecord;
  ASSERT_EQ(grid.Rows(), 6);
  EXPECT_EQ(
      testing::GridRow(grid, 1),
      (std::vector<std::string>{"1", "27F", "255", "Reversed", "Reversed", "0x1-RA917:00~07",
                                "0x1-RA917:08~15", "0x1-RA917:16~23", "0x2-RA917:00~07", "0x2-RA917:08~15",
                                "0x2-RA917:16~23", "0x3-RA917:00~07", "0x3-RA917:08~15"}));
  EXPECT_EQ(grid.TextMatrix(5, 0) + " " + grid.TextMatrix(5, 1) + " " + grid.TextMatrix(5, 5),
            "5 80000000 0x3-RA917:16~23");

  form->PDOParaTableTag.Click(kTransmitPdoTab);
  ASSERT_EQ(grid.Rows(), 5);
  EXPECT_EQ(testing::GridRow(grid, 1),
            (std::vector<std::string>{"1", "1FF", "255", "0", "0", "0x4-RA952:00~07", "0x4-RA952:08~13",
                                      kUnused, kUnused, kUnused, kUnused, kUnused, kUnused}));

  // Back to the receive side: the grid is rebuilt, not appended to.
  form->PDOParaTableTag.Click(kReceivePdoTab);
  ASSERT_EQ(grid.Rows(), 6);
  EXPECT_EQ(grid.TextMatrix(1, 3), "Reversed");
}

}  // namespace
}  // namespace gw20::canopen
