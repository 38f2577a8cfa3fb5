#pragma once
// Tells the form host which Qt view shows each of the application's forms.

namespace gw20::qtui {
class QtFormHost;
}

namespace gw20::appqt {

// Registers a view factory for Logo, Main_F, AboutForm, PlaceholderPage,
// ComParaSetting_F, COPEDS_F and the viewers ShowZelkInfo, ShowPDO and
// ShowAppObjDect.
// Needs a QApplication. Calling it again replaces the same factories.
void RegisterViews(qtui::QtFormHost& host);

}  // namespace gw20::appqt
