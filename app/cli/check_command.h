#pragma once
// What gw20cli check and diff print: the differences between two plans (a
// plan and the one a controller's stored configuration stands for, or two
// plan files), one line each or as JSON.

#include <string>
#include <string_view>
#include <vector>

#include "plans/plan_compare.h"

namespace gw20::cli {

// The names the sides go by: in a line ("plan", "controller") and as JSON keys.
struct ComparedSides {
  std::string_view first;
  std::string_view second;
  std::string_view firstKey;
  std::string_view secondKey;
};
inline constexpr ComparedSides kCheckSides{"plan", "controller", "plan", "controller"};
inline constexpr ComparedSides kDiffSides{"plan A", "plan B", "planA", "planB"};

using plans::CheckAgainstPlan;
using plans::CheckOutcome;

// One line per difference, each ending in a line break; `noPlan` first.
std::string DifferencesText(const CheckOutcome& outcome, const ComparedSides& sides);
// {"same": BOOL, "noPlan": TEXT or null, "differences": [{"key": K, FIRST: V, SECOND: V}]}
// with the sides' JSON keys; a side without the key has null. Ends in a line break.
std::string DifferencesJson(const CheckOutcome& outcome, const ComparedSides& sides);

}  // namespace gw20::cli
