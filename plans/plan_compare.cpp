#include "plans/plan_compare.h"

#include <algorithm>
#include <array>

#include "plans/json_document.h"
#include "plans/plan_state.h"
#include "platform/ui/number_text.h"

namespace gw20::plans {
namespace {

DifferenceValue NumberValue(int value) { return {std::to_string(value), std::to_string(value)}; }
DifferenceValue BooleanValue(bool value) { return {value ? "true" : "false", value ? "true" : "false"}; }
DifferenceValue TextValue(const std::string& text) {
  const std::string quoted = JsonQuote(Latin1ToUtf8(text));
  return {quoted, quoted};
}
DifferenceValue HexValue(int value) { return TextValue(ui::H2(value)); }
DifferenceValue ModuleValue(const PlanModule& m) {
  return {"{\"address\": \"" + ui::H2(m.address) + "\", \"model\": " + JsonQuote(Latin1ToUtf8(m.model)) +
              ", \"typeCode\": \"" + ui::H2(m.typeCode) + "\", \"dataFormat\": \"" + ui::H2(m.dataFormat) +
              "\"}",
          ModuleText(m)};
}

class Comparison {
 public:
  template <typename T, typename Value>
  void Key(std::string key, const T& first, const T& second, Value value) {
    if (first != second) found_.push_back({std::move(key), value(first), value(second)});
  }
  void Number(std::string key, int first, int second) { Key(std::move(key), first, second, NumberValue); }
  void Text(std::string key, const std::string& first, const std::string& second) {
    Key(std::move(key), first, second, TextValue);
  }
  // A connection or default text: blanks as ComparedText counts them.
  void ListText(std::string key, const std::string& first, const std::string& second) {
    if (ComparedText(first) != ComparedText(second)) Text(std::move(key), first, second);
  }
  // A key one side may not have.
  void Optional(std::string key, std::optional<DifferenceValue> first,
                std::optional<DifferenceValue> second) {
    const auto json = [](const std::optional<DifferenceValue>& v) { return v ? v->json : std::string(); };
    if (first.has_value() != second.has_value() || json(first) != json(second)) {
      found_.push_back({std::move(key), std::move(first), std::move(second)});
    }
  }
  void Serial(const std::string& key, const PlanSerial& first, const PlanSerial& second) {
    Number(key + ".bitRateBps", first.bitRateBps, second.bitRateBps);
    Key(key + ".checksum", first.checksum, second.checksum, BooleanValue);
    Number(key + ".timeoutMs", first.timeoutMs, second.timeoutMs);
  }
  std::vector<PlanDifference> Take() { return std::move(found_); }

 private:
  std::vector<PlanDifference> found_;
};

std::optional<DifferenceValue> FirmwareValue(const std::string& firmware) {
  if (firmware.empty()) return std::nullopt;
  return TextValue(firmware);
}

void CompareErrorControl(Comparison& c, const PlanErrorControl& first, const PlanErrorControl& second) {
  const auto protocol = [](const PlanErrorControl& e) {
    return std::string(e.protocol == ErrorControlProtocol::Heartbeat ? "heartbeat" : "guarding");
  };
  c.Text("canopen.errorControl", protocol(first), protocol(second));
  // Each protocol's times exist only with it, as in the file.
  const auto guarding = [](const PlanErrorControl& e, int value) -> std::optional<DifferenceValue> {
    if (e.protocol != ErrorControlProtocol::NodeGuarding) return std::nullopt;
    return NumberValue(value);
  };
  const auto heartbeat = [](const PlanErrorControl& e) -> std::optional<DifferenceValue> {
    if (e.protocol != ErrorControlProtocol::Heartbeat) return std::nullopt;
    return NumberValue(e.heartbeatTimeMs);
  };
  c.Optional("canopen.guardTimeMs", guarding(first, first.guardTimeMs), guarding(second, second.guardTimeMs));
  c.Optional("canopen.lifeTimeFactor", guarding(first, first.lifeTimeFactor),
             guarding(second, second.lifeTimeFactor));
  c.Optional("canopen.heartbeatTimeMs", heartbeat(first), heartbeat(second));
  c.Key("canopen.otherFlags", first.otherFlags, second.otherFlags, HexValue);
}

void CompareDeviceNet(Comparison& c, const PlanDeviceNet& first, const PlanDeviceNet& second) {
  for (std::size_t slot = 0; slot < kSlotKeys.size(); ++slot) {
    const std::string key = "deviceNet." + std::string(kSlotKeys[slot]);
    c.ListText(key + ".produced", first.connections[slot].produced, second.connections[slot].produced);
    c.ListText(key + ".consumed", first.connections[slot].consumed, second.connections[slot].consumed);
  }
  c.ListText("deviceNet.defaultConnection", first.defaultConnection, second.defaultConnection);
}

}  // namespace

std::vector<PlanDifference> PlanDifferences(const Plan& first, const Plan& second, Compared what) {
  const bool everything = what == Compared::Everything;
  Comparison c;
  c.Text("profile", std::string(ProfileName(first.profile)), std::string(ProfileName(second.profile)));
  c.Number("nodeId", first.nodeId, second.nodeId);
  c.Number("canBitRateKbps", first.canBitRateKbps, second.canBitRateKbps);
  if (everything) c.Optional("firmware", FirmwareValue(first.firmware), FirmwareValue(second.firmware));
  c.Serial("fieldPort", first.fieldPort, second.fieldPort);
  if (everything) c.Serial("scan", first.scan, second.scan);
  const std::size_t slots = std::max(first.modules.size(), second.modules.size());
  for (std::size_t i = 0; i < slots; ++i) {
    const auto module = [i](const std::vector<PlanModule>& chain) -> std::optional<DifferenceValue> {
      if (i >= chain.size()) return std::nullopt;
      return ModuleValue(chain[i]);
    };
    c.Optional("modules[" + std::to_string(i) + "]", module(first.modules), module(second.modules));
  }
  if (everything) {
    c.Text("edsInfo.description", first.edsInfo[eds::kEdsDescription], second.edsInfo[eds::kEdsDescription]);
    c.Text("edsInfo.createdBy", first.edsInfo[eds::kEdsCreator], second.edsInfo[eds::kEdsCreator]);
  }
  // Plans of two profiles share no choices: the profile's line says it all.
  if (first.profile == second.profile) {
    if (first.profile == Profile::CANopen) {
      CompareErrorControl(c, first.errorControl, second.errorControl);
    } else {
      CompareDeviceNet(c, first.deviceNet, second.deviceNet);
    }
  }
  return c.Take();
}

std::string DifferenceLine(const PlanDifference& difference, std::string_view firstName,
                           std::string_view secondName) {
  const bool module = difference.key.starts_with("modules[");
  const auto side = [module](std::string_view name, const std::optional<DifferenceValue>& value) {
    if (value) return std::string(name) + " " + value->shown;
    return std::string(name) + (module ? ": no module" : ": none");
  };
  return difference.key + ": " + side(firstName, difference.first) + ", " +
         side(secondName, difference.second);
}

CheckOutcome CheckAgainstPlan(const Plan& plan, const StoredPlanResult& stored,
                              const std::vector<PlanModule>& chainFound) {
  if (stored.plan) return {PlanDifferences(plan, *stored.plan, Compared::Stored), {}};
  CheckOutcome outcome;
  outcome.noPlan = stored.problem;
  Plan found = plan;
  found.modules = chainFound;
  outcome.differences = PlanDifferences(plan, found, Compared::Stored);
  return outcome;
}

std::vector<std::string> OutcomeLines(const CheckOutcome& outcome, std::string_view firstName,
                                      std::string_view secondName) {
  std::vector<std::string> lines;
  if (!outcome.noPlan.empty()) lines.push_back(outcome.noPlan);
  for (const auto& difference : outcome.differences) {
    lines.push_back(DifferenceLine(difference, firstName, secondName));
  }
  return lines;
}

}  // namespace gw20::plans
