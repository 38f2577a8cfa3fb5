#include "app/gateway_panels.h"

#include "app/main_f.h"
#include "plans/plan.h"
#include "plans/plan_state.h"

namespace gw20::app {
namespace {

// Opens panel `index` unless its toggle is already down (a second click
// would release it and hide Setting).
void OpenPanel(Main_F& form, int index) {
  if (!form.ComButton[index].Value()) form.ComButton[index].Toggle();
}

// Presses Setting; the status line says whether the panel took the values.
bool PressSetting(Main_F& form) {
  form.CommunicationState.SetText("");
  form.SettingParameter.Press();
  return form.CommunicationState.Text() == kSettingOkStatus;
}

bool SetCanPanel(Main_F& form, int application, const GatewayAnswers& answers) {
  // The page follows the option; clicking it re-fills the bit-rate list, so
  // only a change of application clicks it.
  const bool mustChoose = !form.ApplicationSelect[application].Value();
  if (!mustChoose && !answers.TouchesCanPanel()) return true;
  OpenPanel(form, kCanPanel);
  if (mustChoose) form.ApplicationSelect[application].Choose();
  if (!answers.TouchesCanPanel()) return true;
  if (answers.canBaudIndex) form.CANBaudrate.Pick(*answers.canBaudIndex);
  if (answers.nodeText) form.CANNodeId.Type(*answers.nodeText);
  return PressSetting(form);
}

bool SetFieldPanel(Main_F& form, const GatewayAnswers& answers) {
  if (!answers.TouchesFieldPanel()) return true;
  OpenPanel(form, kComPanel);
  if (answers.com2BaudIndex) form.CANBaudrate.Pick(*answers.com2BaudIndex);
  if (answers.com2Checksum) form.ComChecksum.Pick(*answers.com2Checksum);
  if (answers.com2TimeoutText) form.CANNodeId.Type(*answers.com2TimeoutText);
  return PressSetting(form);
}

}  // namespace

bool SetGatewayPanels(Main_F& form, int application, const GatewayAnswers& answers) {
  return SetFieldPanel(form, answers) && SetCanPanel(form, application, answers);
}

void TypeEdsTexts(std::array<ui::TextBox, eds::kEdsInfoCount>& EDSInfo, const GatewayAnswers& answers) {
  if (answers.description) EDSInfo[eds::kEdsDescription].Type(*answers.description);
  if (answers.createdBy) EDSInfo[eds::kEdsCreator].Type(*answers.createdBy);
}

GatewayAnswers GatewayAnswersOf(const plans::Plan& plan) {
  GatewayAnswers answers;
  answers.nodeText = std::to_string(plan.nodeId);
  answers.canBaudIndex = plans::CanBaudIndexOf(plan.profile, plan.canBitRateKbps);
  answers.com2TimeoutText = std::to_string(plan.fieldPort.timeoutMs);
  answers.com2BaudIndex = plans::FieldBaudIndexOf(plan.fieldPort.bitRateBps);
  answers.com2Checksum = plan.fieldPort.checksum ? 1 : 0;
  answers.description = plan.edsInfo[eds::kEdsDescription];
  answers.createdBy = plan.edsInfo[eds::kEdsCreator];
  return answers;
}

}  // namespace gw20::app
