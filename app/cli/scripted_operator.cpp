#include "app/cli/scripted_operator.h"

#include <algorithm>
#include <utility>

#include "link/com_para_setting_f.h"
#include "platform/ui/form.h"

namespace gw20::cli {
namespace {

// A screen of 1024 x 768 pixels at 96 dpi; only centring reads it.
constexpr int kScreenWidthTwips = 1024 * 15;
constexpr int kScreenHeightTwips = 768 * 15;

}  // namespace

ScriptedOperator::ScriptedOperator(ui::EventPump& events, ScanAnswers answers)
    : events_(events), answers_(std::move(answers)) {}

void ScriptedOperator::Show(ui::Form& form, bool modal) {
  shown_.push_back(form.Name());
  if (dynamic_cast<link::ComParaSetting_F*>(&form) != nullptr) {
    pending_.push_back({&form, form.Lifetime()});
  } else if (modal) {
    form.Unload();
  }
}

void ScriptedOperator::Hide(ui::Form& /*form*/) {}

void ScriptedOperator::Unloaded(ui::Form& form) {
  std::erase_if(pending_, [&form](const Pending& p) { return p.form == &form; });
}

int ScriptedOperator::ScreenWidthTwips() const { return kScreenWidthTwips; }
int ScriptedOperator::ScreenHeightTwips() const { return kScreenHeightTwips; }

void ScriptedOperator::ProcessEvents() {
  AnswerPending();
  events_.ProcessEvents();
}

void ScriptedOperator::Pause(std::chrono::milliseconds period) {
  AnswerPending();
  events_.Pause(period);
}

void ScriptedOperator::AnswerPending() {
  // Answering unloads the dialog, which edits pending_: work on a copy.
  const std::vector<Pending> due = std::exchange(pending_, {});
  for (const Pending& p : due) {
    if (p.alive.expired() || !p.form->Loaded()) continue;
    auto& dialog = static_cast<link::ComParaSetting_F&>(*p.form);
    dialog.ScanBaudrateCombol.Pick(answers_.baudIndex);
    dialog.ScanChecksumCombol.Pick(answers_.checksum);
    dialog.ScanTimeout.Type(answers_.timeoutText);
    dialog.ScanSettingOkButton.Press();
  }
}

}  // namespace gw20::cli
