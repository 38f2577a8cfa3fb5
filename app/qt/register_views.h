#pragma once
// Tells the form host which Qt view shows each of the application's forms.

namespace gw20::qtui {
class QtFormHost;
}

namespace gw20::appqt {

// Registers a view factory for Logo, Main_F, AboutForm, ComParaSetting_F,
// the pages COPEDS_F and DNSEdsSet and the viewers ShowZelkInfo, ShowPDO,
// ShowAppObjDect, ShowAppObjNew and ShowAssObj.
// Needs a QApplication. Calling it again replaces the same factories.
void RegisterViews(qtui::QtFormHost& host);

}  // namespace gw20::appqt
