#include "modules/module_ch_info.h"

#include <gtest/gtest.h>

#include <string>

#include "modules/model_catalog.h"
#include "modules/module_table.h"

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
  ASSERT_TRUE(Identify(table, 0, "RA850", "1"));
  const int aiBefore = table.TotalAIBytes;
  for (const char* name : {"RA850 ", "ra850", "Ra850", "RA8501", "RA850CX", "RA85", "RB706", "RB883W", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FindModel(name), nullptr);
    EXPECT_FALSE(Identify(table, 1, name, "2"));
    EXPECT_EQ(table.ModuleList[1].Address, "");
    EXPECT_EQ(table.ModuleList[1].AIChannels, 0);
  }
  EXPECT_EQ(table.TotalAIBytes, aiBefore);
  EXPECT_EQ(table.ModuleList[0].Address, "1");
}

TEST(ModuleChInfo, KnownModel_FillsRecordTotalsAndAppObject) {
  ModuleTable table;
  ASSERT_TRUE(Identify(table, 3, "RA812", "18"));
  const ZelkModuleRecord& r = table.ModuleList[3];
  EXPECT_EQ(r.DOChannels, 6);
  EXPECT_EQ(r.AIChannels, 8);
  EXPECT_EQ(r.TypeCodeCount, 1);
  EXPECT_EQ(table.TotalDOBytes, 1);
  EXPECT_EQ(table.TotalAIBytes, 16);
  EXPECT_EQ(table.TotalDIBytes + table.TotalAOBytes, 0);

  const AppObjectRecord& a = table.AppObjList[3];
  EXPECT_EQ(a.Name, "RA812");
  EXPECT_EQ(a.Address, 18);
  EXPECT_EQ(a.IOType, 8);
  EXPECT_EQ(a.DOC, 6);
  EXPECT_EQ(a.DOL, 1);
  EXPECT_EQ(a.AIC, 8);
  EXPECT_EQ(a.AIL, 16);
  EXPECT_EQ(a.TypeCodeCount, 1);
  EXPECT_EQ(a.TypeCode2, 0);

  // The I/O class of a few telling mixes, as the application object shows it.
  const struct {
    const char* name;
    int ioType, dol, aol, dil, ail;
  } cases[] = {{"RA412P", 6, 1, 2, 1, 2}, {"RA318", 7, 1, 0, 1, 2},  {"RA874", 1, 0, 8, 0, 0},
               {"RB331", 2, 0, 0, 4, 0},  {"RA356B", 4, 1, 0, 1, 0}, {"RB952", 0, 4, 0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ModuleTable t;
    ASSERT_TRUE(Identify(t, 0, c.name, "5"));
    const AppObjectRecord& o = t.AppObjList[0];
    EXPECT_EQ(o.IOType, c.ioType);
    EXPECT_EQ(o.DOL, c.dol);
    EXPECT_EQ(o.AOL, c.aol);
    EXPECT_EQ(o.DIL, c.dil);
    EXPECT_EQ(o.AIL, c.ail);
  }
}

TEST(ModuleChInfo, DigitalChannels_RoundUpToWholeBytesPerModule) {
  ModuleTable table;
  ASSERT_TRUE(Identify(table, 0, "RA387", "1"));  // 13 digital outputs
  ASSERT_TRUE(Identify(table, 1, "RA952", "2"));  // 14 digital inputs
  EXPECT_EQ(table.TotalDOBytes, 2);
  EXPECT_EQ(table.TotalDIBytes, 2);
  ASSERT_TRUE(Identify(table, 2, "RA476", "3"));  // 4 + 4, twice: a byte each, not one shared
  ASSERT_TRUE(Identify(table, 3, "RB356", "4"));
  EXPECT_EQ(table.TotalDOBytes, 4);
  EXPECT_EQ(table.TotalDIBytes, 4);
}

TEST(ModuleChInfo, CounterModule_AddsOnlyItsDigitalOutputs) {
  ModuleTable table;
  ASSERT_TRUE(Identify(table, 0, "RA502", "7"));
  EXPECT_EQ(table.ModuleList[0].CounterChannels, 2);
  EXPECT_EQ(table.TotalDOBytes, 1);
  EXPECT_EQ(table.TotalAOBytes + table.TotalDIBytes + table.TotalAIBytes, 0);
  const AppObjectRecord& a = table.AppObjList[0];
  EXPECT_EQ(a.DOC, 2);
  EXPECT_EQ(a.DOL, 1);
  EXPECT_EQ(a.AIC + a.AIL + a.AOC + a.AOL + a.DIC + a.DIL, 0);
}

TEST(ModuleChInfo, TotalPast255_ThrowsDescriptionAndLeavesTableUnchanged) {
  ModuleTable table;
  for (int slot = 0; slot < 12; ++slot) {
    ASSERT_TRUE(Identify(table, slot, "RA883Z", std::to_string(slot + 1)));  // 20 bytes each
  }
  EXPECT_EQ(table.TotalAIBytes, 240);
  try {
    Identify(table, 12, "RA883Z", "13");
    FAIL() << "no overflow reported";
  } catch (const ModuleTableError& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("TotalAIBytes"), std::string::npos) << text;
    EXPECT_NE(text.find("260"), std::string::npos) << text;
    EXPECT_NE(text.find("RA883Z"), std::string::npos) << text;
  }
  EXPECT_EQ(table.TotalAIBytes, 240);
  EXPECT_EQ(table.ModuleList[12].AIChannels, 0);
  EXPECT_EQ(table.AppObjList[12].Name, "");
}

TEST(ModuleChInfo, BadSlotOrAddress_ThrowsInsteadOfWritingOutOfBounds) {
  ModuleTable table;
  table.CurrentModule = kModuleSlots;
  EXPECT_THROW(ModuleChInfo(table, "RA394"), ModuleTableError);
  EXPECT_THROW(ModuleCode(table, -1, 3), ModuleTableError);
  for (const char* address : {"256", "x1", "1 ", ""}) {
    SCOPED_TRACE(address);
    EXPECT_THROW(Identify(table, 0, "RA394", address), ModuleTableError);
    EXPECT_EQ(table.TotalAIBytes, 0);
  }
}

}  // namespace
}  // namespace gw20::modules
