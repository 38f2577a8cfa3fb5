#pragma once
// The catalog of ZELK module models this program supports: each exact model
// name with its channel counts, I/O class and the firmware's model code.

#include <cstdint>
#include <span>
#include <string_view>

namespace gw20::modules {

struct ModelEntry {
  std::string_view Name;  // exact, case-sensitive model name
  int IOType = 0;         // I/O class code, see IOTypeOf
  int DOChannels = 0;
  int AOChannels = 0;
  int DIChannels = 0;
  int AIChannels = 0;
  int CounterChannels = 0;
  // The number the controller's firmware knows the model by; letter variants
  // of one model share it. Fits in 24 bits: a commit stores it x 256 + address.
  std::uint32_t ModelCode = 0;
};

// Largest ModelCode: the EEPROM word keeps the low byte for the address.
inline constexpr std::uint32_t kMaxModelCode = 0xFFFFFF;

// I/O class of a module by the kinds of channels it has:
// 0 DO only, 1 AO only, 2 DI only, 3 AI only, 4 DI+DO, 6 AI+AO+DI+DO,
// 7 AI+DI+DO, 8 DO with AI or with counters. -1 for any other mix (none in
// the catalog).
constexpr int IOTypeOf(int DO, int AO, int DI, int AI, int Counter) {
  enum Kind { kDO = 1, kAO = 2, kDI = 4, kAI = 8, kCounter = 16 };
  const int kinds = (DO > 0 ? kDO : 0) | (AO > 0 ? kAO : 0) | (DI > 0 ? kDI : 0) | (AI > 0 ? kAI : 0) |
                    (Counter > 0 ? kCounter : 0);
  // clang-format off
  switch (kinds) {
    case kDO:                   return 0;
    case kAO:                   return 1;
    case kDI:                   return 2;
    case kAI:                   return 3;
    case kDO | kDI:             return 4;
    case kDO | kAO | kDI | kAI: return 6;
    case kDO | kDI | kAI:       return 7;
    case kDO | kAI:
    case kDO | kCounter:        return 8;
    default:                    return -1;
  }
  // clang-format on
}

// Every catalog entry, each name once.
std::span<const ModelEntry> ModelCatalog();

// The entry whose Name equals ModuleName exactly (no trimming, no case
// folding, no prefix match); nullptr for an unknown model. The entry lives as
// long as the program.
const ModelEntry* FindModel(std::string_view ModuleName);

// A catalog model with counter channels ("RA502", "RA502B"): the modules the
// counter objects and the counter column count.
bool HasCounterChannels(std::string_view ModuleName);

// A catalog model whose analog input words count in pairs ("RA502", "RA502B",
// "RA517", "RA517B"). The DeviceNet rules also name RB706, which is no
// catalog model: the scan rejects it, so it never reaches them.
bool HasCounterWords(std::string_view ModuleName);

// The code block 2 stores for a module on a DeviceNet commit: ModelCode,
// except in the groups whose letter variants the firmware tells apart:
// 10 x ModelCode for RA412; RA883, RA883P, RA883R, RA883BL; RB883, RB883R,
// and one more for the variants RA412P, RA883Z, RB883Z. 0 for a model the
// catalog does not know (RB883W, which the DeviceNet rules name, is none).
std::uint32_t DeviceNetModelCode(std::string_view ModuleName);

}  // namespace gw20::modules
