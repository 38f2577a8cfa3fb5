#include "devicenet/dns_eds_writer.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "devicenet/assembly_records.h"
#include "devicenet/connections.h"
#include "eds/eds_file.h"
#include "eds/ini_writer.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::devicenet {
namespace {

using modules::AppObjectRecord;

// Every blank in these lines is part of the file's layout.
constexpr std::string_view kRule =
    "$==========================================================================================";
constexpr std::string_view kFieldIndent = "            ";
constexpr std::string_view kInfoIndent = "                      ";
constexpr std::string_view kHelpText = "\"This is a help string\";";

constexpr std::array<std::string_view, 7> kHeaderTail{
    kRule,
    "$ Device Information:  Varlon DeviceNet Slave Gateway",
    "$",
    "$==================  Application Object Information ( Class ID : 0x64 ) ===================",
    "$ Instance No. Att.1    2       3     4     5    6    7    8    9   10   11   12   13   14",
    "$  Inst. Num   IOType  Name   Add(H) Baud   TC   DF  DOL  AOL  DIL  AIL  DOC  AOC  DIC  AIC",
    "$ -----------------------------------------------------------------------------------------",
};

constexpr std::array<std::string_view, 3> kAssemblyHeader{
    "$====================  Assembly Object Information ( Class ID : 0x04 )  ===================",
    "$ Instance ID   Data Legnth     IO TYPE          Data Mapping.",
    "$------------------------------------------------------------------------------------------",
};

// Bit k of the connection masks, with the choice slot each type reads:
// COS and Cyclic share one slot.
struct ConnectionType {
  std::string_view name;
  int slot;
};
constexpr std::array<ConnectionType, 4> kConnectionTypes{
    {{"Poll", kPoll}, {"Strobe", kStrobe}, {"COS", kCosCyclic}, {"Cyclic", kCosCyclic}}};
constexpr int kCosBit = 4;
constexpr int kCyclicBit = 8;
constexpr int kPollStrobeTypes = 2;

struct ConnectionSummary {
  int Mask = 0;
  int InMask = 0;
  int OutMask = 0;
  std::string List;    // the used types, "/"-joined
  std::string PSList;  // the same for Poll and Strobe only
};

ConnectionSummary Summarise(const ConnectionChoices& c) {
  ConnectionSummary s;
  for (int k = 0; k < static_cast<int>(kConnectionTypes.size()); ++k) {
    const ConnectionType& type = kConnectionTypes[static_cast<std::size_t>(k)];
    if (!c.Used(type.slot)) continue;
    const int bit = 1 << k;
    s.Mask += bit;
    if (c.ProducedChoice[static_cast<std::size_t>(type.slot)] >= 1) s.InMask += bit;
    if (c.ConsumedChoice[static_cast<std::size_t>(type.slot)] >= 1) s.OutMask += bit;
    s.List += (s.List.empty() ? "" : "/") + std::string(type.name);
    if (k < kPollStrobeTypes) s.PSList += (s.PSList.empty() ? "" : "/") + std::string(type.name);
  }
  return s;
}

std::string Mask0x(int mask) { return "0x000" + ui::Hex(static_cast<std::uint64_t>(mask)); }

std::string Blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

// The header comment's lines of the EDS texts, written and read back.
constexpr std::string_view kTextsSection = "$ File Description Section :";
constexpr std::string_view kDescriptionLine = "$ ";
constexpr std::string_view kCreatorLine = "$ Created by ";

void WriteHeaderComment(eds::IniWriter& ini, const eds::EdsInfo& info) {
  ini.Line("$ VARLON-DNS Gateway Electronic Data Sheet");
  ini.Line(kTextsSection);
  ini.Line(std::string(kDescriptionLine) + eds::OneLineText(info[eds::kEdsDescription]));
  ini.Line(std::string(kCreatorLine) + eds::OneLineText(info[eds::kEdsCreator]));
  for (std::string_view line : kHeaderTail) ini.Line(line);
}

std::string ApplicationRow(int slot, const AppObjectRecord& r, int address) {
  // A four-character name is padded so it lines up with the five-character ones.
  constexpr std::size_t kShortName = 4;
  const std::string name = (r.Name.size() == kShortName ? " " : "") + r.Name;
  return "$     " + ui::Str(slot + 1) + "         " + ui::Dec(r.IOType) + "    " + name + "    " +
         ui::H2(address) + "     " + ui::D2(r.Baud) + " " + ui::H2(r.TypeCode) + "H," + ui::H2(r.TypeCode2) +
         "H  " + ui::H2(r.DataFormat) + "  " + ui::H2(r.DOL) + "   " + ui::H2(r.AOL) + "   " + ui::H2(r.DIL) +
         "   " + ui::H2(r.AIL) + "   " + ui::D2(r.DOC) + "   " + ui::D2(r.AOC) + "   " + ui::D2(r.DIC) +
         "   " + ui::D2(r.AIC);
}

void WriteApplicationTable(eds::IniWriter& ini, const modules::ModuleTable& table) {
  for (int slot = 0; slot < modules::kModuleSlots; ++slot) {
    if (!HasApplicationObject(table, slot)) continue;
    const auto i = static_cast<std::size_t>(slot);
    ini.Line(ApplicationRow(slot, table.AppObjList[i], modules::AddressValue(table.ModuleList[i])));
  }
  ini.Line("$");
}

// One direction of the gateway's data: its assemblies and how the file
// names their kinds.
struct Direction {
  AssemblyTable assemblies;
  std::string_view digitalKind;
  std::string_view analogKind;

  std::string_view Kind(const Assembly& assembly) const {
    return assembly.Analog() ? analogKind : digitalKind;
  }
  DnsPath Path(int r) const { return {kAssemblyClass, assemblies.FirstInstance() + r, kAssemblyData}; }
};

void WriteAssemblyLines(eds::IniWriter& ini, const Direction& d) {
  for (int r = 0; r < d.assemblies.Count(); ++r) {
    const Assembly assembly = d.assemblies[r];
    std::string kind(d.Kind(assembly));
    constexpr std::size_t kKindWidth = 19;
    kind.resize(kKindWidth, ' ');
    std::string line = "$ ID: 0x" + ui::Hex(static_cast<std::uint64_t>(d.Path(r).Instance)) + "         " +
                       ui::D2(assembly.Length()) + "       " + kind;
    for (const std::string& entry : assembly.Entries()) line += "  " + entry;
    ini.Line(line);
  }
}

void WriteFileSection(eds::IniWriter& ini, const link::EepromImage& image, const ui::DateTime& now) {
  const std::string date = eds::EdsDateText(now);
  const std::string time = ui::D2(now.hour) + ":" + ui::D2(now.minute) + ":" + ui::D2(now.second);
  ini.Line("[File]");
  ini.Line("            DescText   = \"VARLON DeviceNet I/O Controller \"; ");
  ini.Line("            CreateDate = " + date + "; $ created");
  ini.Line("            CreateTime = " + time + ";");
  ini.Line("            ModDate = " + date + ";");
  ini.Line("            ModTime    = " + time + ";");
  ini.Line("            Revision   = " + ui::Dec(image.FirmwareMajor) + "." + ui::Dec(image.FirmwareMinor) +
           "; $ revision of EDS");
  ini.Blank();
}

void WriteDeviceSection(eds::IniWriter& ini, const link::EepromImage& image) {
  ini.Line("[Device]");
  ini.Line("            VendCode    = 517;            $ Vendor Code");
  ini.Line("            VendName    = \"VARLON\";       $ Vendor Name");
  ini.Line("            ProdType    = 0;              $ Product Type");
  ini.Line("            ProdTypeStr = \"Generic\";");
  ini.Line("            ProdCode    = 1;");
  ini.Line("            MajRev      = " + ui::Dec(image.FirmwareMajor) + ";");
  ini.Line("            MinRev      = " + ui::Dec(image.FirmwareMinor) + ";");
  ini.Line("            ProdName    = \"VARLON-GD1\";   $ Product Name");
  ini.Blank();
}

void WriteDefaultInput(eds::IniWriter& ini, int produced) {
  ini.Line(std::string(kInfoIndent) + ui::Str(produced) + ", $ Default Input = Input" + ui::Str(produced));
}

void WriteIoInfo(eds::IniWriter& ini, const ConnectionChoices& c, const ConnectionSummary& s) {
  ini.Line("[IO_Info]");
  ini.Line(std::string(kFieldIndent) + "Default = " + Mask0x(s.Mask) + ";        $ " + s.List +
           " as default");
  for (int k = 0; k < kPollStrobeTypes; ++k) {
    const ConnectionType& type = kConnectionTypes[static_cast<std::size_t>(k)];
    if (!c.Used(type.slot)) continue;
    const auto slot = static_cast<std::size_t>(type.slot);
    ini.Line(std::string(kFieldIndent) + std::string(type.name) + "Info =");
    ini.Line(std::string(kInfoIndent) + Mask0x(s.Mask) + ",        $ " + s.List);
    WriteDefaultInput(ini, c.ProducedChoice[slot]);
    ini.Line(std::string(kInfoIndent) + ui::Str(c.ConsumedChoice[slot]) + "; $ Default Ouput = Output" +
             ui::Str(c.ConsumedChoice[slot]));
  }
  if (!c.Used(kCosCyclic)) return;
  // Each of the two lists the other types with it, never its sibling.
  for (const auto& [type, siblingBit] : {std::pair{"COS", kCyclicBit}, std::pair{"Cyclic", kCosBit}}) {
    const std::string name(type);
    ini.Line(std::string(kFieldIndent) + name + "Info =");
    ini.Line(std::string(kInfoIndent) + Mask0x(s.Mask - siblingBit) + ",        $ " + s.PSList +
             (s.PSList.empty() ? "" : "/") + name);
    WriteDefaultInput(ini, c.ProducedChoice[kCosCyclic]);
    ini.Line(std::string(kInfoIndent) + ui::Str(c.ConsumedChoice[kCosCyclic]) +
             "; $ Default Ouput = Non Exist");
  }
  ini.Blank();
}

// The nine lines of one connection entry. The output assembly entries are
// indented one further than all others, except for their mask line.
struct EntryLayout {
  int countIndent;  // before Str(count), which adds its own blank
  int bodyIndent;   // bits, name, size, path and help lines
};
constexpr EntryLayout kUsualEntry{18, 19};
constexpr EntryLayout kOutputAssemblyEntry{19, 20};
constexpr int kMaskIndent = 19;

struct EntryText {
  std::string_view key;       // "Input" or "Output"
  std::string_view dataName;  // the quoted name string
  std::string list;
  int mask;
};

struct Entry {
  int number;
  int bytes;
  std::string kind;  // after "$ n Bytes"
  DnsPath path;
  EntryLayout layout;
};

// "Assembly Object Instance 0x66", "Application Object Instance 0x01".
std::string PathComment(const DnsPath& path) {
  return std::string(path.ClassId == kAssemblyClass ? "Assembly" : "Application") + " Object Instance 0x" +
         ui::H2(path.Instance);
}

void WriteEntry(eds::IniWriter& ini, const EntryText& t, const Entry& e) {
  const std::string body = Blanks(e.layout.bodyIndent);
  ini.Line(std::string(kFieldIndent) + std::string(t.key) + ui::Dec(e.number) + " = ");
  ini.Line(Blanks(e.layout.countIndent) + ui::Str(e.bytes) + ",           $ n Bytes" + e.kind);
  ini.Line(body + "0,           $ all bits are significant");
  ini.Line(Blanks(kMaskIndent) + Mask0x(t.mask) + ",      $ " + t.list);
  ini.Line(body + "\"" + std::string(t.dataName) + "\", $ Name String ");
  ini.Line(body + "6,            $ Path Size");
  ini.Line(body + "\"" + EdsPathText(e.path) + "\",    $ " + PathComment(e.path));
  ini.Line(body + std::string(kHelpText));
  ini.Blank();
}

struct Connections {
  std::string_view header;
  EntryText text;
  Direction direction;
  EntryLayout assemblyLayout;
  // The application object data the page's list offers, and how the entry
  // describes each kind.
  const std::array<AppData, 2>& appData;
  std::array<std::string_view, 2> appDataKinds;
};

void WriteConnections(eds::IniWriter& ini, const modules::ModuleTable& table, const Connections& c) {
  const Direction& d = c.direction;
  int number = 0;
  if (d.assemblies[0].Length() != 0) {
    ini.Line(c.header);
    for (int r = 0; r < d.assemblies.Count(); ++r) {
      const Assembly assembly = d.assemblies[r];
      WriteEntry(
          ini, c.text,
          {++number, assembly.Length(), "  " + std::string(d.Kind(assembly)), d.Path(r), c.assemblyLayout});
    }
  }
  // Numbered on after the assemblies in the order the page lists them, so a
  // list index chosen there names the entry of the same number.
  number = d.assemblies.Count();
  for (std::size_t k = 0; k < c.appData.size(); ++k) {
    const AppData& data = c.appData[k];
    for (int slot = 0; slot < modules::kModuleSlots; ++slot) {
      const int bytes = table.AppObjList[static_cast<std::size_t>(slot)].*data.length;
      if (!HasApplicationObject(table, slot) || bytes == 0) continue;
      WriteEntry(ini, c.text,
                 {++number,
                  bytes,
                  std::string(c.appDataKinds[k]),
                  {kApplicationClass, slot + 1, data.attribute},
                  kUsualEntry});
    }
  }
}

eds::IniWriter BuildFile(const DeviceNetEdsState& state, const ui::DateTime& now) {
  const modules::ModuleTable& table = state.modules;
  const Direction output{{state.maps, AssemblyDirection::Output}, "Digital Output", "Analog Output"};
  const Direction input{{state.maps, AssemblyDirection::Input}, "Digital Input", "Analog Input"};
  const ConnectionSummary summary = Summarise(state.choices);

  eds::IniWriter ini;
  WriteHeaderComment(ini, state.edsInfo);
  WriteApplicationTable(ini, table);
  for (std::string_view line : kAssemblyHeader) ini.Line(line);
  WriteAssemblyLines(ini, output);
  WriteAssemblyLines(ini, input);
  ini.Line(kRule);
  WriteFileSection(ini, state.image, now);
  WriteDeviceSection(ini, state.image);
  if (input.assemblies.Count() >= 1 || output.assemblies.Count() >= 1)
    WriteIoInfo(ini, state.choices, summary);
  WriteConnections(ini, table,
                   {"$ ============= Input Connection ===================================================",
                    {"Input", "INPUT DATA", summary.List, summary.InMask},
                    input,
                    kUsualEntry,
                    kProducedData,
                    {"-Digital Input ", "-Analog Input "}});
  WriteConnections(ini, table,
                   {"$ ============= Output Connection ===================================================",
                    {"Output", "OUTPUT DATA", summary.List, summary.OutMask},
                    output,
                    kOutputAssemblyEntry,
                    kConsumedData,
                    {"-Digital Output", "-Analog Output "}});
  ini.Line("$ End of VARLON-DNS EDS File");
  return ini;
}

}  // namespace

std::string DeviceNetEdsFileName(int nodeId) { return "ZELKDNS" + ui::Str(nodeId) + ".eds"; }

std::string BuildDnsEds(const DeviceNetEdsState& state, const ui::DateTime& now) {
  return BuildFile(state, now).Text();
}

std::optional<eds::EdsInfo> ReadDnsEdsTexts(std::string_view fileText) {
  const auto lines = eds::EdsLines(fileText);
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i] != kTextsSection) continue;
    if (!lines[i + 1].starts_with(kDescriptionLine) || !lines[i + 2].starts_with(kCreatorLine)) {
      return std::nullopt;
    }
    eds::EdsInfo info;
    info[eds::kEdsDescription] = std::string(lines[i + 1].substr(kDescriptionLine.size()));
    info[eds::kEdsCreator] = std::string(lines[i + 2].substr(kCreatorLine.size()));
    return info;
  }
  return std::nullopt;
}

}  // namespace gw20::devicenet
