#include "devicenet/assembly_maps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::devicenet {
namespace {

using modules::ZelkModuleRecord;
using pages::MapRecord;

constexpr int kBitsPerByte = 8;
constexpr int kEntriesPerWord = 2;  // one entry per byte of a 16-bit value
constexpr int kWordsPerCounterLabel = 2;
constexpr int kLastCounterLabel = 3;

std::string AddressTag(const ZelkModuleRecord& record) {
  return "0x" + ui::Hex(static_cast<std::uint64_t>(modules::AddressValue(record))) + "-" + record.ModelName;
}

// Appends entries to one record, refusing quietly past its last entry. The
// derivation is the one place that writes the records in DeviceNet terms.
class RecordFiller {
 public:
  RecordFiller(MapRecord& record, int kind) : record_(record), kind_(kind) {}

  void Append(const std::string& entry) {
    if (record_.EntryCount >= pages::kMapRecordEntries) return;
    record_.Entries[record_.EntryCount] = entry;
    record_.EntryCount += 1;
    record_.EntryKind = kind_;
  }

 private:
  MapRecord& record_;
  int kind_;
};

// One entry per started byte: "prefix:00~07", the last byte ending at the
// module's last channel.
void AppendDigital(RecordFiller& filler, const std::string& prefix, int channels) {
  const int bytes = (channels + kBitsPerByte - 1) / kBitsPerByte;
  for (int b = 1; b <= bytes; ++b) {
    const int first = (b - 1) * kBitsPerByte;
    const int last = b < bytes ? b * kBitsPerByte - 1 : channels - 1;
    filler.Append(prefix + ":" + ui::D2(first) + "~" + ui::D2(last));
  }
}

void AppendAnalog(RecordFiller& filler, const ZelkModuleRecord& record, int words, bool counterLabels) {
  const std::string tag = AddressTag(record);
  for (int k = 1; k <= words; ++k) {
    const int label =
        counterLabels ? std::min((k + kWordsPerCounterLabel - 1) / kWordsPerCounterLabel, kLastCounterLabel)
                      : k;
    for (int e = 0; e < kEntriesPerWord; ++e) filler.Append(tag + ":" + ui::Dec(label));
  }
}

// Digital data in record 0 when there is any, the analog data in the record
// after it; the index of the last record used.
template <typename Digital, typename Analog>
int BuildDirection(std::array<MapRecord, pages::kMapRecords>& map, int digitalBytes, int analogBytes,
                   Digital digital, Analog analog) {
  RecordFiller digitalFiller(map[0], pages::kDigitalEntries);
  digital(digitalFiller);
  const int analogRecord = digitalBytes != 0 ? 1 : 0;
  RecordFiller analogFiller(map[analogRecord], pages::kAnalogEntries);
  analog(analogFiller);
  return digitalBytes != 0 && analogBytes != 0 ? analogRecord : 0;
}

}  // namespace

void BuildAssemblyMaps(const modules::ModuleTable& table, MapTables& maps) {
  pages::ClearMapTables(maps);
  maps.LastOutputMap = BuildDirection(
      maps.OutputMap, table.TotalDOBytes, table.TotalAOBytes,
      [&](RecordFiller& filler) {
        modules::ForEachSlotInUse(table, [&](int, const ZelkModuleRecord& r) {
          if (r.DOChannels > 0) AppendDigital(filler, r.ModelName, r.DOChannels);
        });
      },
      [&](RecordFiller& filler) {
        modules::ForEachSlotInUse(table, [&](int, const ZelkModuleRecord& r) {
          if (r.AOChannels > 0) AppendAnalog(filler, r, r.AOChannels, false);
        });
      });
  maps.LastInputMap = BuildDirection(
      maps.InputMap, table.TotalDIBytes, table.TotalAIBytes,
      [&](RecordFiller& filler) {
        modules::ForEachSlotInUse(table, [&](int, const ZelkModuleRecord& r) {
          if (r.DIChannels > 0) AppendDigital(filler, AddressTag(r), r.DIChannels);
        });
      },
      [&](RecordFiller& filler) {
        modules::ForEachSlotInUse(table, [&](int, const ZelkModuleRecord& r) {
          if (r.AIChannels > 0) AppendAnalog(filler, r, r.AIChannels, modules::HasCounterWords(r.ModelName));
        });
      });
}

}  // namespace gw20::devicenet
