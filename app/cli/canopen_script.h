#pragma once
// The operator's part of `gw20cli canopen` after the connect: set what the
// options name on the two parameter panels and press Setting for each panel
// touched, open the CANopen page with "Build EDS File", set its controls and
// press Finish. Every check and message is the windows' own.

#include <optional>
#include <string>

namespace gw20::app {
class Main_F;
}

namespace gw20::cli {

// What the operator types or picks; an option not given keeps what the
// window shows. Texts are typed as they are, so the windows validate them.
struct CanopenAnswers {
  std::optional<std::string> nodeText;         // CANNodeId on the CAN panel
  std::optional<int> canBaudIndex;             // entry of the CANopen bit-rate list
  std::optional<std::string> com2TimeoutText;  // CANNodeId on the field-port panel, ms
  std::optional<int> com2BaudIndex;            // entry of the field-port bit-rate list
  std::optional<int> com2Checksum;             // 0 off, 1 on
  // Node guarding: guard time (ms) and life factor, or heartbeat time (ms).
  std::optional<std::string> guardTimeText, lifeFactorText, heartbeatText;
  std::optional<std::string> description, createdBy;

  bool TouchesCanPanel() const { return nodeText || canBaudIndex; }
  bool TouchesFieldPanel() const { return com2TimeoutText || com2BaudIndex || com2Checksum; }
};

// Runs the steps on a connected main window. False when a Setting was
// rejected, the page did not open or the commit did not complete; the
// windows have said why (a message box, or only the status line, which the
// caller may print).
bool RunCanopenScript(app::Main_F& form, const CanopenAnswers& answers);

}  // namespace gw20::cli
