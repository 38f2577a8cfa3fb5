#include "app/qt/show_zelk_info_view.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QTableWidget>

#include "app/qt/widget_factory.h"
#include "modules/show_zelk_info.h"
#include "platform/qt/window_fit.h"

namespace gw20::appqt {

ShowZelkInfoView::ShowZelkInfoView(modules::ShowZelkInfo& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);
  auto& frame = MakeBound<QGroupBox>(page, form.Frame1);
  auto* inside = new QVBoxLayout(&frame);
  inside->addWidget(&MakeBound<QTableWidget>(frame, form.ZelkInfoRecord));
  column->addWidget(&frame);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
