#pragma once
// The DeviceNet Electronic Data Sheet of the gateway: a comment block that
// documents the application objects and assemblies, then the [File],
// [Device] and [IO_Info] sections and the Input and Output connection
// entries a DeviceNet master configures the gateway with.

#include <optional>
#include <string>
#include <string_view>

#include "devicenet/assembly_records.h"
#include "eds/eds_inputs.h"

namespace gw20::devicenet {

struct ConnectionChoices;

// Everything the file is made from, read only. The tables must come from
// BuildAssemblyMaps over the same module table.
struct DeviceNetEdsState {
  const modules::ModuleTable& modules;    // ModuleList, AppObjList, CurrentModule
  const MapTables& maps;                  // the assemblies
  const link::GatewayParameters& params;  // NodeId
  const link::EepromImage& image;         // the firmware version read at connect
  const ConnectionChoices& choices;
  const eds::EdsInfo& edsInfo;  // description and creator, as typed
};

// "ZELKDNS" + Str(node) + ".eds": node 5 gives "ZELKDNS 5.eds".
std::string DeviceNetEdsFileName(int nodeId);

// The whole file, lines ended by CR LF, 8-bit text. `now` (PC local time)
// gives the creation and modification date and time. Control characters in
// the EDS texts are written as blanks, so no text can start a line of its own.
std::string BuildDnsEds(const DeviceNetEdsState& state, const ui::DateTime& now);

// The EDS texts a file BuildDnsEds wrote was made with, read back from the
// two lines after "$ File Description Section :". Nullopt when the text is
// no such file.
std::optional<eds::EdsInfo> ReadDnsEdsTexts(std::string_view fileText);

}  // namespace gw20::devicenet
