#include "app/plan_choices.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "app/main_f.h"
#include "canopen/copeds_f.h"
#include "canopen/error_control.h"
#include "devicenet/connections.h"
#include "devicenet/dnseds_set.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"
#include "plans/plan_state.h"
#include "platform/ui/numbers.h"

namespace gw20::app {
namespace {

using devicenet::kConnectionSlots;

// A typed number beyond every range a plan allows stays beyond it, without
// overflowing the int it is kept in.
constexpr double kTypedLimit = 1e6;

int TypedNumber(const std::string& text) {
  const double typed = std::clamp(ui::LeadingNumber(text), -kTypedLimit, kTypedLimit);
  return static_cast<int>(ui::RoundHalfEven(typed));
}

void TypeEdsTexts(std::array<ui::TextBox, eds::kEdsInfoCount>& boxes, const eds::EdsInfo& texts) {
  boxes[eds::kEdsDescription].Type(texts[eds::kEdsDescription]);
  boxes[eds::kEdsCreator].Type(texts[eds::kEdsCreator]);
}

eds::EdsInfo EdsTextsOf(const std::array<ui::TextBox, eds::kEdsInfoCount>& boxes) {
  eds::EdsInfo texts{};
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = boxes[i].Text();
  return texts;
}

// The entry at `index`; beyond the list, "None", whose path such an index commits.
std::string EntryAt(const std::vector<std::string>& items, int index) {
  const bool listed = index >= 0 && index < static_cast<int>(items.size());
  return listed ? items[static_cast<std::size_t>(index)] : plans::PlanConnection{}.produced;
}

plans::PlanSerial SerialOf(int baudIndex, int checksum, int timeoutMs) {
  const bool known = baudIndex >= 0 && baudIndex < link::kBaudCount;
  return {link::kFieldBitRates[static_cast<std::size_t>(known ? baudIndex : 0)],
          checksum != link::kChecksumOff, timeoutMs};
}

}  // namespace

void MakeCanopenChoices(canopen::COPEDS_F& page, canopen::ErrorControlSettings& settings,
                        const plans::Plan& plan) {
  const auto& e = plan.errorControl;
  if (e.protocol == plans::ErrorControlProtocol::Heartbeat) {
    page.ErrControl[canopen::kHeartbeat].Choose();
    page.Heartbeat_T.Type(std::to_string(e.heartbeatTimeMs));
  } else {
    page.ErrControl[canopen::kNodeGuarding].Choose();
    page.GuardTime_T[0].Type(std::to_string(e.guardTimeMs));
    page.GuardTime_T[1].Type(std::to_string(e.lifeTimeFactor));
  }
  settings.ErrorControlFlags = (settings.ErrorControlFlags & canopen::kHeartbeatFlag) | e.otherFlags;
  TypeEdsTexts(page.EDSInfo, plan.edsInfo);
}

ChoiceOutcome MakeDeviceNetChoices(devicenet::DNSEdsSet& page, const devicenet::ConnectionChoices& choices,
                                   const plans::Plan& plan, std::string& problem) {
  // Every slot's lists hold the same items; the Poll slot's stand for all.
  const auto picks = plans::PicksOf(plan.deviceNet, page.InpPut[devicenet::kPoll].Items(),
                                    page.OutPut[devicenet::kPoll].Items());
  if (!picks.picks) {
    problem = picks.problem->path + ": " + picks.problem->reason;
    return ChoiceOutcome::NotInList;
  }
  for (int k = 0; k < kConnectionSlots; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    // A pick the page refuses (a Strobe item over 8 bytes) leaves the earlier choice.
    page.InpPut[k].Pick(picks.picks->produced[slot]);
    if (choices.ProducedChoice[slot] != picks.picks->produced[slot]) return ChoiceOutcome::Refused;
    page.OutPut[k].Pick(picks.picks->consumed[slot]);
    if (choices.ConsumedChoice[slot] != picks.picks->consumed[slot]) return ChoiceOutcome::Refused;
  }
  page.IO_Info[picks.picks->defaultConnection].Choose();
  TypeEdsTexts(page.EDSInfo, plan.edsInfo);
  return ChoiceOutcome::Made;
}

CanopenChoices CanopenChoicesOf(const canopen::COPEDS_F& page,
                                const canopen::ErrorControlSettings& settings) {
  CanopenChoices chosen;
  auto& e = chosen.errorControl;
  // Only the chosen protocol's times count; the controller keeps one.
  if (page.ErrControl[canopen::kHeartbeat].Value()) {
    e.protocol = plans::ErrorControlProtocol::Heartbeat;
    e.heartbeatTimeMs = TypedNumber(page.Heartbeat_T.Text());
  } else {
    e.protocol = plans::ErrorControlProtocol::NodeGuarding;
    e.guardTimeMs = TypedNumber(page.GuardTime_T[0].Text());
    e.lifeTimeFactor = TypedNumber(page.GuardTime_T[1].Text());
  }
  constexpr int kFlagByte = 0xFF;
  e.otherFlags = settings.ErrorControlFlags & kFlagByte & ~canopen::kHeartbeatFlag;
  chosen.edsInfo = EdsTextsOf(page.EDSInfo);
  return chosen;
}

DeviceNetChoices DeviceNetChoicesOf(const devicenet::DNSEdsSet& page,
                                    const devicenet::ConnectionChoices& choices,
                                    const modules::ModuleTable& table, const pages::MapTables& maps) {
  const auto produced = devicenet::ProducedItems(table, maps);
  const auto consumed = devicenet::ConsumedItems(table, maps);
  DeviceNetChoices chosen;
  for (int k = 0; k < kConnectionSlots; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    auto& connection = chosen.deviceNet.connections[slot];
    connection.produced = EntryAt(produced, choices.ProducedChoice[slot]);
    connection.consumed = EntryAt(consumed, choices.ConsumedChoice[slot]);
  }
  chosen.deviceNet.defaultConnection =
      std::string(devicenet::kDefaultConnectionTexts[static_cast<std::size_t>(page.DefaultIOInfo())]);
  chosen.edsInfo = EdsTextsOf(page.EDSInfo);
  return chosen;
}

void KeepUnpickedConsumed(const devicenet::DNSEdsSet& page, ConsumedPicks& picked,
                          const std::optional<plans::PlanDeviceNet>& stored, DeviceNetChoices& chosen) {
  for (const int k : {devicenet::kStrobe, devicenet::kCosCyclic}) {
    const auto slot = static_cast<std::size_t>(k);
    // The page loads these lists without a selection: one shows only a pick.
    if (page.OutPut[k].ListIndex() >= 0) picked[slot] = true;
    if (picked[slot]) continue;
    chosen.deviceNet.connections[slot].consumed =
        stored ? stored->connections[slot].consumed : plans::PlanConnection{}.consumed;
  }
}

plans::Plan PlanOfPanels(const link::GatewayParameters& params, plans::Profile profile,
                         const modules::ModuleTable& table) {
  plans::Plan plan;
  plan.profile = profile;
  plan.nodeId = params.NodeId;
  const auto rates = plans::CanBitRates(profile);
  const bool listed = params.CanBaudIndex >= 0 && params.CanBaudIndex < static_cast<int>(rates.size());
  plan.canBitRateKbps = listed ? rates[static_cast<std::size_t>(params.CanBaudIndex)] : 0;
  plan.fieldPort = SerialOf(params.Com2BaudIndex, params.Com2Checksum,
                            params.Com2Timeout > 0 ? params.Com2Timeout : kUnsetCom2TimeoutShownMs);
  plan.scan = SerialOf(params.ScanBaudIndex, params.ScanChecksum, params.ScanTimeoutMs);
  plan.modules = plans::ChainOf(table);
  return plan;
}

bool TakeStoredChoices(const link::GatewayParameters& params, const link::EepromImage& image,
                       const modules::ModuleTable& table, plans::Plan& plan) {
  const auto stored = plans::PlanOfStoredConfiguration(params, image, table);
  if (!stored.plan || stored.plan->profile != plan.profile) return false;
  plan.errorControl = stored.plan->errorControl;
  plan.deviceNet = stored.plan->deviceNet;
  return true;
}

}  // namespace gw20::app
