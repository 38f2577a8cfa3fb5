#pragma once
// The Qt face of the About window: picture, program name, version and date,
// the "Support" frame and the OK button.

#include <QWidget>

namespace gw20::app {
class AboutForm;
}

namespace gw20::appqt {

class AboutFormView : public QWidget {
 public:
  // `form` must outlive the view.
  explicit AboutFormView(app::AboutForm& form);
};

}  // namespace gw20::appqt
