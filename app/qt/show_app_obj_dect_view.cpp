#include "app/qt/show_app_obj_dect_view.h"

#include <QGroupBox>
#include <QTabBar>
#include <QTableWidget>

#include "app/qt/tabbed_grid_layout.h"
#include "app/qt/widget_factory.h"
#include "canopen/show_app_obj_dect.h"
#include "platform/qt/window_fit.h"

namespace gw20::appqt {

ShowAppObjDectView::ShowAppObjDectView(canopen::ShowAppObjDect& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto& frame = MakeBound<QGroupBox>(page, form.Frame6);
  auto& tabs = MakeBound<QTabBar>(frame, form.ObjDictTableTag);
  auto& grid = MakeBound<QTableWidget>(frame, form.ObjDectRecord);
  LayOutTabbedGrid(page, frame, tabs, grid);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
