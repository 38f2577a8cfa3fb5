#include "app/qt/show_app_obj_new_view.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QTableWidget>

#include "app/qt/widget_factory.h"
#include "devicenet/show_app_obj_new.h"
#include "platform/qt/window_fit.h"

namespace gw20::appqt {

ShowAppObjNewView::ShowAppObjNewView(devicenet::ShowAppObjNew& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);
  auto& frame = MakeBound<QGroupBox>(page, form.Frame1);
  auto* inside = new QVBoxLayout(&frame);
  inside->addWidget(&MakeBound<QTableWidget>(frame, form.AppObjRecord));
  column->addWidget(&frame);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
