#include "canopen/pdo_mapping.h"

#include <algorithm>
#include <string>

#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::canopen {
namespace {

constexpr int kDigitalPdo = 0;         // carries the first 8 digital bytes
constexpr int kFirstAnalogPdo = 1;     // PDOs 1..3 are reserved for analog data
constexpr int kFirstExtraPdo = 4;      // where further digital bytes go
constexpr int kChannelsPerGroup = 8;   // digital channels per entry
constexpr int kEntriesPerChannel = 2;  // an analog channel takes two bytes
constexpr int kMaxCounter = 256;       // a sub-index is one byte

// "0x" + the address in hex + "-" + the model name, the start of every entry.
std::string ModulePrefix(const modules::ZelkModuleRecord& record) {
  return "0x" + ui::Hex(static_cast<std::uint64_t>(modules::AddressValue(record))) + "-" + record.ModelName;
}

// Walks one direction of the derivation: digital groups from PDO 0, then
// analog channels from PDO 1, as the controller's firmware expects them. The
// derivation is the one place that writes the records in CANopen terms.
class DirectionBuilder {
 public:
  explicit DirectionBuilder(std::array<pages::MapRecord, kPdoCount>& map) : map_(map) {}

  bool AddDigital(const modules::ZelkModuleRecord& record, int channels) {
    const std::string prefix = ModulePrefix(record);
    for (int first = 0; first < channels; first += kChannelsPerGroup) {
      const int last = std::min(first + kChannelsPerGroup, channels) - 1;
      if (!Put(prefix + ":" + ui::D2(first) + "~" + ui::D2(last), 1, pages::kDigitalEntries)) return false;
      if (Advance() && pdo_ == kFirstAnalogPdo) pdo_ = kFirstExtraPdo;
    }
    return true;
  }

  // Ends the digital part; returns the next free PDO index.
  int EndDigital() {
    nextFree_ = pdo_ == kDigitalPdo ? kFirstExtraPdo : pdo_ + 1;
    if (slot_ != 0) FillUnused(pdo_, slot_);
    pdo_ = kFirstAnalogPdo;
    slot_ = 0;
    return nextFree_;
  }

  bool AddAnalog(const modules::ZelkModuleRecord& record, int channels) {
    const std::string prefix = ModulePrefix(record);
    for (int channel = 0; channel < channels; ++channel) {
      if (!Put(prefix + ":" + std::to_string(channel), kEntriesPerChannel, pages::kAnalogEntries))
        return false;
      if (Advance() && pdo_ == kFirstExtraPdo) pdo_ = nextFree_;
    }
    return true;
  }

  // Ends the analog part; returns the index of the last PDO in use.
  int EndAnalog() {
    const int lastReserved = nextFree_ == kFirstExtraPdo ? kFirstExtraPdo - 1 : nextFree_ - 1;
    if (pdo_ >= kFirstExtraPdo) {
      if (slot_ == 0) return pdo_ - 1;
      FillUnused(pdo_, slot_);
      return pdo_;
    }
    // PDOs 1..3 never stay empty: unused ones carry placeholders.
    int pdo = pdo_;
    if (slot_ != 0) FillUnused(pdo++, slot_);
    for (; pdo < kFirstExtraPdo; ++pdo) FillUnused(pdo, 0);
    return lastReserved;
  }

 private:
  // Writes `text` into `count` consecutive bytes; false past the last PDO.
  bool Put(const std::string& text, int count, int kind) {
    if (pdo_ >= kPdoCount) return false;
    pages::MapRecord& record = map_[pdo_];
    for (int i = 0; i < count; ++i) record.Entries[slot_ + i] = text;
    record.EntryKind = kind;
    slot_ += count;
    return true;
  }

  // True when the PDO is full and the next one was started.
  bool Advance() {
    if (slot_ < kPdoDataBytes) return false;
    slot_ = 0;
    ++pdo_;
    return true;
  }

  void FillUnused(int pdo, int from) {
    if (pdo >= kPdoCount) return;
    for (int i = from; i < kPdoDataBytes; ++i) map_[pdo].Entries[i] = std::string(kUnusedEntry);
  }

  std::array<pages::MapRecord, kPdoCount>& map_;
  int pdo_ = kDigitalPdo;
  int slot_ = 0;
  int nextFree_ = kFirstExtraPdo;
};

struct DirectionResult {
  bool fits = true;
  int nextFree = kFirstExtraPdo;
  int last = kFirstExtraPdo - 1;
};

DirectionResult BuildDirection(const modules::ModuleTable& table,
                               std::array<pages::MapRecord, kPdoCount>& map,
                               int modules::ZelkModuleRecord::*digital,
                               int modules::ZelkModuleRecord::*analog) {
  DirectionBuilder builder(map);
  DirectionResult result;
  for (const modules::ZelkModuleRecord& record : table.ModuleList) {
    if (modules::InUse(record) && record.*digital > 0)
      result.fits &= builder.AddDigital(record, record.*digital);
  }
  result.nextFree = builder.EndDigital();
  for (const modules::ZelkModuleRecord& record : table.ModuleList) {
    if (modules::InUse(record) && record.*analog > 0)
      result.fits &= builder.AddAnalog(record, record.*analog);
  }
  result.last = std::min(builder.EndAnalog(), kPdoCount - 1);
  return result;
}

}  // namespace

bool BuildPdoMaps(const modules::ModuleTable& table, MapTables& tables) {
  using Record = modules::ZelkModuleRecord;
  pages::ClearMapTables(tables);
  const DirectionResult out =
      BuildDirection(table, tables.OutputMap, &Record::DOChannels, &Record::AOChannels);
  const DirectionResult in = BuildDirection(table, tables.InputMap, &Record::DIChannels, &Record::AIChannels);
  tables.NextFreeRxPdo = out.nextFree;
  tables.LastOutputMap = out.last;
  tables.NextFreeTxPdo = in.nextFree;
  tables.LastInputMap = in.last;
  return out.fits && in.fits;
}

MappedKind MappedKindOf(int pdoIndex, int nextFreePdo) {
  if (pdoIndex == kDigitalPdo) return MappedKind::Digital;
  if (pdoIndex < kFirstExtraPdo) return MappedKind::Analog;
  if (nextFreePdo <= kFirstExtraPdo) return MappedKind::Analog;
  return pdoIndex < nextFreePdo ? MappedKind::Digital : MappedKind::Analog;
}

MappingWord MappingCounters::Next(MappedKind kind) {
  constexpr std::uint32_t kDigitalOutput = 0x6200, kDigitalInput = 0x6000;
  constexpr std::uint32_t kAnalogOutput = 0x6411, kAnalogInput = 0x6401;
  constexpr std::uint32_t kByteBits = 8, kWordBits = 16;
  const bool output = direction_ == PdoDirection::Receive;
  if (kind == MappedKind::Analog) {
    if (ended_ || analog_ >= kMaxCounter) {
      ended_ = true;
      return {MappingWord::Outcome::End, 0};
    }
    const std::uint32_t object = output ? kAnalogOutput : kAnalogInput;
    return {MappingWord::Outcome::Value,
            object << 16 | static_cast<std::uint32_t>(analog_++) << 8 | kWordBits};
  }
  if (ended_) return {MappingWord::Outcome::End, 0};
  if (digital_ >= kMaxCounter) return {MappingWord::Outcome::NoValue, 0};
  const std::uint32_t object = output ? kDigitalOutput : kDigitalInput;
  return {MappingWord::Outcome::Value,
          object << 16 | static_cast<std::uint32_t>(digital_++) << 8 | kByteBits};
}

}  // namespace gw20::canopen
