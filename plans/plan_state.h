#pragma once
// A plan and the program's state, both ways: the module table a scan of the
// plan's chain would leave, the gateway parameters its values stand for, the
// list entries its connection texts name; and the plan that reproduces what a
// controller has stored. Also the checks of a plan against a chain: the chain
// found, and the choices its lists allow.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "devicenet/connections.h"
#include "link/link_fwd.h"
#include "modules/modules_fwd.h"
#include "plans/plan.h"

namespace gw20::pages {
struct MapTables;
}

namespace gw20::plans {

// The bit-rate code a module reports for the field-port bit rate it runs at
// (1200 bit/s: 3 .. 115200 bit/s: 10); 0 for a rate not in the list.
int ModuleBaudCode(int bitRateBps);

// Fills `table` as a scan of `plan`'s chain at the plan's scan bit rate
// would: the slots in listing order with address, model, channels and
// totals, type code, data format and application object. The plan must be
// one CheckPlan accepts.
void LoadChain(const Plan& plan, modules::ModuleTable& table);

// The chain a connect found, in listing order.
std::vector<PlanModule> ChainOf(const modules::ModuleTable& table);

// "01 RA412 (type code 40, data format 00)"
std::string ModuleText(const PlanModule& module);

// One line per slot where `found` differs from `planned` (address, model,
// type code or data format): "slot 2: expected 02 RA822 (...), found 03
// RA850 (...)", "found no module" or "expected no module"; empty when they
// agree.
std::vector<std::string> ChainDifferences(const std::vector<PlanModule>& planned,
                                          const std::vector<PlanModule>& found);

// Sets the application, node, CAN bit rate, field port and scan parameters.
void SetGatewayParameters(const Plan& plan, link::GatewayParameters& params);

// The DeviceNet page's list entries a plan's choices name.
struct ConnectionPicks {
  std::array<int, devicenet::kConnectionSlots> produced{};
  std::array<int, devicenet::kConnectionSlots> consumed{};
  int defaultConnection = 0;  // IO_Info position
};

// The message the DeviceNet page refuses a Strobe item longer than 8 bytes with.
inline constexpr std::string_view kStrobeLengthMessage = "Error! The selected data length > 8 bytes";

struct PicksResult {
  std::optional<ConnectionPicks> picks;
  std::optional<PlanProblem> problem;  // set when picks is not
};

// The entries of `produced` and `consumed` (the page's lists) that the plan's
// texts name. A text no entry has is refused with the texts allowed.
PicksResult PicksOf(const PlanDeviceNet& plan, const std::vector<std::string>& produced,
                    const std::vector<std::string>& consumed);

// Checks what CheckPlan leaves to the chain: for a DeviceNet plan, every
// connection text is an entry of the lists the plan's chain gives, and the
// Strobe produced item carries at most 8 bytes (the page's own message).
// Nullopt for a CANopen plan and for a DeviceNet plan that fits.
std::optional<PlanProblem> CheckPlanAgainstChain(const Plan& plan);

// The plan a controller's stored configuration stands for, from the state a
// connect left (`params` with the header's values and the scan's, the image,
// the modules found), with the firmware the connect read. Texts are the
// writer's defaults (""). A controller
// without a valid stored configuration, or one whose stored choices no list
// entry gives, is refused with the reason (the connect's own message when
// nothing valid is stored).
struct StoredPlanResult {
  std::optional<Plan> plan;
  std::string problem;  // set when plan is not
};
StoredPlanResult PlanOfStoredConfiguration(const link::GatewayParameters& params,
                                           const link::EepromImage& image, const modules::ModuleTable& table);

}  // namespace gw20::plans
