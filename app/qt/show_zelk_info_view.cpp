#include "app/qt/show_zelk_info_view.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QTableWidget>

#include "app/qt/widget_factory.h"
#include "modules/show_zelk_info.h"

namespace gw20::appqt {

ShowZelkInfoView::ShowZelkInfoView(modules::ShowZelkInfo& form) {
  setObjectName(QString::fromStdString(form.Name()));
  auto* column = new QVBoxLayout(this);
  auto& frame = MakeBound<QGroupBox>(*this, form.Frame1);
  auto* inside = new QVBoxLayout(&frame);
  inside->addWidget(&MakeBound<QTableWidget>(frame, form.ZelkInfoRecord));
  column->addWidget(&frame);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
