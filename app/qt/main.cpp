// The desktop program: Qt services, the forms, the splash and the main
// window, then the event loop until the main window has gone.

#include <QApplication>
#include <QWidget>

#include "app/program_info.h"
#include "app/qt/desktop_program.h"
#include "link/console.h"
#include "platform/qt/latin1.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(gw20::qtui::ToQString(gw20::app::kProgramName));
  // The installed menu entry's name, so a desktop shows the window with its icon.
  QApplication::setDesktopFileName(QStringLiteral("gw20config"));
  gw20::appqt::StyleApplication();

  gw20::appqt::DesktopProgram program;
  program.State().console.CharacterPause = gw20::link::CharacterPauseFromEnvironment();
  program.State().console.TypingWindow = gw20::link::TypingWindowFromEnvironment();
  program.Start();

  // The main window's view is deleted when the operator confirms the exit,
  // which is not always a close Qt counts as the last window closing.
  if (QWidget* view = program.Forms().ViewOf(program.MainForm())) {
    QObject::connect(view, &QObject::destroyed, &application, [] { QApplication::quit(); });
  }
  return QApplication::exec();
}
