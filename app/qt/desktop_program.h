#pragma once
// The desktop program assembled in one place: the application's look, the
// Qt services with every form's view registered, the state and the first
// windows. The program, its benchmark and the window renderer start alike.

#include <memory>

#include "app/app_state.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "platform/ui/services.h"
#include "platform/widgets/qt_form_host.h"

namespace gw20::appqt {

// The running QApplication as the program shows itself (the Fusion style),
// numbers read and written as text following no locale.
void StyleApplication();

// Services a caller puts in place of the program's own; null keeps the
// program's: QMessageBox, the executable's folder, QFileDialog.
struct ServiceChoices {
  ui::MessageBoxService* messages = nullptr;
  ui::ProgramFolder* folder = nullptr;
  ui::FileDialogService* files = nullptr;
};

// The program's services, state, splash and main window, none shown yet,
// talking to the controller through `port` (the caller resolves where each
// COM port leads). Needs a QApplication; `port` and what `choices` names
// must outlive the program.
class DesktopProgram {
 public:
  explicit DesktopProgram(ui::SerialPort& port, const ServiceChoices& choices = {});
  ~DesktopProgram();
  DesktopProgram(const DesktopProgram&) = delete;
  DesktopProgram& operator=(const DesktopProgram&) = delete;

  // The splash for a second, then the main window (ExternSetting).
  void Start();

  qtui::QtFormHost& Forms() { return forms_; }
  ui::Services& Services() { return services_; }
  app::AppState& State() { return state_; }
  app::Logo& Splash() { return logo_; }
  app::Main_F& MainForm() { return mainForm_; }

 private:
  struct Own;
  // Destroyed from the bottom: the forms unload while the host and the
  // services they use are still there.
  std::unique_ptr<Own> own_;
  qtui::QtFormHost forms_;
  ui::Services services_;
  app::AppState state_;
  app::Logo logo_;
  app::Main_F mainForm_;
};

}  // namespace gw20::appqt
