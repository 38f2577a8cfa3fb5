#include "modules/module_ch_info.h"

#include <string>

#include "modules/model_catalog.h"
#include "modules/module_table.h"

namespace gw20::modules {
namespace {

constexpr int kBitsPerByte = 8;
constexpr int kBytesPerAnalogChannel = 2;

int DigitalBytes(int channels) { return (channels + kBitsPerByte - 1) / kBitsPerByte; }
int AnalogBytes(int channels) { return kBytesPerAnalogChannel * channels; }

void CheckSlot(int slot, const char* what) {
  if (slot < 0 || slot >= kModuleSlots) {
    throw ModuleTableError("Subscript out of range: " + std::string(what) + " " + std::to_string(slot) +
                           " is not a module slot 0 to " + std::to_string(kModuleSlots - 1));
  }
}

// The scan writes the address as plain decimal text; anything else would be
// a fault upstream, so it is reported rather than guessed at.
int NumericAddress(const ZelkModuleRecord& record) {
  const auto value = ParseModuleAddress(record.Address);
  if (!value) {
    throw ModuleTableError("Module " + record.ModelName + ": address \"" + record.Address +
                           "\" is not a number from 0 to " + std::to_string(kMaxAddress));
  }
  return *value;
}

// A total after adding one module's bytes; the totals are bytes in the
// controller's image, so passing 255 must stop the connect, not wrap.
int CheckedTotal(const char* name, int total, int added, const ZelkModuleRecord& record) {
  const int sum = total + added;
  if (sum > kMaxTotalBytes) {
    throw ModuleTableError("Overflow: " + std::string(name) + " would be " + std::to_string(sum) +
                           " bytes (at most " + std::to_string(kMaxTotalBytes) + ") with module " +
                           record.ModelName + " at address " + record.Address);
  }
  return sum;
}

// Writes only the kinds the model has, as the catalog rows are sparse.
void StoreChannels(ZelkModuleRecord& record, const ModelEntry& model) {
  if (model.DOChannels > 0) record.DOChannels = model.DOChannels;
  if (model.AOChannels > 0) record.AOChannels = model.AOChannels;
  if (model.DIChannels > 0) record.DIChannels = model.DIChannels;
  if (model.AIChannels > 0) record.AIChannels = model.AIChannels;
  if (model.CounterChannels > 0) record.CounterChannels = model.CounterChannels;
}

}  // namespace

bool ModuleChInfo(ModuleTable& table, std::string_view ModuleName) {
  CheckSlot(table.CurrentModule, "CurrentModule");
  ZelkModuleRecord& record = table.ModuleList[table.CurrentModule];
  const ModelEntry* model = FindModel(ModuleName);
  if (model == nullptr) {
    record.Address.clear();
    return false;
  }

  // Everything that can fail is checked before the table changes, so a failed
  // connect leaves a consistent table behind.
  NumericAddress(record);
  const int doBytes =
      CheckedTotal("TotalDOBytes", table.TotalDOBytes, DigitalBytes(model->DOChannels), record);
  const int diBytes =
      CheckedTotal("TotalDIBytes", table.TotalDIBytes, DigitalBytes(model->DIChannels), record);
  const int aoBytes =
      CheckedTotal("TotalAOBytes", table.TotalAOBytes, AnalogBytes(model->AOChannels), record);
  const int aiBytes =
      CheckedTotal("TotalAIBytes", table.TotalAIBytes, AnalogBytes(model->AIChannels), record);

  StoreChannels(record, *model);
  record.TypeCodeCount = 1;
  record.TypeCode2 = 0;
  table.TotalDOBytes = doBytes;
  table.TotalDIBytes = diBytes;
  table.TotalAOBytes = aoBytes;
  table.TotalAIBytes = aiBytes;

  if (ModuleCode(table, table.CurrentModule, model->IOType)) return true;
  record.Address.clear();
  return false;
}

bool ModuleCode(ModuleTable& table, int Account, int IOType) {
  CheckSlot(Account, "Account");
  const ZelkModuleRecord& r = table.ModuleList[Account];
  const int address = NumericAddress(r);

  AppObjectRecord& a = table.AppObjList[Account];
  a.IOType = IOType;
  a.Address = address;
  a.Name = r.ModelName;
  a.DOC = r.DOChannels;
  a.AOC = r.AOChannels;
  a.DIC = r.DIChannels;
  a.AIC = r.AIChannels;
  a.DOL = DigitalBytes(r.DOChannels);
  a.DIL = DigitalBytes(r.DIChannels);
  a.AOL = AnalogBytes(r.AOChannels);
  a.AIL = AnalogBytes(r.AIChannels);
  a.TypeCodeCount = r.TypeCodeCount;
  a.TypeCode2 = r.TypeCode2;
  return true;
}

}  // namespace gw20::modules
