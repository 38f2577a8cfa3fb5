#pragma once
// Opening the PC's COM port for a conversation with the controller, and
// saying why one stopped answering, shared by the connect sequence and the
// commits; each caller words its own messages.

#include <string>
#include <string_view>

#include "platform/ui/serial_port.h"

namespace gw20::link {

enum class OpenPortStatus {
  Opened,      // open now (or was already)
  CannotOpen,  // still closed after the attempt: CantOpenComText
  Occupied,    // another program holds it: PortOccupiedText
  Denied,      // this user may not open it, or it does not exist: CantOpenComText
               // and `description` (may be empty)
  Error,       // any other failure, described by `description`
};

struct OpenPortResult {
  OpenPortStatus status = OpenPortStatus::Opened;
  std::string description;  // only for Denied and Error: the platform's own words
};

// Selects `portNumber` (1..16) and, when the port is not open yet, discards
// waiting input and opens it. The settings already given to the port are kept.
// The messages name the port as port.Named() says.
OpenPortResult OpenConsolePort(ui::SerialPort& port, int portNumber);

// What the log says after a conversation failed: `failing` (the line that got
// no answer, may be empty) and, when the port's device failed under it, that
// too, with what to check: a pulled cable and an unplugged adapter (or a
// device server gone) end in the same message, and only the second is
// fixed at the PC's end.
std::string FailureNote(const std::string& failing, const ui::SerialPort& port);
// Such a note ends with the port's FaultHint (ui::kFaultHints).

}  // namespace gw20::link
