#include "tests/support/sim_process.h"

#include <QFile>
#include <QThread>

namespace gw20::testing {
namespace {
// Generous limits for a loaded machine; no test asserts a duration.
constexpr int kStartLimitMs = 10000;
constexpr int kRunLimitMs = 120000;
constexpr int kPollStepMs = 20;
}  // namespace

SimProcess::~SimProcess() {
  if (sim_.state() == QProcess::NotRunning) return;
  sim_.terminate();
  if (!sim_.waitForFinished(kStartLimitMs)) sim_.kill();
  sim_.waitForFinished();
}

bool SimProcess::Start(const QStringList& args) {
  QStringList all{"--link", Link(), "--transcript", Path(QStringLiteral("transcript"))};
  // A loaded machine must not make the tests lose typed characters.
  if (!args.contains(QStringLiteral("--fifo"))) all << QStringLiteral("--fifo") << QStringLiteral("0");
  sim_.start(QStringLiteral(GW20SIM_PATH), all + args);
  if (!sim_.waitForStarted(kStartLimitMs)) return false;
  for (int waited = 0; !QFile::exists(Link()); waited += kPollStepMs) {
    if (sim_.state() != QProcess::Running || waited > kStartLimitMs) return false;
    QThread::msleep(kPollStepMs);
  }
  return true;
}

int SimProcess::RunToEnd(const QStringList& args) {
  sim_.start(QStringLiteral(GW20SIM_PATH), args);
  if (!sim_.waitForFinished(kStartLimitMs)) return -1;
  return sim_.exitStatus() == QProcess::NormalExit ? sim_.exitCode() : -1;
}

QByteArray SimProcess::ReadFile(const QString& name) const {
  QFile file(Path(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SimProcess::WriteFile(const QString& name, const QByteArray& data) const {
  QFile file(Path(name));
  return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

CliRun RunCli(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(GW20CLI_PATH), args);
  CliRun run;
  if (!cli.waitForFinished(kRunLimitMs)) {
    cli.kill();
    cli.waitForFinished();
    run.err = "gw20cli did not finish";
    return run;
  }
  run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
  run.out = cli.readAllStandardOutput().trimmed();
  run.err = cli.readAllStandardError().trimmed();
  return run;
}

QMap<QByteArray, QByteArray> EepromFileWords(const QByteArray& file, bool butTime) {
  QMap<QByteArray, QByteArray> words;
  for (const QByteArray& line : file.split('\n')) {
    const auto parts = line.split('=');
    if (parts.size() == 2 && !(butTime && (parts[0] == "0:52" || parts[0] == "0:56"))) {
      words.insert(parts[0], parts[1]);
    }
  }
  return words;
}

QByteArrayList EdsButDateAndTime(const QByteArray& file) {
  // The keys of both profiles' files.
  static const QByteArrayList kStamps{"createdate",   "createtime",   "moddate",          "modtime",
                                      "creationdate", "creationtime", "modificationdate", "modificationtime"};
  QByteArrayList kept;
  for (const QByteArray& line : file.split('\n')) {
    if (!kStamps.contains(line.left(line.indexOf('=')).trimmed().toLower())) kept << line;
  }
  return kept;
}

}  // namespace gw20::testing
