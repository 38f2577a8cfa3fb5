#pragma once
// The Qt face of the module viewer: the "ZELK Information" frame holding the
// module grid.

#include <QWidget>

namespace gw20::modules {
class ShowZelkInfo;
}

namespace gw20::appqt {

class ShowZelkInfoView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit ShowZelkInfoView(modules::ShowZelkInfo& form);
};

}  // namespace gw20::appqt
