#include "app/qt/register_views.h"

#include <memory>

#include "app/about_form.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "app/qt/about_form_view.h"
#include "app/qt/com_para_setting_f_view.h"
#include "app/qt/copeds_f_view.h"
#include "app/qt/dnseds_set_view.h"
#include "app/qt/logo_view.h"
#include "app/qt/main_f_view.h"
#include "app/qt/viewer_view.h"
#include "canopen/copeds_f.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "devicenet/dnseds_set.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "link/com_para_setting_f.h"
#include "modules/show_zelk_info.h"
#include "platform/widgets/qt_form_host.h"

namespace gw20::appqt {
namespace {

template <typename F, typename V>
void RegisterView(qtui::QtFormHost& host) {
  host.Register<F>([](F& form) { return std::make_unique<V>(form); });
}

}  // namespace

void RegisterViews(qtui::QtFormHost& host) {
  RegisterView<app::Logo, LogoView>(host);
  RegisterView<app::Main_F, MainFView>(host);
  RegisterView<app::AboutForm, AboutFormView>(host);
  RegisterView<link::ComParaSetting_F, ComParaSettingFView>(host);
  RegisterView<canopen::COPEDS_F, CopedsFView>(host);
  RegisterView<devicenet::DNSEdsSet, DnsEdsSetView>(host);
  RegisterView<modules::ShowZelkInfo, ViewerView>(host);
  RegisterView<canopen::ShowPDO, ViewerView>(host);
  RegisterView<canopen::ShowAppObjDect, ViewerView>(host);
  RegisterView<devicenet::ShowAppObjNew, ViewerView>(host);
  RegisterView<devicenet::ShowAssObj, ViewerView>(host);
}

}  // namespace gw20::appqt
