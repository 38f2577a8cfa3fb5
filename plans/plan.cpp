#include "plans/plan.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "canopen/error_control.h"
#include "link/com_para_setting_f.h"
#include "link/gateway_parameters.h"
#include "modules/model_catalog.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"
#include "plans/json_document.h"
#include "platform/ui/number_text.h"

namespace gw20::plans {
namespace {

constexpr int kMaxByte = 255;

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0)
    return std::nullopt;
  return value;
}

// "125, 250 or 500"
std::string Choices(std::span<const int> values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
    text += std::to_string(values[i]);
  }
  return text;
}

std::optional<int> PositionOf(std::span<const int> values, int value) {
  const auto found = std::find(values.begin(), values.end(), value);
  if (found == values.end()) return std::nullopt;
  return static_cast<int>(found - values.begin());
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
  });
}

std::string ModelProblem(const std::string& model) {
  std::string reason = "model " + ShownQuote(model) + " is not in the catalog";
  for (const auto& entry : modules::ModelCatalog()) {
    if (EqualIgnoringCase(entry.Name, model))
      return reason + " (names are exact: \"" + std::string(entry.Name) + "\")";
  }
  return reason;
}

std::optional<PlanProblem> SerialProblem(const PlanSerial& serial, const std::string& key, int minTimeout,
                                         int maxTimeout, std::string_view timeoutReason) {
  if (!FieldBaudIndexOf(serial.bitRateBps)) {
    return PlanProblem{key + ".bitRateBps", std::to_string(serial.bitRateBps) +
                                                " bit/s is not a field-port bit rate; use " +
                                                Choices(link::kFieldBitRates)};
  }
  if (!InRange(serial.timeoutMs, minTimeout, maxTimeout)) {
    return PlanProblem{key + ".timeoutMs", std::string(timeoutReason)};
  }
  return std::nullopt;
}

// The chain as a scan would leave it in the module table: the catalog and
// the process-image totals decide as they do at a connect.
std::optional<PlanProblem> ChainProblem(const std::vector<PlanModule>& chain) {
  if (chain.size() > static_cast<std::size_t>(modules::kModuleSlots)) {
    return PlanProblem{"modules", std::to_string(chain.size()) + " modules; a controller masters at most " +
                                      std::to_string(modules::kModuleSlots)};
  }
  modules::ModuleTable table;
  modules::ResetModuleTable(table);
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const PlanModule& m = chain[i];
    const std::string at = "modules[" + std::to_string(i) + "]";
    if (m.address == 0) {
      return PlanProblem{at + ".address", "address 00 is a module that is not configured yet; use 01 to FF"};
    }
    if (!InRange(m.address, 1, modules::kMaxAddress)) return PlanProblem{at + ".address", "use 01 to FF"};
    for (std::size_t j = 0; j < i; ++j) {
      if (chain[j].address == m.address) {
        return PlanProblem{at + ".address", "address " + ui::H2(m.address) + " is also modules[" +
                                                std::to_string(j) + "]'s; each module has its own"};
      }
    }
    if (!InRange(m.typeCode, 0, kMaxByte)) return PlanProblem{at + ".typeCode", "use 00 to FF"};
    if (!InRange(m.dataFormat, 0, kMaxByte)) return PlanProblem{at + ".dataFormat", "use 00 to FF"};
    table.CurrentModule = static_cast<int>(i);
    table.ModuleList[i].ModelName = m.model;
    table.ModuleList[i].Address = std::to_string(m.address);
    try {
      if (!modules::ModuleChInfo(table, m.model)) return PlanProblem{at + ".model", ModelProblem(m.model)};
    } catch (const modules::ModuleTableError& error) {
      return PlanProblem{at, error.what()};
    }
  }
  return std::nullopt;
}

// The page's message says a value overflows; a plan's reader also needs the range.
std::string RangeText(int low, int high, std::string_view unit) {
  return " (" + std::to_string(low) + " to " + std::to_string(high) + std::string(unit) + ")";
}

std::optional<PlanProblem> ErrorControlProblem(const PlanErrorControl& e) {
  const bool heartbeat = e.protocol == ErrorControlProtocol::Heartbeat;
  if (!heartbeat) {
    if (!InRange(e.guardTimeMs, 0, canopen::kMaxErrorControlTime)) {
      return PlanProblem{"canopen.guardTimeMs", std::string(canopen::kGuardTimeOverflowText) +
                                                    RangeText(0, canopen::kMaxErrorControlTime, " ms")};
    }
    if (!InRange(e.lifeTimeFactor, 0, canopen::kMaxLifeTimeFactor)) {
      return PlanProblem{"canopen.lifeTimeFactor", std::string(canopen::kLifeFactorOverflowText) +
                                                       RangeText(0, canopen::kMaxLifeTimeFactor, "")};
    }
    if (e.heartbeatTimeMs != 0) return PlanProblem{"canopen.heartbeatTimeMs", "must be 0 with node guarding"};
  } else {
    if (!InRange(e.heartbeatTimeMs, 0, canopen::kMaxErrorControlTime)) {
      return PlanProblem{"canopen.heartbeatTimeMs", std::string(canopen::kHeartbeatOverflowText) +
                                                        RangeText(0, canopen::kMaxErrorControlTime, " ms")};
    }
    if (e.guardTimeMs != 0) return PlanProblem{"canopen.guardTimeMs", "must be 0 with heartbeat"};
    if (e.lifeTimeFactor != 0) return PlanProblem{"canopen.lifeTimeFactor", "must be 0 with heartbeat"};
  }
  if (!InRange(e.otherFlags, 0, kMaxByte)) return PlanProblem{"canopen.otherFlags", "use 00 to FF"};
  if ((e.otherFlags & canopen::kHeartbeatFlag) != 0) {
    return PlanProblem{"canopen.otherFlags",
                       "bit 04 is the heartbeat bit; choose it with \"errorControl\": \"heartbeat\""};
  }
  return std::nullopt;
}

}  // namespace

std::string_view ProfileName(Profile profile) {
  return profile == Profile::CANopen ? "canopen" : "devicenet";
}

int ApplicationTypeOf(Profile profile) {
  return profile == Profile::CANopen ? link::kCanOpen : link::kDeviceNet;
}

std::span<const int> CanBitRates(Profile profile) {
  return link::kCanApplications[ApplicationTypeOf(profile)].BitRates;
}

std::optional<int> CanBaudIndexOf(Profile profile, int kbps) {
  return PositionOf(CanBitRates(profile), kbps);
}

std::optional<int> FieldBaudIndexOf(int bps) { return PositionOf(link::kFieldBitRates, bps); }

std::string ComparedText(std::string_view text) {
  std::string compared;
  bool blank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t') {
      blank = !compared.empty();
      continue;
    }
    if (blank) compared += ' ';
    blank = false;
    compared += c;
  }
  return compared;
}

std::optional<int> DefaultConnectionPosition(std::string_view text) {
  const std::string compared = ComparedText(text);
  const auto found =
      std::find_if(kDefaultConnectionTexts.begin(), kDefaultConnectionTexts.end(),
                   [&compared](std::string_view entry) { return ComparedText(entry) == compared; });
  if (found == kDefaultConnectionTexts.end()) return std::nullopt;
  return static_cast<int>(found - kDefaultConnectionTexts.begin());
}

std::optional<link::FirmwareFields> ParseFirmwareText(std::string_view text) {
  const auto dot = text.find('.');
  const auto dash = text.find('-');
  const auto slash1 = text.find('/');
  const auto slash2 = text.rfind('/');
  if (dot == std::string_view::npos || dash == std::string_view::npos || slash1 == std::string_view::npos ||
      !(dot < dash && dash < slash1 && slash1 < slash2)) {
    return std::nullopt;
  }
  const auto major = WholeNumber(text.substr(0, dot));
  const auto minor = WholeNumber(text.substr(dot + 1, dash - dot - 1));
  const auto year = WholeNumber(text.substr(dash + 1, slash1 - dash - 1));
  const auto month = WholeNumber(text.substr(slash1 + 1, slash2 - slash1 - 1));
  const auto day = WholeNumber(text.substr(slash2 + 1));
  if (!major || !minor || !year || !month || !day || *major > kMaxByte || *minor > kMaxByte ||
      *year > link::kIntegerMax || *month > 12 || *day > 31) {
    return std::nullopt;
  }
  return link::FirmwareFields{*major, *minor, *year, *month, *day};
}

std::optional<PlanProblem> CheckPlan(const Plan& plan) {
  const bool canopen = plan.profile == Profile::CANopen;
  const link::CanApplication& application = link::kCanApplications[ApplicationTypeOf(plan.profile)];
  if (!InRange(plan.nodeId, link::kMinNodeId, application.MaxNodeId)) {
    // The main window's message for the same value.
    return PlanProblem{"nodeId", "Node ID is not supported!(" + std::to_string(link::kMinNodeId) + "~" +
                                     std::to_string(application.MaxNodeId) + ")"};
  }
  if (!CanBaudIndexOf(plan.profile, plan.canBitRateKbps)) {
    return PlanProblem{"canBitRateKbps", std::to_string(plan.canBitRateKbps) + " kbit/s is not a " +
                                             std::string(application.Name) + " bit rate; use " +
                                             Choices(application.BitRates)};
  }
  if (!plan.firmware.empty() && !ParseFirmwareText(plan.firmware)) {
    return PlanProblem{"firmware", ShownQuote(plan.firmware) +
                                       " is no firmware; write it as the main window shows it, like "
                                       "\"2.05-2006/03/07\""};
  }
  // The main window's message for the same value.
  if (auto problem = SerialProblem(plan.fieldPort, "fieldPort", link::kMinCom2TimeoutMs,
                                   link::kMaxCom2TimeoutMs, link::Com2TimeoutRangeText())) {
    return problem;
  }
  const std::string scanRange =
      "the scan time-out is 0 to " + std::to_string(link::kMaxScanTimeoutMs) + " ms";
  if (auto problem = SerialProblem(plan.scan, "scan", 0, link::kMaxScanTimeoutMs, scanRange)) return problem;
  if (auto problem = ChainProblem(plan.modules)) return problem;
  if (canopen) {
    if (auto problem = ErrorControlProblem(plan.errorControl)) return problem;
    if (plan.deviceNet != PlanDeviceNet{})
      return PlanProblem{"deviceNet", "a CANopen plan has no DeviceNet part"};
  } else {
    if (!DefaultConnectionPosition(plan.deviceNet.defaultConnection)) {
      std::string texts;
      for (std::size_t i = 0; i < kDefaultConnectionTexts.size(); ++i) {
        if (i > 0) texts += i + 1 == kDefaultConnectionTexts.size() ? " or " : ", ";
        texts += JsonQuote(kDefaultConnectionTexts[i]);
      }
      return PlanProblem{"deviceNet.defaultConnection", ShownQuote(plan.deviceNet.defaultConnection) +
                                                            " is not a default connection; use " + texts};
    }
    if (plan.errorControl != PlanErrorControl{})
      return PlanProblem{"canopen", "a DeviceNet plan has no CANopen part"};
  }
  return std::nullopt;
}

std::string SerialText(const PlanSerial& serial) {
  return std::to_string(serial.bitRateBps) + " bit/s, checksum " + (serial.checksum ? "on" : "off");
}

std::optional<PlanProblem> FieldPortWarning(const Plan& plan) {
  if (plan.fieldPort.bitRateBps == plan.scan.bitRateBps && plan.fieldPort.checksum == plan.scan.checksum) {
    return std::nullopt;
  }
  return PlanProblem{"fieldPort", "warning: " + SerialText(plan.fieldPort) + " differs from the scan's " +
                                      SerialText(plan.scan) +
                                      ": the gateway will talk to its modules with settings they did not "
                                      "answer with"};
}

}  // namespace gw20::plans
