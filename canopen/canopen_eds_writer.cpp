#include "canopen/canopen_eds_writer.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "canopen/map_tables.h"
#include "canopen/object_dictionary.h"
#include "canopen/pdo_mapping.h"
#include "eds/eds_file.h"
#include "eds/ini_writer.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::canopen {
namespace {

constexpr std::string_view kDefaultDescription = "VARLON CANopen slave/ZELK master Gateway";
constexpr std::string_view kDefaultCreator = "VARLON";
constexpr int kNoonHour = 12;
constexpr int kDummyTypes = 7;
constexpr int kPdoCount = kMapRecords;
constexpr int kHexIndexDigits = 16;  // PDO indexes below this get a leading "0"

std::string Hex0x(std::uint64_t value) { return "0x" + ui::Hex(value); }

// One object or sub-entry section.
struct ObjectLines {
  std::string_view name;
  std::string_view dataType;
  std::string_view access;
  std::optional<std::string> defaultValue;  // nullopt: no DefaultValue line
  std::string_view pdoMapping = "0";
};

class EdsText {
 public:
  void Variable(const std::string& section, const ObjectLines& v) {
    ini.Section(section);
    ini.Key("ParameterName", v.name);
    ini.Key("ObjectType", "0x7");
    ini.Key("DataType", v.dataType);
    ini.Key("AccessType", v.access);
    if (v.defaultValue) ini.Key("DefaultValue", *v.defaultValue);
    ini.Key("PDOMapping", v.pdoMapping);
    ini.Blank();
  }

  // A record or array header; subNumber < 0: no SubNumber line.
  void Header(const std::string& section, int subNumber, std::string_view name, std::string_view objectType) {
    ini.Section(section);
    if (subNumber >= 0) ini.Key("SubNumber", std::to_string(subNumber));
    ini.Key("ParameterName", name);
    ini.Key("ObjectType", objectType);
    ini.Blank();
  }

  eds::IniWriter ini;
};

// Object index of PDO pdoIndex in a PDO range: ("14", 10) gives "140A", ("14", 31) "141F".
std::string PdoObject(std::string_view base, int pdoIndex) {
  return std::string(base) + (pdoIndex < kHexIndexDigits ? "0" : "") +
         ui::Hex(static_cast<std::uint64_t>(pdoIndex));
}

std::string Sub(const std::string& object, int sub) {
  return object + "sub" + ui::Hex(static_cast<std::uint64_t>(sub));
}

void WriteFileInfo(eds::IniWriter& ini, const CanopenEdsState& s, const ui::DateTime& now) {
  const std::string description = eds::OneLineText(s.edsInfo[eds::kEdsDescription]);
  const std::string creator = eds::OneLineText(s.edsInfo[eds::kEdsCreator]);
  ini.Section("FileInfo");
  ini.Key("FileName", "QRT_ZELK" + std::to_string(s.params.NodeId) + ".eds");
  ini.Key("FileVersion", "1");
  ini.Key("FileRevision", "0");
  ini.Key("EDSVersion", "1.0");
  ini.Key("Description", description.empty() ? kDefaultDescription : description);
  ini.Key("CreationTime", EdsTimeText(now));
  ini.Key("CreationDate", eds::EdsDateText(now));
  ini.Key("CreatedBy", creator.empty() ? kDefaultCreator : creator);
  ini.Key("ModificationTime", EdsTimeText(now));
  ini.Key("ModificationDate", eds::EdsDateText(now));
  ini.Key("ModifiedBy", "None");
  ini.Blank();
}

void WriteDeviceInfo(eds::IniWriter& ini, const CanopenEdsState& s) {
  ini.Section("DeviceInfo");
  ini.Key("VendorName", "VARLON CO. LTd.");
  ini.Key("VendorNumber", "0x000002E5");
  ini.Key("ProductName", "QRT_ZELK Gateway");
  ini.Key("ProductNumber", std::to_string(s.image.FirmwareMajor));
  ini.Key("RevisionNumber", std::to_string(s.image.FirmwareMinor));
  ini.Key("OrderCode", "QRTZELK Gateway");
  // Fastest first; the list position is what the parameters store.
  for (int index = static_cast<int>(link::kCanOpenBitRates.size()) - 1; index >= 0; --index) {
    ini.Key("BaudRate_" + std::to_string(link::kCanOpenBitRates[static_cast<std::size_t>(index)]),
            index == s.params.CanBaudIndex ? "1" : "0");
  }
  ini.Line("SimpleBootUpSlave=1");
  ini.Line("SimpleBootUpMaster=0");
  ini.Line("Granularity=8");
  ini.Line("DynamicChannelsSupported=0");
  ini.Line("GroupMessaging=0");
  ini.Line("NrOfRxPdo= 32");
  ini.Line("NrOfTxPdo= 32");
  ini.Line("LSS_Supported=0");
  ini.Blank();
  ini.Section("DummyUsage");
  for (int type = 1; type <= kDummyTypes; ++type) ini.Key("Dummy000" + std::to_string(type), "0");
  ini.Blank();
  ini.Section("MandatoryObjects");
  ini.Line("SupportedObjects=3");
  ini.Line("1=0x1000");
  ini.Line("2=0x1001");
  ini.Line("3=0x1018");
  ini.Blank();
}

void WriteMandatoryObjects(EdsText& eds, const CanopenEdsState& s) {
  eds.Variable("1000", {"Device Type", "0x0007", "ro", Hex0x(DeviceType(s.modules))});
  eds.Variable("1001", {"Error Register", "0x0005", "ro", std::nullopt});
  eds.Header("1018", 5, "Identity Object", "0x9");
  eds.Variable("1018sub0", {"number of entries", "0x0005", "ro", "0x4"});
  constexpr std::array<std::string_view, 4> kIdentity{"Vendor ID", "Product code", "Revision number",
                                                      "Serial number"};
  for (int sub = 1; sub <= static_cast<int>(kIdentity.size()); ++sub) {
    eds.Variable(Sub("1018", sub), {kIdentity[sub - 1], "0x0007", "ro", ""});
  }
}

void WriteOptionalObjects(eds::IniWriter& ini, const CanopenEdsState& s) {
  const modules::ModuleTable& m = s.modules;
  const bool guarding = !s.errorControl.Heartbeat();
  std::vector<std::string> list{"1003", "1005", "1008", "1009", "100A"};
  if (guarding) list.insert(list.end(), {"100C", "100D"});
  list.insert(list.end(), {"1014", "1015"});
  if (!guarding) list.emplace_back("1017");
  list.emplace_back("1200");
  const auto addPdos = [&list](std::string_view comm, std::string_view mapping) {
    for (int i = 0; i < kPdoCount; ++i) list.push_back(PdoObject(comm, i));
    for (int i = 0; i < kPdoCount; ++i) list.push_back(PdoObject(mapping, i));
  };
  if (m.TotalDOBytes + m.TotalAOBytes > 0) addPdos("14", "16");
  if (m.TotalDIBytes + m.TotalAIBytes > 0) addPdos("18", "1A");
  if (m.TotalDIBytes > 0) list.emplace_back("6000");
  if (m.TotalDOBytes > 0) list.insert(list.end(), {"6200", "6206", "6207"});
  if (m.TotalAIBytes > 0) list.emplace_back("6401");
  if (m.TotalAOBytes > 0) list.insert(list.end(), {"6411", "6443", "6444"});

  ini.Section("OptionalObjects");
  ini.Key("SupportedObjects", std::to_string(list.size()));
  for (std::size_t n = 0; n < list.size(); ++n) ini.Key(std::to_string(n + 1), "0x" + list[n]);
  ini.Blank();
}

void WriteCommunicationObjects(EdsText& eds, const CanopenEdsState& s) {
  const link::EepromImage& fw = s.image;
  eds.Header("1003", 6, "pre-defined error field", "0x08");
  eds.Variable("1003sub0", {"number of errors", "0x0005", "rw", "0x0"});
  constexpr int kErrorFields = 5;
  for (int sub = 1; sub <= kErrorFields; ++sub) {
    eds.Variable(Sub("1003", sub), {"standard error field", "0x0007", "ro", "0x0"});
  }
  eds.Variable("1005", {"COB-ID SYNC", "0x0007", "rw", "0x80"});
  eds.Variable("1008", {"Manufacturer device name", "0x0009", "const", "GW20A+EXB9 gateway"});
  eds.Variable("1009", {"Manufacturer hardware version", "0x0009", "const", "01"});
  const std::string software = std::to_string(fw.FirmwareMajor) + "." + ui::D2(fw.FirmwareMinor) + "-" +
                               std::to_string(fw.FirmwareYear) + ui::D2(fw.FirmwareMonth) +
                               ui::D2(fw.FirmwareDay);
  eds.Variable("100A", {"Manufacturer software version", "0x0009", "const", software});
  const ErrorControlSettings& ec = s.errorControl;
  if (!ec.Heartbeat()) {
    eds.Variable("100C", {"Guard Time", "0x0006", "rw", Hex0x(static_cast<std::uint32_t>(ec.GuardTime))});
    eds.Variable("100D",
                 {"life time factor", "0x0005", "rw", Hex0x(static_cast<std::uint32_t>(ec.LifeTimeFactor))});
  }
  eds.Variable("1014", {"COB-ID Emergency Message", "0x0007", "rw", "$NODEID+0x80"});
  eds.Variable("1015", {"Inhibit Time EMCY", "0x0006", "rw", "0x0"});
  if (ec.Heartbeat()) {
    eds.Variable("1017", {"Producer Heartbeat Time", "0x0006", "rw",
                          Hex0x(static_cast<std::uint32_t>(ec.HeartbeatTime))});
  }
  eds.Header("1200", 3, "Server SDO Parameter", "0x09");
  eds.Variable("1200sub0", {"number of entries", "0x0005", "ro", "0x02"});
  eds.Variable("1200sub1", {"COB_ID Client->Server (rx)", "0x0007", "ro", "$NODEID+0x600"});
  eds.Variable("1200sub2", {"COB_ID Server ->Client (tx)", "0x0007", "ro", "$NODEID+0x580"});
}

void WritePdoParameters(EdsText& eds, PdoDirection direction, int nodeId) {
  const bool receive = direction == PdoDirection::Receive;
  for (int i = 0; i < kPdoCount; ++i) {
    const std::string object = PdoObject(receive ? "14" : "18", i);
    const std::string name = (receive ? "Receive PDO " : "Transmit PDO ") + std::to_string(i) + " Parameter";
    eds.Header(object, receive ? 3 : 5, name, "0x9");
    eds.Variable(Sub(object, 0), {"Largest Sub-Index Supported", "0x0005", "ro", receive ? "0x2" : "0x5"});
    eds.Variable(Sub(object, 1),
                 {"COB-ID used by PDO", "0x0007", "rw", Hex0x(PdoCobId(direction, i, nodeId))});
    eds.Variable(Sub(object, 2), {"Transmission Type", "0x0005", "rw", "0xFF"});
    if (!receive) {
      eds.Variable(Sub(object, 3), {"Inhibit Time", "0x0006", "rw", "0x0"});
      eds.Variable(Sub(object, 5), {"Event Timer", "0x0006", "rw", "0x0"});
    }
  }
}

void WritePdoMappings(EdsText& eds, PdoDirection direction, const std::array<MapRecord, kMapRecords>& map,
                      int nextFreePdo) {
  const bool receive = direction == PdoDirection::Receive;
  MappingCounters counters(direction);
  for (int i = 0; i < kPdoCount; ++i) {
    const int count = MappedObjectCount(map[i]);
    const std::string object = PdoObject(receive ? "16" : "1A", i);
    const std::string name = (receive ? "Receive PDO " : "Transmit PDO ") + std::to_string(i) + " Mapping";
    eds.Header(object, count + 1, name, "0x9");
    eds.Variable(Sub(object, 0),
                 {"Number of Mapped Objects", "0x0005", "rw", Hex0x(static_cast<std::uint32_t>(count))});
    for (int k = 1; k <= count; ++k) {
      const MappingWord word = counters.Next(MappedKindOf(i, nextFreePdo));
      if (word.outcome == MappingWord::Outcome::End) return;
      std::optional<std::string> value;
      if (word.outcome == MappingWord::Outcome::Value) value = "0x" + ui::Hex(word.value);
      eds.Variable(Sub(object, k), {"PDO mapping for the application object", "0x0007", "rw", value});
    }
  }
}

enum class EntryNaming { ByteRange, Number };

// One I/O profile array: its sub0 and its entries.
struct ProfileObject {
  std::string_view index;
  std::string_view name;
  std::string_view countName;    // sub0
  std::string_view entryPrefix;  // entry names: prefix + range or number
  EntryNaming naming;
  std::string_view dataType;
  std::string_view access;
  std::optional<std::string_view> defaultValue;
  std::string_view pdoMapping;
  int ObjectSizes::*size;
};

const std::array<ProfileObject, 8> kProfileObjects{{
    {"6000", "Read Input 8-Bit", "Number of Inputs 8-Bit", "Number of Inputs ", EntryNaming::ByteRange,
     "0x0005", "ro", std::nullopt, "1", &ObjectSizes::ReadDigitalInput},
    {"6200", "Write Output 8-Bit", "Number of Outputs 8-Bit", "Number of Outputs ", EntryNaming::ByteRange,
     "0x0005", "rww", "0x0", "1", &ObjectSizes::WriteDigitalOutput},
    {"6206", "Error Mode Output 8-Bit", "Number of Outputs 8-Bit", "Number of Outputs ",
     EntryNaming::ByteRange, "0x0005", "rw", "0xFF", "0", &ObjectSizes::WriteDigitalOutput},
    {"6207", "Error Value Output 8-Bit", "Number of Outputs 8-Bit", "Number of Outputs ",
     EntryNaming::ByteRange, "0x0005", "rw", "0x0", "0", &ObjectSizes::WriteDigitalOutput},
    {"6401", "Read Analogue Input 16-Bit", "Number of Analogue Inputs 16-Bit", "Analogue Inputs ",
     EntryNaming::Number, "0x0003", "ro", std::nullopt, "1", &ObjectSizes::ReadAnalogInput},
    {"6411", "Write Analogue Output 16-Bit", "Number of Analogue Outputs 16-Bit", "Analogue Outputs ",
     EntryNaming::Number, "0x0003", "rww", "0x0", "1", &ObjectSizes::WriteAnalogOutput},
    {"6443", "Analog Output Error Mode", "Number of Analogue Outputs 16-Bit", "Analogue Outputs ",
     EntryNaming::Number, "0x0005", "rw", "0x1", "0", &ObjectSizes::WriteAnalogOutput},
    {"6444", "Analog Output Error Value", "Number of Analogue Outputs 16-Bit", "Analogue Outputs ",
     EntryNaming::Number, "0x0007", "rw", "0x0", "0", &ObjectSizes::WriteAnalogOutput},
}};

std::string EntryName(const ProfileObject& object, int k) {
  constexpr int kBitsPerEntry = 8;
  if (object.naming == EntryNaming::Number) return std::string(object.entryPrefix) + std::to_string(k);
  const auto first = static_cast<std::uint64_t>((k - 1) * kBitsPerEntry + 1);
  const auto last = static_cast<std::uint64_t>(k * kBitsPerEntry);
  return std::string(object.entryPrefix) + ui::Hex(first) + "h to " + ui::Hex(last) + "h";
}

void WriteProfileObjects(EdsText& eds, const ObjectSizes& sizes) {
  for (const ProfileObject& object : kProfileObjects) {
    const int count = sizes.*object.size;
    if (count <= 0) continue;
    const std::string index(object.index);
    eds.Header(index, count + 1, object.name, "0x8");
    eds.Variable(Sub(index, 0), {object.countName, "0x0005", "ro", Hex0x(static_cast<std::uint32_t>(count))});
    for (int k = 1; k <= std::min(count, kMaxSubIndex); ++k) {
      std::optional<std::string> value;
      if (object.defaultValue) value = std::string(*object.defaultValue);
      eds.Variable(Sub(index, k),
                   {EntryName(object, k), object.dataType, object.access, value, object.pdoMapping});
    }
  }
}

// The per-module manufacturer arrays 0x2000..0x2003.
struct ModuleObject {
  std::string_view index;
  std::string_view name;
  std::string_view dataType;
};
constexpr std::array<ModuleObject, 4> kModuleObjects{{
    {"2000", "ZELK Module R/W Error Counter", "0x0006"},
    {"2001", "ZELK Module WDT Enable/Disable Control Object", "0x0005"},
    {"2002", "ZELK Module WDT Timer", "0x0005"},
    {"2003", "ZELK Module WDT Status", "0x0005"},
}};
constexpr std::array<std::string_view, 6> kManufacturerList{"2000", "2001", "2002", "2003", "2200", "2201"};
constexpr int kChannelsPerCounter = 2;

// The sub0 of the counter arrays is written with blanks after some "=": the
// masters that read these files expect the lines as they have always been.
void WriteCounterCount(eds::IniWriter& ini, std::string_view header, std::string_view name, int count) {
  ini.Section(header);
  ini.Key("ParameterName", name);
  ini.Line("ObjectType= 0x7");
  ini.Line("DataType= 0x0005");
  ini.Line("AccessType=ro");
  ini.Key("DefaultValue", std::to_string(count));
  ini.Line("PDOMapping=0");
  ini.Blank();
}

// Two entries per counter module in ModuleOrder order, for the modules
// `select` accepts.
template <typename Select>
void WriteCounterEntries(EdsText& eds, const modules::ModuleTable& m, std::string_view index,
                         std::string_view namePrefix, const ObjectLines& entry, Select select) {
  int sub = 0;
  modules::ForEachListedModule(m, [&](int, const modules::ZelkModuleRecord& record) {
    if (!IsCounterModule(record.ModelName) || !select(record)) return;
    for (int channel = 1; channel <= kChannelsPerCounter && sub < kMaxSubIndex; ++channel) {
      ObjectLines v = entry;
      const std::string name = std::string(namePrefix) + std::to_string(channel);
      v.name = name;
      eds.Variable(Sub(std::string(index), ++sub), v);
    }
  });
}

void WriteManufacturerObjects(EdsText& eds, const CanopenEdsState& s, const ObjectSizes& sizes) {
  eds::IniWriter& ini = eds.ini;
  ini.Section("ManufacturerObjects");
  const int modules = sizes.ModuleObjects;
  if (modules <= 0) {
    ini.Line("SupportedObjects=0x0");
    return;
  }
  ini.Key("SupportedObjects", Hex0x(kManufacturerList.size()));
  for (std::size_t n = 0; n < kManufacturerList.size(); ++n) {
    ini.Key(std::to_string(n + 1), "0x" + std::string(kManufacturerList[n]));
  }
  for (const ModuleObject& object : kModuleObjects) {
    const std::string index(object.index);
    eds.Header(index, modules + 1, object.name, "0x8");
    eds.Variable(Sub(index, 0),
                 {"Number of ZELK Modules", "0x0005", "ro", Hex0x(static_cast<std::uint32_t>(modules))});
    for (int k = 1; k <= std::min(modules, kMaxSubIndex); ++k) {
      const std::string name = "Module Address " + std::to_string(k);
      eds.Variable(Sub(index, k), {name, object.dataType, "rw", "0x0"});
    }
  }
  if (sizes.CounterChannels <= 0) return;
  eds.Header("2200", sizes.CounterChannels + 1, " Count/Frequency Modules", "0x8");
  WriteCounterCount(ini, "2200sub0", " Channels of Count/Frequency", sizes.CounterChannels);
  WriteCounterEntries(eds, s.modules, "2200", "Module Cannel ", {"", "0x0007", "ro", "0x0"},
                      [](const modules::ZelkModuleRecord&) { return true; });
  if (sizes.CounterResetChannels <= 0) return;
  eds.Header("2201", sizes.CounterResetChannels + 1, " Reset Count Channel", "0x8");
  WriteCounterCount(ini, "2201sub0", " Total Reset Counts", sizes.CounterResetChannels);
  WriteCounterEntries(eds, s.modules, "2201", "Module Channel ", {"", "0x0005", "rw", "0x0"},
                      [](const modules::ZelkModuleRecord& r) { return r.TypeCode == kCounterResetTypeCode; });
}

}  // namespace

std::string EdsTimeText(const ui::DateTime& now) {
  const bool afternoon = now.hour > kNoonHour;
  const int hour = afternoon ? now.hour - kNoonHour : now.hour;
  return ui::D2(hour) + ":" + ui::D2(now.minute) + (afternoon ? "PM" : "AM");
}

std::string CanopenEdsFileName(int nodeId) { return "COPn" + std::to_string(nodeId) + ".eds"; }

namespace {

eds::IniWriter BuildEdsFile(const CanopenEdsState& state, const ui::DateTime& now) {
  const modules::ModuleTable& m = state.modules;
  const ObjectSizes sizes = ComputeObjectSizes(m, state.CounterModuleCount);
  EdsText eds;
  WriteFileInfo(eds.ini, state, now);
  WriteDeviceInfo(eds.ini, state);
  WriteMandatoryObjects(eds, state);
  WriteOptionalObjects(eds.ini, state);
  WriteCommunicationObjects(eds, state);
  if (m.TotalDOBytes + m.TotalAOBytes > 0) {
    WritePdoParameters(eds, PdoDirection::Receive, state.params.NodeId);
    WritePdoMappings(eds, PdoDirection::Receive, state.maps.OutputMap, state.maps.NextFreeRxPdo);
  }
  if (m.TotalDIBytes + m.TotalAIBytes > 0) {
    WritePdoParameters(eds, PdoDirection::Transmit, state.params.NodeId);
    WritePdoMappings(eds, PdoDirection::Transmit, state.maps.InputMap, state.maps.NextFreeTxPdo);
  }
  WriteProfileObjects(eds, sizes);
  WriteManufacturerObjects(eds, state, sizes);
  eds.ini.Blank();
  eds.ini.Section("Comments");
  eds.ini.Line("Lines=0");
  eds.ini.Blank();
  return std::move(eds.ini);
}

}  // namespace

std::string BuildCanopenEds(const CanopenEdsState& state, const ui::DateTime& now) {
  return BuildEdsFile(state, now).Text();
}

}  // namespace gw20::canopen
