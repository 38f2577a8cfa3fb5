#include "app/qt/com_para_setting_f_view.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/qt/widget_factory.h"
#include "link/com_para_setting_f.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

// Characters of the longest padded entry ("     1200 BPS"); the lists are
// filled at load, after the view exists, so the width is fixed up front.
constexpr int kEntryChars = 13;

QComboBox& MakeCombo(QWidget& parent, ui::ComboBox& model) {
  auto& combo = MakeBound<QComboBox>(parent, model);
  combo.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo.setMinimumContentsLength(kEntryChars);
  UseFixedPitch(combo);  // the padded entries line up only in a fixed pitch
  return combo;
}

}  // namespace

ComParaSettingFView::ComParaSettingFView(link::ComParaSetting_F& form) {
  setObjectName(QString::fromStdString(form.Name()));
  setWindowFlags(Qt::Dialog);
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);

  auto& outer = MakeBound<QGroupBox>(page, form.ComOutFrame);
  auto* outerLayout = new QVBoxLayout(&outer);
  auto& com2 = MakeBound<QGroupBox>(outer, form.ComFrame);
  auto* grid = new QGridLayout(&com2);
  grid->addWidget(&MakeBound<QLabel>(com2, form.ScanBaudrate), 0, 0);
  grid->addWidget(&MakeCombo(com2, form.ScanBaudrateCombol), 0, 1);
  grid->addWidget(&MakeBound<QLabel>(com2, form.Label3), 1, 0);
  grid->addWidget(&MakeCombo(com2, form.ScanChecksumCombol), 1, 1);
  grid->addWidget(&MakeBound<QLabel>(com2, form.Label1), 2, 0);
  grid->addWidget(&MakeBound<QLineEdit>(com2, form.ScanTimeout), 2, 1);
  grid->setColumnStretch(1, 1);
  outerLayout->addWidget(&com2);
  column->addWidget(&outer, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = &MakeBound<QPushButton>(page, form.ScanSettingOkButton);
  ok_->setDefault(true);
  buttons->addWidget(ok_);
  buttons->addStretch(1);
  column->addLayout(buttons);

  qtui::BindWindow(*this, form);
}

// What a dialog's keys do; the fields pass Enter and Escape on to the window.
void ComParaSettingFView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ok_->click();
      return;
    case Qt::Key_Escape:
      close();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace gw20::appqt
