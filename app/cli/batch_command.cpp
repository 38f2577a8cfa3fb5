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

#include "app/cli/batch_display.h"
#include "app/cli/batch_progress.h"
#include "app/cli/cli_options.h"
#include "app/cli/output_files.h"
#include "app/cli/plan_commands.h"
#include "link/eeprom_procedures.h"
#include "link/open_console_port.h"
#include "plans/plan_file.h"

extern char** environ;

namespace gw20::cli {
namespace {

using Clock = std::chrono::steady_clock;

// The apply's own time-outs end it long before this; the limit is there for
// an apply that hangs all the same, which must not hold up the summary.
constexpr auto kApplyLimit = std::chrono::minutes(10);
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
  std::vector<char*> argv;
  const std::string program = self.string();
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int spawned = ::posix_spawn(&job.pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
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
  std::vector<std::string> args{"--port",   port.port,       "apply",         options.planPath,
                                "--record", record.string(), "--progress-fd", std::to_string(kProgressFd)};
  if (port.node) args.insert(args.end(), {"--node", std::to_string(*port.node)});
  if (!options.outDir.empty()) args.insert(args.end(), {"--out", options.outDir});
  if (!options.verify) args.emplace_back("--no-verify");
  if (options.safeOrder) args.emplace_back("--safe-order");
  if (!options.readWordsAlone) args.emplace_back("--type-back");
  return args;
}

std::string SignalText(int signal) {
  const char* name = ::strsignal(signal);
  return "the apply ended by signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : "");
}

void Conclude(Job& job, int status) {
  BatchPortResult& r = job.result;
  r.endTime = LocalTimeNow();
  r.seconds = std::chrono::duration<double>(Clock::now() - job.started).count();
  r.errorLines = Lines(job.text[1]);
  if (WIFEXITED(status)) r.exitStatus = WEXITSTATUS(status);
  r.ok = r.exitStatus == 0;
  if (r.ok) {
    const auto out = Lines(job.text[0]);
    r.message = out.empty() ? std::string() : out.back();
  } else if (job.stopped) {
    r.message = "the apply did not end within " +
                std::to_string(std::chrono::duration_cast<std::chrono::minutes>(kApplyLimit).count()) +
                " minutes and was stopped";
  } else if (WIFSIGNALED(status)) {
    r.message = SignalText(WTERMSIG(status));
  } else {
    r.message = FailureMessage(r.errorLines);
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
      display.Show(port, *progress);
    }
    text.erase(0, end + 1);
  }
}

// Waits for the applies without spinning: poll() sleeps until a pipe has
// something or the earliest time limit is due.
void Supervise(std::vector<Job>& jobs, BatchDisplay& display) {
  for (;;) {
    std::vector<pollfd> polled;
    std::vector<std::pair<std::size_t, std::size_t>> owners;  // job, stream
    auto wake = Clock::time_point::max();
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
          Conclude(job, status);
          display.Finish(j, job.result);
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
    if (!any) return;
    int timeout = -1;
    if (wake != Clock::time_point::max()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
      timeout = static_cast<int>(std::max<long long>(0, left));
    }
    const int ready = ::poll(polled.data(), polled.size(), timeout);
    if (ready < 0 && errno != EINTR) return;
    for (std::size_t i = 0; ready > 0 && i < polled.size(); ++i) {
      if (polled[i].revents == 0) continue;
      Drain(jobs[owners[i].first], owners[i].second, owners[i].first, display);
    }
    for (Job& job : jobs) {
      if (job.running && !job.stopped && Clock::now() >= job.started + kApplyLimit) {
        job.stopped = true;
        ::kill(job.pid, SIGKILL);
      }
    }
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
  if (options.nodes.empty() && options.ports.size() > 1) {
    const std::filesystem::path folder =
        options.outDir.empty() ? std::filesystem::path(".") : std::filesystem::path(options.outDir);
    return "every port would write " + (folder / PlanEdsFileName(plan, plan.nodeId)).string() +
           ": give each controller its own node with --nodes";
  }
  return std::nullopt;
}

std::string FailureMessage(const std::vector<std::string>& errorLines) {
  const auto own = [](std::string line) {
    if (line.starts_with(kToolPrefix)) line.erase(0, kToolPrefix.size());
    return line;
  };
  if (errorLines.empty()) return {};
  std::string message = own(errorLines.back());
  if (errorLines.size() >= 2 && errorLines[errorLines.size() - 2] == link::kPartlyWrittenMessage) {
    message = std::string(link::kPartlyWrittenMessage) + " " + message;
  }
  // In a summary of many ports, an unplugged adapter or a device server gone
  // must not read as just another "Timeout".
  for (const std::string_view hint : link::kFaultHints) {
    const auto blamesDevice = [hint](const std::string& line) { return line.ends_with(hint); };
    if (std::ranges::any_of(errorLines, blamesDevice) && !blamesDevice(message)) {
      message += " (" + std::string(hint) + ")";
    }
  }
  return message;
}

int RunBatch(const CliOptions& options, const plans::Plan& plan, const std::filesystem::path& self,
             std::ostream& out, bool live) {
  RecordFolder records;
  std::vector<Job> jobs(options.ports.size());
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    BatchPortResult& r = jobs[i].result;
    r.port = options.ports[i];
    if (!options.nodes.empty()) r.node = options.nodes[i];
    labels.push_back(r.port + (r.node ? " node " + std::to_string(*r.node) : std::string()));
  }
  winsize terminal{};
  const bool sized = live && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &terminal) == 0;
  BatchDisplay display(out, live, labels, sized ? terminal.ws_col : 0);
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
  Supervise(jobs, display);

  std::vector<BatchPortResult> results;
  results.reserve(jobs.size());
  for (const Job& job : jobs) results.push_back(job.result);
  out << "\n" << BatchSummary(results, plan.nodeId) << std::flush;
  const bool allOk = std::all_of(results.begin(), results.end(), [](const auto& r) { return r.ok; });
  if (const auto report = OutputFileOf(options); report.Wanted()) {
    if (const auto why = report.Write(BatchReportJson(options.planPath, results))) {
      std::cerr << "gw20cli: " << *why << std::endl;
      return 1;
    }
  }
  return allOk ? 0 : 1;
}

std::string BatchReportJson(const std::string& planPath, const std::vector<BatchPortResult>& results) {
  QJsonArray ports;
  for (const BatchPortResult& r : results) {
    QJsonArray errorLines;
    for (const auto& line : r.errorLines) errorLines.append(QString::fromLocal8Bit(line));
    QJsonObject port{{"port", QString::fromLocal8Bit(r.port)},
                     {"outcome", r.ok ? "ok" : "failed"},
                     {"exitStatus", r.exitStatus},
                     {"message", QString::fromLocal8Bit(r.message)},
                     {"stderr", errorLines},
                     {"start", QString::fromStdString(r.startTime)},
                     {"end", QString::fromStdString(r.endTime)},
                     {"seconds", r.seconds}};
    port["node"] = r.node ? QJsonValue(*r.node) : QJsonValue();
    const QJsonDocument record = QJsonDocument::fromJson(QByteArray::fromStdString(r.recordJson));
    port["record"] = record.isObject() ? QJsonValue(record.object()) : QJsonValue();
    ports.append(port);
  }
  const QJsonObject report{{"plan", QString::fromLocal8Bit(planPath)}, {"ports", ports}};
  return QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
