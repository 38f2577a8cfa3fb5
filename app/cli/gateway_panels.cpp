#include "app/cli/gateway_panels.h"

#include "app/main_f.h"

namespace gw20::cli {
namespace {

// Opens panel `index` unless its toggle is already down (a second click
// would release it and hide Setting).
void OpenPanel(app::Main_F& form, int index) {
  if (!form.ComButton[index].Value()) form.ComButton[index].Toggle();
}

// Presses Setting; the status line says whether the panel took the values.
bool PressSetting(app::Main_F& form) {
  form.CommunicationState.SetText("");
  form.SettingParameter.Press();
  return form.CommunicationState.Text() == app::kSettingOkStatus;
}

bool SetCanPanel(app::Main_F& form, int application, const GatewayAnswers& answers) {
  // The page follows the option; clicking it re-fills the bit-rate list, so
  // only a change of application clicks it.
  const bool mustChoose = !form.ApplicationSelect[application].Value();
  if (!mustChoose && !answers.TouchesCanPanel()) return true;
  OpenPanel(form, app::kCanPanel);
  if (mustChoose) form.ApplicationSelect[application].Choose();
  if (!answers.TouchesCanPanel()) return true;
  if (answers.canBaudIndex) form.CANBaudrate.Pick(*answers.canBaudIndex);
  if (answers.nodeText) form.CANNodeId.Type(*answers.nodeText);
  return PressSetting(form);
}

bool SetFieldPanel(app::Main_F& form, const GatewayAnswers& answers) {
  if (!answers.TouchesFieldPanel()) return true;
  OpenPanel(form, app::kComPanel);
  if (answers.com2BaudIndex) form.CANBaudrate.Pick(*answers.com2BaudIndex);
  if (answers.com2Checksum) form.ComChecksum.Pick(*answers.com2Checksum);
  if (answers.com2TimeoutText) form.CANNodeId.Type(*answers.com2TimeoutText);
  return PressSetting(form);
}

}  // namespace

bool SetGatewayPanels(app::Main_F& form, int application, const GatewayAnswers& answers) {
  return SetCanPanel(form, application, answers) && SetFieldPanel(form, answers);
}

void TypeEdsTexts(std::array<ui::TextBox, eds::kEdsInfoCount>& EDSInfo, const GatewayAnswers& answers) {
  if (answers.description) EDSInfo[eds::kEdsDescription].Type(*answers.description);
  if (answers.createdBy) EDSInfo[eds::kEdsCreator].Type(*answers.createdBy);
}

}  // namespace gw20::cli
