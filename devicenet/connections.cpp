#include "devicenet/connections.h"

#include <string_view>

#include "link/eeprom_layout.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"
#include "platform/ui/numbers.h"

namespace gw20::devicenet {
namespace {

// Item texts: "OUTPUT " or "INPUT  " (7 characters), the item number in
// positions 8-9, then "(Assembly)" or "(DO," .. "(AI," + "App." + the
// application instance in positions 18-19 + ")".
constexpr std::string_view kOutputPrefix = "OUTPUT ";
constexpr std::string_view kInputPrefix = "INPUT  ";
constexpr std::string_view kAssemblySuffix = "(Assembly)";
constexpr std::size_t kKindAt = 10;      // characters 11-12
constexpr std::size_t kInstanceAt = 17;  // characters 18-19
constexpr std::size_t kFieldChars = 2;

std::string Field(const std::string& text, std::size_t at) {
  return at < text.size() ? text.substr(at, kFieldChars) : std::string();
}

// "None", the assembly items, then the application items of each slot whose
// length of each kind of `data` in turn is not 0.
std::vector<std::string> Items(const modules::ModuleTable& table, int assemblies, std::string_view prefix,
                               const std::array<AppData, 2>& data) {
  std::vector<std::string> items{"None"};
  int number = 0;
  for (int j = 0; j < assemblies; ++j)
    items.push_back(std::string(prefix) + ui::D2(++number) + std::string(kAssemblySuffix));
  for (const AppData& kind : data) {
    for (int s = 0; s < modules::kModuleSlots; ++s) {
      if (!HasApplicationObject(table, s) || table.AppObjList[s].*kind.length == 0) continue;
      items.push_back(std::string(prefix) + ui::D2(++number) + "(" + std::string(kind.kind) + ",App." +
                      ui::D2(s + 1) + ")");
    }
  }
  return items;
}

}  // namespace

bool ConnectionChoices::Used(int slot) const {
  return slot >= 0 && slot < kChoiceSlots && (ProducedChoice[slot] >= 1 || ConsumedChoice[slot] >= 1);
}

DnsPath GetDNSInfo(int Index, const std::string& ItemText, const MapTables& maps) {
  const std::string kind = Field(ItemText, kKindAt);
  if (kind == "As") {
    if (ItemText.rfind("IN", 0) != 0) return {kAssemblyClass, Index, kAssemblyData};
    // The controller counts the input assemblies on after the output ones.
    const AssemblyTable outputs(maps, AssemblyDirection::Output);
    const int last = outputs.Last();
    return {kAssemblyClass, last + Index + (outputs[last].Length() != 0 ? 1 : 0), kAssemblyData};
  }
  const int instance = static_cast<int>(ui::RoundHalfEven(ui::LeadingNumber(Field(ItemText, kInstanceAt))));
  for (const auto* data : {&kProducedData, &kConsumedData}) {
    for (const AppData& named : *data) {
      if (kind == named.kind) return {kApplicationClass, instance, named.attribute};
    }
  }
  return {};
}

std::string EdsPathText(const DnsPath& path) {
  return "20 " + ui::H2(path.ClassId) + " 24 " + ui::H2(path.Instance) + " 30 " + ui::H2(path.Attribute);
}

bool HasApplicationObject(const modules::ModuleTable& table, int slot) {
  return slot >= 0 && slot < table.CurrentModule && slot < modules::kModuleSlots &&
         modules::InUse(table.ModuleList[slot]);
}

std::vector<std::string> ConsumedItems(const modules::ModuleTable& table, const MapTables& maps) {
  return Items(table, AssemblyTable(maps, AssemblyDirection::Output).Count(), kOutputPrefix, kConsumedData);
}

std::vector<std::string> ProducedItems(const modules::ModuleTable& table, const MapTables& maps) {
  return Items(table, AssemblyTable(maps, AssemblyDirection::Input).Count(), kInputPrefix, kProducedData);
}

std::uint32_t ConnectionPath(int listIndex, const DnsPath& path) {
  return link::PackConnectionPath({listIndex, path.ClassId, path.Instance, path.Attribute});
}

std::uint32_t ConnectionWord(int slot, bool consumed, int Index, const std::string& ItemText,
                             const MapTables& maps) {
  if (consumed && slot == kCosCyclic) return ConnectionPath(Index, kAcknowledgeHandlerPath);
  return ConnectionPath(Index, GetDNSInfo(Index, ItemText, maps));
}

std::optional<int> StoredConnectionEntry(int slot, bool consumed, std::uint32_t word,
                                         const std::vector<std::string>& items, const MapTables& maps) {
  const auto index = static_cast<std::size_t>(link::UnpackConnectionPath(word).ListIndex);
  if (index >= items.size()) return std::nullopt;
  const int entry = static_cast<int>(index);
  if (ConnectionWord(slot, consumed, entry, items[index], maps) != word) return std::nullopt;
  return entry;
}

std::uint32_t DeviceNetModelCode(const std::string& ModelName) {
  return modules::DeviceNetModelCode(ModelName);
}

}  // namespace gw20::devicenet
