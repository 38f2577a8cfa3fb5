#include "canopen/canopen_eds_writer.h"

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "canopen/eds_sections.h"
#include "canopen/object_dictionary.h"
#include "canopen/pdo_mapping.h"
#include "canopen/pdo_records.h"
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

// Where the EDS texts stand, written and read back.
constexpr std::string_view kFileInfoSection = "FileInfo";
constexpr std::string_view kDescriptionKey = "Description";
constexpr std::string_view kCreatorKey = "CreatedBy";

void WriteFileInfo(eds::IniWriter& ini, const CanopenEdsState& s, const ui::DateTime& now) {
  const std::string description = eds::OneLineText(s.edsInfo[eds::kEdsDescription]);
  const std::string creator = eds::OneLineText(s.edsInfo[eds::kEdsCreator]);
  ini.Section(kFileInfoSection);
  ini.Key("FileName", "QRT_ZELK" + std::to_string(s.params.NodeId) + ".eds");
  ini.Key("FileVersion", "1");
  ini.Key("FileRevision", "0");
  ini.Key("EDSVersion", "1.0");
  ini.Key(kDescriptionKey, description.empty() ? kDefaultDescription : description);
  ini.Key("CreationTime", EdsTimeText(now));
  ini.Key("CreationDate", eds::EdsDateText(now));
  ini.Key(kCreatorKey, creator.empty() ? kDefaultCreator : creator);
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
}

ObjectParts MandatoryParts(const CanopenEdsState& s) {
  ObjectParts parts;
  parts.push_back(VariablePart("1000", {"Device Type", "0x0007", "ro", Hex0x(DeviceType(s.modules))}));
  parts.push_back(VariablePart("1001", {"Error Register", "0x0005", "ro", std::nullopt}));
  parts.push_back({{"1018"}, [](EdsText& eds) {
                     eds.Header("1018", 5, "Identity Object", "0x9");
                     eds.Variable("1018sub0", {"number of entries", "0x0005", "ro", "0x4"});
                     constexpr std::array<std::string_view, 4> kIdentity{"Vendor ID", "Product code",
                                                                         "Revision number", "Serial number"};
                     for (int sub = 1; sub <= static_cast<int>(kIdentity.size()); ++sub) {
                       eds.Variable(Sub("1018", sub), {kIdentity[sub - 1], "0x0007", "ro", ""});
                     }
                   }});
  return parts;
}

// The error-control protocol decides between 0x100C/0x100D (guarding) and
// 0x1017 (heartbeat).
ObjectParts CommunicationParts(const CanopenEdsState& s) {
  const link::EepromImage& fw = s.image;
  const ErrorControlSettings& ec = s.errorControl;
  const auto hex = [](int value) { return Hex0x(static_cast<std::uint32_t>(value)); };
  ObjectParts parts;
  parts.push_back({{"1003"}, [](EdsText& eds) {
                     eds.Header("1003", 6, "pre-defined error field", "0x08");
                     eds.Variable("1003sub0", {"number of errors", "0x0005", "rw", "0x0"});
                     constexpr int kErrorFields = 5;
                     for (int sub = 1; sub <= kErrorFields; ++sub) {
                       eds.Variable(Sub("1003", sub), {"standard error field", "0x0007", "ro", "0x0"});
                     }
                   }});
  parts.push_back(VariablePart("1005", {"COB-ID SYNC", "0x0007", "rw", "0x80"}));
  parts.push_back(
      VariablePart("1008", {"Manufacturer device name", "0x0009", "const", "GW20A+EXB9 gateway"}));
  parts.push_back(VariablePart("1009", {"Manufacturer hardware version", "0x0009", "const", "01"}));
  const std::string software = std::to_string(fw.FirmwareMajor) + "." + ui::D2(fw.FirmwareMinor) + "-" +
                               std::to_string(fw.FirmwareYear) + ui::D2(fw.FirmwareMonth) +
                               ui::D2(fw.FirmwareDay);
  parts.push_back(VariablePart("100A", {"Manufacturer software version", "0x0009", "const", software}));
  if (!ec.Heartbeat()) {
    parts.push_back(VariablePart("100C", {"Guard Time", "0x0006", "rw", hex(ec.GuardTime)}));
    parts.push_back(VariablePart("100D", {"life time factor", "0x0005", "rw", hex(ec.LifeTimeFactor)}));
  }
  parts.push_back(VariablePart("1014", {"COB-ID Emergency Message", "0x0007", "rw", "$NODEID+0x80"}));
  parts.push_back(VariablePart("1015", {"Inhibit Time EMCY", "0x0006", "rw", "0x0"}));
  if (ec.Heartbeat()) {
    parts.push_back(VariablePart("1017", {"Producer Heartbeat Time", "0x0006", "rw", hex(ec.HeartbeatTime)}));
  }
  parts.push_back(
      {{"1200"}, [](EdsText& eds) {
         eds.Header("1200", 3, "Server SDO Parameter", "0x09");
         eds.Variable("1200sub0", {"number of entries", "0x0005", "ro", "0x02"});
         eds.Variable("1200sub1", {"COB_ID Client->Server (rx)", "0x0007", "ro", "$NODEID+0x600"});
         eds.Variable("1200sub2", {"COB_ID Server ->Client (tx)", "0x0007", "ro", "$NODEID+0x580"});
       }});
  return parts;
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

void WritePdoMappings(EdsText& eds, const PdoTable& pdos) {
  const bool receive = pdos.Direction() == PdoDirection::Receive;
  MappingCounters counters(pdos.Direction());
  for (int i = 0; i < kPdoCount; ++i) {
    const int count = pdos[i].MappedObjectCount();
    const std::string object = PdoObject(receive ? "16" : "1A", i);
    const std::string name = (receive ? "Receive PDO " : "Transmit PDO ") + std::to_string(i) + " Mapping";
    eds.Header(object, count + 1, name, "0x9");
    eds.Variable(Sub(object, 0),
                 {"Number of Mapped Objects", "0x0005", "rw", Hex0x(static_cast<std::uint32_t>(count))});
    for (int k = 1; k <= count; ++k) {
      const MappingWord word = counters.Next(MappedKindOf(i, pdos.NextFree()));
      if (word.outcome == MappingWord::Outcome::End) return;
      std::optional<std::string> value;
      if (word.outcome == MappingWord::Outcome::Value) value = "0x" + ui::Hex(word.value);
      eds.Variable(Sub(object, k), {"PDO mapping for the application object", "0x0007", "rw", value});
    }
  }
}

// The communication and mapping objects of one direction's 32 PDOs, when the
// gateway has data of that direction.
void AddPdoPart(ObjectParts& parts, const CanopenEdsState& s, PdoDirection direction) {
  const modules::ModuleTable& m = s.modules;
  const bool receive = direction == PdoDirection::Receive;
  if ((receive ? m.TotalDOBytes + m.TotalAOBytes : m.TotalDIBytes + m.TotalAIBytes) <= 0) return;
  ObjectPart part;
  for (std::string_view range : {receive ? "14" : "18", receive ? "16" : "1A"}) {
    for (int i = 0; i < kPdoCount; ++i) part.indexes.push_back(PdoObject(range, i));
  }
  part.write = [&s, direction](EdsText& eds) {
    WritePdoParameters(eds, direction, s.params.NodeId);
    WritePdoMappings(eds, PdoTable(s.maps, direction));
  };
  parts.push_back(std::move(part));
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
  const std::uint64_t first = static_cast<std::uint64_t>(k - 1) * kBitsPerEntry + 1;
  const std::uint64_t last = static_cast<std::uint64_t>(k) * kBitsPerEntry;
  return std::string(object.entryPrefix) + ui::Hex(first) + "h to " + ui::Hex(last) + "h";
}

// The I/O profile objects whose size is not 0.
void AddProfileParts(ObjectParts& parts, const ObjectSizes& sizes) {
  for (const ProfileObject& object : kProfileObjects) {
    const int count = sizes.*object.size;
    if (count <= 0) continue;
    const std::string index(object.index);
    parts.push_back({{index}, [&object, index, count](EdsText& eds) {
                       eds.Header(index, count + 1, object.name, "0x8");
                       eds.Variable(Sub(index, 0), {object.countName, "0x0005", "ro",
                                                    Hex0x(static_cast<std::uint32_t>(count))});
                       for (int k = 1; k <= std::min(count, kMaxSubIndex); ++k) {
                         std::optional<std::string> value;
                         if (object.defaultValue) value = std::string(*object.defaultValue);
                         eds.Variable(Sub(index, k), {EntryName(object, k), object.dataType, object.access,
                                                      value, object.pdoMapping});
                       }
                     }});
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
    for (int channel = 1; channel <= kCounterModuleChannels && sub < kMaxSubIndex; ++channel) {
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
  const ObjectSizes sizes = ComputeObjectSizes(state.modules, state.CounterModuleCount);
  EdsText eds;
  WriteFileInfo(eds.ini, state, now);
  WriteDeviceInfo(eds.ini, state);
  WriteObjects(eds, "MandatoryObjects", MandatoryParts(state));
  ObjectParts optional = CommunicationParts(state);
  AddPdoPart(optional, state, PdoDirection::Receive);
  AddPdoPart(optional, state, PdoDirection::Transmit);
  AddProfileParts(optional, sizes);
  WriteObjects(eds, "OptionalObjects", optional);
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

std::optional<eds::EdsInfo> ReadCanopenEdsTexts(std::string_view fileText) {
  std::optional<std::string_view> description;
  std::optional<std::string_view> creator;
  const std::string section = "[" + std::string(kFileInfoSection) + "]";
  const std::string descriptionKey = std::string(kDescriptionKey) + "=";
  const std::string creatorKey = std::string(kCreatorKey) + "=";
  bool inFileInfo = false;
  for (const std::string_view line : eds::EdsLines(fileText)) {
    if (line.starts_with('[')) {
      inFileInfo = line == section;
    } else if (inFileInfo && line.starts_with(descriptionKey)) {
      description = line.substr(descriptionKey.size());
    } else if (inFileInfo && line.starts_with(creatorKey)) {
      creator = line.substr(creatorKey.size());
    }
  }
  if (!description || !creator) return std::nullopt;
  eds::EdsInfo info;
  if (*description != kDefaultDescription) info[eds::kEdsDescription] = std::string(*description);
  if (*creator != kDefaultCreator) info[eds::kEdsCreator] = std::string(*creator);
  return info;
}

}  // namespace gw20::canopen
