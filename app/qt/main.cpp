// The desktop program: Qt services, the forms, the splash and the main
// window, then the event loop until the main window has gone.

#include <QApplication>
#include <QWidget>

#include "app/program_info.h"
#include "app/qt/desktop_program.h"
#include "link/console.h"
#include "platform/qt/console_port.h"
#include "platform/qt/latin1.h"
#include "platform/ui/console_address.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(gw20::qtui::ToQString(gw20::app::kProgramName));
  // The installed menu entry's name, so a desktop shows the window with its icon.
  QApplication::setDesktopFileName(QStringLiteral("gw20config"));
  gw20::appqt::StyleApplication();

  // Each COM port of the list leads where its GW20_COMn says, resolved once;
  // connecting to a device server takes at most the console's time-out.
  gw20::qtui::ConsolePort port(gw20::qtui::ComPortRoutes(gw20::ui::EnvironmentVariable),
                               gw20::link::ConsoleState{}.ConsoleTimeout);
  gw20::appqt::DesktopProgram program(port);
  gw20::link::TakeConsoleVariables(program.State().console, gw20::ui::EnvironmentVariable);
  program.Start();

  // The main window's view is deleted when the operator confirms the exit,
  // which is not always a close Qt counts as the last window closing.
  if (QWidget* view = program.Forms().ViewOf(program.MainForm())) {
    QObject::connect(view, &QObject::destroyed, &application, [] { QApplication::quit(); });
  }
  return QApplication::exec();
}
