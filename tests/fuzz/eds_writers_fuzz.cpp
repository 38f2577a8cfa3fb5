// Both EDS writers on module tables a scan could leave and any texts the
// operator could type: the file stays well-formed INI text with CR LF line
// ends, and the texts change values only, never which sections and keys
// the file has.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "canopen/canopen_eds_writer.h"
#include "canopen/error_control.h"
#include "canopen/object_dictionary.h"
#include "canopen/pdo_mapping.h"
#include "devicenet/assembly_maps.h"
#include "devicenet/connections.h"
#include "devicenet/dns_eds_writer.h"
#include "eds/eds_file.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/model_catalog.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace gw20;

// Catalog models at addresses 1..255 identified slot by slot as the scan
// does, with the codes a module's answer gives. False where the scan would
// have ended the connect (a process-image total beyond its byte).
bool ScannedTable(FuzzedDataProvider& in, modules::ModuleTable& table) {
  const auto catalog = modules::ModelCatalog();
  modules::ResetModuleTable(table);
  const int count = in.ConsumeIntegralInRange(0, modules::kModuleSlots);
  for (int i = 0; i < count; ++i) {
    auto& record = table.ModuleList[table.CurrentModule];
    record.Address = std::to_string(in.ConsumeIntegralInRange(1, modules::kMaxAddress));
    record.ModelName =
        std::string(catalog[in.ConsumeIntegralInRange<std::size_t>(0, catalog.size() - 1)].Name);
    try {
      FUZZ_CHECK(modules::ModuleChInfo(table, record.ModelName));
    } catch (const modules::ModuleTableError&) {
      return false;
    }
    auto& object = table.AppObjList[table.CurrentModule];
    record.TypeCode = object.TypeCode = in.ConsumeIntegral<std::uint8_t>();
    record.DataFormat = object.DataFormat = in.ConsumeIntegral<std::uint8_t>();
    object.Baud = in.ConsumeIntegralInRange(3, 10);
    ++table.CurrentModule;
  }
  modules::BuildModuleOrder(table);
  return true;
}

// The line starting at `at`, which must end in CR LF and hold no other line
// break; `at` moves on to the next line. nullopt at the end of the text.
std::optional<std::string_view> NextLine(std::string_view text, std::size_t& at) {
  if (at >= text.size()) return std::nullopt;
  // Single-character searches: these files have thousands of lines.
  const std::size_t lf = text.find('\n', at);
  FUZZ_CHECK(lf != std::string_view::npos && lf > at && text[lf - 1] == '\r');
  const std::string_view line = text.substr(at, lf - 1 - at);
  FUZZ_CHECK(line.find('\r') == std::string_view::npos);
  at = lf + 1;
  return line;
}

// What a line contributes to the file's structure: a section header whole,
// a key without its value, a comment or any other line as nothing.
std::string_view Shape(std::string_view line) {
  if (line.starts_with('[')) return line;
  if (line.starts_with('$')) return "$";
  const std::size_t equals = line.find('=');
  return equals == std::string_view::npos ? std::string_view() : line.substr(0, equals + 1);
}

// The file `build` writes with the operator's texts and with them left
// empty: line for line the same shape, every text in.
template <class Build>
void CheckFile(const eds::EdsInfo& info, const Build& build) {
  const std::string text = build(info);
  const std::string plain = build(eds::EdsInfo{});
  std::size_t at = 0;
  std::size_t plainAt = 0;
  for (;;) {
    const auto line = NextLine(text, at);
    const auto plainLine = NextLine(plain, plainAt);
    FUZZ_CHECK(line.has_value() == plainLine.has_value());
    if (!line) break;
    FUZZ_CHECK(Shape(*line) == Shape(*plainLine));
  }
  for (const std::string& typed : info) FUZZ_CHECK(text.find(eds::OneLineText(typed)) != std::string::npos);
}

void Canopen(FuzzedDataProvider& in, const modules::ModuleTable& table, const link::EepromImage& image,
             const eds::EdsInfo& info, const ui::DateTime& now) {
  static pages::MapTables maps;  // large: kept across runs, rebuilt by every derivation
  static_cast<void>(canopen::BuildPdoMaps(table, maps));
  link::GatewayParameters params;
  params.NodeId = in.ConsumeIntegralInRange(1, 127);
  params.CanBaudIndex = in.ConsumeIntegralInRange(0, 7);
  canopen::ErrorControlSettings errorControl;
  errorControl.ErrorControlFlags = in.ConsumeIntegral<std::uint8_t>();
  errorControl.GuardTime = in.ConsumeIntegralInRange(0, canopen::kMaxErrorControlTime);
  errorControl.LifeTimeFactor = in.ConsumeIntegralInRange(0, canopen::kMaxLifeTimeFactor);
  errorControl.HeartbeatTime = in.ConsumeIntegralInRange(0, canopen::kMaxErrorControlTime);
  const int counters = canopen::CountCounterModules(table);
  CheckFile(info, [&](const eds::EdsInfo& texts) {
    return canopen::BuildCanopenEds({table, maps, params, image, errorControl, texts, counters}, now);
  });
}

void DeviceNet(FuzzedDataProvider& in, const modules::ModuleTable& table, const link::EepromImage& image,
               const eds::EdsInfo& info, const ui::DateTime& now) {
  static pages::MapTables maps;
  devicenet::BuildAssemblyMaps(table, maps);
  link::GatewayParameters params;
  params.ApplicationType = link::kDeviceNet;
  params.NodeId = in.ConsumeIntegralInRange(1, 63);
  // Only what the page's lists offer can be chosen; slot 3 has no list.
  const auto consumed = devicenet::ConsumedItems(table, maps).size();
  const auto produced = devicenet::ProducedItems(table, maps).size();
  devicenet::ConnectionChoices choices;
  for (int slot = 0; slot < devicenet::kConnectionSlots; ++slot) {
    choices.ConsumedChoice[slot] = static_cast<int>(in.ConsumeIntegralInRange<std::size_t>(0, consumed - 1));
    choices.ProducedChoice[slot] = static_cast<int>(in.ConsumeIntegralInRange<std::size_t>(0, produced - 1));
  }
  CheckFile(info, [&](const eds::EdsInfo& texts) {
    return devicenet::BuildDnsEds({table, maps, params, image, choices, texts}, now);
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  eds::EdsInfo info;
  info[eds::kEdsDescription] = in.ConsumeRandomLengthString(256);
  info[eds::kEdsCreator] = in.ConsumeRandomLengthString(256);
  modules::ModuleTable table;
  if (!ScannedTable(in, table)) return 0;

  link::EepromImage image;
  image.FirmwareMajor = in.ConsumeIntegral<std::uint8_t>();
  image.FirmwareMinor = in.ConsumeIntegral<std::uint8_t>();
  image.FirmwareYear = in.ConsumeIntegral<std::uint16_t>();
  image.FirmwareMonth = in.ConsumeIntegralInRange(0, 12);
  image.FirmwareDay = in.ConsumeIntegralInRange(0, 31);
  // Braced, the fields are read from the input in order.
  const ui::DateTime now{in.ConsumeIntegralInRange(1970, 9999), in.ConsumeIntegralInRange(1, 12),
                         in.ConsumeIntegralInRange(1, 31),      in.ConsumeIntegralInRange(0, 23),
                         in.ConsumeIntegralInRange(0, 59),      in.ConsumeIntegralInRange(0, 59)};

  Canopen(in, table, image, info, now);
  DeviceNet(in, table, image, info, now);
  return 0;
}
