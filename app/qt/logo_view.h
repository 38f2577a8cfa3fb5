#pragma once
// The Qt face of the splash window: a frameless panel with the controller
// picture, the program's names and release, and the modules picture.

#include <QFrame>

namespace gw20::app {
class Logo;
}

namespace gw20::appqt {

class LogoView : public QFrame {
 public:
  // `form` must outlive the view.
  explicit LogoView(app::Logo& form);
};

}  // namespace gw20::appqt
