// Times the desktop program's connect and commits against gw20sim, with the
// program's own Qt services, forms and views (offscreen), and sets each
// against its floor: what the console protocol itself needs (the pacing of
// typed characters, the controller's answers, the scan's time-outs and the
// time-outs the sequence waits out on purpose). Also: CPU, characters typed
// and received, how long the windows went without processing events (the
// longest gap between two ticks of a 10 ms timer) and this process's peak
// resident memory. Prints Markdown tables; asserts nothing.
//
//   connect_bench [--quick | --grid | --verify-cost | --line]
//     --quick: two runs of the main table only; --grid: only the table of
//     connect times by modules and scan time-out; --verify-cost: only the
//     table of commits with and without reading every written word back;
//     --line: only the table of the roads over a slow line (gw20sim
//     --line-delay), typed a character per echo and ahead of the echo
//   GW20_BENCH_LOGS=DIR keeps every phase's answer times (gw20sim's log) in DIR;
//   a failed phase's are always kept in the temporary folder.

#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/cli/canopen_script.h"
#include "app/cli/cli_services.h"
#include "app/cli/devicenet_script.h"
#include "app/gateway_panels.h"
#include "app/main_f.h"
#include "app/qt/desktop_program.h"
#include "bench/echo_probe.h"
#include "bench/session_times.h"
#include "bench/sim_process.h"
#include "devicenet/dnseds_set.h"
#include "link/com_para_setting_f.h"
#include "link/console.h"
#include "platform/qt/console_port.h"
#include "platform/ui/serial_port.h"

namespace {

using gw20::bench::SessionTimes;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kTick{10};

// The chain and scan time-out of the connects outside the grid, and the runs
// of the tables that repeat (--quick: the main table's fewer).
constexpr int kChainModules = 15;
constexpr int kScanTimeoutMs = 200;
constexpr int kRuns = 5;
constexpr int kQuickRuns = 2;

// Pacing.
constexpr milliseconds kFixedPause{4};  // the pacing before echo pacing
// Characters typed by the bare client that measures the echo round trip
// before each phase.
constexpr int kProbeCharacters = 64;

// The floor. Addresses the connect scans: 0 to 15.
constexpr int kScannedAddresses = 16;
// Every road has two exchanges that can only end by their time-out (or a
// quiet period): the connect's "." at the main prompt and the quiet second
// before "/scan"; a commit's "/q" and "." at the main prompt.
constexpr int kPrescribedWaits = 2;

constexpr double kKiBPerMiB = 1024.0;
constexpr double kMsPerSecond = 1000.0;

// The offscreen platform cannot raise windows and has no runtime folder;
// saying so for every window would bury the tables. Everything else is shown.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith(QStringLiteral("This plugin does not support")) ||
      text.startsWith(QStringLiteral("QStandardPaths:"))) {
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// A field of /proc/self/status in KiB ("VmHWM"); -1 when absent.
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
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

// The program's serial port, counting the characters that pass.
class CountingPort : public gw20::ui::SerialPort {
 public:
  explicit CountingPort(gw20::qtui::ConsolePort& port) : port_(port) {}

  // COM1 leads to `device` from the next Open on.
  void LeadTo(const std::string& device) {
    port_.SetRoute(1, gw20::ui::RouteOf(*gw20::ui::ParseConsoleAddress(device).address, nullptr));
  }

  void Reset() { typed_ = received_ = 0; }
  long Typed() const { return typed_; }
  long Received() const { return received_; }

  void SetPortNumber(int number) override { port_.SetPortNumber(number); }
  int PortNumber() const override { return port_.PortNumber(); }
  bool SetSettings(const gw20::ui::SerialSettings& settings) override { return port_.SetSettings(settings); }
  gw20::ui::OpenResult Open() override { return port_.Open(); }
  bool IsOpen() const override { return port_.IsOpen(); }
  void Close() override { port_.Close(); }
  int InBufferCount() override { return port_.InBufferCount(); }
  void DiscardInput() override {
    received_ += port_.InBufferCount();
    port_.DiscardInput();
  }
  std::string ReadAll() override {
    std::string text = port_.ReadAll();
    received_ += static_cast<long>(text.size());
    return text;
  }
  void Write(std::string_view text) override {
    typed_ += static_cast<long>(text.size());
    port_.Write(text);
  }
  int OutBufferCount() override { return port_.OutBufferCount(); }
  bool WaitForInput(milliseconds limit) override { return port_.WaitForInput(limit); }

 private:
  gw20::qtui::ConsolePort& port_;
  long typed_ = 0;
  long received_ = 0;
};

// Stands in for the operator at the screen and measures how alive the
// windows stay. It answers the scan-parameters dialog and closes a message
// box as soon as the window is shown, so that no reaction time of its own
// enters the figures. Each tick of a 10 ms timer is timed.
class Operator : public QObject {
 public:
  explicit Operator(gw20::app::Main_F& form) : form_(form) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTick);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    clock_.start();
    timer_.start();
    QApplication::instance()->installEventFilter(this);
  }

  // Starts measuring a new phase.
  void Restart() {
    last_ = clock_.nsecsElapsed();
    longest_ = 0;
  }
  double LongestGapMs() const { return static_cast<double>(longest_) / 1e6; }
  int scanTimeoutMs = kScanTimeoutMs;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      // Once the window is up and its modal loop, if any, is running.
      QTimer::singleShot(0, this, [this] { Answer(); });
    }
    return false;
  }

 private:
  void Tick() {
    const qint64 now = clock_.nsecsElapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
    Answer();
  }

  void Answer() {
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

// What the console protocol itself needs of a session, in seconds.
struct Floor {
  // Each typed character, CR included, waits for its echo: the round trip a
  // bare client measures against the same simulator just before the phase,
  // or the chosen pause when that is longer.
  double pacing = 0;
  double answers = 0;       // the controller's own answer times, less the scan's time-outs
  double scanTimeouts = 0;  // the scan time-out on every address nobody answers
  double waits = 0;         // exchanges that end only by their time-out, and the quiet period before a scan
  double Total() const { return pacing + answers + scanTimeouts + waits; }
};

struct Phase {
  bool ok = false;
  double echoMs = 0;  // the bare client's echo round trip
  double wall = 0;    // s
  double cpu = 0;     // s
  double longestGapMs = 0;
  long typed = 0;
  long received = 0;
  SessionTimes times;
  Floor floor;
  double Ratio() const { return floor.Total() > 0 ? wall / floor.Total() : 0; }
};

Floor FloorOf(const SessionTimes& t, double echoMs, int modules, int scanTimeoutMs, milliseconds pause,
              milliseconds consoleTimeout) {
  Floor f;
  const double perCharacter = std::max(static_cast<double>(pause.count()), echoMs);
  // A CR has no pause after it, but the controller must take it before it answers.
  f.pacing = (t.commandCharacters * perCharacter + t.lines * echoMs) / kMsPerSecond;
  f.scanTimeouts =
      static_cast<double>(t.scans) * (kScannedAddresses - modules) * scanTimeoutMs / kMsPerSecond;
  f.answers = std::max(0.0, t.answering - f.scanTimeouts);
  // Only the procedure's own: any other long wait is the program's.
  f.waits = static_cast<double>(std::min(t.waitedTimeouts, kPrescribedWaits)) *
            static_cast<double>(consoleTimeout.count()) / kMsPerSecond;
  return f;
}

class Bench {
 public:
  Bench(gw20::app::Main_F& form, gw20::app::AppState& state, Operator& op, CountingPort& port)
      : form_(form), state_(state), op_(op), port_(port) {}

  // Runs `action` against a simulator with `modules` modules, the EEPROM kept
  // in `folder` (so a later phase finds what an earlier one wrote); a scan
  // runs with `scanTimeoutMs`.
  Phase Run(const std::string& what, const gw20::bench::ScratchFolder& folder, int modules, int scanTimeoutMs,
            milliseconds pause, const std::function<bool()>& action) {
    Phase phase;
    {
      const gw20::bench::ScratchFolder probeFolder;
      const gw20::bench::SimProcess probe(probeFolder.Path(), {});
      phase.echoMs = gw20::bench::MedianEchoRoundTripMs(probe.Link(), kProbeCharacters);
    }
    std::vector<std::string> args{"--eeprom", (folder.Path() / "eeprom.txt").string()};
    if (modules > 0) args.insert(args.end(), {"--modules", gw20::bench::ModuleList(modules)});
    if (lineDelay_.count() > 0) args.insert(args.end(), {"--line-delay", std::to_string(lineDelay_.count())});
    gw20::bench::SimProcess sim(folder.Path(), args);
    port_.LeadTo(sim.Link());
    state_.console.CharacterPause = pause;
    op_.scanTimeoutMs = scanTimeoutMs;
    port_.Reset();
    op_.Restart();
    const double cpu = gw20::bench::CpuSeconds();
    const auto start = Clock::now();
    phase.ok = action();
    phase.wall = std::chrono::duration<double>(Clock::now() - start).count();
    phase.cpu = gw20::bench::CpuSeconds() - cpu;
    phase.longestGapMs = op_.LongestGapMs();
    phase.typed = port_.Typed();
    phase.received = port_.Received();
    sim.Stop();
    ++phases_;
    if (!phase.ok || keepLogs_ != nullptr) {
      // Kept for a look at where the conversation stopped, or on request.
      const auto kept =
          (keepLogs_ != nullptr ? std::filesystem::path(keepLogs_) : std::filesystem::temp_directory_path()) /
          ("gw20bench-" + std::string(phase.ok ? "phase-" : "failed-") + std::to_string(phases_) + ".txt");
      std::filesystem::copy_file(sim.AnswerTimesFile(), kept,
                                 std::filesystem::copy_options::overwrite_existing);
      if (!phase.ok)
        std::fprintf(stderr, "connect_bench: a phase failed; its answer times: %s\n", kept.c_str());
    }
    phase.times = gw20::bench::ReadSessionTimes(sim.AnswerTimesFile());
    if (phase.ok && phase.times.waitedTimeouts != kPrescribedWaits) {
      // A long gap elsewhere is the program's, not the procedure's.
      std::fprintf(stderr, "connect_bench: %d long waits instead of %d in a phase\n",
                   phase.times.waitedTimeouts, kPrescribedWaits);
    }
    phase.floor =
        FloorOf(phase.times, phase.echoMs, modules, scanTimeoutMs, pause, state_.console.ConsoleTimeout);
    if (phase.longestGapMs > longestGapMs_) {
      longestGapMs_ = phase.longestGapMs;
      longestGapPhase_ = what;
    }
    return phase;
  }

  bool Connect() {
    form_.Connect.Press();
    return form_.Connected;
  }
  bool CommitCanopen() {
    gw20::app::GatewayAnswers gateway;
    gateway.nodeText = "5";
    return gw20::cli::RunCanopenScript(form_, gateway, {});
  }
  bool CommitDeviceNet() {
    gw20::app::GatewayAnswers gateway;
    gateway.nodeText = "5";
    auto* page = gw20::cli::OpenDeviceNetPage(form_, gateway);
    return page != nullptr && gw20::cli::FinishDeviceNetPage(*page);
  }
  double LongestGapMs() const { return longestGapMs_; }
  const std::string& LongestGapPhase() const { return longestGapPhase_; }
  // Every character both ways this much later (gw20sim --line-delay) from the next phase on.
  void SetLineDelay(milliseconds delay) { lineDelay_ = delay; }

 private:
  gw20::app::Main_F& form_;
  gw20::app::AppState& state_;
  Operator& op_;
  CountingPort& port_;
  double longestGapMs_ = 0;
  std::string longestGapPhase_;
  int phases_ = 0;
  milliseconds lineDelay_{0};
  // A folder to keep every phase's answer times in (GW20_BENCH_LOGS), or null.
  const char* keepLogs_ = std::getenv("GW20_BENCH_LOGS");
};

// Over the runs that succeeded: a failed one ends early and would pull the figures down.
template <typename F>
double MedianOf(const std::vector<Phase>& runs, F field) {
  std::vector<double> values;
  for (const Phase& p : runs) {
    if (p.ok) values.push_back(static_cast<double>(field(p)));
  }
  return gw20::bench::Median(values);
}

// The wall times of the runs that succeeded.
struct Walls {
  int ok = 0;
  double median = 0;
  double least = 0;
  double most = 0;
};

Walls WallsOf(const std::vector<Phase>& runs) {
  Walls walls;
  for (const Phase& p : runs) {
    if (!p.ok) continue;
    walls.least = walls.ok == 0 ? p.wall : std::min(walls.least, p.wall);
    walls.most = std::max(walls.most, p.wall);
    ++walls.ok;
  }
  walls.median = MedianOf(runs, [](const Phase& p) { return p.wall; });
  return walls;
}

// The roads, in the order one run takes them: each commit follows a connect,
// the second connect finds the configuration the first commit stored.
const char* const kRoads[] = {"connect, EEPROM never written", "CANopen commit",
                              "connect, configuration stored", "DeviceNet commit"};

using RoadRuns = std::map<std::string, std::vector<Phase>>;

// Calls print(road, runs) for every road that has runs, in the tables' order.
template <typename Print>
void ForEachRoad(const RoadRuns& results, Print print) {
  for (const char* road : kRoads) {
    const auto found = results.find(road);
    if (found != results.end()) print(road, found->second);
  }
}

void RunRoads(Bench& bench, int runs, milliseconds pause, RoadRuns& results, std::vector<long>& memory) {
  for (int run = 0; run < runs; ++run) {
    const gw20::bench::ScratchFolder folder;
    const auto connect = [&] { return bench.Connect(); };
    const std::function<bool()> actions[] = {connect, [&] { return bench.CommitCanopen(); }, connect,
                                             [&] { return bench.CommitDeviceNet(); }};
    for (std::size_t road = 0; road < std::size(kRoads); ++road) {
      const std::string what = std::string(kRoads[road]) + ", run " + std::to_string(run + 1) +
                               (pause.count() > 0 ? ", fixed pause" : "");
      results[kRoads[road]].push_back(
          bench.Run(what, folder, kChainModules, kScanTimeoutMs, pause, actions[road]));
      // The process's peak after its first connect and its first commit.
      if (memory.size() < 3 && (road == 0 || road == 1)) memory.push_back(StatusKiB("VmHWM"));
    }
    std::fprintf(stderr, "connect_bench: run %d of %d done\n", run + 1, runs);
  }
}

void PrintRoads(const RoadRuns& results) {
  std::printf(
      "| road | runs ok | wall s (median) | wall s (min-max) | CPU %% of wall | exchanges | "
      "characters typed | characters received | echo round trip ms | floor: pacing s | "
      "floor: controller answers s | "
      "floor: scan time-outs s | floor: waited time-outs s | floor s | wall / floor | "
      "longest tick gap ms (median of runs, longest) |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  ForEachRoad(results, [](const char* road, const std::vector<Phase>& runs) {
    double gap = 0;
    for (const Phase& p : runs) gap = std::max(gap, p.longestGapMs);
    const auto [ok, wall, least, most] = WallsOf(runs);
    const double floor = MedianOf(runs, [](const Phase& p) { return p.floor.Total(); });
    std::printf(
        "| %s | %d/%zu | %.3f | %.3f-%.3f | %.1f | %.0f | %.0f | %.0f | %.2f | "
        "%.3f | %.3f | %.3f | %.3f | %.3f | %.3f | %.0f, %.0f |\n",
        road, ok, runs.size(), wall, least, most,
        MedianOf(runs, [](const Phase& p) { return p.wall > 0 ? 100.0 * p.cpu / p.wall : 0.0; }),
        MedianOf(runs, [](const Phase& p) { return p.times.lines; }),
        MedianOf(runs, [](const Phase& p) { return p.typed; }),
        MedianOf(runs, [](const Phase& p) { return p.received; }),
        MedianOf(runs, [](const Phase& p) { return p.echoMs; }),
        MedianOf(runs, [](const Phase& p) { return p.floor.pacing; }),
        MedianOf(runs, [](const Phase& p) { return p.floor.answers; }),
        MedianOf(runs, [](const Phase& p) { return p.floor.scanTimeouts; }),
        MedianOf(runs, [](const Phase& p) { return p.floor.waits; }), floor, floor > 0 ? wall / floor : 0.0,
        MedianOf(runs, [](const Phase& p) { return p.longestGapMs; }), gap);
  });
  std::fflush(stdout);
}

// Where each road's wall time went beyond its floor, from the same runs. The
// four parts add up to wall - floor: typing as the controller saw it (first
// character to CR) beyond one echo round trip per character; the gaps between
// an answer and the next line beyond the round trip of that line's first
// character; the waited time-outs beyond the time-out; and the wall time
// outside the console session (opening and closing the port, the windows).
void PrintBeyondFloor(const RoadRuns& results) {
  std::printf(
      "\n| road | wall - floor s | typing s | between exchanges s | waited time-outs s | "
      "outside the session s |\n"
      "|---|---:|---:|---:|---:|---:|\n");
  ForEachRoad(results, [](const char* road, const std::vector<Phase>& runs) {
    const auto median = [&](auto field) { return MedianOf(runs, field); };
    std::printf(
        "| %s | %.3f | %.3f | %.3f | %.3f | %.3f |\n", road,
        median([](const Phase& p) { return p.wall - p.floor.Total(); }), median([](const Phase& p) {
          return p.times.typing - p.times.commandCharacters * p.echoMs / kMsPerSecond;
        }),
        median([](const Phase& p) { return p.times.shortGaps - p.times.lines * p.echoMs / kMsPerSecond; }),
        median([](const Phase& p) { return p.times.prescribedWaits - p.floor.waits; }),
        median([](const Phase& p) {
          const SessionTimes& t = p.times;
          return p.wall - (t.typing + t.answering + t.prescribedWaits + t.shortGaps);
        }));
  });
  std::fflush(stdout);
}

// Connect time by module count and scan time-out, paced by the echo.
void RunGrid(Bench& bench) {
  constexpr int kModuleCounts[] = {0, 1, 5, 15};
  constexpr int kTimeouts[] = {50, 200, 1000};
  std::printf(
      "\n### Connect by modules and scan time-out (echo pacing, EEPROM never written, one run each)\n\n"
      "Each cell: wall s / floor s = ratio (the floor's scan time-outs s; the echo round trip).\n\n"
      "| modules |");
  for (const int timeout : kTimeouts) std::printf(" time-out %d ms |", timeout);
  std::printf("\n|---:|");
  for (std::size_t i = 0; i < std::size(kTimeouts); ++i) std::printf("---:|");
  std::printf("\n");
  for (const int modules : kModuleCounts) {
    std::printf("| %d |", modules);
    for (const int timeout : kTimeouts) {
      const gw20::bench::ScratchFolder folder;
      const std::string what = "connect, " + std::to_string(modules) + " modules, scan time-out " +
                               std::to_string(timeout) + " ms";
      const Phase p =
          bench.Run(what, folder, modules, timeout, milliseconds(0), [&] { return bench.Connect(); });
      std::printf(" %s%.2f / %.2f = %.3f (%.2f; echo %.2f ms) |", p.ok ? "" : "FAILED ", p.wall,
                  p.floor.Total(), p.Ratio(), p.floor.scanTimeouts, p.echoMs);
      std::fflush(stdout);
    }
    std::printf("\n");
  }
}

// What reading every written word back (gw20cli --verify) adds to each
// commit. Each run connects, then commits the profile twice, without and
// with the read-back, in turns first one way and then the other so that a
// drift of the machine's load does not fall on one side.
void RunVerifyCost(Bench& bench, gw20::link::ConsoleState& console, int runs) {
  struct Commit {
    const char* name;
    std::function<bool()> action;
  };
  const Commit commits[] = {{"CANopen commit", [&] { return bench.CommitCanopen(); }},
                            {"DeviceNet commit", [&] { return bench.CommitDeviceNet(); }}};
  RoadRuns plain;
  RoadRuns verified;
  const bool verifyBefore = console.VerifyWrites;
  for (int run = 0; run < runs; ++run) {
    const gw20::bench::ScratchFolder folder;
    for (const Commit& commit : commits) {
      const std::string what = std::string(commit.name) + ", run " + std::to_string(run + 1);
      bench.Run("connect before " + what, folder, kChainModules, kScanTimeoutMs, milliseconds(0),
                [&] { return bench.Connect(); });
      for (const bool verify : {run % 2 == 1, run % 2 == 0}) {
        console.VerifyWrites = verify;
        (verify ? verified : plain)[commit.name].push_back(bench.Run(what + (verify ? ", verified" : ""),
                                                                     folder, kChainModules, kScanTimeoutMs,
                                                                     milliseconds(0), commit.action));
      }
    }
    std::fprintf(stderr, "connect_bench: verify run %d of %d done\n", run + 1, runs);
  }
  console.VerifyWrites = verifyBefore;
  std::printf(
      "\n### Read-back verification: %d modules, echo pacing, %d runs\n\n"
      "| commit | runs ok (without, with) | wall s without: median (min-max) | "
      "wall s with: median (min-max) | exchanges without, with | waited time-outs without, with | "
      "verify's share %% (with / without - 1) | the same less the added waited time-outs %% |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|\n",
      kChainModules, runs);
  for (const Commit& commit : commits) {
    const std::vector<Phase>& without = plain[commit.name];
    const std::vector<Phase>& with = verified[commit.name];
    const Walls a = WallsOf(without);
    const Walls b = WallsOf(with);
    const auto lines = [](const Phase& p) { return p.times.lines; };
    const auto waits = [](const Phase& p) { return p.times.waitedTimeouts; };
    // An exchange that can only end by its time-out costs the time-out, however quick the rest.
    const auto waited = [](const Phase& p) { return p.times.prescribedWaits; };
    const double addedWaits = MedianOf(with, waited) - MedianOf(without, waited);
    const auto share = [&](double added) {
      return a.median > 0 ? 100.0 * ((b.median - added) / a.median - 1) : 0;
    };
    std::printf(
        "| %s | %d/%zu, %d/%zu | %.3f (%.3f-%.3f) | %.3f (%.3f-%.3f) | %.0f, %.0f | %.0f, %.0f | %.1f | %.1f "
        "|\n",
        commit.name, a.ok, without.size(), b.ok, with.size(), a.median, a.least, a.most, b.median, b.least,
        b.most, MedianOf(without, lines), MedianOf(with, lines), MedianOf(without, waits),
        MedianOf(with, waits), share(0), share(addedWaits));
  }
  std::fflush(stdout);
}

// Round trips a slow line adds to a session: one for each line's answer and
// one for each window of its typed characters.
int LineRoundTrips(const SessionTimes& t, int window) {
  int trips = 0;
  for (const int length : t.lineLengths) trips += 1 + (length + window - 1) / window;
  return trips;
}

// Each road over a line that delays every character 0, 8 and 25 ms each way,
// typed a character per echo (a window of one) and ahead of the echo, the two
// in turns within each run. The floor of a slow line is the local floor (the
// same road's at 0 ms, typed ahead) plus one round trip per answer and per
// window of typed characters.
void RunLine(Bench& bench, gw20::link::ConsoleState& console, int runs) {
  constexpr int kDelays[] = {0, 8, 25};
  constexpr int kWindows[] = {1, gw20::link::kMaxTypingWindow};
  std::map<std::string, RoadRuns> results;  // by "delay/window"
  const auto key = [](int delay, int window) { return std::to_string(delay) + "/" + std::to_string(window); };
  const int windowBefore = console.TypingWindow;
  for (const int delay : kDelays) {
    bench.SetLineDelay(milliseconds(delay));
    for (int run = 0; run < runs; ++run) {
      for (std::size_t turn = 0; turn < std::size(kWindows); ++turn) {
        const int window = kWindows[(turn + static_cast<std::size_t>(run)) % std::size(kWindows)];
        console.TypingWindow = window;
        const gw20::bench::ScratchFolder folder;
        const auto connect = [&] { return bench.Connect(); };
        const std::function<bool()> actions[] = {connect, [&] { return bench.CommitCanopen(); }, connect,
                                                 [&] { return bench.CommitDeviceNet(); }};
        for (std::size_t road = 0; road < std::size(kRoads); ++road) {
          const std::string what = std::string(kRoads[road]) + ", line delay " + std::to_string(delay) +
                                   " ms, window " + std::to_string(window) + ", run " +
                                   std::to_string(run + 1);
          results[key(delay, window)][kRoads[road]].push_back(
              bench.Run(what, folder, kChainModules, kScanTimeoutMs, milliseconds(0), actions[road]));
        }
      }
      std::fprintf(stderr, "connect_bench: line delay %d ms, run %d of %d done\n", delay, run + 1, runs);
    }
  }
  bench.SetLineDelay(milliseconds(0));
  console.TypingWindow = windowBefore;

  std::printf(
      "\n### Over a slow line: %d modules, gw20sim --line-delay each way, %d runs (medians)\n\n"
      "| road | delay ms | per character: wall s | typed ahead: wall s | speed-up | per character: floor s | "
      "typed ahead: floor s | typed ahead: wall / floor |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|\n",
      kChainModules, runs);
  double slowestSpeedUp25 = 1e9, worstRatio = 0, slowestAtZero = 0;
  for (const char* road : kRoads) {
    const auto& local = results[key(0, kWindows[1])][road];
    const double localFloor = MedianOf(local, [](const Phase& p) { return p.floor.Total(); });
    for (const int delay : kDelays) {
      const auto& perCharacter = results[key(delay, kWindows[0])][road];
      const auto& ahead = results[key(delay, kWindows[1])][road];
      const double wallOne = WallsOf(perCharacter).median;
      const double wallAhead = WallsOf(ahead).median;
      const double roundTrip = 2.0 * delay / kMsPerSecond;
      const auto floorWith = [&](const std::vector<Phase>& runsOf, int window) {
        return localFloor + roundTrip * MedianOf(runsOf, [window](const Phase& p) {
                              return LineRoundTrips(p.times, window);
                            });
      };
      const double floorOne = floorWith(perCharacter, kWindows[0]);
      const double floorAhead = floorWith(ahead, kWindows[1]);
      const double speedUp = wallAhead > 0 ? wallOne / wallAhead : 0;
      const double ratio = floorAhead > 0 ? wallAhead / floorAhead : 0;
      std::printf("| %s | %d | %.3f | %.3f | %.2f | %.3f | %.3f | %.3f |\n", road, delay, wallOne, wallAhead,
                  speedUp, floorOne, floorAhead, ratio);
      if (delay == 25) slowestSpeedUp25 = std::min(slowestSpeedUp25, speedUp);
      if (delay > 0) worstRatio = std::max(worstRatio, ratio);
      if (delay == 0) slowestAtZero = std::max(slowestAtZero, wallOne > 0 ? wallAhead / wallOne : 0);
    }
    std::fflush(stdout);
  }
  const auto met = [](bool ok) { return ok ? "met" : "NOT met"; };
  std::printf(
      "\nTargets: typed ahead at least 1.8 times as fast as per character at 25 ms: slowest road %.2f (%s); "
      "typed ahead at most 1.15 times its floor over a slow line: worst %.3f (%s); at 0 ms no slower than "
      "per "
      "character: worst typed ahead / per character %.3f (%s)\n",
      slowestSpeedUp25, met(slowestSpeedUp25 >= 1.8), worstRatio, met(worstRatio <= 1.15), slowestAtZero,
      met(slowestAtZero <= 1.0));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool quick = mode == "--quick";
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The operator's answers take the place of the log of shown messages.
  setenv("QT_LOGGING_RULES", "gw20.*=false", 0);

  qInstallMessageHandler(QuietOffscreen);
  // Assembled as the desktop program assembles itself, but for where EDS
  // files go and a port that counts.
  QApplication application(argc, argv);
  gw20::appqt::StyleApplication();
  const gw20::bench::ScratchFolder edsFolder;
  gw20::cli::WorkingFolder folder(edsFolder.Path());
  gw20::qtui::ConsolePort qtPort(gw20::qtui::ComPortRoutes(nullptr),
                                 gw20::link::ConsoleState{}.ConsoleTimeout);
  CountingPort port(qtPort);
  gw20::appqt::DesktopProgram program(port, {.folder = &folder});
  gw20::app::AppState& state = program.State();
  gw20::app::Main_F& mainForm = program.MainForm();
  program.Start();

  std::vector<long> memory{StatusKiB("VmHWM")};
  Operator op(mainForm);
  Bench bench(mainForm, state, op, port);
  const int runs = quick ? kQuickRuns : kRuns;
  try {
    if (mode == "--grid") {
      RunGrid(bench);
      return 0;
    }
    if (mode == "--verify-cost") {
      RunVerifyCost(bench, state.console, kRuns);
      return 0;
    }
    if (mode == "--line") {
      RunLine(bench, state.console, kQuickRuns);
      return 0;
    }
    RoadRuns echo;
    RunRoads(bench, runs, milliseconds(0), echo, memory);
    std::printf("\n### Connect and commits: %d modules, scan time-out %d ms, echo pacing, %d runs\n\n",
                kChainModules, kScanTimeoutMs, runs);
    PrintRoads(echo);
    std::printf("\n### Beyond the floor (medians of the same runs)\n");
    PrintBeyondFloor(echo);
    if (!quick) {
      RoadRuns fixed;
      std::vector<long> ignored{0, 0, 0};
      RunRoads(bench, 1, kFixedPause, fixed, ignored);
      std::printf(
          "\n### The same with a fixed 4 ms pause after each character (GW20_CHAR_PAUSE_MS=4), one run\n\n");
      PrintRoads(fixed);
      RunGrid(bench);
      RunVerifyCost(bench, state.console, kRuns);
      RunLine(bench, state.console, kQuickRuns);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "connect_bench: %s\n", error.what());
    return 1;
  }
  memory.push_back(StatusKiB("VmHWM"));

  std::printf("\nLongest gap between two ticks of the 10 ms timer over all runs: %.0f ms (%s)\n",
              bench.LongestGapMs(), bench.LongestGapPhase().c_str());
  std::printf(
      "\n### Peak resident memory (VmHWM) of this process, which holds the program's objects\n\n"
      "| moment | MiB |\n|---|---:|\n");
  const char* const moments[] = {"main window shown", "after the first connect", "after the first commit",
                                 "after every run"};
  for (std::size_t i = 0; i < memory.size() && i < std::size(moments); ++i) {
    const std::size_t moment = i + 1 == memory.size() ? std::size(moments) - 1 : i;
    std::printf("| %s | %.1f |\n", moments[moment], static_cast<double>(memory[i]) / kKiBPerMiB);
  }
  return 0;
}
