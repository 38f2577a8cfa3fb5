#pragma once
// The Qt face of the application object viewer: a frame holding the grid of
// application object instances.

#include <QWidget>

namespace gw20::devicenet {
class ShowAppObjNew;
}

namespace gw20::appqt {

class ShowAppObjNewView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ShowAppObjNewView(devicenet::ShowAppObjNew& form);
};

}  // namespace gw20::appqt
