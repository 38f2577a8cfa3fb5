// A plan and the program's state both ways, plans compared, and the first
// plan format still read, without firmware.
#include "plans/plan_state.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "devicenet/assembly_maps.h"
#include "devicenet/connections.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"
#include "plans/plan_compare.h"
#include "plans/plan_file.h"

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
  EXPECT_EQ(std::tuple(table.ModuleCount, table.ModuleList[2].Address, table.ModuleList[0].AIChannels),
            std::tuple(3, "10", 8));
  // Baud 7 is 19200 bit/s as the module reports it.
  const auto& app = table.AppObjList[0];
  EXPECT_EQ((std::vector{app.Baud, app.TypeCode, app.DataFormat}), (std::vector{7, 8, 2}));
  EXPECT_GT(table.TotalAIBytes, 0);
  EXPECT_EQ(ChainOf(table), plan.modules);
  EXPECT_EQ((std::vector{ModuleBaudCode(1200), ModuleBaudCode(115200), ModuleBaudCode(300)}),
            (std::vector{3, 10, 0}));
}

TEST(PlanState, ChainDifferencesNameEachSlotExpectedAndFound) {
  const std::vector<PlanModule> planned{{1, "RA412", 0x40, 0}, {2, "RA822", 0x40, 0}};
  EXPECT_TRUE(ChainDifferences(planned, planned).empty());
  EXPECT_EQ(ChainDifferences(planned, {{1, "RA412", 0x40, 1}, {2, "RA822", 0x40, 0}, {5, "RA850", 8, 2}}),
            (std::vector<std::string>{
                "slot 1: expected 01 RA412 (type code 40, data format 00), found 01 RA412 (type code 40, "
                "data format 01)",
                "slot 3: expected no module, found 05 RA850 (type code 08, data format 02)"}));
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
  PlanDeviceNet expected;
  expected.defaultConnection = "COS";
  expected.connections = {
      {{"INPUT  01(Assembly)", "OUTPUT 02(Assembly)"}, {"None", "OUTPUT 01(Assembly)"}, {"None", "None"}}};
  EXPECT_EQ(stored.plan->deviceNet, expected);
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

// Plans compared key by key, in the file's own terms.
Plan ComparedPlan() {
  Plan plan;
  plan.profile = Profile::DeviceNet;
  plan.nodeId = 12;
  plan.canBitRateKbps = 500;
  plan.modules = {{0x01, "RA412", 0x40, 0x00}, {0x02, "RA822", 0x40, 0x00}, {0x0A, "RA850", 0x08, 0x02}};
  plan.deviceNet.connections[devicenet::kStrobe].consumed = "OUTPUT 03(DO,App.01)";
  return plan;
}

std::vector<std::string> Lines(const Plan& a, const Plan& b, Compared what) {
  std::vector<std::string> lines;
  for (const auto& d : PlanDifferences(a, b, what)) lines.push_back(DifferenceLine(d, "plan", "controller"));
  return lines;
}

TEST(PlanCompare, EachKindOfKeyGivesOneLineInTheFilesOrder) {
  const Plan plan = ComparedPlan();
  EXPECT_TRUE(PlanDifferences(plan, plan, Compared::Everything).empty());
  Plan other = plan;
  other.nodeId = 14;
  other.fieldPort.checksum = true;
  other.modules.pop_back();
  other.deviceNet.connections[devicenet::kStrobe].consumed = "None";
  other.firmware = "2.05-2006/03/07";
  other.scan.timeoutMs = 300;
  other.edsInfo[eds::kEdsCreator] = "Line 3";
  EXPECT_EQ(Lines(plan, other, Compared::Stored),
            (std::vector<std::string>{
                "nodeId: plan 12, controller 14",
                "fieldPort.checksum: plan false, controller true",
                "modules[2]: plan 0A RA850 (type code 08, data format 02), controller: no module",
                "deviceNet.strobe.consumed: plan \"OUTPUT 03(DO,App.01)\", controller \"None\"",
            }));
  // Everything adds what no EEPROM word holds; a side without a key has none.
  const auto all = PlanDifferences(plan, other, Compared::Everything);
  ASSERT_EQ(all.size(), 7U);
  EXPECT_EQ(DifferenceLine(all[1], "plan A", "plan B"), "firmware: plan A: none, plan B \"2.05-2006/03/07\"");
  EXPECT_EQ(all[1].second->json, "\"2.05-2006/03/07\"");
  EXPECT_EQ(all[3].key, "scan.timeoutMs");
  EXPECT_EQ(all[4].first->json,
            "{\"address\": \"0A\", \"model\": \"RA850\", \"typeCode\": \"08\", \"dataFormat\": \"02\"}");
  EXPECT_EQ(all[5].key, "edsInfo.createdBy");
}

TEST(PlanCompare, ErrorControlOfAnotherProtocolAndAnotherProfile) {
  Plan guarding;
  guarding.errorControl = {ErrorControlProtocol::NodeGuarding, 1000, 3, 0, 0};
  Plan heartbeat;
  heartbeat.errorControl = {ErrorControlProtocol::Heartbeat, 0, 0, 500, 0x01};
  EXPECT_EQ(Lines(guarding, heartbeat, Compared::Stored),
            (std::vector<std::string>{
                "canopen.errorControl: plan \"guarding\", controller \"heartbeat\"",
                "canopen.guardTimeMs: plan 1000, controller: none",
                "canopen.lifeTimeFactor: plan 3, controller: none",
                "canopen.heartbeatTimeMs: plan: none, controller 500",
                "canopen.otherFlags: plan \"00\", controller \"01\"",
            }));
  // Another profile's choices are not compared; its node and bit rate are.
  Plan devicenet = ComparedPlan();
  devicenet.modules.clear();
  EXPECT_EQ(Lines(guarding, devicenet, Compared::Stored),
            (std::vector<std::string>{"profile: plan \"canopen\", controller \"devicenet\"",
                                      "nodeId: plan 1, controller 12",
                                      "canBitRateKbps: plan 125, controller 500"}));
}

TEST(PlanCompare, AControllerWithoutAPlanIsSaidSoAndItsChainCompared) {
  const Plan plan = ComparedPlan();
  StoredPlanResult blank{std::nullopt, "Attached modules do not match the configuration stored in EEPROM!"};
  const CheckOutcome none = CheckAgainstPlan(plan, blank, plan.modules);
  EXPECT_TRUE(none.differences.empty());
  EXPECT_FALSE(none.Holds());
  const CheckOutcome mismatch = CheckAgainstPlan(plan, blank, {plan.modules[0]});
  EXPECT_EQ(mismatch.noPlan, blank.problem);
  EXPECT_EQ(mismatch.differences.size(), 2U);
  EXPECT_TRUE(CheckAgainstPlan(plan, {plan, {}}, {}).Holds());
}

TEST(PlanCompare, TheFirstFormatIsStillReadButNamesNoFirmware) {
  Plan plan = ComparedPlan();
  std::string text = WritePlanText(plan);
  text.replace(text.find("gw20-plan/2"), 11, "gw20-plan/1");
  const auto first = ParsePlan(text, "old.json");
  ASSERT_TRUE(first.Ok()) << first.error.Text();
  EXPECT_EQ(*first.plan, plan);
  plan.firmware = "2.05-2006/03/07";
  text = WritePlanText(plan);
  EXPECT_NE(text.find("  \"canBitRateKbps\": 500,\n  \"firmware\": \"2.05-2006/03/07\",\n"),
            std::string::npos);
  text.replace(text.find("gw20-plan/2"), 11, "gw20-plan/1");
  EXPECT_EQ(
      ParsePlan(text, "old.json").error.Text(),
      "old.json:6:3: firmware: a \"gw20-plan/1\" plan has no firmware; a \"gw20-plan/2\" plan may name it");
}

}  // namespace
}  // namespace gw20::plans
