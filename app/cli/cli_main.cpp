// gw20cli: the command-line twin of the desktop program. It drives the same
// forms an operator would (loads the main window, picks the port, presses
// Connect, answers the scan dialog from its options; for canopen and
// devicenet also sets the parameters, opens the profile's page, sets it and
// presses Finish) and prints the result.

#include <QCoreApplication>
#include <QLocale>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/cli/canopen_script.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_services.h"
#include "app/cli/devicenet_script.h"
#include "app/cli/scan_report.h"
#include "app/cli/scripted_operator.h"
#include "app/main_f.h"
#include "canopen/canopen_eds_writer.h"
#include "devicenet/dns_eds_writer.h"
#include "devicenet/dnseds_set.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"
#include "platform/ui/services.h"

namespace {

constexpr int kExitConnected = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Prints the status line when the windows stopped without a message box, so
// the last line of standard error always says why.
void ReportSilentFailure(const gw20::cli::PrintedMessages& messages, int messagesBefore,
                         const gw20::app::Main_F& mainForm, const std::string& what) {
  if (messages.Count() != messagesBefore) return;
  const std::string& status = mainForm.CommunicationState.Text();
  std::cerr << "gw20cli: " << what << (status.empty() ? std::string() : " (" + status + ")") << std::endl;
}

int RunDeviceNet(const gw20::cli::CliOptions& options, gw20::app::AppState& state,
                 gw20::app::Main_F& mainForm, const gw20::cli::PrintedMessages& messages,
                 const gw20::cli::WorkingFolder& folder) {
  const int before = messages.Count();
  auto* page = gw20::cli::OpenDeviceNetPage(mainForm, options.gateway);
  if (page == nullptr) {
    ReportSilentFailure(messages, before, mainForm, "the DeviceNet page did not open");
    return kExitFailed;
  }
  if (options.devicenet.list) {
    std::cout << (options.json ? gw20::cli::ConnectionListsJson(*page)
                               : gw20::cli::ConnectionListsText(*page))
              << std::flush;
    return kExitConnected;
  }
  gw20::cli::DeviceNetAnswers answers = options.devicenet;
  std::string problem = gw20::cli::ConnectionIndexProblem(*page, answers);
  // What no option names stays as stored; what cannot stay is refused
  // before anything is sent, never replaced by "None".
  if (problem.empty()) problem = gw20::cli::KeepStoredChoices(*page, state.eeprom, state.maps, answers);
  if (!problem.empty()) {
    std::cerr << "gw20cli: " << problem << std::endl;
    return kExitFailed;
  }
  // A refused choice has shown its message; Finish would commit something else.
  if (!gw20::cli::SetDeviceNetPage(*page, state.choices, options.gateway, answers)) return kExitFailed;
  if (!gw20::cli::FinishDeviceNetPage(*page)) {
    ReportSilentFailure(messages, before, mainForm, "the DeviceNet configuration did not complete");
    return kExitFailed;
  }
  std::cout << (folder.Path() / gw20::devicenet::DeviceNetEdsFileName(state.params.NodeId)).string()
            << std::endl;
  return kExitConnected;
}

int Run(const gw20::cli::CliOptions& options) {
  gw20::qtui::QtEventPump qtEvents;
  gw20::cli::ScriptedOperator operatorAtScreen(qtEvents, options.scan);
  gw20::cli::PrintedMessages messages(std::cerr);
  gw20::qtui::QtTickCounter ticks;
  gw20::qtui::QtCalendarClock clock;
  gw20::cli::WorkingFolder folder(options.outDir);
  gw20::qtui::QtSerialPort port;
  gw20::ui::Services services{messages, operatorAtScreen, operatorAtScreen, ticks, clock, folder, port};
  gw20::app::AppState state;
  state.console.CharacterPause = gw20::link::CharacterPauseFromEnvironment();
  state.console.VerifyWrites = options.verify;
  state.console.SafeWriteOrder = options.safeOrder;
  gw20::app::Main_F mainForm(state, services);

  mainForm.Show();
  const auto& numbers = state.params.PortNumber;
  for (std::size_t entry = 0; entry < numbers.size(); ++entry) {
    if (numbers[entry] == options.portNumber) mainForm.ComPort.Pick(static_cast<int>(entry));
  }
  mainForm.Connect.Press();

  if (!mainForm.Connected) {
    // Every failure of the connect has its own message; should one ever end
    // silently, the status line is the best remaining reason.
    ReportSilentFailure(messages, 0, mainForm, "the connect did not complete");
    return kExitFailed;
  }
  if (options.command == "canopen") {
    const int before = messages.Count();
    if (!gw20::cli::RunCanopenScript(mainForm, options.gateway, options.canopen)) {
      ReportSilentFailure(messages, before, mainForm, "the CANopen configuration did not complete");
      return kExitFailed;
    }
    std::cout << (folder.Path() / gw20::canopen::CanopenEdsFileName(state.params.NodeId)).string()
              << std::endl;
    return kExitConnected;
  }
  if (options.command == "devicenet") return RunDeviceNet(options, state, mainForm, messages, folder);
  std::cout << (options.json ? gw20::cli::ScanReportJson(state, mainForm)
                             : gw20::cli::ScanReportText(state, mainForm))
            << std::flush;
  return kExitConnected;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  gw20::cli::CliOptions options;
  try {
    options = gw20::cli::ParseCliOptions(args);
  } catch (const gw20::cli::CliUsageError& error) {
    // The reason stays on screen; the whole usage is one option away.
    std::cerr << "gw20cli: " << error.what() << "\n"
              << "Try 'gw20cli --help' for the commands and options.\n";
    return kExitUsage;
  }
  if (options.help) {
    std::cout << gw20::cli::UsageText();
    return kExitConnected;
  }
  // The port layer maps COM ports to devices through these variables.
  if (!options.device.empty()) {
    qputenv(("GW20_COM" + std::to_string(options.portNumber)).c_str(), options.device.c_str());
  }

  QCoreApplication application(argc, argv);
  // Numbers read and written as text must not follow the operator's locale.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  return Run(options);
}
