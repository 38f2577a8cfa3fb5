#include "app/qt/register_views.h"

#include <memory>

#include "app/about_form.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "app/placeholder_page.h"
#include "app/qt/about_form_view.h"
#include "app/qt/logo_view.h"
#include "app/qt/main_f_view.h"
#include "app/qt/placeholder_page_view.h"
#include "platform/qt/qt_form_host.h"

namespace gw20::appqt {

void RegisterViews(qtui::QtFormHost& host) {
  host.Register<app::Logo>([](app::Logo& form) { return std::make_unique<LogoView>(form); });
  host.Register<app::Main_F>([](app::Main_F& form) { return std::make_unique<MainFView>(form); });
  host.Register<app::AboutForm>(
      [](app::AboutForm& form) { return std::make_unique<AboutFormView>(form); });
  host.Register<app::PlaceholderPage>(
      [](app::PlaceholderPage& form) { return std::make_unique<PlaceholderPageView>(form); });
}

}  // namespace gw20::appqt
