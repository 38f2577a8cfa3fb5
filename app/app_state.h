#pragma once
// Everything the program keeps for the whole run, in one plain object that the
// program owns and hands by reference to every form and procedure. A test
// builds its own in one line.

#include "link/console.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"

namespace gw20::app {

struct AppState {
  link::GatewayParameters params;
  link::ConsoleState console;
  link::EepromImage eeprom;
  bool CommitBusy = false;  // a connect or a commit is talking to the console
  bool ScanParamsDone = false;
  int LastOutputMap = 0;
  int LastInputMap = 0;
};

}  // namespace gw20::app
