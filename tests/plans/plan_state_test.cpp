// A plan and the program's state, both ways.
#include "plans/plan_state.h"

#include <gtest/gtest.h>

#include "devicenet/assembly_maps.h"
#include "devicenet/connections.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"

namespace gw20::plans {
namespace {

Plan DeviceNetPlan() {
  Plan plan;
  plan.profile = Profile::DeviceNet;
  plan.canBitRateKbps = 250;
  plan.scan.bitRateBps = 19200;
  plan.modules = {{1, "RA850", 8, 2}, {3, "RA412", 0x40, 0}, {10, "RA312", 0x40, 0}};
  return plan;
}

TEST(PlanState, LoadChainFillsTheTableAsAScanAndChainOfGivesItBack) {
  const Plan plan = DeviceNetPlan();
  modules::ModuleTable table;
  LoadChain(plan, table);
  EXPECT_EQ(table.ModuleCount, 3);
  EXPECT_EQ(table.ModuleList[2].Address, "10");
  EXPECT_EQ(table.ModuleList[0].AIChannels, 8);
  EXPECT_EQ(table.AppObjList[0].Baud, 7);  // 19200 bit/s as the module reports it
  EXPECT_EQ(table.AppObjList[0].TypeCode, 8);
  EXPECT_EQ(table.AppObjList[0].DataFormat, 2);
  EXPECT_GT(table.TotalAIBytes, 0);
  EXPECT_EQ(ChainOf(table), plan.modules);
  EXPECT_EQ(ModuleBaudCode(1200), 3);
  EXPECT_EQ(ModuleBaudCode(115200), 10);
  EXPECT_EQ(ModuleBaudCode(300), 0);
}

TEST(PlanState, ChainDifferencesNameEachSlotExpectedAndFound) {
  const std::vector<PlanModule> planned{{1, "RA412", 0x40, 0}, {2, "RA822", 0x40, 0}};
  EXPECT_TRUE(ChainDifferences(planned, planned).empty());
  const auto lines =
      ChainDifferences(planned, {{1, "RA412", 0x40, 1}, {2, "RA822", 0x40, 0}, {5, "RA850", 8, 2}});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "slot 1: expected 01 RA412 (type code 40, data format 00), found 01 RA412 (type code 40, data "
            "format 01)");
  EXPECT_EQ(lines[1], "slot 3: expected no module, found 05 RA850 (type code 08, data format 02)");
  EXPECT_EQ(ChainDifferences(planned, {}).size(), 2u);
}

TEST(PlanState, ConnectionTextsMustBeInTheChainsListsAndStrobeFitEightBytes) {
  Plan plan = DeviceNetPlan();
  plan.deviceNet.connections[devicenet::kPoll] = {"INPUT  01(Assembly)", "OUTPUT 02(Assembly)"};
  plan.deviceNet.connections[devicenet::kStrobe] = {"INPUT  01(Assembly)", "OUTPUT 01(Assembly)"};
  EXPECT_EQ(CheckPlanAgainstChain(plan), std::nullopt);

  plan.deviceNet.connections[devicenet::kCosCyclic].consumed = "OUTPUT 09(Assembly)";
  auto problem = CheckPlanAgainstChain(plan);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->path, "deviceNet.cosCyclic.consumed");
  EXPECT_NE(problem->reason.find("allowed: \"None\", \"OUTPUT 01(Assembly)\""), std::string::npos)
      << problem->reason;

  plan.deviceNet.connections[devicenet::kCosCyclic].consumed = "None";
  // Input assembly 2 carries RA850's eight analog words.
  plan.deviceNet.connections[devicenet::kStrobe].produced = "INPUT  02(Assembly)";
  problem = CheckPlanAgainstChain(plan);
  ASSERT_TRUE(problem);
  // The page's message, then the item and its length.
  EXPECT_EQ(problem->reason,
            std::string(kStrobeLengthMessage) + " (\"INPUT  02(Assembly)\" carries 20 bytes)");
  EXPECT_EQ(CheckPlanAgainstChain(Plan{}), std::nullopt);
  // Runs of blanks count as one, the ends not at all.
  plan.deviceNet.connections[devicenet::kStrobe].produced = " INPUT 01(Assembly) ";
  EXPECT_EQ(CheckPlanAgainstChain(plan), std::nullopt);

  // The field port is set as the scan found the modules, or the plan says why not.
  plan.scan = plan.fieldPort;
  EXPECT_EQ(FieldPortWarning(plan), std::nullopt);
  plan.scan.checksum = !plan.fieldPort.checksum;
  ASSERT_TRUE(FieldPortWarning(plan));
  EXPECT_EQ(FieldPortWarning(plan)->path, "fieldPort");
}

TEST(PlanState, StoredConfigurationBecomesThePlanOrIsRefused) {
  const Plan planned = DeviceNetPlan();
  link::GatewayParameters params;
  SetGatewayParameters(planned, params);
  modules::ModuleTable table;
  LoadChain(planned, table);
  pages::MapTables maps;
  devicenet::BuildAssemblyMaps(table, maps);

  link::EepromImage image;
  EXPECT_EQ(PlanOfStoredConfiguration(params, image, table).problem,
            "Attached modules do not match the configuration stored in EEPROM!");

  // Block 1 as a commit of COS default, Poll INPUT 01 / OUTPUT 02, Strobe
  // None / OUTPUT 01, COS None / None stores it.
  const auto produced = devicenet::ProducedItems(table, maps);
  const auto consumed = devicenet::ConsumedItems(table, maps);
  image.EepromConfigValid = 1;
  link::HeaderFields header;
  header.DeviceNetBlockBytes = link::kDeviceNetBlockBytes;
  image.ConfigHeader = link::PackHeader(header).words;
  image.DeviceNetBlock.assign(link::kDeviceNetImageWords, 0);
  image.DeviceNetBlock[0] = 2u << 16;
  image.DeviceNetBlock[1] = devicenet::ConnectionWord(0, false, 1, produced[1], maps);
  image.DeviceNetBlock[4] = devicenet::ConnectionWord(0, true, 2, consumed[2], maps);
  image.DeviceNetBlock[5] = devicenet::ConnectionWord(1, true, 1, consumed[1], maps);
  for (const std::size_t word : {2u, 3u})
    image.DeviceNetBlock[word] = devicenet::ConnectionWord(0, false, 0, "None", maps);
  image.DeviceNetBlock[6] = devicenet::ConnectionWord(2, true, 0, "None", maps);
  const auto stored = PlanOfStoredConfiguration(params, image, table);
  ASSERT_TRUE(stored.plan) << stored.problem;
  EXPECT_EQ(stored.plan->deviceNet.defaultConnection, "COS");
  EXPECT_EQ(stored.plan->deviceNet.connections[devicenet::kPoll],
            (PlanConnection{"INPUT  01(Assembly)", "OUTPUT 02(Assembly)"}));
  EXPECT_EQ(stored.plan->deviceNet.connections[devicenet::kStrobe].consumed, "OUTPUT 01(Assembly)");
  EXPECT_EQ(stored.plan->modules, planned.modules);
  EXPECT_EQ(stored.plan->scan, planned.scan);

  // A consumed entry beyond the list cannot be given by any pick.
  image.DeviceNetBlock[5] = 60u << 24;
  EXPECT_NE(PlanOfStoredConfiguration(params, image, table).problem.find("consumed connection of strobe"),
            std::string::npos);
  // A CANopen commit leaves block 1 as it was: the header does not count it.
  header.DeviceNetBlockBytes = 0;
  image.ConfigHeader = link::PackHeader(header).words;
  EXPECT_EQ(PlanOfStoredConfiguration(params, image, table).problem,
            "the controller's block 1 holds no DeviceNet configuration");
}

}  // namespace
}  // namespace gw20::plans
