// The PDO mapping model, the error-control word, the EDS writer against the
// hand-derived files, and the PDO and object dictionary viewers.

#include "canopen/pdo_mapping.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "canopen/canopen_eds_writer.h"
#include "canopen/error_control.h"
#include "canopen/object_dictionary.h"
#include "canopen/pdo_records.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::canopen {
namespace {

using testing::AddModule;
using Row = std::vector<std::string>;

// The eight entries of a PDO; Padded fills an expected row with placeholders.
Row Bytes(PdoRecord pdo) {
  Row row;
  for (int byte = 0; byte < kPdoDataBytes; ++byte) row.push_back(pdo.Entry(byte));
  return row;
}
Row Padded(Row row) {
  row.resize(kPdoDataBytes, std::string(kUnusedEntry));
  return row;
}

// The maps derived from `table`, and the viewers over them.
class PdoMaps : public ::testing::Test {
 protected:
  // Builds the maps and checks NextFreeRxPdo, NextFreeTxPdo, LastOutputMap and LastInputMap.
  void Build(std::array<int, 4> next) {
    ASSERT_TRUE(BuildPdoMaps(table, *maps));
    EXPECT_EQ((std::array{maps->NextFreeRxPdo, maps->NextFreeTxPdo, maps->LastOutputMap, maps->LastInputMap}),
              next);
  }
  PdoTable Receive() const { return {*maps, PdoDirection::Receive}; }
  PdoTable Transmit() const { return {*maps, PdoDirection::Transmit}; }

  modules::ModuleTable table;
  std::unique_ptr<MapTables> maps = std::make_unique<MapTables>();
  link::GatewayParameters params;
  testing::FormRecorder host;
};
using PdoViewer = PdoMaps;
using DictionaryViewer = PdoMaps;

TEST_F(PdoMaps, NoModules_EarlierTextsAreGone) {
  maps->OutputMap[0].Entries[0] = "0x1-RA917:00~07";  // left by an earlier page
  maps->InputMap[9].Entries[200] = "stale";
  maps->InputMap[9].EntryCount = 7;
  Build({4, 4, 3, 3});  // the placeholders are no_modules.eds's
  EXPECT_EQ(maps->OutputMap[0].Entries[0] + maps->InputMap[9].Entries[200], "");
  EXPECT_EQ(maps->InputMap[9].EntryCount, 0);
}

TEST_F(PdoMaps, MixedModulesWithGaps_FollowSlotOrderPerDirection) {
  // Slot order, not ModuleOrder, decides; an empty Address hides its slot.
  AddModule(table, 2, "RA412", "10", {.DO = 4, .AI = 3});
  AddModule(table, 5, "RA394", "3", {.DO = 20, .DI = 6});
  table.ModuleList[3] = {.ModelName = "RA917", .Address = "", .DOChannels = 16};
  modules::BuildModuleOrder(table);
  std::swap(table.ModuleOrder[0], table.ModuleOrder[1]);
  Build({4, 4, 3, 3});
  EXPECT_EQ(Bytes(Receive()[0]),
            Padded({"0xA-RA412:00~03", "0x3-RA394:00~07", "0x3-RA394:08~15", "0x3-RA394:16~19"}));
  EXPECT_EQ(Bytes(Transmit()[0]), Padded({"0x3-RA394:00~05"}));
  EXPECT_EQ(Bytes(Transmit()[1]), Padded({"0xA-RA412:0", "0xA-RA412:0", "0xA-RA412:1", "0xA-RA412:1",
                                          "0xA-RA412:2", "0xA-RA412:2"}));
  EXPECT_EQ(Transmit()[1].MappedObjectCount(), 3);
  EXPECT_EQ(Bytes(Receive()[1]), Padded({}));
}

TEST_F(PdoMaps, FullPdos_CountEightDigitalOrFourAnalogObjects) {
  AddModule(table, 0, "RA917", "1", {.DO = 64});
  AddModule(table, 1, "RA952", "2", {.AO = 4});
  Build({5, 4, 4, 3});
  // PDO 4 is skipped: the digital bytes ended with PDO 0.
  EXPECT_EQ(
      std::tuple(Receive()[0].MappedObjectCount(), Receive()[0].Analog(), Receive()[1].MappedObjectCount(),
                 Receive()[1].Analog(), Receive()[4].MappedObjectCount()),
      std::tuple(8, false, 4, true, 0));
  EXPECT_EQ(Transmit().NextFree(), 4);
}

TEST_F(PdoMaps, MoreAnalogChannelsThan32Pdos_ReportsThatTheyDoNotFit) {
  for (int slot = 0; slot < 15; ++slot) AddModule(table, slot, "RB913", std::to_string(slot + 1), {.AI = 9});
  EXPECT_FALSE(BuildPdoMaps(table, *maps));
  EXPECT_EQ(maps->LastInputMap, 31);
  EXPECT_EQ(maps->InputMap[31].Entries[6], "0xE-RB913:6");  // the 124th channel is the last that fits
}

// The mapping words themselves are the hand-derived files'.
TEST(MappingCounters, KindByPdoIndex) {
  // With the digital bytes ending in PDO 0 (4), no digital PDOs follow it.
  EXPECT_EQ((std::vector{MappedKindOf(0, 4), MappedKindOf(3, 6), MappedKindOf(4, 4), MappedKindOf(5, 6),
                         MappedKindOf(6, 6)}),
            (std::vector{MappedKind::Digital, MappedKind::Analog, MappedKind::Analog, MappedKind::Digital,
                         MappedKind::Analog}));
}

// Unpacking is the page's load (COPEDS_F.Load_PresetsErrorControlFromTheStoredWord).
TEST(ErrorControlWord, Pack_StoresOnlyTheSelectedProtocol) {
  ErrorControlSettings s{
      .ErrorControlFlags = 4, .GuardTime = 1000, .LifeTimeFactor = 3, .HeartbeatTime = 300};
  EXPECT_EQ(PackErrorControlWord(s), 0x04012C00U);  // the guarding values the page still holds stay out
  s.ErrorControlFlags = 1;
  EXPECT_EQ(PackErrorControlWord(s), 0x0103E803U);
}

std::string Expected(const std::string& name) {
  return testing::ReadFile(std::filesystem::path(GW20_CANOPEN_EXPECTED_DIR) / name);
}

// The commit's state for one configuration, derived as the page derives it.
class EdsConfiguration : public ::testing::Test {
 protected:
  EdsConfiguration() {
    image.FirmwareMajor = 2, image.FirmwareMinor = 5;
    image.FirmwareYear = 2006, image.FirmwareMonth = 3, image.FirmwareDay = 7;
  }
  std::string Build(const ui::DateTime& now) {
    modules::BuildModuleOrder(table);
    EXPECT_TRUE(BuildPdoMaps(table, *maps));
    return BuildCanopenEds(State(), now);
  }
  CanopenEdsState State() {
    return {table, *maps, params, image, errorControl, info, CountCounterModules(table)};
  }

  modules::ModuleTable table;
  std::unique_ptr<MapTables> maps = std::make_unique<MapTables>();
  link::GatewayParameters params;
  link::EepromImage image;
  ErrorControlSettings errorControl;
  eds::EdsInfo info;
};

TEST_F(EdsConfiguration, AnalogHeartbeatCountersAndOwnTexts_MatchesHandDerivedFile) {
  params.NodeId = 127;
  params.CanBaudIndex = 7;
  errorControl = UnpackErrorControlWord(0x04012C00);
  info = {"Line 4 gateway", "J. Smith"};
  AddModule(table, 0, "RA917", "1", {.DO = 64});
  AddModule(table, 1, "RA952", "2", {.AO = 14});
  AddModule(table, 2, "RA495", "3", {.AI = 4});
  AddModule(table, 3, "RA502", "4", {}, kCounterResetTypeCode);
  AddModule(table, 4, "RA502B", "5", {}, 0x40);
  EXPECT_EQ(Build({2027, 1, 9, 0, 5, 59}), Expected("analog_heartbeat.eds"));
}

TEST_F(EdsConfiguration, NoModules_MatchesHandDerivedFile) {
  EXPECT_EQ(Build({2026, 6, 30, 12, 30, 0}), Expected("no_modules.eds"));
}

// The file's name and its replacing an older one are PageCommit's and the save's (eds_file_test).
TEST_F(EdsConfiguration, DigitalGuarding_MatchesHandDerivedFile) {
  // Node guarding, 1000 ms x 3; three modules with 3 DO bytes and 2 DI bytes.
  params.NodeId = 5;
  params.CanBaudIndex = 3;
  errorControl = UnpackErrorControlWord(0x0003E803);
  AddModule(table, 0, "RA387", "1", {.DO = 13});
  AddModule(table, 2, "RA690", "3", {.DI = 12});
  AddModule(table, 4, "RA874", "10", {.DO = 8});
  EXPECT_EQ(Build({2026, 12, 4, 15, 7, 0}), Expected("digital_guarding.eds"));
}

// The viewers: the PDO viewer, one row per PDO in use with its communication
// parameters and the entries of the selected direction; the object
// dictionary viewer, one cell per module, group or channel in ModuleOrder,
// and the counter-module count it keeps for the EDS writer.
const std::string kUnused(kUnusedEntry);

// Three RA917 (24 DO each) and an RA952 (14 DI) at node 127: the ninth
// output byte goes to PDO 5; the reserved analog PDOs 2 to 4 always show.
TEST_F(PdoViewer, ShowsEachDirectionWithItsRowsAndPredefinedCobIds) {
  params.NodeId = 127;
  for (int slot = 0; slot < 3; ++slot) AddModule(table, slot, "RA917", std::to_string(slot + 1), {.DO = 24});
  AddModule(table, 3, "RA952", "4", {.DI = 14});
  ASSERT_TRUE(BuildPdoMaps(table, *maps));
  ShowPDO form(*maps, params, host);
  form.Show();
  const ui::Grid& grid = form.PDOParaRecord;
  ASSERT_EQ(grid.Rows(), 6);
  EXPECT_EQ(
      testing::GridRow(grid, 1),
      (std::vector<std::string>{"1", "27F", "255", "Reversed", "Reversed", "0x1-RA917:00~07",
                                "0x1-RA917:08~15", "0x1-RA917:16~23", "0x2-RA917:00~07", "0x2-RA917:08~15",
                                "0x2-RA917:16~23", "0x3-RA917:00~07", "0x3-RA917:08~15"}));
  EXPECT_EQ(grid.TextMatrix(5, 0) + " " + grid.TextMatrix(5, 1) + " " + grid.TextMatrix(5, 5),
            "5 80000000 0x3-RA917:16~23");

  form.PDOParaTableTag.Click(kTransmitPdoTab);
  ASSERT_EQ(grid.Rows(), 5);
  EXPECT_EQ(testing::GridRow(grid, 1),
            (std::vector<std::string>{"1", "1FF", "255", "0", "0", "0x4-RA952:00~07", "0x4-RA952:08~13",
                                      kUnused, kUnused, kUnused, kUnused, kUnused, kUnused}));

  // Back to the receive side: the grid is rebuilt, not appended to.
  form.PDOParaTableTag.Click(kReceivePdoTab);
  ASSERT_EQ(grid.Rows(), 6);
  EXPECT_EQ(grid.TextMatrix(1, 3), "Reversed");
}

std::vector<std::string> Column(const ui::Grid& grid, int col) {
  std::vector<std::string> cells;
  for (int row = kDictionaryHeaderRows; row < grid.Rows(); ++row) cells.push_back(grid.TextMatrix(row, col));
  return cells;
}

TEST_F(DictionaryViewer, StandardizedTab_ListsGroupsAndChannelsInModuleOrder) {
  int CounterModuleCount = 7;  // left by an earlier table
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
