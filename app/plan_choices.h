#pragma once
// A plan and the windows, both ways: the plan's choices made on a loaded
// configuration page as an operator would make them (gw20cli's apply and eds,
// and the desktop program's Open Plan), and the plan the main window's panels
// and a page's choices stand for (Save Plan).

#include <array>
#include <optional>
#include <string>

#include "devicenet/connections.h"
#include "eds/eds_info.h"
#include "link/link_fwd.h"
#include "modules/modules_fwd.h"
#include "plans/plan.h"

namespace gw20::canopen {
class COPEDS_F;
struct ErrorControlSettings;
}  // namespace gw20::canopen
namespace gw20::pages {
struct MapTables;
}
namespace gw20::devicenet {
class DNSEdsSet;
}

namespace gw20::app {

// Chooses the plan's error control on a loaded CANopen page, types its times
// and EDS texts, and carries the plan's other flag bits into `settings` (the
// page's own state, which Finish packs), as a stored configuration would.
void MakeCanopenChoices(canopen::COPEDS_F& page, canopen::ErrorControlSettings& settings,
                        const plans::Plan& plan);

enum class ChoiceOutcome {
  Made,
  NotInList,  // a text is no entry of the page's lists: `problem` names the allowed texts
  Refused,    // the page refused a pick and has said why
};
// Picks the plan's connections slot by slot (produced before consumed) and
// its default on a loaded DeviceNet page, and types its EDS texts. Stops at
// the first pick the page refused; `choices` are the page's.
ChoiceOutcome MakeDeviceNetChoices(devicenet::DNSEdsSet& page, const devicenet::ConnectionChoices& choices,
                                   const plans::Plan& plan, std::string& problem);

// What the operator left chosen on a configuration page, in the plan's terms.
struct CanopenChoices {
  plans::PlanErrorControl errorControl;
  eds::EdsInfo edsInfo{};
};
struct DeviceNetChoices {
  plans::PlanDeviceNet deviceNet;
  eds::EdsInfo edsInfo{};
};

// The page's choices: the protocol chosen and its times as Finish reads the
// boxes (leading number, halves to even; a value out of range stays so and
// is refused when the plan is written), with the other flag bits of
// `settings`.
CanopenChoices CanopenChoicesOf(const canopen::COPEDS_F& page, const canopen::ErrorControlSettings& settings);
// The entries `choices` hold in the lists the modules and the page's
// assemblies (`maps`, as its load derived them) give, "None" for an index
// beyond them, and the page's default and EDS texts. The choices outlive
// the lists, which Back empties.
DeviceNetChoices DeviceNetChoicesOf(const devicenet::DNSEdsSet& page,
                                    const devicenet::ConnectionChoices& choices,
                                    const modules::ModuleTable& table, const pages::MapTables& maps);

// The consumed lists the DeviceNet page presets nothing in at load (Strobe,
// COS/Cyclic), by slot; the Poll slot and every produced list are preset
// from what the controller stores.
using ConsumedPicks = std::array<bool, devicenet::kConnectionSlots>;

// Marks in `picked` the lists of those that show a pick on the page as it
// is left (the operator's, or a plan's), then replaces in `chosen` the
// consumed connection of every such list not picked since the connect by
// `stored` (the controller's choices, as TakeStoredChoices gives them), or by
// "None" without them: a visit keeps what it does not change.
void KeepUnpickedConsumed(const devicenet::DNSEdsSet& page, ConsumedPicks& picked,
                          const std::optional<plans::PlanDeviceNet>& stored, DeviceNetChoices& chosen);

// The plan of the main window's panels: `profile` (the application option),
// the node, CAN bit rate and field port as stored by the last Setting or
// connect and shown in the viewer (an unset field-port time-out as the panel
// shows it), the scan parameters used and the chain in `table`. Choices and
// EDS texts are the pages' presets without a stored configuration; a CAN
// bit-rate index the profile's list does not have gives 0 kbit/s, which
// writing refuses.
plans::Plan PlanOfPanels(const link::GatewayParameters& params, plans::Profile profile,
                         const modules::ModuleTable& table);

// The choices the controller has stored, when its stored configuration is
// valid and of `plan`'s profile: copied into `plan`. False (plan unchanged)
// otherwise.
bool TakeStoredChoices(const link::GatewayParameters& params, const link::EepromImage& image,
                       const modules::ModuleTable& table, plans::Plan& plan);

// What the main window keeps for its plan menu items during a run.
struct PlanSession {
  std::optional<plans::Plan> opened;  // the plan Open Plan read last
  std::string openedFile;             // its file, as the messages name it
  // The connected chain is the opened plan's: the pages preset its choices.
  bool presets = false;
  // The choices of each page as it was left last since the connect.
  std::optional<CanopenChoices> canopenVisited;
  std::optional<DeviceNetChoices> deviceNetVisited;
  // The lists the DeviceNet page does not preset that were picked since the connect.
  ConsumedPicks consumedPicked{};

  // A connect starts: what was chosen before was chosen for another controller.
  void ForgetVisits() {
    presets = false;
    canopenVisited.reset();
    deviceNetVisited.reset();
    consumedPicked = {};
  }
};

}  // namespace gw20::app
