#pragma once
// The operator's part of `gw20cli canopen` after the connect: choose CANopen
// and set the parameter panels, open the CANopen page with "Build EDS File",
// set its controls and press Finish. Every check and message is the windows'
// own.

#include <optional>
#include <string>

#include "app/gateway_panels.h"

namespace gw20::app {
class Main_F;
}

namespace gw20::cli {

// The CANopen page's own answers; an option not given keeps what the page
// shows. Node guarding: guard time (ms) and life factor, or heartbeat time (ms).
struct CanopenAnswers {
  std::optional<std::string> guardTimeText, lifeFactorText, heartbeatText;
};

// Runs the steps on a connected main window. False when a Setting was
// rejected, the page did not open or the commit did not complete; the
// windows have said why (a message box, or only the status line, which the
// caller may print).
bool RunCanopenScript(app::Main_F& form, const app::GatewayAnswers& gateway, const CanopenAnswers& answers);

}  // namespace gw20::cli
