#pragma once
// The Qt face of the main window: menus, the communication area, the
// controller picture area with the panel toggles, the parameter and viewer
// panels and the two buttons, each bound to its control in Main_F.

#include <QMainWindow>

class QAction;
class QVBoxLayout;
class QGroupBox;

namespace gw20::ui {
class Menu;
}

namespace gw20::app {
class Main_F;
}

namespace gw20::appqt {

class MainFView : public QMainWindow {
 public:
  // `form` must outlive the view (its host deletes the view on unload).
  explicit MainFView(app::Main_F& form);

 private:
  void BuildMenus(app::Main_F& form);
  // A menu item of this window bound to `model`.
  QAction& MakeMenuAction(ui::Menu& model);
  QGroupBox& BuildCommunication(QWidget& parent, app::Main_F& form);
  QGroupBox& BuildSituation(QWidget& parent, app::Main_F& form);
  QGroupBox& BuildParameterSetting(QWidget& parent, app::Main_F& form);
  QGroupBox& BuildParameterViewer(QWidget& parent, app::Main_F& form);
  // One port of the picture area: toggle and caption, port picture, hint.
  static QVBoxLayout* MakePortBlock(QWidget& parent, app::Main_F& form, int index);
};

}  // namespace gw20::appqt
