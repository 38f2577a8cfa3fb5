// The DeviceNet assemblies, the connection list items and their paths.

#include "devicenet/assembly_maps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devicenet/connections.h"
#include "tests/support/module_tables.h"

namespace gw20::devicenet {
namespace {

using testing::Scanned;

// Both kinds both ways, counter words included, and no modules at all are the
// EDS writer's expected files (poll_cos.eds lists every assembly's entries).
TEST(BuildAssemblyMaps, OneKindGoesIntoAssemblyZero_EarlierEntriesAreGone) {
  MapTables maps;
  maps.OutputMap[5].EntryCount = 9;                                    // left over from an earlier derivation
  BuildAssemblyMaps(Scanned({{"3", "RA690"}, {"4", "RA850"}}), maps);  // 1 AO; 8 AI
  EXPECT_EQ(maps.OutputMap[0].EntryCount, 2);
  EXPECT_EQ(maps.OutputMap[0].EntryKind, eds::kAnalogEntries);
  EXPECT_EQ(maps.InputMap[0].EntryCount, 16);
  EXPECT_EQ(maps.InputMap[0].Entries[15], "0x4-RA850:8");
  EXPECT_EQ(maps.LastOutputMap, 0);
  EXPECT_EQ(maps.LastInputMap, 0);
  EXPECT_EQ(maps.OutputMap[5].EntryCount, 0);
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
  EXPECT_EQ(maps.InputMap[0].EntryCount, 251);
  EXPECT_EQ(maps.InputMap[0].Entries[250], "0xD-RB486:6");
}

TEST(ConnectionLists, PathsOfTheApplicationObjectItems) {
  // RA412 at 3 and RA312 (8 DO, 8 DI) at 10: two output and two input assemblies.
  const auto table = Scanned({{"3", "RA412"}, {"10", "RA312"}});
  MapTables maps;
  BuildAssemblyMaps(table, maps);
  const auto consumed = ConsumedItems(table, maps);
  const auto produced = ProducedItems(table, maps);
  // The items' texts are DNSEdsSet.Load's; the assemblies' and None's paths DeviceNetCommit's.
  ASSERT_EQ(consumed.size() + produced.size(), 12U);

  EXPECT_EQ(GetDNSInfo(3, consumed[3], maps), (DnsPath{kApplicationClass, 1, kDOData}));
  EXPECT_EQ(GetDNSInfo(5, consumed[5], maps), (DnsPath{kApplicationClass, 1, kAOData}));
  EXPECT_EQ(GetDNSInfo(4, produced[4], maps), (DnsPath{kApplicationClass, 2, kDIData}));
  EXPECT_EQ(GetDNSInfo(5, produced[5], maps), (DnsPath{kApplicationClass, 1, kAIData}));
}

}  // namespace
}  // namespace gw20::devicenet
