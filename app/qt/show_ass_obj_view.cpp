#include "app/qt/show_ass_obj_view.h"

#include <QGroupBox>
#include <QTabBar>
#include <QTableWidget>

#include "app/qt/tabbed_grid_layout.h"
#include "app/qt/widget_factory.h"
#include "devicenet/show_ass_obj.h"
#include "platform/qt/window_fit.h"

namespace gw20::appqt {

ShowAssObjView::ShowAssObjView(devicenet::ShowAssObj& form) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto& frame = MakeBound<QGroupBox>(page, form.Frame1);
  auto& tabs = MakeBound<QTabBar>(frame, form.AssObjParaTableTag);
  auto& grid = MakeBound<QTableWidget>(frame, form.AssObjParaRecord);
  LayOutTabbedGrid(page, frame, tabs, grid);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
