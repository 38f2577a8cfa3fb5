#pragma once
// The Qt face of the CANopen configuration page: the EDS information texts,
// the error-control protocol with the times of the chosen one, the three
// viewer buttons, Back and Finish.

#include <QWidget>

namespace gw20::canopen {
class COPEDS_F;
}

namespace gw20::appqt {

class CopedsFView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit CopedsFView(canopen::COPEDS_F& form);
};

}  // namespace gw20::appqt
