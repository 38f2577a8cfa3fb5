#include "app/cli/canopen_script.h"

#include "app/main_f.h"
#include "canopen/copeds_f.h"
#include "eds/eds_file.h"
#include "eds/eds_info.h"

namespace gw20::cli {
namespace {

constexpr const char* kSettingOk = "Setting Ok";

// Opens panel `index` unless its toggle is already down (a second click
// would release it and hide Setting).
void OpenPanel(app::Main_F& form, int index) {
  if (!form.ComButton[index].Value()) form.ComButton[index].Toggle();
}

// Presses Setting; the status line says whether the panel took the values.
bool PressSetting(app::Main_F& form) {
  form.CommunicationState.SetText("");
  form.SettingParameter.Press();
  return form.CommunicationState.Text() == kSettingOk;
}

bool SetCanPanel(app::Main_F& form, const CanopenAnswers& answers) {
  // The page follows the option; clicking it re-fills the bit-rate list, so
  // only a change of application clicks it.
  const bool mustChoose = !form.ApplicationSelect[0].Value();
  if (!mustChoose && !answers.TouchesCanPanel()) return true;
  OpenPanel(form, app::kCanPanel);
  if (mustChoose) form.ApplicationSelect[0].Choose();
  if (!answers.TouchesCanPanel()) return true;
  if (answers.canBaudIndex) form.CANBaudrate.Pick(*answers.canBaudIndex);
  if (answers.nodeText) form.CANNodeId.Type(*answers.nodeText);
  return PressSetting(form);
}

bool SetFieldPanel(app::Main_F& form, const CanopenAnswers& answers) {
  if (!answers.TouchesFieldPanel()) return true;
  OpenPanel(form, app::kComPanel);
  if (answers.com2BaudIndex) form.CANBaudrate.Pick(*answers.com2BaudIndex);
  if (answers.com2Checksum) form.ComChecksum.Pick(*answers.com2Checksum);
  if (answers.com2TimeoutText) form.CANNodeId.Type(*answers.com2TimeoutText);
  return PressSetting(form);
}

void SetPage(canopen::COPEDS_F& page, const CanopenAnswers& answers) {
  if (answers.description) page.EDSInfo[eds::kEdsDescription].Type(*answers.description);
  if (answers.createdBy) page.EDSInfo[eds::kEdsCreator].Type(*answers.createdBy);
  if (answers.heartbeatText) {
    page.ErrControl[canopen::kHeartbeat].Choose();
    page.Heartbeat_T.Type(*answers.heartbeatText);
  } else if (answers.guardTimeText) {
    page.ErrControl[canopen::kNodeGuarding].Choose();
    page.GuardTime_T[0].Type(*answers.guardTimeText);
    if (answers.lifeFactorText) page.GuardTime_T[1].Type(*answers.lifeFactorText);
  }
}

}  // namespace

bool RunCanopenScript(app::Main_F& form, const CanopenAnswers& answers) {
  if (!SetCanPanel(form, answers) || !SetFieldPanel(form, answers)) return false;
  form.WriteEDS.Press();
  auto* page = form.CanopenPage();
  if (page == nullptr || !page->Loaded()) return false;
  SetPage(*page, answers);
  page->FinishButton.Press();
  return !page->Loaded() && form.CommunicationState.Text() == eds::kEdsOkStatus;
}

}  // namespace gw20::cli
