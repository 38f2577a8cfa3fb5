// Plans compared key by key, in the file's own terms; the first plan format
// still read, without firmware.
#include "plans/plan_compare.h"

#include <gtest/gtest.h>

#include "plans/plan_file.h"
#include "plans/plan_state.h"

namespace gw20::plans {
namespace {

Plan DeviceNetPlan() {
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
  const Plan plan = DeviceNetPlan();
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
  Plan devicenet = DeviceNetPlan();
  devicenet.modules.clear();
  EXPECT_EQ(Lines(guarding, devicenet, Compared::Stored),
            (std::vector<std::string>{"profile: plan \"canopen\", controller \"devicenet\"",
                                      "nodeId: plan 1, controller 12",
                                      "canBitRateKbps: plan 125, controller 500"}));
}

TEST(PlanCompare, AControllerWithoutAPlanIsSaidSoAndItsChainCompared) {
  const Plan plan = DeviceNetPlan();
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
  Plan plan = DeviceNetPlan();
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
