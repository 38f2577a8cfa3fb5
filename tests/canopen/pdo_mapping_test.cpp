#include "canopen/pdo_mapping.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "canopen/error_control.h"
#include "canopen/object_dictionary.h"
#include "tests/support/module_tables.h"

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
};

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
  EXPECT_EQ(Receive()[0].MappedObjectCount(), 8);
  EXPECT_FALSE(Receive()[0].Analog());
  EXPECT_EQ(Receive()[1].MappedObjectCount(), 4);
  EXPECT_TRUE(Receive()[1].Analog());
  EXPECT_EQ(Receive()[4].MappedObjectCount(), 0);  // skipped: the digital bytes ended with PDO 0
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
  EXPECT_EQ(MappedKindOf(0, 4), MappedKind::Digital);
  EXPECT_EQ(MappedKindOf(3, 6), MappedKind::Analog);
  EXPECT_EQ(MappedKindOf(4, 4), MappedKind::Analog);  // no digital PDOs beyond PDO 0
  EXPECT_EQ(MappedKindOf(5, 6), MappedKind::Digital);
  EXPECT_EQ(MappedKindOf(6, 6), MappedKind::Analog);
}

// Unpacking is the page's load (COPEDS_F.Load_PresetsErrorControlFromTheStoredWord).
TEST(ErrorControlWord, Pack_StoresOnlyTheSelectedProtocol) {
  ErrorControlSettings s{
      .ErrorControlFlags = 4, .GuardTime = 1000, .LifeTimeFactor = 3, .HeartbeatTime = 300};
  EXPECT_EQ(PackErrorControlWord(s), 0x04012C00U);  // the guarding values the page still holds stay out
  s.ErrorControlFlags = 1;
  EXPECT_EQ(PackErrorControlWord(s), 0x0103E803U);
}

}  // namespace
}  // namespace gw20::canopen
