#include "app/cli/batch_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "app/cli/batch_display.h"
#include "app/cli/batch_progress.h"
#include "app/cli/cli_options.h"
#include "app/cli/exit_status.h"
#include "app/cli/output_files.h"
#include "app/cli/plan_commands.h"
#include "link/eeprom_procedures.h"
#include "link/open_console_port.h"
#include "plans/plan_file.h"
#include "platform/qt/file_name.h"

extern char** environ;

namespace gw20::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The apply's own time-outs end it long before this; the limit is there for
// an apply that hangs all the same, which must not hold up the summary.
constexpr auto kApplyLimit = std::chrono::minutes(10);
// After a second interrupt the applies stop at their next wait; one that
// does not is killed after this.
constexpr auto kStopGrace = std::chrono::seconds(5);
// How soon an apply whose pipes have all ended is looked at again.
constexpr auto kExitLookAgain = std::chrono::milliseconds(20);
constexpr int kProgressFd = 3;
constexpr std::string_view kToolPrefix = "gw20cli: ";
constexpr std::size_t kReadChunk = 4096;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// One port's apply while it runs.
struct Job {
  BatchPortResult result;
  pid_t pid = -1;
  // Standard output, standard error, progress; -1 once at its end.
  std::array<int, 3> fds{-1, -1, -1};
  std::array<std::string, 3> text;
  std::filesystem::path recordFile;
  Clock::time_point started;
  ApplyStage stage = ApplyStage::Waiting;  // as its last progress line said
  bool running = false;
  bool stopped = false;  // killed for running past kApplyLimit

  bool Reading() const { return fds[0] >= 0 || fds[1] >= 0 || fds[2] >= 0; }
};

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Starts `args` with standard input from /dev/null and the job's three pipes;
// false (and the reason in the job) when it cannot be started.
bool Spawn(const std::filesystem::path& self, const std::vector<std::string>& args, Job& job) {
  std::array<std::array<int, 2>, 3> pipes{{{-1, -1}, {-1, -1}, {-1, -1}}};
  for (auto& p : pipes) {
    if (::pipe2(p.data(), O_CLOEXEC) != 0) {
      job.result.message = std::string("cannot start the apply: ") + std::strerror(errno);
      for (auto& made : pipes) {
        for (int& fd : made) CloseFd(fd);
      }
      return false;
    }
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipes[0][1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipes[1][1], STDERR_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipes[2][1], kProgressFd);
  // A process group of its own: a terminal's Ctrl-C reaches the batch alone,
  // which passes it on as it sees fit.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t blocked;
  sigemptyset(&blocked);
  posix_spawnattr_setsigmask(&attributes, &blocked);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&blocked, signal);
  posix_spawnattr_setsigdefault(&attributes, &blocked);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  const std::string program = self.string();
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int spawned = ::posix_spawn(&job.pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  for (std::size_t i = 0; i < pipes.size(); ++i) {
    ::close(pipes[i][1]);
    job.fds[i] = pipes[i][0];
  }
  if (spawned != 0) {
    for (int& fd : job.fds) CloseFd(fd);
    job.result.message = std::string("cannot start the apply: ") + std::strerror(spawned);
    return false;
  }
  job.running = true;
  return true;
}

std::vector<std::string> ApplyArguments(const CliOptions& options, const BatchPortResult& port,
                                        const std::filesystem::path& record) {
  if (options.check) {
    std::vector<std::string> args{"--port",         port.port,       "check",
                                  options.planPath, "--progress-fd", std::to_string(kProgressFd)};
    if (port.node) args.insert(args.end(), {"--node", std::to_string(*port.node)});
    return args;
  }
  std::vector<std::string> args{"--port",   port.port,       "apply",         options.planPath,
                                "--record", record.string(), "--progress-fd", std::to_string(kProgressFd)};
  if (port.node) args.insert(args.end(), {"--node", std::to_string(*port.node)});
  if (options.skipMatching) args.emplace_back("--skip-matching");
  if (!options.outDir.empty()) args.insert(args.end(), {"--out", options.outDir});
  if (!options.verify) args.emplace_back("--no-verify");
  if (!options.safeOrder) args.emplace_back("--controller-order");
  if (!options.readWordsAlone) args.emplace_back("--type-back");
  return args;
}

std::string SignalText(int signal) {
  const char* name = ::strsignal(signal);
  return "the apply ended by signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
}

// Why an apply that did not end by itself ended, and what its controller
// holds: in the commit stage, words may have been typed.
void ConcludeKilled(BatchPortResult& r, std::string reason, ApplyStage stage, bool interrupting) {
  if (stage == ApplyStage::Committing) {
    r.status = kPortPartlyWritten;
    r.message = std::string(link::kPartlyWrittenMessage) + " " + reason;
  } else {
    r.status = interrupting ? kPortInterrupted : kPortNothingWritten;
    r.message = std::move(reason);
  }
}

// A check's end: it wrote nothing, so it matches, differs or failed.
void ConcludeCheck(BatchPortResult& r, const std::vector<std::string>& out, bool interrupting) {
  if (r.exitStatus == kExitDone) {
    r.status = kPortMatches;
  } else if (r.exitStatus == kExitFailed && !out.empty()) {
    r.differences = out;
    r.status = "differs (" + std::to_string(out.size()) + ")";
    r.message = out.front();
  } else if (interrupting && r.exitStatus != kExitUsage) {
    r.status = kPortInterrupted;
    r.message = FailureMessage(r.errorLines);
  } else {
    r.status = kPortFailed;
    r.message = FailureMessage(r.errorLines);
    if (r.message.empty()) r.message = "the check failed with exit status " + std::to_string(r.exitStatus);
  }
}

void Conclude(Job& job, int status, bool interrupting, bool checking) {
  BatchPortResult& r = job.result;
  r.endTime = LocalTimeNow();
  r.seconds = std::chrono::duration<double>(Clock::now() - job.started).count();
  r.errorLines = Lines(job.text[1]);
  if (WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
  r.ok = r.exitStatus == kExitDone;
  if (checking && WIFEXITED(status) && !job.stopped) {
    ConcludeCheck(r, Lines(job.text[0]), interrupting);
  } else if (r.ok) {
    const auto out = Lines(job.text[0]);
    r.message = out.empty() ? std::string() : out.back();
    r.status = r.message == kPortAlreadyMatches ? kPortAlreadyMatches : kPortOk;
    if (r.status == kPortAlreadyMatches) r.message.clear();
  } else if (job.stopped) {
    ConcludeKilled(r,
                   "the apply did not end within " +
                       std::to_string(std::chrono::duration_cast<std::chrono::minutes>(kApplyLimit).count()) +
                       " minutes and was stopped",
                   job.stage, interrupting);
  } else if (WIFSIGNALED(status)) {
    ConcludeKilled(r, SignalText(WTERMSIG(status)), job.stage, interrupting);
  } else if (r.exitStatus > kExitInterrupted) {
    // No status of ours: something else ended it, perhaps in the middle of the write.
    ConcludeKilled(r, "the apply failed with exit status " + std::to_string(r.exitStatus), job.stage,
                   interrupting);
  } else {
    r.status = r.exitStatus == kExitInterrupted     ? kPortInterrupted
               : r.exitStatus == kExitPartlyWritten ? kPortPartlyWritten
                                                    : kPortNothingWritten;
    r.message = FailureMessage(r.errorLines);
    r.details = FailureDetails(r.errorLines);
    if (r.message.empty()) r.message = "the apply failed with exit status " + std::to_string(r.exitStatus);
  }
  std::ifstream record(job.recordFile, std::ios::binary);
  r.recordJson.assign(std::istreambuf_iterator<char>(record), {});
  job.running = false;
}

// Takes what a pipe has; at its end closes it. Progress lines go to the display.
void Drain(Job& job, std::size_t stream, std::size_t port, BatchDisplay& display) {
  char buffer[kReadChunk];
  const ssize_t got = ::read(job.fds[stream], buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (got <= 0) {
    CloseFd(job.fds[stream]);
    return;
  }
  std::string& text = job.text[stream];
  text.append(buffer, static_cast<std::size_t>(got));
  if (stream != 2) return;
  for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n')) {
    if (const auto progress = ParseProgressLine(std::string_view(text).substr(0, end))) {
      job.stage = progress->stage;
      display.Show(port, *progress);
    }
    text.erase(0, end + 1);
  }
}

// SIGINT, SIGTERM and SIGHUP while a batch runs: the handler writes the
// signal's number to a pipe the wait loop polls with the applies' pipes.
class BatchSignals {
 public:
  BatchSignals() {
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
    writeEnd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = [](int signal) {
      const int saved = errno;
      const auto byte = static_cast<char>(signal);
      (void)!::write(writeEnd, &byte, 1);
      errno = saved;
    };
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &before_[i]);
  }
  ~BatchSignals() {
    if (pipe_[0] < 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &before_[i], nullptr);
    writeEnd = -1;
    for (int& fd : pipe_) CloseFd(fd);
  }
  BatchSignals(const BatchSignals&) = delete;
  BatchSignals& operator=(const BatchSignals&) = delete;
  int Fd() const { return pipe_[0]; }
  // How many signals came since the last call.
  int Take() {
    int count = 0;
    char bytes[16];
    for (ssize_t got = 0; (got = ::read(pipe_[0], bytes, sizeof bytes)) > 0 || (got < 0 && errno == EINTR);) {
      count += static_cast<int>(std::max<ssize_t>(got, 0));
    }
    return count;
  }

 private:
  static constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
  static inline volatile int writeEnd = -1;
  std::array<int, 2> pipe_{-1, -1};
  std::array<struct sigaction, 3> before_{};
};

std::string StoppingText(std::size_t writing) {
  if (writing == 0) return "stopping: no port is writing its EEPROM";
  if (writing == 1) return "stopping: 1 port is finishing its EEPROM write (Ctrl-C again to stop at once)";
  return "stopping: " + std::to_string(writing) +
         " ports are finishing their EEPROM write (Ctrl-C again to stop at once)";
}

// Waits for the applies without spinning: poll() sleeps until a pipe has
// something, a signal came or the earliest time limit is due. Returns the
// interrupts received.
int Supervise(std::vector<Job>& jobs, BatchDisplay& display, BatchSignals& caught, bool checking) {
  int interrupts = 0;
  auto killAt = Clock::time_point::max();  // after a second interrupt
  const auto reap = [&](std::size_t j, int status) {
    Conclude(jobs[j], status, interrupts > 0, checking);
    display.Finish(j, jobs[j].result);
  };
  for (;;) {
    std::vector<pollfd> polled;
    std::vector<std::pair<std::size_t, std::size_t>> owners;  // job, stream
    auto wake = killAt;
    bool any = false;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
      Job& job = jobs[j];
      if (!job.running) continue;
      if (!job.Reading()) {
        // Every pipe ended: the apply has exited or is about to. One that
        // lives on without its pipes is looked at again shortly, still
        // under the limit, and never holds up the other ports.
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(job.pid, &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        if (ended != 0) {
          reap(j, status);
          continue;
        }
        wake = std::min(wake, Clock::now() + kExitLookAgain);
      }
      any = true;
      if (!job.stopped) wake = std::min(wake, job.started + kApplyLimit);
      for (std::size_t s = 0; s < job.fds.size(); ++s) {
        if (job.fds[s] < 0) continue;
        polled.push_back({job.fds[s], POLLIN, 0});
        owners.emplace_back(j, s);
      }
    }
    if (!any) return interrupts;
    if (caught.Fd() >= 0) polled.push_back({caught.Fd(), POLLIN, 0});
    int timeout = -1;
    if (wake != Clock::time_point::max()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
      timeout = static_cast<int>(std::max<long long>(0, left));
    }
    const int ready = ::poll(polled.data(), polled.size(), timeout);
    if (ready < 0 && errno != EINTR) {
      // The loop itself failed: no apply may go on unwatched, nor stay a zombie.
      for (std::size_t j = 0; j < jobs.size(); ++j) {
        if (!jobs[j].running) continue;
        ::kill(jobs[j].pid, SIGKILL);
        int status = 0;
        while (::waitpid(jobs[j].pid, &status, 0) < 0 && errno == EINTR) {
        }
        for (int& fd : jobs[j].fds) CloseFd(fd);
        reap(j, status);
      }
      return interrupts;
    }
    for (std::size_t i = 0; ready > 0 && i < owners.size(); ++i) {
      if (polled[i].revents == 0) continue;
      Drain(jobs[owners[i].first], owners[i].second, owners[i].first, display);
    }
    if (const int came = caught.Fd() >= 0 ? caught.Take() : 0; came > 0 && interrupts < 2) {
      const int before = interrupts;
      interrupts = std::min(2, interrupts + came);
      // Each apply counts what it is sent: one stops it unless it is writing, two at once.
      for (int k = before; k < interrupts; ++k) {
        for (const Job& job : jobs) {
          if (job.running) ::kill(job.pid, SIGINT);
        }
      }
      if (before == 0) {
        const auto writing = std::ranges::count_if(
            jobs, [](const Job& job) { return job.running && job.stage == ApplyStage::Committing; });
        display.Note(StoppingText(static_cast<std::size_t>(writing)));
      }
      if (interrupts == 2) killAt = Clock::now() + kStopGrace;
    }
    const auto now = Clock::now();
    const bool graceOver = now >= killAt;
    for (Job& job : jobs) {
      if (!job.running) continue;
      if (!job.stopped && now >= job.started + kApplyLimit) {
        job.stopped = true;
        ::kill(job.pid, SIGKILL);
      } else if (graceOver) {
        ::kill(job.pid, SIGKILL);
      }
    }
    if (graceOver) killAt = Clock::time_point::max();
  }
}

// A folder of its own for the applies' records, removed at the end.
class RecordFolder {
 public:
  RecordFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gw20-batch-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~RecordFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  RecordFolder(const RecordFolder&) = delete;
  RecordFolder& operator=(const RecordFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

std::optional<std::string> PlanNodeProblem(const plans::Plan& plan, int node) {
  plans::Plan changed = plan;
  changed.nodeId = node;
  const auto problem = plans::CheckPlan(changed);
  if (!problem) return std::nullopt;
  return problem->reason;
}

std::optional<std::string> BatchProblem(const CliOptions& options, const plans::Plan& plan) {
  for (const int node : options.nodes) {
    if (const auto why = PlanNodeProblem(plan, node)) return "--nodes " + std::to_string(node) + ": " + *why;
  }
  if (options.nodes.empty() && options.ports.size() > 1 && !options.check) {
    return "every port would write " + PlanEdsFiles(options, plan).front().string() +
           ": give each controller its own node with --nodes";
  }
  return std::nullopt;
}

namespace {

std::string WithoutToolPrefix(std::string line) {
  if (line.starts_with(kToolPrefix)) line.erase(0, kToolPrefix.size());
  return line;
}

// A line the apply indents belongs to the line above it (a chain mismatch's slots).
bool IsDetail(const std::string& line) { return WithoutToolPrefix(line).starts_with(' '); }

// The apply's reason: its last line that is no detail.
std::size_t ReasonLine(const std::vector<std::string>& errorLines) {
  std::size_t i = errorLines.size() - 1;
  while (i > 0 && IsDetail(errorLines[i])) --i;
  return i;
}

}  // namespace

std::string FailureMessage(const std::vector<std::string>& errorLines) {
  if (errorLines.empty()) return {};
  const std::size_t reason = ReasonLine(errorLines);
  std::string message = WithoutToolPrefix(errorLines[reason]);
  if (reason >= 1 && errorLines[reason - 1] == link::kPartlyWrittenMessage) {
    message = std::string(link::kPartlyWrittenMessage) + " " + message;
  }
  // In a summary of many ports, an unplugged adapter or a device server gone
  // must not read as just another "Timeout".
  for (const std::string_view hint : ui::kFaultHints) {
    const auto blamesDevice = [hint](const std::string& line) { return line.ends_with(hint); };
    if (std::ranges::any_of(errorLines, blamesDevice) && !blamesDevice(message)) {
      message += " (" + std::string(hint) + ")";
    }
  }
  return message;
}

std::vector<std::string> FailureDetails(const std::vector<std::string>& errorLines) {
  std::vector<std::string> details;
  if (errorLines.empty()) return details;
  for (std::size_t i = ReasonLine(errorLines) + 1; i < errorLines.size(); ++i) {
    std::string line = WithoutToolPrefix(errorLines[i]);
    line.erase(0, line.find_first_not_of(' '));
    details.push_back(std::move(line));
  }
  return details;
}

int RunBatch(const CliOptions& options, const plans::Plan& plan, const std::filesystem::path& self,
             std::ostream& out, bool live) {
  // Before the first apply starts: an interrupt from now on still gets the summary and the report.
  BatchSignals caught;
  RecordFolder records;
  std::vector<Job> jobs(options.ports.size());
  std::vector<std::string> labels;
  // The whole port names are the report's; the screen shortens long ones.
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    BatchPortResult& r = jobs[i].result;
    r.port = options.ports[i];
    if (!options.nodes.empty()) r.node = options.nodes[i];
    if (i < options.labels.size()) r.label = options.labels[i];
    labels.push_back((r.label.empty() ? std::string() : r.label + " ") +
                     ShortenedInTheMiddle(r.port, kPortColumns) +
                     (r.node ? " node " + std::to_string(*r.node) : std::string()));
  }
  winsize terminal{};
  const bool sized = live && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &terminal) == 0 && terminal.ws_col > 0;
  const std::size_t columns = sized ? terminal.ws_col : kTerminalColumns;
  BatchDisplay display(out, live, labels, live ? columns : 0);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    Job& job = jobs[i];
    job.recordFile = records.Path() / ("record-" + std::to_string(i) + ".json");
    job.result.startTime = LocalTimeNow();
    job.started = Clock::now();
    if (records.Path().empty()) {
      job.result.message =
          "cannot make a folder for the records in " + std::filesystem::temp_directory_path().string();
    } else if (Spawn(self, ApplyArguments(options, job.result, job.recordFile), job)) {
      continue;
    }
    job.result.endTime = job.result.startTime;
    display.Finish(i, job.result);
  }
  Supervise(jobs, display, caught, options.check);

  std::vector<BatchPortResult> results;
  results.reserve(jobs.size());
  for (const Job& job : jobs) results.push_back(job.result);
  out << "\n" << BatchSummary(results, plan.nodeId, columns) << std::flush;
  const auto any = [&results](std::string_view status) {
    return std::ranges::any_of(results, [status](const auto& r) { return r.status == status; });
  };
  int exitStatus = kExitDone;
  if (any(kPortInterrupted)) {
    exitStatus = kExitInterrupted;
  } else if (any(kPortPartlyWritten)) {
    exitStatus = kExitPartlyWritten;
  } else if (std::ranges::any_of(results, [](const auto& r) { return !r.ok; })) {
    const bool planRefused =
        std::ranges::all_of(results, [](const auto& r) { return r.ok || r.exitStatus == kExitUsage; });
    exitStatus = planRefused ? kExitUsage : kExitFailed;
  }
  if (const auto report = OutputFileOf(options); report.Wanted()) {
    if (const auto why = report.Write(BatchReportJson(options.planPath, results, options.check))) {
      std::cerr << "gw20cli: " << *why << std::endl;
      return std::max(exitStatus, kExitFailed);
    }
  }
  return exitStatus;
}

std::string BatchReportJson(const std::string& planPath, const std::vector<BatchPortResult>& results,
                            bool checked) {
  // The applies' lines are the controller's 8-bit text and the program's
  // own: Latin-1, one byte one character, whatever the locale.
  const auto latin1 = [](const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  };
  QJsonArray ports;
  for (const BatchPortResult& r : results) {
    QJsonArray errorLines;
    for (const auto& line : r.errorLines) errorLines.append(latin1(line));
    QJsonArray details;
    for (const auto& line : r.details) details.append(latin1(line));
    QJsonArray differences;
    for (const auto& line : r.differences) differences.append(latin1(line));
    QJsonObject port{
        {"port", qtui::ToQtFileName(r.port)},
        {"outcome", r.ok ? "ok" : "failed"},
        {"status", QString::fromLatin1(r.status.data(), static_cast<qsizetype>(r.status.size()))},
        {"exitStatus", r.exitStatus},
        {"message", r.ok ? qtui::ToQtFileName(r.message) : latin1(r.message)},  // ok: the EDS file's path
        {"details", details},
        {"stderr", errorLines},
        {"start", QString::fromStdString(r.startTime)},
        {"end", QString::fromStdString(r.endTime)},
        {"seconds", r.seconds}};
    port["node"] = r.node ? QJsonValue(*r.node) : QJsonValue();
    if (!r.label.empty()) port["label"] = QString::fromLocal8Bit(r.label);
    if (checked) port["differences"] = differences;
    const QJsonDocument record = QJsonDocument::fromJson(QByteArray::fromStdString(r.recordJson));
    port["record"] = record.isObject() ? QJsonValue(record.object()) : QJsonValue();
    ports.append(port);
  }
  // The whole path: a report read elsewhere must still name the plan it applied.
  std::error_code failed;
  const std::filesystem::path full = std::filesystem::absolute(planPath, failed);
  const QJsonObject report{{"plan", qtui::ToQtFileName(failed ? std::filesystem::path(planPath) : full)},
                           {"ports", ports}};
  return QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
