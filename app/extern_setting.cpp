#include "app/extern_setting.h"

#include <chrono>

#include "app/logo.h"
#include "app/main_f.h"
#include "platform/ui/services.h"

namespace gw20::app {

namespace {
constexpr std::chrono::milliseconds kSplashTime{1000};
// Short enough that the splash stays responsive while it waits.
constexpr std::chrono::milliseconds kSplashPollPeriod{10};
}  // namespace

void ExternSetting(ui::Services& services, Logo& logo, Main_F& mainForm) {
  logo.Load();
  logo.CentreOnScreen();
  logo.Show(false);
  const auto start = services.ticks.NowMs();
  while (ui::TicksSince(start, services.ticks.NowMs()) < kSplashTime.count()) {
    services.events.Pause(kSplashPollPeriod);
  }
  logo.Unload();
  mainForm.Show(false);
}

}  // namespace gw20::app
