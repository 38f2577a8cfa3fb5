// The DeviceNet assemblies, the connection list items and their paths, the
// EDS writer against the hand-derived files, and the assembly object viewer.

#include "devicenet/assembly_maps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "devicenet/connections.h"
#include "devicenet/dns_eds_writer.h"
#include "devicenet/show_ass_obj.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::devicenet {
namespace {

using testing::Scanned;

// Both kinds both ways, counter words included, and no modules at all are the
// EDS writer's expected files (poll_cos.eds lists every assembly's entries).
TEST(BuildAssemblyMaps, OneKindGoesIntoAssemblyZero_EarlierEntriesAreGone) {
  MapTables maps;
  maps.OutputMap[5].EntryCount = 9;                                    // left over from an earlier derivation
  BuildAssemblyMaps(Scanned({{"3", "RA690"}, {"4", "RA850"}}), maps);  // 1 AO; 8 AI
  const AssemblyTable outputs(maps, AssemblyDirection::Output);
  const AssemblyTable inputs(maps, AssemblyDirection::Input);
  EXPECT_EQ(std::tuple(outputs[0].Length(), outputs[0].Analog(), inputs[0].Length(), outputs.Last(),
                       inputs.Last(), outputs[5].Length()),
            std::tuple(2, true, 16, 0, 0, 0));
  EXPECT_EQ(inputs[0].Entries().back(), "0x4-RA850:8");
  EXPECT_EQ((std::vector{outputs.Count(), inputs.Count()}), (std::vector{1, 1}));
}

TEST(BuildAssemblyMaps, StopsAt251Entries) {
  // Twelve RA883Z (10 words) and one RB486 (7 words): 254 analog input bytes.
  std::vector<std::pair<std::string, std::string>> found;
  for (int i = 1; i <= 12; ++i) found.emplace_back(std::to_string(i), "RA883Z");
  found.emplace_back("13", "RB486");
  const auto table = Scanned(found);
  ASSERT_EQ(table.TotalAIBytes, 254);
  MapTables maps;
  BuildAssemblyMaps(table, maps);
  const Assembly inputs = AssemblyTable(maps, AssemblyDirection::Input)[0];
  EXPECT_EQ(inputs.Length(), 251);
  EXPECT_EQ(inputs.Entries().back(), "0xD-RB486:6");
}

TEST(ConnectionLists, PathsOfTheItems) {
  // RA412 at 3 and RA312 (8 DO, 8 DI) at 10: two output and two input assemblies.
  const auto table = Scanned({{"3", "RA412"}, {"10", "RA312"}});
  MapTables maps;
  BuildAssemblyMaps(table, maps);
  const auto consumed = ConsumedItems(table, maps);
  const auto produced = ProducedItems(table, maps);
  // The items' texts are DNSEdsSet.Load's; the assemblies' and None's paths PageCommit's.
  ASSERT_EQ(consumed.size() + produced.size(), 12U);

  EXPECT_EQ(GetDNSInfo(3, consumed[3], maps), (DnsPath{kApplicationClass, 1, kDOData}));
  EXPECT_EQ(GetDNSInfo(5, consumed[5], maps), (DnsPath{kApplicationClass, 1, kAOData}));
  EXPECT_EQ(GetDNSInfo(4, produced[4], maps), (DnsPath{kApplicationClass, 2, kDIData}));
  EXPECT_EQ(GetDNSInfo(5, produced[5], maps), (DnsPath{kApplicationClass, 1, kAIData}));
  // The controller counts the input assemblies on after the two output ones.
  EXPECT_EQ(GetDNSInfo(2, produced[2], maps), (DnsPath{kAssemblyClass, 4, kAssemblyData}));
  EXPECT_EQ(GetDNSInfo(2, consumed[2], maps), (DnsPath{kAssemblyClass, 2, kAssemblyData}));
  EXPECT_EQ(GetDNSInfo(0, produced[0], maps), (DnsPath{kAssemblyClass, 0, kAssemblyData}));
  // The EDS file spells a path in hexadecimal, instance 0x66 for the first input assembly.
  EXPECT_EQ(AssemblyTable(maps, AssemblyDirection::Input).FirstInstance(), 0x66);
  EXPECT_EQ(EdsPathText({kApplicationClass, 12, kAIData}), "20 64 24 0C 30 17");
}

std::string Expected(const std::string& name) {
  return testing::ReadFile(std::filesystem::path(GW20_DEVICENET_EXPECTED_DIR) / name);
}

struct Module {
  std::string address, name;
  int DO, AO, DI, AI, IOType, TypeCode, DataFormat, Baud;
};

// The commit's state, with the module table as a scan leaves it and the
// assemblies derived from it.
class DnsEds : public ::testing::Test {
 protected:
  DnsEds() { image.FirmwareMajor = 2, image.FirmwareMinor = 5; }

  void Add(int slot, const Module& m) {
    modules::ZelkModuleRecord& r = table.ModuleList[static_cast<std::size_t>(slot)];
    r.ModelName = m.name, r.Address = m.address;
    r.DOChannels = m.DO, r.AOChannels = m.AO, r.DIChannels = m.DI, r.AIChannels = m.AI;
    modules::AppObjectRecord& a = table.AppObjList[static_cast<std::size_t>(slot)];
    a.Name = m.name, a.IOType = m.IOType, a.Address = std::stoi(m.address), a.Baud = m.Baud;
    a.TypeCode = m.TypeCode, a.DataFormat = m.DataFormat;
    a.DOL = (m.DO + 7) / 8, a.AOL = 2 * m.AO, a.DIL = (m.DI + 7) / 8, a.AIL = 2 * m.AI;
    a.DOC = m.DO, a.AOC = m.AO, a.DIC = m.DI, a.AIC = m.AI;
  }
  void PackingLine() {
    params.NodeId = 5;
    Add(0, {"1", "RA412", 4, 1, 1, 2, 6, 0x0D, 0x00, 3});
    Add(1, {"3", "RA850", 0, 0, 0, 8, 3, 0x08, 0x02, 3});
    Add(2, {"10", "RX12", 0, 0, 16, 0, 2, 0x41, 0x00, 5});
    Add(9, {"31", "RA517", 0, 0, 0, 6, 3, 0x50, 0x01, 3});
    Add(11, {"32", "RA690", 0, 1, 0, 0, 1, 0x21, 0x00, 3});
    table.CurrentModule = 12;
    table.TotalDOBytes = 1, table.TotalAOBytes = 4, table.TotalDIBytes = 3, table.TotalAIBytes = 32;
    choices.ProducedChoice = {1, 0, 3, 0};
    choices.ConsumedChoice = {2, 0, 0, 0};
    info = {"Packing line 4", "J. Smith"};
  }
  DeviceNetEdsState State() {
    BuildAssemblyMaps(table, *maps);
    return {table, *maps, params, image, choices, info};
  }

  modules::ModuleTable table;
  std::unique_ptr<pages::MapTables> maps = std::make_unique<pages::MapTables>();
  link::GatewayParameters params;
  link::EepromImage image;
  ConnectionChoices choices;
  eds::EdsInfo info;
};

TEST_F(DnsEds, NoModules_MatchesHandDerivedFile) {
  params.NodeId = 12;
  info = {"Spare gateway", "QA"};
  EXPECT_EQ(BuildDnsEds(State(), {2026, 12, 4, 9, 5, 7}), Expected("no_io.eds"));
}

TEST_F(DnsEds, PollAndCosWithBothDirections_MatchesHandDerivedFile) {
  PackingLine();
  EXPECT_EQ(BuildDnsEds(State(), {2026, 1, 31, 14, 3, 9}), Expected("poll_cos.eds"));
}

TEST_F(DnsEds, CosOnlyWithInputsOnly_MatchesHandDerivedFile) {
  params.NodeId = 63;
  image.FirmwareMajor = 3, image.FirmwareMinor = 10;
  Add(0, {"5", "RA850", 0, 0, 0, 8, 3, 0x08, 0x02, 3});
  Add(1, {"16", "RA952", 0, 0, 14, 0, 2, 0x40, 0x00, 3});
  table.CurrentModule = 2;
  table.TotalDIBytes = 2, table.TotalAIBytes = 16;
  choices.ProducedChoice = {0, 0, 2, 0};
  EXPECT_EQ(BuildDnsEds(State(), {2026, 7, 1, 0, 0, 0}), Expected("cos_only.eds"));
}

// The assembly object viewer: one row per assembly, its entries, and the
// tabs of the directions that carry data.
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
