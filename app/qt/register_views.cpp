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
#include "app/qt/show_app_obj_dect_view.h"
#include "app/qt/show_app_obj_new_view.h"
#include "app/qt/show_ass_obj_view.h"
#include "app/qt/show_pdo_view.h"
#include "app/qt/show_zelk_info_view.h"
#include "canopen/copeds_f.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "devicenet/dnseds_set.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "link/com_para_setting_f.h"
#include "modules/show_zelk_info.h"
#include "platform/qt/qt_form_host.h"

namespace gw20::appqt {

void RegisterViews(qtui::QtFormHost& host) {
  host.Register<app::Logo>([](app::Logo& form) { return std::make_unique<LogoView>(form); });
  host.Register<app::Main_F>([](app::Main_F& form) { return std::make_unique<MainFView>(form); });
  host.Register<app::AboutForm>([](app::AboutForm& form) { return std::make_unique<AboutFormView>(form); });
  host.Register<link::ComParaSetting_F>(
      [](link::ComParaSetting_F& form) { return std::make_unique<ComParaSettingFView>(form); });
  host.Register<modules::ShowZelkInfo>(
      [](modules::ShowZelkInfo& form) { return std::make_unique<ShowZelkInfoView>(form); });
  host.Register<canopen::ShowPDO>([](canopen::ShowPDO& form) { return std::make_unique<ShowPdoView>(form); });
  host.Register<canopen::ShowAppObjDect>(
      [](canopen::ShowAppObjDect& form) { return std::make_unique<ShowAppObjDectView>(form); });
  host.Register<canopen::COPEDS_F>(
      [](canopen::COPEDS_F& form) { return std::make_unique<CopedsFView>(form); });
  host.Register<devicenet::ShowAppObjNew>(
      [](devicenet::ShowAppObjNew& form) { return std::make_unique<ShowAppObjNewView>(form); });
  host.Register<devicenet::ShowAssObj>(
      [](devicenet::ShowAssObj& form) { return std::make_unique<ShowAssObjView>(form); });
  host.Register<devicenet::DNSEdsSet>(
      [](devicenet::DNSEdsSet& form) { return std::make_unique<DnsEdsSetView>(form); });
}

}  // namespace gw20::appqt
