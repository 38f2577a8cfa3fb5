#include "app/qt/copeds_f_view.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "app/qt/widget_factory.h"
#include "canopen/copeds_f.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

// Digits of the longest time (65535) plus room for the cursor.
constexpr int kTimeChars = 7;

QLineEdit& MakeTimeBox(QWidget& parent, ui::TextBox& model) {
  auto& box = MakeBound<QLineEdit>(parent, model);
  box.setMaximumWidth(box.fontMetrics().horizontalAdvance(QLatin1Char('0')) * kTimeChars +
                      box.fontMetrics().height());
  return box;
}

}  // namespace

CopedsFView::CopedsFView(canopen::COPEDS_F& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);

  column->addWidget(&MakeEdsRegion(page, form));

  auto* protocolRow = new QHBoxLayout;
  // The option buttons are the frame's children, so disabling the frame
  // locks the protocol choice.
  auto& protocol = MakeBound<QGroupBox>(page, form.Frame1);
  auto* options = new QVBoxLayout(&protocol);
  options->addWidget(&MakeBound<QRadioButton>(protocol, form.ErrControl[canopen::kNodeGuarding]));
  options->addWidget(&MakeBound<QRadioButton>(protocol, form.ErrControl[canopen::kHeartbeat]));
  options->addStretch(1);
  protocolRow->addWidget(&protocol);

  // Both parameter frames share one place; the model shows one at a time.
  auto* frames = new QGridLayout;
  auto& guarding = MakeBound<QGroupBox>(page, form.ParameterSetting_frame[0]);
  auto* guardingGrid = new QGridLayout(&guarding);
  guardingGrid->addWidget(&MakeBound<QLabel>(guarding, form.Label1), 0, 0);
  guardingGrid->addWidget(&MakeTimeBox(guarding, form.GuardTime_T[0]), 0, 1);
  guardingGrid->addWidget(&MakeBound<QLabel>(guarding, form.Label2), 1, 0);
  guardingGrid->addWidget(&MakeTimeBox(guarding, form.GuardTime_T[1]), 1, 1);
  guardingGrid->setRowStretch(2, 1);
  auto& heartbeat = MakeBound<QGroupBox>(page, form.ParameterSetting_frame[1]);
  auto* heartbeatGrid = new QGridLayout(&heartbeat);
  heartbeatGrid->addWidget(&MakeBound<QLabel>(heartbeat, form.Label4), 0, 0);
  heartbeatGrid->addWidget(&MakeTimeBox(heartbeat, form.Heartbeat_T), 0, 1);
  heartbeatGrid->setRowStretch(1, 1);
  frames->addWidget(&guarding, 0, 0);
  frames->addWidget(&heartbeat, 0, 0);
  protocolRow->addLayout(frames, 1);
  column->addLayout(protocolRow, 1);

  AddPageButtons(*column, page, {&form.ShowObjDictionary, &form.ShowZelk, &form.ShowSettingResult},
                 form.BackButton, form.FinishButton);

  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
