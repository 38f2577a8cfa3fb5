// The desktop program: Qt services, the forms, the splash and the main
// window, then the event loop until the main window has gone.

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/program_info.h"
#include "app/qt/desktop_program.h"
#include "link/console.h"
#include "platform/qt/console_port.h"
#include "platform/qt/latin1.h"

namespace {

// The program's environment, read only here: what each COM port stands for.
std::optional<std::string> EnvironmentVariable(const std::string& name) {
  const char* text = std::getenv(name.c_str());
  return text != nullptr ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(gw20::qtui::ToQString(gw20::app::kProgramName));
  // The installed menu entry's name, so a desktop shows the window with its icon.
  QApplication::setDesktopFileName(QStringLiteral("gw20config"));
  gw20::appqt::StyleApplication();

  // Each COM port of the list leads where its GW20_COMn says, resolved once;
  // connecting to a device server takes at most the console's time-out.
  gw20::qtui::ConsolePort port(gw20::qtui::ComPortRoutes(EnvironmentVariable),
                               gw20::link::ConsoleState{}.ConsoleTimeout);
  gw20::appqt::DesktopProgram program({.port = &port});
  auto& console = program.State().console;
  console.CharacterPause = gw20::link::ParseCharacterPause(std::getenv(gw20::link::kCharacterPauseVariable))
                               .value_or(std::chrono::milliseconds(0));
  console.TypingWindow = gw20::link::ParseTypingWindow(std::getenv(gw20::link::kTypingWindowVariable))
                             .value_or(gw20::link::kMaxTypingWindow);
  program.Start();

  // The main window's view is deleted when the operator confirms the exit,
  // which is not always a close Qt counts as the last window closing.
  if (QWidget* view = program.Forms().ViewOf(program.MainForm())) {
    QObject::connect(view, &QObject::destroyed, &application, [] { QApplication::quit(); });
  }
  return QApplication::exec();
}
