// gw20cli: the command-line twin of the desktop program. It drives the same
// forms an operator would (loads the main window, picks the port, presses
// Connect, answers the scan dialog from its options; for canopen and
// devicenet also sets the parameters, opens the profile's page, sets it and
// presses Finish) and prints the result. save, eds and apply do the same
// with a plan file: what the operator would have typed and picked, kept;
// batch runs an apply of this same program for each of several ports.

#include <unistd.h>

#include <QCoreApplication>
#include <QLocale>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/cli/batch_command.h"
#include "app/cli/batch_ports.h"
#include "app/cli/batch_progress.h"
#include "app/cli/canopen_script.h"
#include "app/cli/check_command.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_services.h"
#include "app/cli/devicenet_script.h"
#include "app/cli/exit_status.h"
#include "app/cli/interrupts.h"
#include "app/cli/output_files.h"
#include "app/cli/plan_commands.h"
#include "app/cli/scan_report.h"
#include "app/cli/scripted_operator.h"
#include "app/gateway_panels.h"
#include "app/main_f.h"
#include "app/program_info.h"
#include "canopen/canopen_eds_writer.h"
#include "canopen/copeds_f.h"
#include "devicenet/dns_eds_writer.h"
#include "devicenet/dnseds_set.h"
#include "link/console.h"
#include "link/eeprom_procedures.h"
#include "link/gateway_parameters.h"
#include "pages/commit_messages.h"
#include "plans/plan_file.h"
#include "plans/plan_state.h"
#include "platform/qt/console_port.h"
#include "platform/qt/file_name.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"
#include "platform/ui/console_address.h"
#include "platform/ui/services.h"

namespace {

constexpr int kExitConnected = gw20::cli::kExitDone;
using gw20::cli::Command;
using gw20::cli::kExitFailed;
using gw20::cli::kExitUsage;
// A command line refused before anything is sent: the reason stays on
// screen, the whole usage is one option away.
int UsageRefused(const std::string& why) {
  std::cerr << "gw20cli: " << why << "\n"
            << "Try 'gw20cli --help' for the commands and options.\n";
  return kExitUsage;
}

// What the controller's stored configuration holds against `plan`, as check says it.
gw20::cli::CheckOutcome CheckController(const gw20::plans::Plan& plan, const gw20::app::AppState& state) {
  const auto stored = gw20::plans::PlanOfStoredConfiguration(state.params, state.eeprom, state.modules);
  return gw20::cli::CheckAgainstPlan(plan, stored, gw20::plans::ChainOf(state.modules));
}

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
  if (!gw20::cli::SetDeviceNetPage(*page, state.choices, options.gateway, answers)) {
    if (const auto why = gw20::cli::StrobeRefusalText(*page, answers); !why.empty()) {
      std::cerr << "gw20cli: " << why << "\n";
    }
    return kExitFailed;
  }
  if (!gw20::cli::FinishDeviceNetPage(*page)) {
    ReportSilentFailure(messages, before, mainForm, "the DeviceNet configuration did not complete");
    return kExitFailed;
  }
  std::cout << (folder.Path() / gw20::devicenet::DeviceNetEdsFileName(state.params.NodeId)).string()
            << std::endl;
  return kExitConnected;
}

int RunSave(const gw20::cli::CliOptions& options, const gw20::app::AppState& state) {
  auto stored = gw20::plans::PlanOfStoredConfiguration(state.params, state.eeprom, state.modules);
  if (!stored.plan) {
    std::cerr << "gw20cli: no plan written: " << stored.problem << std::endl;
    return kExitFailed;
  }
  // The texts the controller's EDS file was made with: no EEPROM word holds them.
  if (options.gateway.description)
    stored.plan->edsInfo[gw20::eds::kEdsDescription] = *options.gateway.description;
  if (options.gateway.createdBy) stored.plan->edsInfo[gw20::eds::kEdsCreator] = *options.gateway.createdBy;
  if (const auto error = gw20::plans::WritePlan(options.planPath, *stored.plan)) {
    std::cerr << "gw20cli: " << error->Text() << std::endl;
    return kExitFailed;
  }
  std::cout << options.planPath << std::endl;
  return kExitConnected;
}

// The plan's page opened, its choices made and Finish pressed, as an
// operator would; kExitUsage for a choice the page refuses (nothing was sent).
int CommitPlan(const gw20::plans::Plan& plan, gw20::app::AppState& state, gw20::app::Main_F& mainForm,
               const gw20::cli::PrintedMessages& messages) {
  const int before = messages.Count();
  const auto gateway = gw20::app::GatewayAnswersOf(plan);
  if (plan.profile == gw20::plans::Profile::CANopen) {
    if (!gw20::app::SetGatewayPanels(mainForm, gw20::link::kCanOpen, gateway)) return kExitFailed;
    mainForm.WriteEDS.Press();
    auto* page = mainForm.CanopenPage();
    if (page == nullptr || !page->Loaded()) {
      ReportSilentFailure(messages, before, mainForm, "the CANopen page did not open");
      return kExitFailed;
    }
    gw20::cli::MakeCanopenChoices(*page, state.errorControl, plan);
    page->FinishButton.Press();
    if (page->Loaded() || mainForm.CommunicationState.Text() != gw20::pages::kEdsOkStatus) {
      ReportSilentFailure(messages, before, mainForm, "the CANopen configuration did not complete");
      return kExitFailed;
    }
    return kExitConnected;
  }
  auto* page = gw20::cli::OpenDeviceNetPage(mainForm, gateway);
  if (page == nullptr) {
    ReportSilentFailure(messages, before, mainForm, "the DeviceNet page did not open");
    return kExitFailed;
  }
  std::string problem;
  switch (gw20::cli::MakeDeviceNetChoices(*page, state.choices, plan, problem)) {
    case gw20::cli::ChoiceOutcome::NotInList:
      std::cerr << "gw20cli: " << problem << std::endl;
      return kExitUsage;
    case gw20::cli::ChoiceOutcome::Refused:
      return kExitUsage;
    case gw20::cli::ChoiceOutcome::Made:
      break;
  }
  if (!gw20::cli::FinishDeviceNetPage(*page)) {
    ReportSilentFailure(messages, before, mainForm, "the DeviceNet configuration did not complete");
    return kExitFailed;
  }
  return kExitConnected;
}

int RunApply(const gw20::cli::CliOptions& options, const gw20::plans::Plan& plan, gw20::app::AppState& state,
             gw20::app::Main_F& mainForm, const gw20::cli::PrintedMessages& messages,
             const gw20::cli::WorkingFolder& folder) {
  if (options.skipMatching) {
    // As check would say it: a controller that holds the plan is left as it is.
    if (CheckController(plan, state).Holds()) {
      std::cout << gw20::cli::kPortAlreadyMatches << std::endl;
      return kExitConnected;
    }
  }
  const auto differences = gw20::plans::ChainDifferences(plan.modules, gw20::plans::ChainOf(state.modules));
  if (!differences.empty()) {
    std::cerr << "gw20cli: the modules connected are not the plan's chain; nothing written:\n";
    for (const auto& line : differences) std::cerr << "gw20cli:   " << line << "\n";
    std::cerr << std::flush;
    return kExitFailed;
  }
  if (const int done = CommitPlan(plan, state, mainForm, messages); done != kExitConnected) return done;
  const bool deviceNet = plan.profile == gw20::plans::Profile::DeviceNet;
  const std::filesystem::path eds = folder.Path() / gw20::cli::PlanEdsFileName(plan, state.params.NodeId);
  if (const auto recordFile = gw20::cli::OutputFileOf(options); recordFile.Wanted()) {
    const auto planHash = gw20::cli::FileSha256(options.planPath);
    const auto edsHash = gw20::cli::FileSha256(eds);
    // A record without the hash would vouch for a plan nobody can check it against.
    std::optional<std::string> why = !planHash.problem.empty()  ? std::optional(planHash.problem)
                                     : !edsHash.problem.empty() ? std::optional(edsHash.problem)
                                                                : std::nullopt;
    if (!why) {
      const gw20::cli::CommissioningRecord record{options.port.text,
                                                  state.params.NodeId,
                                                  std::string(gw20::app::kVersion),
                                                  state.console.ControllerPrompt,
                                                  mainForm.FirmwareVer.Text(),
                                                  gw20::cli::LocalTimeNow(),
                                                  options.planPath,
                                                  planHash.sha256,
                                                  gw20::cli::WrittenBlocks(state.eeprom, deviceNet),
                                                  eds,
                                                  edsHash.sha256,
                                                  options.verify};
      why = recordFile.Write(gw20::cli::CommissioningRecordJson(record));
    }
    if (why) {
      // The controller and the EDS file are done; only the record is missing.
      std::cout << eds.string() << std::endl;
      std::cerr << "gw20cli: " << *why << std::endl;
      return kExitFailed;
    }
  }
  std::cout << eds.string() << std::endl;
  return kExitConnected;
}

// Compares the controller with the plan; writes nothing.
int RunCheck(const gw20::cli::CliOptions& options, const gw20::plans::Plan& plan,
             const gw20::app::AppState& state) {
  const auto outcome = CheckController(plan, state);
  if (options.json) {
    std::cout << gw20::cli::DifferencesJson(outcome, gw20::cli::kCheckSides) << std::flush;
  } else if (outcome.Holds()) {
    std::cout << "the controller holds the plan" << std::endl;
  } else {
    std::cout << gw20::cli::DifferencesText(outcome, gw20::cli::kCheckSides) << std::flush;
  }
  return outcome.Holds() ? kExitConnected : kExitFailed;
}

int RunDiff(const gw20::cli::CliOptions& options) {
  std::vector<gw20::plans::Plan> plans;
  for (const std::string& path : {options.planPath, options.otherPlanPath}) {
    const auto read = gw20::plans::ReadPlan(path);
    if (!read.Ok()) {
      std::cerr << "gw20cli: " << read.error.Text() << std::endl;
      return kExitUsage;
    }
    plans.push_back(*read.plan);
  }
  gw20::cli::CheckOutcome outcome;
  outcome.differences = gw20::plans::PlanDifferences(plans[0], plans[1], gw20::plans::Compared::Everything);
  std::cout << (options.json ? gw20::cli::DifferencesJson(outcome, gw20::cli::kDiffSides)
                             : gw20::cli::DifferencesText(outcome, gw20::cli::kDiffSides))
            << std::flush;
  return outcome.Holds() ? kExitConnected : kExitFailed;
}

// The services of the windows for a command that opens no port (eds, a dry
// run): the page builds what it would commit, nothing is sent.
struct OfflineServices {
  explicit OfflineServices(const std::string& outDir) : folder(outDir) {}
  gw20::qtui::QtEventPump qtEvents;
  gw20::cli::ScriptedOperator operatorAtScreen{qtEvents, {}};
  gw20::cli::PrintedMessages messages{std::cerr};
  gw20::qtui::QtTickCounter ticks;
  gw20::qtui::QtCalendarClock clock;
  gw20::cli::WorkingFolder folder;
  gw20::qtui::QtSerialPort port{std::string()};  // never opened
  gw20::ui::NoFileDialogs none;
  gw20::ui::Services services{messages, operatorAtScreen, operatorAtScreen, ticks, clock, folder, port, none};
};

int RunEds(const gw20::cli::CliOptions& options, const gw20::plans::Plan& plan,
           const gw20::link::FirmwareFields& firmware) {
  OfflineServices offline(options.outDir);
  const auto written = gw20::cli::WritePlanEds(plan, firmware, offline.services, std::cerr);
  if (!written.path) return written.exitCode;
  std::cout << written.path->string() << std::endl;
  return kExitConnected;
}

// What apply or batch would do, port by port, with no port opened: the node,
// the EDS file's full path and the words each EEPROM block would get, made by
// the page's own commit preparation as eds makes them.
int RunDryRun(const gw20::cli::CliOptions& options, const gw20::plans::Plan& plan,
              const std::vector<std::pair<std::string, int>>& ports) {
  OfflineServices offline(options.outDir);
  // No EEPROM word holds the firmware; the EDS file it goes into is not written.
  const auto firmware = gw20::plans::ParseFirmwareText(plan.firmware).value_or(gw20::link::FirmwareFields{});
  std::ostringstream text;
  for (const auto& [name, node] : ports) {
    gw20::plans::Plan one = plan;
    one.nodeId = node;
    const auto commit = gw20::cli::PreparePlanCommit(one, firmware, offline.services, std::cerr);
    if (!commit.prepared) {
      offline.messages.Flush();
      std::cerr << "gw20cli: " << name << " node " << node << ": nothing would be written" << std::endl;
      return gw20::cli::kExitUsage;
    }
    text << name << " node " << node << ": "
         << std::filesystem::absolute(offline.folder.Path() / commit.prepared->fileName).string() << "\n";
    for (const auto& block : commit.blocks) text << "  " << gw20::cli::BlockText(block) << "\n";
  }
  // Printed whole or not at all: a plan refused at the third port shows no half plan.
  std::cout << text.str() << std::flush;
  return kExitConnected;
}

int Session(const gw20::cli::CliOptions& options, const gw20::plans::Plan* plan,
            gw20::cli::PrintedMessages& messages, gw20::cli::ProgressPort& port, gw20::ui::Services& services,
            const gw20::cli::WorkingFolder& folder);

// The command's end after an interrupt, in its own words.
int Stopped(bool partlyWritten) {
  if (partlyWritten) {
    std::cerr << gw20::link::kPartlyWrittenMessage << "\ngw20cli: stopped in the middle of the EEPROM write"
              << std::endl;
  } else {
    std::cerr << "gw20cli: stopped before anything was written" << std::endl;
  }
  return gw20::cli::kExitInterrupted;
}

int Run(const gw20::cli::CliOptions& options, const gw20::plans::Plan* plan) {
  gw20::qtui::QtEventPump qtEvents;
  gw20::cli::ScriptedOperator operatorAtScreen(qtEvents, options.scan);
  gw20::cli::PrintedMessages messages(std::cerr);
  gw20::qtui::QtTickCounter ticks;
  gw20::qtui::QtCalendarClock clock;
  gw20::cli::WorkingFolder folder(options.outDir);
  // Connecting to a device server takes at most the console's time-out.
  gw20::qtui::ConsolePort consolePort(gw20::qtui::ComPortRoutes(gw20::ui::EnvironmentVariable),
                                      gw20::link::ConsoleState{}.ConsoleTimeout);
  // A device or a server named with --port stands in for COM1, and messages call it by that name.
  if (options.port.kind != gw20::ui::AddressKind::ComPort) {
    consolePort.SetRoute(gw20::cli::kDefaultPortNumber, gw20::ui::RouteOf(options.port, nullptr));
  }
  // Passes everything through; with --progress-fd it also tells a batch how far the apply is.
  gw20::cli::ProgressPort port(consolePort, options.progressFd);
  gw20::cli::StoppingEventPump events(
      operatorAtScreen, [&port] { return port.Committing(); }, [&port] { return port.Typed(); },
      [&messages] { messages.Mute(); });
  port.BeforeCommit([&events] { events.Check(); });
  gw20::ui::NoFileDialogs none;
  gw20::ui::Services services{messages, operatorAtScreen, events, ticks, clock, folder, port, none};
  int status = kExitFailed;
  try {
    status = Session(options, plan, messages, port, services, folder);
  } catch (const gw20::cli::CommandStopped& stop) {
    return Stopped(stop.partlyWritten);
  }
  // The connect ends on any exception with its own message; this one was a stop.
  if (events.Stopped()) return Stopped(false);
  messages.Flush();
  if (status == kExitFailed && messages.PartlyWritten()) return gw20::cli::kExitPartlyWritten;
  return status;
}

int Session(const gw20::cli::CliOptions& options, const gw20::plans::Plan* plan,
            gw20::cli::PrintedMessages& messages, gw20::cli::ProgressPort& port, gw20::ui::Services& services,
            const gw20::cli::WorkingFolder& folder) {
  gw20::app::AppState state;
  gw20::link::TakeConsoleVariables(state.console, gw20::ui::EnvironmentVariable);
  state.console.VerifyWrites = options.verify;
  state.console.SafeWriteOrder = options.safeOrder;
  state.console.ReadWordsAlone = options.readWordsAlone;
  gw20::app::Main_F mainForm(state, services);
  port.Follow(mainForm, [&state, &options] {
    // Each block's words, and a few lines around them, once written and once read back.
    constexpr int kLinesPerBlock = 5;
    int lines = 0;
    for (const auto& block :
         gw20::cli::WrittenBlocks(state.eeprom, state.params.ApplicationType == gw20::link::kDeviceNet)) {
      lines += static_cast<int>(block.words.size()) + kLinesPerBlock;
    }
    return options.verify ? 2 * lines : lines;
  });

  mainForm.Show();
  const int portNumber = options.port.kind == gw20::ui::AddressKind::ComPort ? options.port.comNumber
                                                                             : gw20::cli::kDefaultPortNumber;
  const auto& numbers = state.params.PortNumber;
  for (std::size_t entry = 0; entry < numbers.size(); ++entry) {
    if (numbers[entry] == portNumber) mainForm.ComPort.Pick(static_cast<int>(entry));
  }
  mainForm.Connect.Press();

  if (!mainForm.Connected) {
    // Every failure of the connect has its own message; should one ever end
    // silently, the status line is the best remaining reason.
    ReportSilentFailure(messages, 0, mainForm, "the connect did not complete");
    return kExitFailed;
  }
  if (options.command == Command::CanOpen) {
    const int before = messages.Count();
    const auto& canopen = options.canopen;
    if (state.eeprom.EepromConfigValid != 1 && !canopen.guardTimeText && !canopen.heartbeatText) {
      // The page keeps the stored error control only from a configuration the connect found valid.
      std::cerr << "gw20cli: the controller holds no valid configuration to keep: the page's presets "
                   "apply (node guarding, 0 ms)"
                << std::endl;
    }
    if (!gw20::cli::RunCanopenScript(mainForm, options.gateway, options.canopen)) {
      ReportSilentFailure(messages, before, mainForm, "the CANopen configuration did not complete");
      return kExitFailed;
    }
    std::cout << (folder.Path() / gw20::canopen::CanopenEdsFileName(state.params.NodeId)).string()
              << std::endl;
    return kExitConnected;
  }
  switch (options.command) {
    case Command::DeviceNet:
      return RunDeviceNet(options, state, mainForm, messages, folder);
    case Command::Save:
      return RunSave(options, state);
    case Command::Apply:
      return RunApply(options, *plan, state, mainForm, messages, folder);
    case Command::Check:
      return RunCheck(options, *plan, state);
    default:
      break;
  }
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
    return UsageRefused(error.what());
  }
  if (options.help) {
    std::cout << gw20::cli::UsageText();
    return kExitConnected;
  }
  if (options.version) {
    std::cout << "gw20cli " << gw20::app::kVersion << "\n";
    return kExitConnected;
  }
  // From here an interrupt only counts: a file being checked or written is
  // finished or removed, never left half-made by the signal's default. A
  // batch's apply also ends as after an interrupt when its batch dies.
  gw20::cli::Interrupts::Install(options.progressFd >= 0);
  // A device named with --port that is not there is named first, as given.
  if (options.port.kind == gw20::ui::AddressKind::Device && !std::filesystem::exists(options.port.device)) {
    std::cerr << "gw20cli: " << options.port.text << ": there is no such device\n";
    return options.dryRun ? gw20::cli::kExitUsage : kExitFailed;
  }

  QCoreApplication application(argc, argv);
  // Numbers read and written as text must not follow the operator's locale.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  // Every file the run writes is checked before anything is sent.
  const auto filesRefused = [&options](const gw20::plans::Plan* plan) {
    const auto problem = gw20::cli::CheckOutputFiles(options, plan);
    if (problem) std::cerr << "gw20cli: " << *problem << std::endl;
    return problem.has_value();
  };
  if (options.command == Command::Diff) return RunDiff(options);
  if (options.command == Command::Save && !options.edsTextsPath.empty()) {
    // The EDS file is read before the controller is touched.
    const auto texts = gw20::cli::ReadEdsTexts(options.edsTextsPath);
    if (!texts.info) {
      std::cerr << "gw20cli: --eds " << options.edsTextsPath << ": " << texts.problem << std::endl;
      return kExitUsage;
    }
    options.gateway.description = (*texts.info)[gw20::eds::kEdsDescription];
    options.gateway.createdBy = (*texts.info)[gw20::eds::kEdsCreator];
  }
  if (gw20::cli::InfoOf(options.command).plans != gw20::cli::PlanUse::Reads) {
    if (filesRefused(nullptr)) return kExitUsage;
    return Run(options, nullptr);
  }

  // A plan is refused whole before any port is opened.
  const auto read = gw20::plans::ReadPlan(options.planPath);
  if (!read.Ok()) {
    std::cerr << "gw20cli: " << read.error.Text() << std::endl;
    return kExitUsage;
  }
  if (const auto problem = gw20::plans::CheckPlanAgainstChain(*read.plan)) {
    const gw20::plans::PlanError error = read.ErrorAt(options.planPath, *problem);
    std::cerr << "gw20cli: " << error.Text() << std::endl;
    return kExitUsage;
  }
  if (options.command != Command::Batch) {
    // Each of a batch's applies says it for itself.
    if (const auto warning = gw20::plans::FieldPortWarning(*read.plan)) {
      std::cerr << "gw20cli: " << read.ErrorAt(options.planPath, *warning).Text() << std::endl;
    }
  }
  if (options.command == Command::Batch) {
    if (const auto problem = gw20::cli::BatchProblem(options, *read.plan)) return UsageRefused(*problem);
    if (filesRefused(&*read.plan)) return kExitUsage;
    // Every port usable, or none is touched: a line half done for a port
    // that was never there is worse than one not started.
    if (const auto unusable =
            gw20::cli::UnusablePorts(options.ports, !options.dryRun, gw20::ui::EnvironmentVariable);
        !unusable.empty()) {
      for (const auto& line : unusable) std::cerr << "gw20cli: " << line << "\n";
      std::cerr << "gw20cli: nothing was sent: "
                << (unusable.size() == 1 ? "1 port is" : std::to_string(unusable.size()) + " ports are")
                << " unusable" << std::endl;
      return kExitUsage;
    }
    if (options.dryRun) {
      std::vector<std::pair<std::string, int>> ports;
      for (std::size_t i = 0; i < options.ports.size(); ++i) {
        const std::string& label = options.labels[i];
        ports.emplace_back((label.empty() ? "" : label + " ") + options.ports[i],
                           options.nodes.empty() ? read.plan->nodeId : options.nodes[i]);
      }
      return RunDryRun(options, *read.plan, ports);
    }
    if (gw20::cli::Interrupts::Count() > 0) return Stopped(false);
    const std::filesystem::path self = gw20::qtui::FromQtFileName(QCoreApplication::applicationFilePath());
    return gw20::cli::RunBatch(options, *read.plan, self, std::cout, ::isatty(STDOUT_FILENO) == 1);
  }
  if (options.command == Command::Eds) {
    // The firmware the plan was saved from, unless another is given.
    // --firmware (checked by the parser) or the firmware the plan was saved from.
    const auto firmware =
        gw20::plans::ParseFirmwareText(options.firmware.empty() ? read.plan->firmware : options.firmware);
    if (!firmware) {
      return UsageRefused(options.planPath +
                          ": the plan names no firmware, and the EDS file names the controller's: give "
                          "--firmware MAJOR.MINOR-YYYY/MM/DD as the scan shows it, e.g. 2.05-2006/03/07");
    }
    if (filesRefused(&*read.plan)) return kExitUsage;
    return RunEds(options, *read.plan, *firmware);
  }
  gw20::plans::Plan plan = *read.plan;
  if (options.planNode) {
    if (const auto problem = gw20::cli::PlanNodeProblem(plan, *options.planNode)) {
      std::cerr << "gw20cli: --node " << *options.planNode << ": " << *problem << std::endl;
      return kExitUsage;
    }
    plan.nodeId = *options.planNode;
  }
  if (filesRefused(&plan)) return kExitUsage;
  if (options.dryRun) {
    return RunDryRun(options, plan, {{options.port.text, plan.nodeId}});
  }
  // A batch that went away must not end the commit by SIGPIPE: progress is only its display.
  if (options.progressFd >= 0) std::signal(SIGPIPE, SIG_IGN);
  gw20::cli::CliOptions planned = options;
  planned.scan = gw20::cli::ScanAnswersOf(plan);
  return Run(planned, &plan);
}
