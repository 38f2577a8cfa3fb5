#pragma once
// The plan of a machine line's gateway for the batch tests and the bench: a
// DeviceNet controller with up to 15 modules, every connection used (Strobe
// and COS consumed included) and COS as the default; and the gw20sim
// --modules text of its chain.

#include <cstdio>
#include <string>

#include "plans/plan.h"

namespace gw20::testing {

inline plans::Plan LinePlan(int modules) {
  // Model, type code and data format, as each model reports them.
  struct Model {
    const char* name;
    int typeCode;
    int dataFormat;
  };
  constexpr Model kModels[] = {{"RA412", 0x0D, 0x00}, {"RA850", 0x08, 0x02}, {"RA312", 0x40, 0x00}};
  plans::Plan plan;
  plan.profile = plans::Profile::DeviceNet;
  plan.nodeId = 7;
  plan.canBitRateKbps = 250;
  plan.fieldPort = {9600, false, 200};
  plan.scan = {9600, false, 200};
  for (int address = 1; address <= modules; ++address) {
    const Model& m = kModels[(address - 1) % 3];
    plan.modules.push_back({address, m.name, m.typeCode, m.dataFormat});
  }
  // The first digital input and the first analog module's entries exist from three modules on.
  plan.deviceNet.connections = {{{"INPUT  02(Assembly)", "OUTPUT 01(Assembly)"},
                                 {"INPUT  03(DI,App.01)", "OUTPUT 02(Assembly)"},
                                 {"INPUT  01(Assembly)", "OUTPUT 03(DO,App.01)"}}};
  plan.deviceNet.defaultConnection = "COS";
  return plan;
}

inline std::string ModuleListOf(const plans::Plan& plan) {
  std::string list;
  for (const plans::PlanModule& m : plan.modules) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%s%02X:%s:%02X:%02X", list.empty() ? "" : ",", m.address,
                  m.model.c_str(), m.typeCode, m.dataFormat);
    list += entry;
  }
  return list;
}

}  // namespace gw20::testing
