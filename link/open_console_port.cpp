#include "link/open_console_port.h"

namespace gw20::link {

OpenPortResult OpenConsolePort(ui::SerialPort& port, int portNumber) {
  port.SetPortNumber(portNumber);
  if (!port.IsOpen()) {
    port.DiscardInput();
    const ui::OpenResult result = port.Open();
    if (result.status == ui::OpenStatus::Occupied) return {OpenPortStatus::Occupied, {}};
    // Both are "Can't open COM n!"; the platform's words say which device and why.
    if (result.status == ui::OpenStatus::Denied || result.status == ui::OpenStatus::Missing) {
      return {OpenPortStatus::Denied, result.description};
    }
    // A failure the platform could name is reported in its words; a silent
    // one is the plain "Can't open" case below.
    if (result.status == ui::OpenStatus::Failed && !result.description.empty()) {
      return {OpenPortStatus::Error, result.description};
    }
  }
  if (!port.IsOpen()) return {OpenPortStatus::CannotOpen, {}};
  return {OpenPortStatus::Opened, {}};
}

std::string FailureNote(const std::string& failing, const ui::SerialPort& port) {
  const std::string fault = port.DeviceFault();
  if (fault.empty()) return failing;
  const std::string hint = fault + ": " + std::string(port.FaultHint());
  return failing.empty() ? hint : failing + "; " + hint;
}

}  // namespace gw20::link
