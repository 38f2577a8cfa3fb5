#include "canopen/object_dictionary.h"

#include "modules/model_catalog.h"
#include "modules/module_table.h"

namespace gw20::canopen {
namespace {

constexpr int kAnalogBytesPerChannel = 2;

constexpr std::uint32_t kProfile401 = 0x191;
constexpr std::uint32_t kHasDigitalInputs = 0x10000;
constexpr std::uint32_t kHasDigitalOutputs = 0x20000;
constexpr std::uint32_t kHasAnalogInputs = 0x40000;
constexpr std::uint32_t kHasAnalogOutputs = 0x80000;

constexpr std::uint32_t kFirstRxPdoCobId = 0x200;
constexpr std::uint32_t kFirstTxPdoCobId = 0x180;
constexpr std::uint32_t kPdoCobIdStep = 0x100;
constexpr std::uint32_t kDisabledRxPdoCobId = 0xC0000000;
constexpr std::uint32_t kDisabledTxPdoCobId = 0x80000000;

}  // namespace

bool IsCounterModule(std::string_view ModelName) { return modules::HasCounterChannels(ModelName); }

int CountCounterModules(const modules::ModuleTable& table) {
  int count = 0;
  modules::ForEachListedModule(table, [&](int, const modules::ZelkModuleRecord& module) {
    if (IsCounterModule(module.ModelName)) ++count;
  });
  return count;
}

ObjectSizes ComputeObjectSizes(const modules::ModuleTable& table, int counterModuleCount) {
  ObjectSizes sizes;
  sizes.ReadDigitalInput = table.TotalDIBytes;
  sizes.WriteDigitalOutput = table.TotalDOBytes;
  sizes.ReadAnalogInput = table.TotalAIBytes / kAnalogBytesPerChannel;
  sizes.WriteAnalogOutput = table.TotalAOBytes / kAnalogBytesPerChannel;
  sizes.ModuleObjects = table.ModuleCount;
  if (counterModuleCount > 0) {
    sizes.CounterChannels = kCounterModuleChannels * counterModuleCount;
    int resettable = 0;
    modules::ForEachListedModule(table, [&](int, const modules::ZelkModuleRecord& module) {
      if (module.TypeCode == kCounterResetTypeCode) ++resettable;
    });
    sizes.CounterResetChannels = kCounterModuleChannels * resettable;
  }
  return sizes;
}

std::uint32_t DeviceType(const modules::ModuleTable& table) {
  std::uint32_t type = kProfile401;
  if (table.TotalDIBytes > 0) type += kHasDigitalInputs;
  if (table.TotalDOBytes > 0) type += kHasDigitalOutputs;
  if (table.TotalAIBytes > 0) type += kHasAnalogInputs;
  if (table.TotalAOBytes > 0) type += kHasAnalogOutputs;
  return type;
}

std::uint32_t PdoCobId(PdoDirection direction, int pdoIndex, int nodeId) {
  const bool receive = direction == PdoDirection::Receive;
  if (pdoIndex >= kFirstDisabledPdo) return receive ? kDisabledRxPdoCobId : kDisabledTxPdoCobId;
  const std::uint32_t first = receive ? kFirstRxPdoCobId : kFirstTxPdoCobId;
  return first + kPdoCobIdStep * static_cast<std::uint32_t>(pdoIndex) + static_cast<std::uint32_t>(nodeId);
}

}  // namespace gw20::canopen
