#pragma once
// The Qt face of the assembly object viewer: a frame with the output/input
// tab strip above the assembly grid.

#include <QWidget>

namespace gw20::devicenet {
class ShowAssObj;
}

namespace gw20::appqt {

class ShowAssObjView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ShowAssObjView(devicenet::ShowAssObj& form);
};

}  // namespace gw20::appqt
