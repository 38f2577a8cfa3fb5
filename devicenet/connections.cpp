#include "devicenet/connections.h"

#include <string_view>

#include "devicenet/assembly_maps.h"
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

constexpr std::uint32_t kTopByteFactor = 16777216;
constexpr std::uint32_t kHalfFactor = 65536;
constexpr std::uint32_t kByteFactor = 256;
constexpr std::uint32_t kByteMask = 0xFF;

constexpr std::uint32_t kVariantFactor = 10;

std::string Field(const std::string& text, std::size_t at) {
  return at < text.size() ? text.substr(at, kFieldChars) : std::string();
}

// "None", the assembly items, then the application items of each slot whose
// length `first` and then `second` is not 0.
std::vector<std::string> Items(const modules::ModuleTable& table, int assemblies, std::string_view prefix,
                               int modules::AppObjectRecord::*first, std::string_view firstKind,
                               int modules::AppObjectRecord::*second, std::string_view secondKind) {
  std::vector<std::string> items{"None"};
  int number = 0;
  for (int j = 0; j < assemblies; ++j)
    items.push_back(std::string(prefix) + ui::D2(++number) + std::string(kAssemblySuffix));
  for (auto [length, kind] : {std::pair{first, firstKind}, std::pair{second, secondKind}}) {
    for (int s = 0; s < modules::kModuleSlots; ++s) {
      if (!HasApplicationObject(table, s) || table.AppObjList[s].*length == 0) continue;
      items.push_back(std::string(prefix) + ui::D2(++number) + "(" + std::string(kind) + ",App." +
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
    const int last = maps.LastOutputMap;
    const bool lastInUse = last >= 0 && last < eds::kMapRecords && maps.OutputMap[last].EntryCount != 0;
    return {kAssemblyClass, last + Index + (lastInUse ? 1 : 0), kAssemblyData};
  }
  const int instance = static_cast<int>(ui::RoundHalfEven(ui::LeadingNumber(Field(ItemText, kInstanceAt))));
  if (kind == "DI") return {kApplicationClass, instance, kDIData};
  if (kind == "AI") return {kApplicationClass, instance, kAIData};
  if (kind == "DO") return {kApplicationClass, instance, kDOData};
  if (kind == "AO") return {kApplicationClass, instance, kAOData};
  return {};
}

bool HasApplicationObject(const modules::ModuleTable& table, int slot) {
  return slot >= 0 && slot < table.CurrentModule && slot < modules::kModuleSlots &&
         modules::InUse(table.ModuleList[slot]);
}

std::vector<std::string> ConsumedItems(const modules::ModuleTable& table, const MapTables& maps) {
  return Items(table, OutputAssemblyCount(maps), kOutputPrefix, &modules::AppObjectRecord::DOL, "DO",
               &modules::AppObjectRecord::AOL, "AO");
}

std::vector<std::string> ProducedItems(const modules::ModuleTable& table, const MapTables& maps) {
  return Items(table, InputAssemblyCount(maps), kInputPrefix, &modules::AppObjectRecord::DIL, "DI",
               &modules::AppObjectRecord::AIL, "AI");
}

std::uint32_t ConnectionPath(int listIndex, const DnsPath& path) {
  const auto byte = [](int value) { return static_cast<std::uint32_t>(value) & kByteMask; };
  return byte(listIndex) * kTopByteFactor + byte(path.ClassId) * kHalfFactor +
         byte(path.Instance) * kByteFactor + byte(path.Attribute);
}

std::uint32_t ConnectionWord(int slot, bool consumed, int Index, const std::string& ItemText,
                             const MapTables& maps) {
  if (consumed && slot == kCosCyclic) return ConnectionPath(Index, kAcknowledgeHandlerPath);
  return ConnectionPath(Index, GetDNSInfo(Index, ItemText, maps));
}

std::optional<int> StoredConnectionEntry(int slot, bool consumed, std::uint32_t word,
                                         const std::vector<std::string>& items, const MapTables& maps) {
  const auto index = static_cast<std::size_t>(word / kTopByteFactor);
  if (index >= items.size()) return std::nullopt;
  const int entry = static_cast<int>(index);
  if (ConnectionWord(slot, consumed, entry, items[index], maps) != word) return std::nullopt;
  return entry;
}

std::uint32_t DeviceNetModelCode(const std::string& ModelName) {
  struct Variant {
    std::string_view model;
    std::string_view base;
    std::uint32_t offset;
  };
  static constexpr Variant kVariants[] = {
      {"RA412", "RA412", 0},  {"RA412P", "RA412", 1},  {"RA883", "RA883", 0},  {"RA883P", "RA883", 0},
      {"RA883R", "RA883", 0}, {"RA883BL", "RA883", 0}, {"RA883Z", "RA883", 1}, {"RB883", "RB883", 0},
      {"RB883W", "RB883", 0}, {"RB883R", "RB883", 0},  {"RB883Z", "RB883", 1},
  };
  for (const Variant& v : kVariants) {
    if (ModelName != v.model) continue;
    const modules::ModelEntry* base = modules::FindModel(v.base);
    return base == nullptr ? 0 : kVariantFactor * base->ModelCode + v.offset;
  }
  const modules::ModelEntry* model = modules::FindModel(ModelName);
  return model == nullptr ? 0 : model->ModelCode;
}

}  // namespace gw20::devicenet
