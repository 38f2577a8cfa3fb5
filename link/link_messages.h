#pragma once
// The operator messages and status texts of the connect sequence, the module
// scan and the EEPROM commit, letter for letter as the operator sees them.

#include <string>
#include <string_view>

#include "platform/ui/console_address.h"

namespace gw20::link {

inline constexpr std::string_view kTimeoutMessage = "Timeout";
inline constexpr std::string_view kModuleNotConfiguredMessage =
    "Some module isn't configured yet! Please use ZELK Utility to configure it.";
inline constexpr std::string_view kScanStoppedStatus = "Scanning Process Stop";
inline constexpr std::string_view kModuleNotSupportedMessage = "This modules is not supported!";
inline constexpr std::string_view kConfigMismatchMessage =
    "Attached modules do not match the configuration stored in EEPROM!";
inline constexpr std::string_view kCantOpenComMessage = "Can't open COM";
inline constexpr std::string_view kPortOccupiedMessage = " has been occupied";
inline constexpr std::string_view kUnknownControllerMessage = "This modules is not GW20A/QF!";
inline constexpr std::string_view kScanningStatus = "Scaning...";
// Every window that a running conversation keeps open refuses to close with it.
inline constexpr char kBusyMessage[] = "Module is connecting now!";

// A connect that met a word its console showed garbled: typing that back
// could have changed the word, so "." left it and the connect stops.
inline std::string GarbledWordText(int block, int address) {
  return "The controller's console showed EEPROM word Long(" + std::to_string(address) + ") of block " +
         std::to_string(block) + " garbled; it was left unchanged. Connect again.";
}

// A connect whose wake-up was answered from inside the EEPROM editor: an
// earlier conversation was cut there, and the wake-up's Enter has stored
// whatever it left half-typed.
inline constexpr std::string_view kInterruptedEditMessage =
    "an earlier conversation was cut inside the EEPROM editor; the stored configuration may hold a "
    "half-typed value: commit again";

// Message box titles. An empty title means the box has none of its own.
inline constexpr char kErrorTitle[] = "Error";
inline constexpr char kWarningTitle[] = "Warning";
inline constexpr char kMismatchTitle[] = "Warnning";
inline constexpr char kNoTitle[] = "";

// "Can't open COM 3!": the number carries the blank a positive number is
// written with. A port named by its device or server: "Can't open
// tcp://10.0.0.7:4001!".
inline std::string CantOpenComText(const ui::ConsoleAddress& port) {
  if (port.kind != ui::AddressKind::ComPort) return "Can't open " + port.text + "!";
  return std::string(kCantOpenComMessage) + " " + std::to_string(port.comNumber) + "!";
}

// "Can't open COM 3! " + why, for a port this user may not open or that
// leads nowhere.
inline std::string CantOpenComText(const ui::ConsoleAddress& port, const std::string& reason) {
  return reason.empty() ? CantOpenComText(port) : CantOpenComText(port) + " " + reason;
}

// "COM 3 has been occupied"; "/dev/ttyUSB0 has been occupied" for a port
// named by its device.
inline std::string PortOccupiedText(const ui::ConsoleAddress& port) {
  const std::string name =
      port.kind == ui::AddressKind::ComPort ? "COM " + std::to_string(port.comNumber) : port.text;
  return name + std::string(kPortOccupiedMessage);
}

}  // namespace gw20::link
