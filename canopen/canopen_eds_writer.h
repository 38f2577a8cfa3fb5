#pragma once
// The CANopen Electronic Data Sheet of the gateway: the text a CAN master
// configures it with, and the file COPn<node>.eds that holds it.

#include <optional>
#include <string>
#include <string_view>

#include "canopen/error_control.h"
#include "canopen/pdo_records.h"
#include "eds/eds_inputs.h"

namespace gw20::canopen {

// Everything the file is made from, read only. The tables must come from
// BuildPdoMaps over the same module table.
struct CanopenEdsState {
  const modules::ModuleTable& modules;
  const MapTables& maps;
  const link::GatewayParameters& params;  // NodeId, CanBaudIndex
  const link::EepromImage& image;         // the firmware version read at connect
  const ErrorControlSettings& errorControl;
  const eds::EdsInfo& edsInfo;
  int CounterModuleCount = 0;  // CountCounterModules of `modules`
};

// "COPn" + node + ".eds", e.g. COPn5.eds.
std::string CanopenEdsFileName(int nodeId);

// The whole file, lines ended by CR LF. `now` (PC local time) gives the
// creation and modification date and time.
std::string BuildCanopenEds(const CanopenEdsState& state, const ui::DateTime& now);

// The EDS texts a file BuildCanopenEds wrote was made with, read back from
// its [FileInfo] Description and CreatedBy; a writer's default text reads as
// "" (which gives it again). Nullopt when the text is no such file.
std::optional<eds::EdsInfo> ReadCanopenEdsTexts(std::string_view fileText);

// "hh:mmAM" up to 12:59, "hh:mmPM" from 13:00 (15:07 -> 03:07PM, 12:30 ->
// 12:30AM, 00:05 -> 00:05AM): the file's time format.
std::string EdsTimeText(const ui::DateTime& now);

}  // namespace gw20::canopen
