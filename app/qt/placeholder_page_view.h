#pragma once
// The Qt face of a configuration page that is not available yet: its notice
// and the "Back" button.

#include <QWidget>

namespace gw20::app {
class PlaceholderPage;
}

namespace gw20::appqt {

class PlaceholderPageView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit PlaceholderPageView(app::PlaceholderPage& form);
};

}  // namespace gw20::appqt
