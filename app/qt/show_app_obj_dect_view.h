#pragma once
// The Qt face of the object dictionary viewer: the "Setting Result" frame
// with the manufacturer/standardized tab strip above the object grid.

#include <QWidget>

namespace gw20::canopen {
class ShowAppObjDect;
}

namespace gw20::appqt {

class ShowAppObjDectView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ShowAppObjDectView(canopen::ShowAppObjDect& form);
};

}  // namespace gw20::appqt
