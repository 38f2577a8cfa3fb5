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
  const AssemblyTable outputs(maps, AssemblyDirection::Output);
  const AssemblyTable inputs(maps, AssemblyDirection::Input);
  EXPECT_EQ(outputs[0].Length(), 2);
  EXPECT_TRUE(outputs[0].Analog());
  EXPECT_EQ(inputs[0].Length(), 16);
  EXPECT_EQ(inputs[0].Entries().back(), "0x4-RA850:8");
  EXPECT_EQ(outputs.Last() + inputs.Last(), 0);
  EXPECT_EQ(outputs[5].Length(), 0);
  EXPECT_EQ((std::vector{outputs.Count(), inputs.Count()}), (std::vector{1, 1}));
  EXPECT_EQ(inputs.FirstInstance(), kFirstAssemblyInstance + 1);
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
  // The items' texts are DNSEdsSet.Load's; the assemblies' and None's paths DeviceNetCommit's.
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

}  // namespace
}  // namespace gw20::devicenet
