#pragma once
// The DeviceNet I/O connections the operator chooses on the DeviceNet page:
// for Poll, Strobe and COS/Cyclic, which item of the produced (input) and the
// consumed (output) list the gateway uses, and what an item names as a
// DeviceNet path (class, instance, attribute).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devicenet/assembly_records.h"
#include "modules/app_object_record.h"
#include "modules/modules_fwd.h"

namespace gw20::devicenet {

// Connection slots: positions of ProducedChoice, ConsumedChoice and of the
// page's InpPut and OutPut lists.
inline constexpr int kPoll = 0;
inline constexpr int kStrobe = 1;
inline constexpr int kCosCyclic = 2;  // COS and Cyclic share one choice
inline constexpr int kConnectionSlots = 3;
inline constexpr int kChoiceSlots = 4;  // slot 3 exists; no list sets it

// List index of "None" in every connection list.
inline constexpr int kNoneItem = 0;

// The list indexes chosen, kept for the whole run: a page load presets the
// produced choices and the Poll consumed choice from the EEPROM, while the
// Strobe and COS/Cyclic consumed choices keep what an earlier visit chose.
struct ConnectionChoices {
  std::array<int, kChoiceSlots> ProducedChoice{};
  std::array<int, kChoiceSlots> ConsumedChoice{};
  // The produced or the consumed choice of `slot` names an item.
  bool Used(int slot) const;
};

// Class ids of a DeviceNet path.
enum DnsClass : int {
  kAssemblyClass = 4,
  kAcknowledgeClass = 43,  // the acknowledge handler object
  kApplicationClass = 100,
};
// Data attributes: an assembly's, and class 100's digital and analog output
// and input data.
enum DnsAttribute : int { kAssemblyData = 3, kDOData = 20, kAOData = 21, kDIData = 22, kAIData = 23 };

struct DnsPath {
  int ClassId = kAssemblyClass;
  int Instance = 0;
  int Attribute = kAssemblyData;
  friend bool operator==(const DnsPath&, const DnsPath&) = default;
};

// The path as an EDS connection entry spells it: class, instance and
// attribute as two hexadecimal digits each, "20 04 24 64 30 03".
std::string EdsPathText(const DnsPath& path);

// The data an application object offers as a connection of one direction,
// digital first: its kind in the list items ("DO" in "OUTPUT 03(DO,App.01)"),
// its length in bytes and its attribute.
struct AppData {
  std::string_view kind;
  int modules::AppObjectRecord::*length;
  int attribute;
};
inline constexpr std::array<AppData, 2> kConsumedData{
    {{"DO", &modules::AppObjectRecord::DOL, kDOData}, {"AO", &modules::AppObjectRecord::AOL, kAOData}}};
inline constexpr std::array<AppData, 2> kProducedData{
    {{"DI", &modules::AppObjectRecord::DIL, kDIData}, {"AI", &modules::AppObjectRecord::AIL, kAIData}}};

// Decodes a list item ("INPUT  02(Assembly)", "OUTPUT 03(DO,App.01)",
// "None") chosen at list index `Index`. An output assembly item names
// instance Index; an input assembly item counts on after the output
// assemblies. Application items name class 100, the instance given in the
// text and the data attribute of their kind. "None", an empty or any other
// text gives class 4, instance 0, attribute 3.
DnsPath GetDNSInfo(int Index, const std::string& ItemText, const MapTables& maps);

// The items of the consumed (output) and produced (input) lists for the
// modules and assemblies of the last derivation: "None", the assembly items,
// then one item per module slot with digital and then with analog data.
// Item i names the EDS file's Output (Input) connection entry i.
std::vector<std::string> ConsumedItems(const modules::ModuleTable& table, const MapTables& maps);
std::vector<std::string> ProducedItems(const modules::ModuleTable& table, const MapTables& maps);

// Slots 0..CurrentModule - 1 that hold a module: those with an application
// object the connection lists and the EDS file name.
bool HasApplicationObject(const modules::ModuleTable& table, int slot);

// One word of block 1: list index x 16777216 + class x 65536 + instance x
// 256 + attribute. Fields are taken modulo their byte.
std::uint32_t ConnectionPath(int listIndex, const DnsPath& path);

// COS and Cyclic consume nothing: whatever their consumed list shows, the
// gateway acknowledges through the acknowledge handler object.
inline constexpr DnsPath kAcknowledgeHandlerPath{kAcknowledgeClass, 1, 0};

// The block 1 word a commit stores for entry `Index` (text `ItemText`) of
// slot `slot`'s produced list or, with `consumed`, its consumed list.
std::uint32_t ConnectionWord(int slot, bool consumed, int Index, const std::string& ItemText,
                             const MapTables& maps);

// The entry of such a list (`items`) that a commit stores as `word`: the one
// at the list index in the word's top byte, if it names the word's path.
// Nullopt when the list has none, so `word` cannot be kept by picking.
std::optional<int> StoredConnectionEntry(int slot, bool consumed, std::uint32_t word,
                                         const std::vector<std::string>& items, const MapTables& maps);

// The model code block 2 stores for a module on a DeviceNet commit: the
// catalog's, except that the variants RA412P, RA883Z and RB883Z store
// 10 x the catalog code of their group + 1, and the other models of their
// groups 10 x it (modules::DeviceNetModelCode). 0 for a model the catalog
// does not know.
std::uint32_t DeviceNetModelCode(const std::string& ModelName);

}  // namespace gw20::devicenet
