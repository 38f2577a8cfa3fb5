#pragma once
// The Qt face of every viewer (ShowZelkInfo, ShowPDO, ShowAppObjDect,
// ShowAppObjNew, ShowAssObj): the viewer's frame filling the window and in
// it the viewer's grid, hanging from its tab strip when it has one.

#include <QWidget>

namespace gw20::ui {
class Form;
class Frame;
class Grid;
class TabStrip;
}  // namespace gw20::ui
namespace gw20::modules {
class ShowZelkInfo;
}
namespace gw20::canopen {
class ShowAppObjDect;
class ShowPDO;
}  // namespace gw20::canopen
namespace gw20::devicenet {
class ShowAppObjNew;
class ShowAssObj;
}  // namespace gw20::devicenet

namespace gw20::appqt {

class ViewerView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ViewerView(modules::ShowZelkInfo& form);
  explicit ViewerView(canopen::ShowPDO& form);
  explicit ViewerView(canopen::ShowAppObjDect& form);
  explicit ViewerView(devicenet::ShowAppObjNew& form);
  explicit ViewerView(devicenet::ShowAssObj& form);

 private:
  // `tabs` is null for a viewer without a tab strip.
  ViewerView(ui::Form& form, ui::Frame& frame, ui::TabStrip* tabs, ui::Grid& grid);
};

}  // namespace gw20::appqt
