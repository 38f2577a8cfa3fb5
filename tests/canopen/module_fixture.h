#pragma once
// Builds module tables for the CANopen tests the way a scan leaves them.

#include <string>

#include "modules/module_table.h"

namespace gw20::canopen::test {

struct Channels {
  int DO = 0, AO = 0, DI = 0, AI = 0;
};

// Puts a module into `slot` and adds its bytes to the totals; call
// modules::BuildModuleOrder afterwards.
inline void AddModule(modules::ModuleTable& table, int slot, const std::string& name,
                      const std::string& address, Channels ch, int typeCode = 0) {
  modules::ZelkModuleRecord& r = table.ModuleList[slot];
  r = {.ModelName = name,
       .Address = address,
       .DOChannels = ch.DO,
       .AOChannels = ch.AO,
       .DIChannels = ch.DI,
       .AIChannels = ch.AI,
       .TypeCode = typeCode};
  table.TotalDOBytes += (ch.DO + 7) / 8;
  table.TotalDIBytes += (ch.DI + 7) / 8;
  table.TotalAOBytes += 2 * ch.AO;
  table.TotalAIBytes += 2 * ch.AI;
}

}  // namespace gw20::canopen::test
