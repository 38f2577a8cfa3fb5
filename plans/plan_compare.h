#pragma once
// Two plans side by side, key by key: what `gw20cli check` shows between a
// plan and the plan a controller's stored configuration stands for, and
// `gw20cli diff` between two plan files. Keys are the plan file's own
// ("nodeId", "deviceNet.strobe.consumed", "modules[2]").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plans/plan.h"

namespace gw20::plans {

// One side's value of a key that differs.
struct DifferenceValue {
  std::string json;   // as a JSON value: 12, "OUTPUT 03(DO,App.01)", true, {"address": "0A", ...}
  std::string shown;  // as a line shows it: 12, "OUTPUT 03(DO,App.01)", 0A RA850 (type code 08, ...)
};

// A key whose value differs; a side without the key (a module past the
// end of its chain, the other error control's time) has nullopt.
struct PlanDifference {
  std::string key;
  std::optional<DifferenceValue> first;
  std::optional<DifferenceValue> second;
};

// What a comparison looks at.
enum class Compared {
  // What a controller stores: the profile, node, bit rates, field port, the
  // chain and the profile's choices. The scan parameters (a check scans
  // with the plan's), the firmware and the EDS texts (no EEPROM word holds
  // them) are left out.
  Stored,
  // Every key of the file.
  Everything,
};

// The keys where `second` differs from `first`, in the order the file lists
// them; one entry per module slot whose module differs. Empty when they agree.
std::vector<PlanDifference> PlanDifferences(const Plan& first, const Plan& second, Compared what);

// "nodeId: plan 12, controller 14";
// "modules[2]: plan 0A RA850 (type code 08, data format 02), controller: no module".
std::string DifferenceLine(const PlanDifference& difference, std::string_view firstName,
                           std::string_view secondName);

struct StoredPlanResult;

// What a check of a controller against a plan found: the differences, or
// why the controller holds no plan at all.
struct CheckOutcome {
  std::vector<PlanDifference> differences;
  std::string noPlan;  // one line, when the controller holds no plan
  bool Holds() const { return differences.empty() && noPlan.empty(); }
};

// Compares `plan` with what a controller stores (`stored`, from
// PlanOfStoredConfiguration), Compared::Stored. A controller without a plan
// gets one line (blank, or its stored configuration not matching its
// modules: the connect's own message; a stored choice no list gives), and then
// only `chainFound` is compared with the plan's chain.
CheckOutcome CheckAgainstPlan(const Plan& plan, const StoredPlanResult& stored,
                              const std::vector<PlanModule>& chainFound);

// The outcome as lines for the operator: `noPlan` first, then one
// DifferenceLine per difference; none when it holds.
std::vector<std::string> OutcomeLines(const CheckOutcome& outcome, std::string_view firstName,
                                      std::string_view secondName);

}  // namespace gw20::plans
