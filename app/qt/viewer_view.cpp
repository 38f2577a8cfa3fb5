#include "app/qt/viewer_view.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QTabBar>
#include <QTableWidget>

#include "app/qt/widget_factory.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "modules/show_zelk_info.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {

ViewerView::ViewerView(modules::ShowZelkInfo& form)
    : ViewerView(form, form.Frame1, nullptr, form.ZelkInfoRecord) {}

ViewerView::ViewerView(canopen::ShowPDO& form)
    : ViewerView(form, form.Frame6, &form.PDOParaTableTag, form.PDOParaRecord) {}

ViewerView::ViewerView(canopen::ShowAppObjDect& form)
    : ViewerView(form, form.Frame6, &form.ObjDictTableTag, form.ObjDectRecord) {}

ViewerView::ViewerView(devicenet::ShowAppObjNew& form)
    : ViewerView(form, form.Frame1, nullptr, form.AppObjRecord) {}

ViewerView::ViewerView(devicenet::ShowAssObj& form)
    : ViewerView(form, form.Frame1, &form.AssObjParaTableTag, form.AssObjParaRecord) {}

ViewerView::ViewerView(ui::Form& form, ui::Frame& frame, ui::TabStrip* tabs, ui::Grid& grid) {
  setObjectName(QString::fromStdString(form.Name()));
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);
  auto& box = MakeBound<QGroupBox>(page, frame);
  column->addWidget(&box);
  auto* inside = new QVBoxLayout(&box);
  if (tabs != nullptr) {
    auto& bar = MakeBound<QTabBar>(box, *tabs);
    // The grid hangs from the tabs, as the page of a tab strip does.
    inside->setSpacing(0);
    bar.setExpanding(false);
    bar.setDrawBase(true);
    inside->addWidget(&bar);
  }
  inside->addWidget(&MakeBound<QTableWidget>(box, grid), 1);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
