// gw20cli against the simulated controller over a real pseudo-terminal: the
// options reach the scan dialog, the dialog's values reach the console, and
// the modules found come out as JSON.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>

namespace gw20 {
namespace {

using namespace std::chrono_literals;
// Generous limits for a loaded machine; no test asserts a duration.
constexpr int kStartLimitMs = 10000;
constexpr int kRunLimitMs = 60000;
constexpr auto kPollStep = 20ms;

struct CliRun {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

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
  run.out = cli.readAllStandardOutput();
  run.err = cli.readAllStandardError();
  return run;
}

QByteArray LastLine(const QByteArray& text) {
  const QList<QByteArray> lines = text.trimmed().split('\n');
  return lines.isEmpty() ? QByteArray() : lines.back();
}

class CliScanEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    sim_.start(QStringLiteral(GW20SIM_PATH),
               {"--link", Link(), "--transcript", dir_.filePath("transcript"), "--modules",
                "01:RA850:40:01,0A:RA412:41:00,03:RA394", "--field-baud", "19200", "--field-checksum", "on"});
    ASSERT_TRUE(sim_.waitForStarted(kStartLimitMs));
    for (auto waited = 0ms; !QFile::exists(Link()); waited += kPollStep) {
      ASSERT_EQ(sim_.state(), QProcess::Running) << "gw20sim ended before serving";
      ASSERT_LT(waited.count(), kStartLimitMs) << "gw20sim made no link";
      QThread::msleep(static_cast<unsigned long>(kPollStep.count()));
    }
  }

  // Also runs after a failure, so no simulator is left behind.
  void TearDown() override {
    sim_.terminate();
    if (!sim_.waitForFinished(kStartLimitMs)) sim_.kill();
    sim_.waitForFinished();
  }

  QString Link() const { return dir_.filePath("com1"); }

  QStringList Transcript() const {
    QFile file(dir_.filePath("transcript"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }

  QTemporaryDir dir_;
  QProcess sim_;
};

TEST_F(CliScanEndToEnd, ScanJson_ListsTheModulesFoundWithTheScanOptions) {
  const CliRun run = RunCli({"--port", Link(), "--scan-baud", "19200", "--scan-checksum", "on",
                             "--scan-timeout", "300", "scan", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  // A fresh EEPROM holds no configuration: the connect completes with the warning.
  EXPECT_EQ(LastLine(run.err), "Warnning: Attached modules do not match the configuration stored in EEPROM!");

  QJsonParseError error{};
  const QJsonObject root = QJsonDocument::fromJson(run.out, &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.constData();
  EXPECT_EQ(root["ControllerPrompt"].toString(), "GW20M>");
  EXPECT_TRUE(root["ConfigMismatch"].toBool());

  // The dialog's values went to the controller as the scan's set-up.
  const QStringList lines = Transcript();
  EXPECT_TRUE(lines.contains("/s1")) << lines.join('|').toStdString();
  EXPECT_TRUE(lines.contains("/timeout 300")) << lines.join('|').toStdString();
  EXPECT_TRUE(lines.contains("/baud 19200")) << lines.join('|').toStdString();

  ASSERT_EQ(root["ModuleCount"].toInt(), 3);
  const QJsonArray list = root["ModuleList"].toArray();
  ASSERT_EQ(list.size(), 3);
  // Slots in the order the scan listed the addresses: address, model, AI
  // channels, type code, data format.
  const QStringList expected{"1 RA850 8 64 1", "3 RA394 1 0 0", "10 RA412 2 65 0"};
  for (int i = 0; i < 3; ++i) {
    const QJsonObject m = list[i].toObject();
    EXPECT_EQ(QStringList({m["Address"].toString(), m["ModelName"].toString(),
                           QString::number(m["AIChannels"].toInt()), QString::number(m["TypeCode"].toInt()),
                           QString::number(m["DataFormat"].toInt())})
                  .join(' '),
              expected[i]);
  }
}

TEST(CliEndToEnd, MissingDevice_ExitsWithStatus1AndTheReasonLast) {
  const CliRun missing = RunCli({"--port", "/nonexistent/gw20-port", "scan"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.isEmpty());
  EXPECT_TRUE(LastLine(missing.err).contains("/nonexistent/gw20-port")) << missing.err.constData();
}

}  // namespace
}  // namespace gw20

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
