// Times the desktop program's connect and commits against gw20sim, with the
// program's own Qt services, forms and views (offscreen): wall time, where it
// went (from the simulator's answer times), CPU, how long the windows went
// without processing events (the longest gap between two ticks of a 10 ms
// timer), and the peak resident memory. Prints Markdown tables; asserts
// nothing.
//
//   connect_bench [--quick]     --quick: only the 3-module runs

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/app_state.h"
#include "app/cli/canopen_script.h"
#include "app/cli/cli_services.h"
#include "app/cli/devicenet_script.h"
#include "app/cli/gateway_panels.h"
#include "app/extern_setting.h"
#include "app/logo.h"
#include "app/main_f.h"
#include "app/qt/register_views.h"
#include "bench/session_times.h"
#include "bench/sim_process.h"
#include "devicenet/dnseds_set.h"
#include "link/com_para_setting_f.h"
#include "platform/qt/qt_form_host.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"
#include "platform/ui/services.h"

namespace {

using gw20::bench::SessionTimes;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kTick{10};
constexpr int kScanModules = 3;
constexpr int kScanTimeoutMs = 200;
constexpr std::chrono::milliseconds kFixedPause{4};  // the pacing before echo pacing
constexpr double kKiBPerMiB = 1024.0;
// How long gw20config is left running before its memory is read.
constexpr std::chrono::milliseconds kProgramSettle{3000};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The offscreen platform cannot raise windows and has no runtime folder;
// saying so for every window would bury the tables. Everything else is shown.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith(QStringLiteral("This plugin does not support")) ||
      text.startsWith(QStringLiteral("QStandardPaths:"))) {
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// A field of /proc/PID/status in KiB ("VmRSS", "VmHWM"); -1 when absent.
long StatusKiB(const std::string& pid, const std::string& field) {
  std::ifstream status("/proc/" + pid + "/status");
  std::string key;
  long value = -1;
  while (status >> key) {
    if (key == field + ":") {
      status >> value;
      return value;
    }
    status.ignore(4096, '\n');
  }
  return -1;
}

// Stands in for the operator at the screen and measures how alive the
// windows stay. Each tick of a 10 ms timer is timed; at a tick it answers the
// scan-parameters dialog and closes a message box, as a person would.
class Operator {
 public:
  explicit Operator(gw20::app::Main_F& form) : form_(form) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTick);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    clock_.start();
    timer_.start();
  }

  // Starts measuring a new phase.
  void Restart() {
    last_ = clock_.nsecsElapsed();
    longest_ = 0;
  }
  double LongestGapMs() const { return static_cast<double>(longest_) / 1e6; }
  int scanTimeoutMs = kScanTimeoutMs;

 private:
  void Tick() {
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    if (auto* dialog = form_.ScanDialog(); dialog != nullptr && dialog->Loaded()) {
      dialog->ScanTimeout.Type(std::to_string(scanTimeoutMs));
      dialog->ScanSettingOkButton.Press();
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      QAbstractButton* button = box->defaultButton();
      if (button == nullptr) button = box->button(QMessageBox::Ok);
      if (button != nullptr) button->click();
    }
  }

  gw20::app::Main_F& form_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

struct Phase {
  bool ok = false;
  double wall = 0;  // s
  double cpu = 0;   // s
  double longestGapMs = 0;
  SessionTimes times;
};

class Bench {
 public:
  Bench(gw20::app::Main_F& form, gw20::app::AppState& state, Operator& op)
      : form_(form), state_(state), op_(op) {}

  // Runs `action` against a simulator with `modules` modules, the EEPROM kept
  // in `folder` (so a later phase finds what an earlier one wrote); a scan
  // runs with `scanTimeoutMs`.
  Phase Run(const gw20::bench::ScratchFolder& folder, int modules, int scanTimeoutMs,
            std::chrono::milliseconds pause, const std::function<bool()>& action) {
    std::vector<std::string> args{"--eeprom", (folder.Path() / "eeprom.txt").string()};
    if (modules > 0) args.insert(args.end(), {"--modules", gw20::bench::ModuleList(modules)});
    gw20::bench::SimProcess sim(folder.Path(), args);
    setenv("GW20_COM1", sim.Link().c_str(), 1);
    state_.console.CharacterPause = pause;
    op_.scanTimeoutMs = scanTimeoutMs;
    Phase phase;
    op_.Restart();
    const double cpu = CpuSeconds();
    const auto start = Clock::now();
    phase.ok = action();
    phase.wall = std::chrono::duration<double>(Clock::now() - start).count();
    phase.cpu = CpuSeconds() - cpu;
    phase.longestGapMs = op_.LongestGapMs();
    sim.Stop();
    phase.times = gw20::bench::ReadSessionTimes(sim.AnswerTimesFile());
    longestGapMs_ = std::max(longestGapMs_, phase.longestGapMs);
    return phase;
  }

  bool Connect() {
    form_.Connect.Press();
    return form_.Connected;
  }
  bool CommitCanopen() {
    gw20::cli::GatewayAnswers gateway;
    gateway.nodeText = "5";
    return gw20::cli::RunCanopenScript(form_, gateway, {});
  }
  bool CommitDeviceNet() {
    gw20::cli::GatewayAnswers gateway;
    gateway.nodeText = "5";
    auto* page = gw20::cli::OpenDeviceNetPage(form_, gateway);
    return page != nullptr && gw20::cli::FinishDeviceNetPage(*page);
  }
  double LongestGapMs() const { return longestGapMs_; }

 private:
  gw20::app::Main_F& form_;
  gw20::app::AppState& state_;
  Operator& op_;
  double longestGapMs_ = 0;
};

void PrintPhaseHeader() {
  std::printf(
      "| phase | pacing | result | wall s | typing s | controller answering s | prescribed waits s | "
      "rest s | lines | CPU %% of one core | longest tick gap ms |\n"
      "|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
}

void PrintPhase(const char* name, const char* pacing, const Phase& p) {
  const SessionTimes& t = p.times;
  const double rest = p.wall - t.typing - t.answering - t.prescribedWaits;
  std::printf("| %s | %s | %s | %.2f | %.2f | %.2f | %.2f | %.2f | %d | %.1f | %.0f |\n", name, pacing,
              p.ok ? "ok" : "FAILED", p.wall, t.typing, t.answering, t.prescribedWaits, rest, t.lines,
              p.wall > 0 ? 100.0 * p.cpu / p.wall : 0.0, p.longestGapMs);
  std::fflush(stdout);
}

// The three roads with 3 modules, once paced by the echo and once by the
// fixed pause used before.
void RunRoads(Bench& bench, std::vector<std::pair<std::string, long>>& memory) {
  std::printf("\n### Connect and commits: %d modules, scan time-out %d ms\n\n", kScanModules, kScanTimeoutMs);
  PrintPhaseHeader();
  for (const auto pause : {std::chrono::milliseconds(0), kFixedPause}) {
    const char* pacing = pause.count() == 0 ? "echo" : "4 ms pause (before)";
    const gw20::bench::ScratchFolder folder;
    const auto connect = [&] { return bench.Connect(); };
    PrintPhase("connect, EEPROM never written", pacing,
               bench.Run(folder, kScanModules, kScanTimeoutMs, pause, connect));
    if (memory.size() == 1) memory.emplace_back("after the first connect", StatusKiB("self", "VmHWM"));
    PrintPhase("CANopen commit", pacing,
               bench.Run(folder, kScanModules, kScanTimeoutMs, pause, [&] { return bench.CommitCanopen(); }));
    if (memory.size() == 2) memory.emplace_back("after the first commit", StatusKiB("self", "VmHWM"));
    PrintPhase("connect, configuration stored", pacing,
               bench.Run(folder, kScanModules, kScanTimeoutMs, pause, connect));
    PrintPhase("DeviceNet commit", pacing, bench.Run(folder, kScanModules, kScanTimeoutMs, pause, [&] {
      return bench.CommitDeviceNet();
    }));
  }
}

// Connect time by module count and scan time-out, paced by the echo.
void RunGrid(Bench& bench) {
  constexpr int kModuleCounts[] = {0, 3, 8, 15};
  constexpr int kTimeouts[] = {50, 200, 1000};
  std::printf(
      "\n### Connect by modules and scan time-out (echo pacing, EEPROM never written)\n\n"
      "(\"scan\" is the controller answering, almost all of it the scan listing.)\n\n"
      "| modules |");
  for (const int timeout : kTimeouts) std::printf(" time-out %d ms |", timeout);
  std::printf("\n|---:|");
  for (std::size_t i = 0; i < std::size(kTimeouts); ++i) std::printf("---:|");
  std::printf("\n");
  for (const int modules : kModuleCounts) {
    std::printf("| %d |", modules);
    for (const int timeout : kTimeouts) {
      const gw20::bench::ScratchFolder folder;
      const Phase p =
          bench.Run(folder, modules, timeout, std::chrono::milliseconds(0), [&] { return bench.Connect(); });
      std::printf(" %s%.2f s (scan %.2f) |", p.ok ? "" : "FAILED ", p.wall, p.times.answering);
      std::fflush(stdout);
    }
    std::printf("\n");
  }
}

// gw20config itself, left running offscreen with its main window shown.
long ProgramPeakKiB() {
  const pid_t pid = fork();
  if (pid == 0) {
    // Its offscreen warnings would interleave with the tables.
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, 2);
    execl(GW20CONFIG_PATH, GW20CONFIG_PATH, static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) return -1;
  std::this_thread::sleep_for(kProgramSettle);
  const long peak = StatusKiB(std::to_string(pid), "VmHWM");
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  return peak;
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The operator's answers take the place of the log of shown messages.
  setenv("QT_LOGGING_RULES", "gw20.*=false", 1);

  qInstallMessageHandler(QuietOffscreen);
  // Assembled as the desktop program assembles itself (app/qt/main.cpp).
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  const gw20::bench::ScratchFolder edsFolder;
  gw20::qtui::QtMessageBox messages;
  gw20::qtui::QtFormHost forms;
  gw20::appqt::RegisterViews(forms);
  gw20::qtui::QtEventPump events;
  gw20::qtui::QtTickCounter ticks;
  gw20::qtui::QtCalendarClock clock;
  gw20::cli::WorkingFolder folder(edsFolder.Path());
  gw20::qtui::QtSerialPort port;
  gw20::ui::Services services{messages, forms, events, ticks, clock, folder, port};
  gw20::app::AppState state;
  gw20::app::Logo logo(forms);
  gw20::app::Main_F mainForm(state, services);
  gw20::app::ExternSetting(services, logo, mainForm);

  std::vector<std::pair<std::string, long>> memory{{"main window shown", StatusKiB("self", "VmHWM")}};
  Operator op(mainForm);
  Bench bench(mainForm, state, op);
  try {
    RunRoads(bench, memory);
    if (!quick) RunGrid(bench);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "connect_bench: %s\n", error.what());
    return 1;
  }
  memory.emplace_back("after every run", StatusKiB("self", "VmHWM"));

  std::printf("\nLongest gap between two ticks of the 10 ms timer over all runs: %.0f ms\n",
              bench.LongestGapMs());
  std::printf("\n### Peak resident memory (VmHWM)\n\n| process, moment | MiB |\n|---|---:|\n");
  for (const auto& [moment, kib] : memory) {
    std::printf("| the benchmark (the program's objects), %s | %.1f |\n", moment.c_str(),
                static_cast<double>(kib) / kKiBPerMiB);
  }
  std::printf("| gw20config itself, main window shown, no connect | %.1f |\n",
              static_cast<double>(ProgramPeakKiB()) / kKiBPerMiB);
  return 0;
}
