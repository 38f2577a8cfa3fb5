#pragma once
// The Qt face of the PDO viewer: the "Setting Result" frame with the
// receive/transmit tab strip above the PDO grid.

#include <QWidget>

namespace gw20::canopen {
class ShowPDO;
}

namespace gw20::appqt {

class ShowPdoView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ShowPdoView(canopen::ShowPDO& form);
};

}  // namespace gw20::appqt
