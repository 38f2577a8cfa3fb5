#include "tests/support/ser2net_process.h"

#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace gw20::testing {
namespace {

// Generous limits for a loaded machine; no test asserts a duration.
constexpr int kStartLimitMs = 10000;
constexpr int kPollStepMs = 50;

// A port nothing listens on now. Another program could take it before
// ser2net does; on a test machine that is rare, and Start then fails.
quint16 FreePort() {
  QTcpServer probe;
  return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool Listens(quint16 port) {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, port);
  const bool connected = socket.waitForConnected(kPollStepMs);
  socket.abort();
  return connected;
}

}  // namespace

Ser2netProcess::~Ser2netProcess() { Stop(); }

bool Ser2netProcess::Start(const std::vector<Connection>& connections) {
  // Debian installs it for root's path only.
  const QString program =
      QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
  if (program.isEmpty()) {
    problem_ = "ser2net is not installed (./gw20.sh test installs it)";
    return false;
  }
  QString yaml;
  std::vector<quint16> ports;
  for (std::size_t i = 0; i < connections.size(); ++i) {
    const quint16 port = FreePort();
    const bool telnet = connections[i].accepter == Accepter::Rfc2217;
    ports.push_back(port);
    addresses_ << QString("%1://127.0.0.1:%2").arg(telnet ? "rfc2217" : "tcp").arg(port);
    yaml += QString(
                "connection: &console%1\n"
                "  accepter: %2tcp,127.0.0.1,%3\n"
                "  connector: serialdev,%4,115200n81,local\n")
                .arg(i)
                .arg(telnet ? "telnet(rfc2217)," : "")
                .arg(port)
                .arg(connections[i].device);
  }
  const QString config = QString::fromStdString((dir_ / "ser2net.yaml").string());
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly) || file.write(yaml.toUtf8()) != yaml.toUtf8().size()) {
    problem_ = "cannot write " + config;
    return false;
  }
  file.close();
  // In the foreground (-n), without UUCP lock files (-u), its pid file in
  // the scratch folder rather than /run.
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(program, {"-n", "-u", "-c", config, "-P", QString::fromStdString((dir_ / "pid").string())});
  if (!process_.waitForStarted(kStartLimitMs)) {
    problem_ = "ser2net did not start";
    return false;
  }
  for (const quint16 port : ports) {
    for (int waited = 0; !Listens(port); waited += kPollStepMs) {
      if (process_.state() != QProcess::Running || waited > kStartLimitMs) {
        problem_ = "ser2net does not listen on 127.0.0.1:" + QString::number(port) + ": " +
                   QString::fromLocal8Bit(process_.readAll());
        return false;
      }
      QThread::msleep(kPollStepMs);
    }
  }
  return true;
}

void Ser2netProcess::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(kStartLimitMs)) process_.kill();
  process_.waitForFinished();
}

}  // namespace gw20::testing
