#pragma once
// Start-up: the splash window for one second, then the main window.

namespace gw20::ui {
struct Services;
}

namespace gw20::app {

class Logo;
class Main_F;

// Shows `logo` centred, waits 1 s on the tick counter while pumping events,
// unloads it and shows `mainForm` (not modal). Returns once the main window
// is shown.
void ExternSetting(ui::Services& services, Logo& logo, Main_F& mainForm);

}  // namespace gw20::app
