#include "modules/model_catalog.h"

#include <array>

namespace gw20::modules {
namespace {

// ModelCode: series (RA 0x01, RB 0x02) in the high byte, then the three-digit
// model group as hexadecimal digits, so RA850 is 0x010850 and every letter
// variant of a group (RA850F, RA850RC, ...) carries the same code.
// clang-format off
constexpr std::size_t kCatalogNames = 86;
constexpr std::array<ModelEntry, kCatalogNames> kCatalog{{
    // Name, IOType, DO, AO, DI, AI, Counter, ModelCode
    {"RA812", 8, 6, 0, 0, 8, 0, 0x010812},
    {"RA318", 7, 2, 0, 1, 1, 0, 0x010318},
    {"RA318P", 7, 2, 0, 1, 1, 0, 0x010318},
    {"RA671", 7, 2, 0, 1, 1, 0, 0x010671},
    {"RA671F", 7, 2, 0, 1, 1, 0, 0x010671},
    {"RA519", 7, 2, 0, 1, 1, 0, 0x010519},
    {"RA394", 3, 0, 0, 0, 1, 0, 0x010394},
    {"RA486", 3, 0, 0, 0, 6, 0, 0x010486},
    {"RA486P", 3, 0, 0, 0, 6, 0, 0x010486},
    {"RA517", 3, 0, 0, 0, 6, 0, 0x010517},
    {"RA517B", 3, 0, 0, 0, 6, 0, 0x010517},
    {"RB486", 3, 0, 0, 0, 7, 0, 0x020486},
    {"RA412", 6, 4, 1, 1, 2, 0, 0x010412},
    {"RA412P", 6, 4, 1, 1, 1, 0, 0x010412},
    {"RB394", 3, 0, 0, 0, 4, 0, 0x020394},
    {"RB412", 3, 0, 0, 0, 2, 0, 0x020412},
    {"RA850", 3, 0, 0, 0, 8, 0, 0x010850},
    {"RA850F", 3, 0, 0, 0, 8, 0, 0x010850},
    {"RA850C", 3, 0, 0, 0, 8, 0, 0x010850},
    {"RA850R", 3, 0, 0, 0, 8, 0, 0x010850},
    {"RA850RC", 3, 0, 0, 0, 8, 0, 0x010850},
    {"RA883", 3, 0, 0, 0, 8, 0, 0x010883},
    {"RA883P", 3, 0, 0, 0, 8, 0, 0x010883},
    {"RA883R", 3, 0, 0, 0, 8, 0, 0x010883},
    {"RA883BL", 3, 0, 0, 0, 8, 0, 0x010883},
    {"RA518", 3, 0, 0, 0, 8, 0, 0x010518},
    {"RA518R", 3, 0, 0, 0, 8, 0, 0x010518},
    {"RB850", 3, 0, 0, 0, 8, 0, 0x020850},
    {"RB883", 3, 0, 0, 0, 8, 0, 0x020883},
    {"RB850A5", 3, 0, 0, 0, 8, 0, 0x020850},
    {"RB850R", 3, 0, 0, 0, 8, 0, 0x020850},
    {"RB850RC", 3, 0, 0, 0, 8, 0, 0x020850},
    {"RB883R", 3, 0, 0, 0, 8, 0, 0x020883},
    {"RB518R", 3, 0, 0, 0, 8, 0, 0x020518},
    {"RA883Z", 3, 0, 0, 0, 10, 0, 0x010883},
    {"RB883Z", 3, 0, 0, 0, 10, 0, 0x020883},
    {"RA690", 1, 0, 1, 0, 0, 0, 0x010690},
    {"RA690P", 1, 0, 1, 0, 0, 0, 0x010690},
    {"RA490", 1, 0, 2, 0, 0, 0, 0x010490},
    {"RB490", 1, 0, 2, 0, 0, 0, 0x020490},
    {"RB968", 1, 0, 2, 0, 0, 0, 0x020968},
    {"RA874", 1, 0, 4, 0, 0, 0, 0x010874},
    {"RB874", 1, 0, 4, 0, 0, 0, 0x020874},
    {"RA653", 3, 0, 0, 0, 3, 0, 0x010653},
    {"RA952", 2, 0, 0, 14, 0, 0, 0x010952},
    {"RA387", 0, 13, 0, 0, 0, 0, 0x010387},
    {"RA917", 0, 16, 0, 0, 0, 0, 0x010917},
    {"RB888", 0, 16, 0, 0, 0, 0, 0x020888},
    {"RA696", 0, 16, 0, 0, 0, 0, 0x010696},
    {"RA495", 4, 8, 0, 4, 0, 0, 0x010495},
    {"RA788", 4, 8, 0, 7, 0, 0, 0x010788},
    {"RA788A", 4, 8, 0, 7, 0, 0, 0x010788},
    {"RA822", 2, 0, 0, 16, 0, 0, 0x010822},
    {"RB822", 2, 0, 0, 16, 0, 0, 0x020822},
    {"RA718", 2, 0, 0, 16, 0, 0, 0x010718},
    {"RB718", 2, 0, 0, 16, 0, 0, 0x020718},
    {"RB718A5", 2, 0, 0, 16, 0, 0, 0x020718},
    {"RB913", 2, 0, 0, 16, 0, 0, 0x020913},
    {"RA875", 2, 0, 0, 8, 0, 0, 0x010875},
    {"RB875", 2, 0, 0, 8, 0, 0, 0x020875},
    {"RA613", 2, 0, 0, 8, 0, 0, 0x010613},
    {"RB613", 2, 0, 0, 8, 0, 0, 0x020613},
    {"RA584", 2, 0, 0, 8, 0, 0, 0x010584},
    {"RA312", 4, 8, 0, 8, 0, 0, 0x010312},
    {"RB510", 4, 8, 0, 8, 0, 0, 0x020510},
    {"RB312", 4, 8, 0, 8, 0, 0, 0x020312},
    {"RA476", 4, 4, 0, 4, 0, 0, 0x010476},
    {"RB356", 4, 4, 0, 4, 0, 0, 0x020356},
    {"RA821", 0, 12, 0, 0, 0, 0, 0x010821},
    {"RA356", 4, 3, 0, 8, 0, 0, 0x010356},
    {"RA356A", 4, 3, 0, 8, 0, 0, 0x010356},
    {"RA356B", 4, 3, 0, 8, 0, 0, 0x010356},
    {"RB896", 0, 8, 0, 0, 0, 0, 0x020896},
    {"RB514", 0, 8, 0, 0, 0, 0, 0x020514},
    {"RB390", 0, 8, 0, 0, 0, 0, 0x020390},
    {"RB579", 0, 8, 0, 0, 0, 0, 0x020579},
    {"RB899", 0, 8, 0, 0, 0, 0, 0x020899},
    {"RA514", 4, 5, 0, 4, 0, 0, 0x010514},
    {"RA514A", 4, 5, 0, 4, 0, 0, 0x010514},
    {"RA514B", 4, 5, 0, 4, 0, 0, 0x010514},
    {"RA390", 0, 7, 0, 0, 0, 0, 0x010390},
    {"RA327", 0, 7, 0, 0, 0, 0, 0x010327},
    {"RB952", 0, 32, 0, 0, 0, 0, 0x020952},
    {"RB331", 2, 0, 0, 32, 0, 0, 0x020331},
    {"RA502", 8, 2, 0, 0, 0, 2, 0x010502},
    {"RA502B", 8, 2, 0, 0, 0, 2, 0x010502},
}};
// clang-format on

// The catalog is hand-kept; these checks catch a mistyped row at compile time.
constexpr std::size_t kModelGroupLength = 5;  // two letters and three digits

constexpr bool NamesAreUnique() {
  for (std::size_t i = 0; i < kCatalog.size(); ++i) {
    for (std::size_t j = i + 1; j < kCatalog.size(); ++j) {
      if (kCatalog[i].Name == kCatalog[j].Name) return false;
    }
  }
  return true;
}

constexpr bool IOTypesMatchChannels() {
  for (const ModelEntry& e : kCatalog) {
    if (e.IOType != IOTypeOf(e.DOChannels, e.AOChannels, e.DIChannels, e.AIChannels, e.CounterChannels)) {
      return false;
    }
  }
  return true;
}

// Same model group <=> same code, and every code leaves the address byte free.
constexpr bool ModelCodesFollowGroups() {
  for (std::size_t i = 0; i < kCatalog.size(); ++i) {
    if (kCatalog[i].ModelCode > kMaxModelCode || kCatalog[i].Name.size() < kModelGroupLength) return false;
    for (std::size_t j = i + 1; j < kCatalog.size(); ++j) {
      const bool sameGroup =
          kCatalog[i].Name.substr(0, kModelGroupLength) == kCatalog[j].Name.substr(0, kModelGroupLength);
      if (sameGroup != (kCatalog[i].ModelCode == kCatalog[j].ModelCode)) return false;
    }
  }
  return true;
}

// What the DeviceNet side does differently for a few catalog models: the
// firmware tells the letter variants of three groups apart by the code a
// commit stores, 10 x ModelCode + Variant; the counter models' analog input
// words count in pairs.
constexpr int kNoVariant = -1;  // the code is ModelCode as it is
struct DeviceNetTraits {
  std::string_view Name;
  int Variant = kNoVariant;
  bool CounterWords = false;
};
// clang-format off
constexpr std::array<DeviceNetTraits, 14> kDeviceNetTraits{{
    {"RA412", 0}, {"RA412P", 1},
    {"RA883", 0}, {"RA883P", 0}, {"RA883R", 0}, {"RA883BL", 0}, {"RA883Z", 1},
    {"RB883", 0}, {"RB883R", 0}, {"RB883Z", 1},
    {"RA502", kNoVariant, true}, {"RA502B", kNoVariant, true}, {"RA517", kNoVariant, true},
    {"RA517B", kNoVariant, true},
}};
// clang-format on

constexpr const ModelEntry* CatalogEntry(std::string_view name) {
  for (const ModelEntry& entry : kCatalog) {
    if (entry.Name == name) return &entry;
  }
  return nullptr;
}

constexpr const DeviceNetTraits* TraitsOf(std::string_view name) {
  for (const DeviceNetTraits& traits : kDeviceNetTraits) {
    if (traits.Name == name) return &traits;
  }
  return nullptr;
}

// Every name is a catalog model, and every model of a listed group is listed
// alike, so a new letter variant cannot miss its group's rule.
constexpr bool DeviceNetTraitsFollowGroups() {
  for (const DeviceNetTraits& traits : kDeviceNetTraits) {
    const ModelEntry* model = CatalogEntry(traits.Name);
    if (model == nullptr) return false;
    for (const ModelEntry& other : kCatalog) {
      if (other.ModelCode != model->ModelCode) continue;
      const DeviceNetTraits* same = TraitsOf(other.Name);
      if (same == nullptr || (same->Variant == kNoVariant) != (traits.Variant == kNoVariant) ||
          same->CounterWords != traits.CounterWords) {
        return false;
      }
    }
  }
  return true;
}

static_assert(NamesAreUnique());
static_assert(IOTypesMatchChannels());
static_assert(ModelCodesFollowGroups());
static_assert(DeviceNetTraitsFollowGroups());

}  // namespace

std::span<const ModelEntry> ModelCatalog() { return kCatalog; }

const ModelEntry* FindModel(std::string_view ModuleName) { return CatalogEntry(ModuleName); }

bool HasCounterChannels(std::string_view ModuleName) {
  const ModelEntry* model = FindModel(ModuleName);
  return model != nullptr && model->CounterChannels > 0;
}

bool HasCounterWords(std::string_view ModuleName) {
  const DeviceNetTraits* traits = TraitsOf(ModuleName);
  return traits != nullptr && traits->CounterWords;
}

std::uint32_t DeviceNetModelCode(std::string_view ModuleName) {
  constexpr std::uint32_t kVariantFactor = 10;
  const ModelEntry* model = FindModel(ModuleName);
  if (model == nullptr) return 0;
  const DeviceNetTraits* traits = TraitsOf(ModuleName);
  if (traits == nullptr || traits->Variant == kNoVariant) return model->ModelCode;
  return kVariantFactor * model->ModelCode + static_cast<std::uint32_t>(traits->Variant);
}

}  // namespace gw20::modules
