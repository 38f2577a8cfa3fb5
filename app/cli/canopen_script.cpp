#include "app/cli/canopen_script.h"

#include "app/main_f.h"
#include "canopen/copeds_f.h"
#include "link/gateway_parameters.h"
#include "pages/commit_messages.h"

namespace gw20::cli {
namespace {

void SetPage(canopen::COPEDS_F& page, const app::GatewayAnswers& gateway, const CanopenAnswers& answers) {
  app::TypeEdsTexts(page.EDSInfo, gateway);
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

bool RunCanopenScript(app::Main_F& form, const app::GatewayAnswers& gateway, const CanopenAnswers& answers) {
  if (!app::SetGatewayPanels(form, link::kCanOpen, gateway)) return false;
  form.WriteEDS.Press();
  auto* page = form.CanopenPage();
  if (page == nullptr || !page->Loaded()) return false;
  SetPage(*page, gateway, answers);
  page->FinishButton.Press();
  return !page->Loaded() && form.CommunicationState.Text() == pages::kEdsOkStatus;
}

}  // namespace gw20::cli
