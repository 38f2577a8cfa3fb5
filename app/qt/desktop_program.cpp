#include "app/qt/desktop_program.h"

#include <QApplication>
#include <QLocale>
#include <QStyleFactory>
#include <clocale>

#include "app/extern_setting.h"
#include "app/qt/register_views.h"
#include "platform/qt/qt_services.h"
#include "platform/widgets/qt_file_dialogs.h"
#include "platform/widgets/qt_message_box.h"

namespace gw20::appqt {
namespace {

// `given`, or a T made into `own` when nothing was given.
template <typename T, typename S>
S& GivenOrOwn(S* given, std::unique_ptr<S>& own) {
  if (given != nullptr) return *given;
  own = std::make_unique<T>();
  return *own;
}

}  // namespace

void StyleApplication() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

struct DesktopProgram::Own {
  std::unique_ptr<ui::MessageBoxService> messages;
  std::unique_ptr<ui::ProgramFolder> folder;
  std::unique_ptr<ui::FileDialogService> files;
  qtui::QtEventPump events;
  qtui::QtTickCounter ticks;
  qtui::QtCalendarClock clock;
};

DesktopProgram::DesktopProgram(ui::SerialPort& port, const ServiceChoices& choices)
    : own_(std::make_unique<Own>()),
      services_{GivenOrOwn<qtui::QtMessageBox>(choices.messages, own_->messages),
                forms_,
                own_->events,
                own_->ticks,
                own_->clock,
                GivenOrOwn<qtui::QtProgramFolder>(choices.folder, own_->folder),
                port,
                GivenOrOwn<qtui::QtFileDialogs>(choices.files, own_->files)},
      logo_(forms_),
      mainForm_(state_, services_) {
  RegisterViews(forms_);
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::Start() { app::ExternSetting(services_, logo_, mainForm_); }

}  // namespace gw20::appqt
