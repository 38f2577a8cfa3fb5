// The desktop program: Qt services, the forms, the splash and the main
// window, then the event loop until the main window has gone.

#include <QApplication>
#include <QLocale>
#include <QStyleFactory>
#include <QWidget>
#include <clocale>

#include "app/app_state.h"
#include "app/extern_setting.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "app/program_info.h"
#include "app/qt/register_views.h"
#include "platform/qt/qt_form_host.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"
#include "platform/ui/services.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(
      QString::fromLatin1(gw20::app::kProgramName.data(), gw20::app::kProgramName.size()));
  // The installed menu entry's name, so a desktop shows the window with its icon.
  QApplication::setDesktopFileName(QStringLiteral("gw20config"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Numbers read and written as text must not follow the operator's locale.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());

  gw20::qtui::QtMessageBox messages;
  gw20::qtui::QtFormHost forms;
  gw20::appqt::RegisterViews(forms);
  gw20::qtui::QtEventPump events;
  gw20::qtui::QtTickCounter ticks;
  gw20::qtui::QtCalendarClock clock;
  gw20::qtui::QtProgramFolder folder;
  gw20::qtui::QtSerialPort port;
  gw20::ui::Services services{messages, forms, events, ticks, clock, folder, port};

  gw20::app::AppState state;
  state.console.CharacterPause = gw20::link::CharacterPauseFromEnvironment();
  gw20::app::Logo logo(forms);
  gw20::app::Main_F mainForm(state, services);
  gw20::app::ExternSetting(services, logo, mainForm);

  // The main window's view is deleted when the operator confirms the exit,
  // which is not always a close Qt counts as the last window closing.
  if (QWidget* view = forms.ViewOf(mainForm)) {
    QObject::connect(view, &QObject::destroyed, &application, [] { QApplication::quit(); });
  }
  return QApplication::exec();
}
