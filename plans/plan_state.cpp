#include "plans/plan_state.h"

#include <algorithm>
#include <cstdint>

#include "canopen/error_control.h"
#include "devicenet/assembly_maps.h"
#include "devicenet/assembly_records.h"
#include "devicenet/dnseds_set.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"
#include "plans/json_document.h"
#include "platform/ui/number_text.h"

namespace gw20::plans {
namespace {

// A module reports the field-port bit rate as a code: 3 for the list's first
// rate, counting on.
constexpr int kFirstBaudCode = 3;
constexpr int kMaxStrobeBytes = 8;

std::string AllowedTexts(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) text += (i == 0 ? "" : ", ") + JsonQuote(items[i]);
  return text;
}

std::optional<int> EntryOf(const std::vector<std::string>& items, const std::string& text) {
  const std::string compared = ComparedText(text);
  const auto found = std::find_if(items.begin(), items.end(), [&compared](const std::string& item) {
    return ComparedText(item) == compared;
  });
  if (found == items.end()) return std::nullopt;
  return static_cast<int>(found - items.begin());
}

// Data bytes of produced entry `index` (text `item`): what the page weighs a
// Strobe choice by.
int ProducedLength(const modules::ModuleTable& table, const pages::MapTables& maps, int index,
                   const std::string& item) {
  const devicenet::DnsPath path = devicenet::GetDNSInfo(index, item, maps);
  if (path.Instance == 0) return 0;
  if (path.ClassId == devicenet::kApplicationClass && path.Instance <= modules::kModuleSlots) {
    const auto& object = table.AppObjList[static_cast<std::size_t>(path.Instance - 1)];
    if (path.Attribute == devicenet::kDIData) return object.DIL;
    if (path.Attribute == devicenet::kAIData) return object.AIL;
    return 0;
  }
  if (path.ClassId == devicenet::kAssemblyClass && index >= 1 && index <= pages::kMapRecords) {
    return devicenet::AssemblyTable(maps, devicenet::AssemblyDirection::Input)[index - 1].Length();
  }
  return 0;
}

PlanSerial SerialOf(int baudIndex, int checksum, int timeoutMs) {
  const int index = std::clamp(baudIndex, 0, link::kBaudCount - 1);
  return PlanSerial{link::kFieldBitRates[static_cast<std::size_t>(index)], checksum == link::kChecksumOn,
                    timeoutMs};
}

PlanErrorControl ErrorControlOf(std::uint32_t word) {
  const canopen::ErrorControlSettings settings = canopen::UnpackErrorControlWord(word);
  PlanErrorControl plan;
  plan.protocol = settings.Heartbeat() ? ErrorControlProtocol::Heartbeat : ErrorControlProtocol::NodeGuarding;
  plan.guardTimeMs = settings.GuardTime;
  plan.lifeTimeFactor = settings.LifeTimeFactor;
  plan.heartbeatTimeMs = settings.HeartbeatTime;
  plan.otherFlags = settings.ErrorControlFlags & ~canopen::kHeartbeatFlag;
  return plan;
}

std::string StoredConnectionProblem(int slot, bool consumed, std::size_t word, std::uint32_t stored) {
  return "the " + std::string(consumed ? "consumed" : "produced") + " connection of " +
         std::string(kSlotKeys[static_cast<std::size_t>(slot)]) +
         " the controller has stored (block 1 word " + std::to_string(word) + ", " + std::to_string(stored) +
         ") is no entry of the list for the modules connected";
}

}  // namespace

int ModuleBaudCode(int bitRateBps) {
  const auto index = FieldBaudIndexOf(bitRateBps);
  return index ? kFirstBaudCode + *index : 0;
}

void LoadChain(const Plan& plan, modules::ModuleTable& table) {
  modules::ResetModuleTable(table);
  const int baudCode = ModuleBaudCode(plan.scan.bitRateBps);
  const int count = std::min(static_cast<int>(plan.modules.size()), modules::kModuleSlots);
  for (int slot = 0; slot < count; ++slot) {
    const PlanModule& m = plan.modules[static_cast<std::size_t>(slot)];
    table.CurrentModule = slot;
    auto& record = table.ModuleList[static_cast<std::size_t>(slot)];
    record.Address = std::to_string(m.address);
    record.ModelName = m.model;
    (void)modules::ModuleChInfo(table, m.model);
    record.TypeCode = m.typeCode;
    record.DataFormat = m.dataFormat;
    auto& object = table.AppObjList[static_cast<std::size_t>(slot)];
    object.TypeCode = m.typeCode;
    object.DataFormat = m.dataFormat;
    object.Baud = baudCode;
    object.TypeCodeCount = record.TypeCodeCount;
    object.TypeCode2 = record.TypeCode2;
  }
  // The scan leaves CurrentModule behind the last module listed.
  table.CurrentModule = count;
  modules::BuildModuleOrder(table);
}

std::vector<PlanModule> ChainOf(const modules::ModuleTable& table) {
  std::vector<PlanModule> chain;
  modules::ForEachListedModule(table, [&](int, const modules::ZelkModuleRecord& record) {
    chain.push_back(
        PlanModule{modules::AddressValue(record), record.ModelName, record.TypeCode, record.DataFormat});
  });
  return chain;
}

std::string ModuleText(const PlanModule& module) {
  return ui::H2(module.address) + " " + module.model + " (type code " + ui::H2(module.typeCode) +
         ", data format " + ui::H2(module.dataFormat) + ")";
}

std::vector<std::string> ChainDifferences(const std::vector<PlanModule>& planned,
                                          const std::vector<PlanModule>& found) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < std::max(planned.size(), found.size()); ++i) {
    const bool hasPlanned = i < planned.size();
    const bool hasFound = i < found.size();
    if (hasPlanned && hasFound && planned[i] == found[i]) continue;
    lines.push_back("slot " + std::to_string(i + 1) + ": expected " +
                    (hasPlanned ? ModuleText(planned[i]) : "no module") + ", found " +
                    (hasFound ? ModuleText(found[i]) : "no module"));
  }
  return lines;
}

void SetGatewayParameters(const Plan& plan, link::GatewayParameters& params) {
  params.ApplicationType = ApplicationTypeOf(plan.profile);
  params.NodeId = plan.nodeId;
  params.CanBaudIndex = CanBaudIndexOf(plan.profile, plan.canBitRateKbps).value_or(0);
  params.Com2BaudIndex = FieldBaudIndexOf(plan.fieldPort.bitRateBps).value_or(0);
  params.Com2Checksum = plan.fieldPort.checksum ? link::kChecksumOn : link::kChecksumOff;
  params.Com2Timeout = plan.fieldPort.timeoutMs;
  params.ScanBaudIndex = FieldBaudIndexOf(plan.scan.bitRateBps).value_or(link::kDefaultScanBaudIndex);
  params.ScanChecksum = plan.scan.checksum ? link::kChecksumOn : link::kChecksumOff;
  params.ScanTimeoutMs = plan.scan.timeoutMs;
}

PicksResult PicksOf(const PlanDeviceNet& plan, const std::vector<std::string>& produced,
                    const std::vector<std::string>& consumed) {
  ConnectionPicks picks;
  for (int k = 0; k < devicenet::kConnectionSlots; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    const PlanConnection& c = plan.connections[slot];
    for (const bool isConsumed : {false, true}) {
      const std::string& text = isConsumed ? c.consumed : c.produced;
      const auto& items = isConsumed ? consumed : produced;
      const auto entry = EntryOf(items, text);
      if (!entry) {
        return {
            std::nullopt,
            PlanProblem{
                "deviceNet." + std::string(kSlotKeys[slot]) + (isConsumed ? ".consumed" : ".produced"),
                ShownQuote(text) + " is not in the list the chain gives; allowed: " + AllowedTexts(items)}};
      }
      (isConsumed ? picks.consumed : picks.produced)[slot] = *entry;
    }
  }
  picks.defaultConnection = DefaultConnectionPosition(plan.defaultConnection).value_or(0);
  return {picks, std::nullopt};
}

std::optional<PlanProblem> CheckPlanAgainstChain(const Plan& plan) {
  if (plan.profile != Profile::DeviceNet) return std::nullopt;
  modules::ModuleTable table;
  pages::MapTables maps;
  LoadChain(plan, table);
  devicenet::BuildAssemblyMaps(table, maps);
  const auto produced = devicenet::ProducedItems(table, maps);
  const auto picks = PicksOf(plan.deviceNet, produced, devicenet::ConsumedItems(table, maps));
  if (!picks.picks) return picks.problem;
  const int strobe = picks.picks->produced[devicenet::kStrobe];
  const std::string& item = produced[static_cast<std::size_t>(strobe)];
  if (const int bytes = ProducedLength(table, maps, strobe, item); bytes > kMaxStrobeBytes) {
    // The page's own message, then what it leaves out: which item, and how long it is.
    return PlanProblem{"deviceNet.strobe.produced", std::string(kStrobeLengthMessage) + " (" +
                                                        ShownQuote(item) + " carries " +
                                                        std::to_string(bytes) + " bytes)"};
  }
  return std::nullopt;
}

StoredPlanResult PlanOfStoredConfiguration(const link::GatewayParameters& params,
                                           const link::EepromImage& image,
                                           const modules::ModuleTable& table) {
  if (image.EepromConfigValid != 1 || image.ConfigMismatch) {
    return {std::nullopt, std::string(link::kConfigMismatchMessage)};
  }
  Plan plan;
  plan.profile = params.ApplicationType == link::kCanOpen ? Profile::CANopen : Profile::DeviceNet;
  plan.nodeId = params.NodeId;
  const auto rates = CanBitRates(plan.profile);
  plan.canBitRateKbps =
      rates[static_cast<std::size_t>(std::clamp(params.CanBaudIndex, 0, static_cast<int>(rates.size()) - 1))];
  plan.fieldPort = SerialOf(params.Com2BaudIndex, params.Com2Checksum, params.Com2Timeout);
  plan.scan = SerialOf(params.ScanBaudIndex, params.ScanChecksum, params.ScanTimeoutMs);
  plan.modules = ChainOf(table);
  // A controller may report a firmware no plan can name (a year below 0): then the plan names none.
  const std::string firmware = link::FirmwareText(
      {image.FirmwareMajor, image.FirmwareMinor, image.FirmwareYear, image.FirmwareMonth, image.FirmwareDay});
  if (ParseFirmwareText(firmware)) plan.firmware = firmware;
  if (plan.profile == Profile::CANopen) {
    const auto block = link::UnpackModuleBlock(image.ModuleBlock, image.ModuleBlockBytes);
    if (!block) return {std::nullopt, "the controller's block 2 could not be read"};
    plan.errorControl = ErrorControlOf(block->ErrorControlWord);
  } else {
    const auto block = link::UnpackDeviceNetBlock(image.DeviceNetBlock);
    // A CANopen commit leaves block 1 as an earlier one left it: the header
    // says whether it belongs to this configuration.
    const auto header = link::UnpackHeader(image.ConfigHeader);
    const bool deviceNetImage = header && header->DeviceNetBlockBytes == link::kDeviceNetBlockBytes;
    if (!block || !deviceNetImage) {
      return {std::nullopt, "the controller's block 1 holds no DeviceNet configuration"};
    }
    if (block->DefaultIOInfo < 0 || block->DefaultIOInfo >= devicenet::kDefaultConnections) {
      return {std::nullopt, "the default connection the controller has stored (block 1 word 0, " +
                                std::to_string(image.DeviceNetBlock[0]) +
                                ") is none of Poll, Strobe, COS, Cyclic"};
    }
    pages::MapTables maps;
    devicenet::BuildAssemblyMaps(table, maps);
    const auto produced = devicenet::ProducedItems(table, maps);
    const auto consumed = devicenet::ConsumedItems(table, maps);
    for (int k = 0; k < devicenet::kConnectionSlots; ++k) {
      const auto slot = static_cast<std::size_t>(k);
      auto& c = plan.deviceNet.connections[slot];
      const auto in = devicenet::StoredConnectionEntry(k, false, block->ProducedPath[slot], produced, maps);
      if (!in) return {std::nullopt, StoredConnectionProblem(k, false, 1 + slot, block->ProducedPath[slot])};
      const auto out = devicenet::StoredConnectionEntry(k, true, block->ConsumedPath[slot], consumed, maps);
      if (!out) {
        return {std::nullopt, StoredConnectionProblem(k, true, 1 + devicenet::kConnectionSlots + slot,
                                                      block->ConsumedPath[slot])};
      }
      c.produced = produced[static_cast<std::size_t>(*in)];
      c.consumed = consumed[static_cast<std::size_t>(*out)];
    }
    plan.deviceNet.defaultConnection =
        std::string(kDefaultConnectionTexts[static_cast<std::size_t>(block->DefaultIOInfo)]);
  }
  if (auto problem = CheckPlan(plan)) return {std::nullopt, problem->path + ": " + problem->reason};
  return {plan, {}};
}

}  // namespace gw20::plans
