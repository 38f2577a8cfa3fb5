#pragma once
// The operator's part on the main window's two parameter panels after a
// connect, shared by gw20cli's commands and the desktop program's Open Plan:
// choose the application on the CAN panel, set what is given on the two
// panels and press Setting for each panel touched. Every check and message is
// the main window's own.

#include <array>
#include <optional>
#include <string>

#include "eds/eds_info.h"
#include "platform/ui/control.h"

namespace gw20::plans {
struct Plan;
}

namespace gw20::app {

class Main_F;

// What the operator types or picks; an option not given keeps what the
// window shows. Texts are typed as they are, so the windows validate them.
struct GatewayAnswers {
  std::optional<std::string> nodeText;                // CANNodeId on the CAN panel
  std::optional<int> canBaudIndex;                    // entry of the chosen application's CAN bit-rate list
  std::optional<std::string> com2TimeoutText;         // CANNodeId on the field-port panel, ms
  std::optional<int> com2BaudIndex;                   // entry of the field-port bit-rate list
  std::optional<int> com2Checksum;                    // 0 off, 1 on
  std::optional<std::string> description, createdBy;  // the page's EDS information texts

  bool TouchesCanPanel() const { return nodeText || canBaudIndex; }
  bool TouchesFieldPanel() const { return com2TimeoutText || com2BaudIndex || com2Checksum; }
};

// Sets the field-port panel, then chooses `application` (link::kCanOpen or
// link::kDeviceNet, which is also its ApplicationSelect position) and sets
// the CAN panel, so the CAN panel is left open as after a connect. False when
// a Setting was rejected; the window has said why.
bool SetGatewayPanels(app::Main_F& form, int application, const GatewayAnswers& answers);

// Types the EDS texts given into a page's EDSInfo boxes.
void TypeEdsTexts(std::array<ui::TextBox, eds::kEdsInfoCount>& EDSInfo, const GatewayAnswers& answers);

// Everything a plan gives for the two panels and the EDS texts.
GatewayAnswers GatewayAnswersOf(const plans::Plan& plan);

}  // namespace gw20::app
