#pragma once
// Everything the program keeps for the whole run, in one plain object that the
// program owns and hands by reference to every form and procedure. A test
// builds its own in one line.

#include <cstdint>

#include "canopen/error_control.h"
#include "devicenet/connections.h"
#include "eds/eds_info.h"
#include "link/console.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "pages/map_tables.h"

namespace gw20::canopen {
struct CanopenPageState;
}
namespace gw20::devicenet {
struct DeviceNetPageState;
}

namespace gw20::app {

struct AppState {
  link::GatewayParameters params;
  link::ConsoleState console;
  link::EepromImage eeprom;
  // The modules found by the last connect; a connect resets it before it scans.
  gw20::modules::ModuleTable modules;
  bool CommitBusy = false;      // a connect or a commit is talking to the console
  bool ScanParamsDone = false;  // the scan-parameters dialog has closed
  // The PDO mapping tables of the page loaded last (CANopen or DeviceNet).
  pages::MapTables maps;
  // The CANopen page's settings: EDS texts and error control.
  eds::EdsInfo eds{};
  canopen::ErrorControlSettings errorControl;
  // The packed error control the last CANopen commit stored; 0 until one
  // ran. A DeviceNet commit stores it unchanged.
  std::uint32_t ErrorControlWord = 0;
  // The DeviceNet page's connection choices.
  devicenet::ConnectionChoices choices;
  // Counter modules among those found; brought up to date by the object
  // dictionary viewer and by every CANopen commit.
  int CounterModuleCount = 0;
};

// What each configuration page works on: references into `state`, which
// must outlive the page. Whoever opens a page (the main window, a test)
// takes its state from here.
canopen::CanopenPageState CanopenPageStateOf(AppState& state);
devicenet::DeviceNetPageState DeviceNetPageStateOf(AppState& state);

}  // namespace gw20::app
