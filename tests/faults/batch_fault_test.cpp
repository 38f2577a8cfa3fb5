// gw20cli batch over lines of gw20sim controllers that fail: mid-write,
// with another chain, or the batch itself interrupted.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/eeprom_procedures.h"
#include "link/link_messages.h"
#include "link/open_console_port.h"
#include "plans/plan_file.h"
#include "tests/e2e/line_plan.h"
#include "tests/support/sim_process.h"

namespace gw20::testing {
namespace {

constexpr int kControllers = 8;
// On a fresh controller with a chain of 15 modules the commit types command
// lines 63 to 111 (block 0, then block 2 from line 78, then block 1); both
// faults strike in the middle of block 2.
constexpr int kPulledCable = 2;
constexpr int kUnplugged = 5;

QString EdsName(int port) { return QString("ZELKDNS %1.eds").arg(port + 1); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonArray ReportPorts(const QString& path) {
  return QJsonDocument::fromJson(ReadAll(path)).object()["ports"].toArray();
}

// A scratch folder holding `plan` as line.json.
struct PlanFolder {
  PlanFolder(const std::string& tag, const plans::Plan& plan) : folder(tag) {
    EXPECT_EQ(plans::WritePlan(planFile.toStdString(), plan), std::nullopt);
  }
  QString Made(const std::string& name) const {
    QString path = QString::fromStdString((folder / name).string());
    EXPECT_TRUE(QDir().mkpath(path));
    return path;
  }
  ScratchFolder folder;
  const QString planFile = QString::fromStdString((folder / "line.json").string());
};

struct Line {
  std::vector<std::unique_ptr<SimProcess>> sims;
  QStringList ports;
  QString nodes;
};

// A controller of each chain, at nodes 1, 2, ...; `faults` adds a fault's options by port.
void StartLine(Line& line, const QStringList& chains, const QMap<int, QStringList>& faults = {}) {
  for (int i = 0; i < chains.size(); ++i) {
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(
        sim->Start(QStringList{"--eeprom", sim->Path("eeprom"), "--modules", chains[i]} + faults.value(i)));
    line.ports << sim->Link();
    line.nodes += (i ? "," : "") + QString::number(i + 1);
    line.sims.push_back(std::move(sim));
  }
}
QStringList Chains(const plans::Plan& plan, int controllers = kControllers) {
  return QStringList(controllers, QString::fromStdString(ModuleListOf(plan)));
}

// The words of an apply's record that the controller's file `held` does not
// hold, as "block:address"; `count` counts every word the record lists.
QByteArrayList WordsNotHeld(const QJsonObject& record, const QMap<QByteArray, QByteArray>& held, int& count) {
  QByteArrayList differ;
  for (const auto& blockValue : record["blocks"].toArray()) {
    const QJsonObject block = blockValue.toObject();
    const QJsonArray words = block["words"].toArray();
    for (int w = 0; w < words.size(); ++w, ++count) {
      const QByteArray key = QByteArray::number(block["block"].toInt()) + ":" +
                             QByteArray::number(block["address"].toInt() + 4 * w);
      if (held.value(key) != QByteArray::number(static_cast<qint64>(words[w].toDouble()))) differ << key;
    }
  }
  return differ;
}

QStringList BatchArguments(const QString& planFile, const Line& line, const QString& out) {
  return {"batch",    planFile, "--ports", line.ports.join(','), "--nodes",
          line.nodes, "--out",  out,       "--report",           out + "/report.json"};
}

// Eight controllers of 15 modules; one cable pulled and one USB adapter
// unplugged inside the EEPROM write, the other six as in a clean batch.
TEST(BatchFaults, TwoControllersLostMidWriteLeaveTheOtherSixAsACleanRunLeavesThem) {
  const plans::Plan plan = LinePlan(15);
  const PlanFolder folder("batch", plan);
  const QString cleanOut = folder.Made("clean");
  const QString faultedOut = folder.Made("faulted");

  Line clean;
  StartLine(clean, Chains(plan));
  // A node out of range (the last): refused, nothing typed into any controller.
  const CliRun refused = RunCli(
      {"batch", folder.planFile, "--ports", clean.ports.join(','), "--nodes", clean.nodes.chopped(1) + "64"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.err.contains("--nodes 64: Node ID is not supported!(1~63)")) << refused.err.constData();
  for (const auto& sim : clean.sims) EXPECT_TRUE(sim->Transcript().isEmpty());

  const CliRun cleanRun = RunCli(BatchArguments(folder.planFile, clean, cleanOut));
  ASSERT_EQ(cleanRun.exitCode, 0) << cleanRun.out.constData() << cleanRun.err.constData();
  EXPECT_TRUE(cleanRun.out.contains("EDS file or message")) << "the summary's heading";
  Line faulted;
  StartLine(faulted, Chains(plan),
            {{kPulledCable, {"--fault-silent-after", "85"}}, {kUnplugged, {"--fault-hangup-after", "90"}}});
  const CliRun run = RunCli(BatchArguments(folder.planFile, faulted, faultedOut));
  EXPECT_EQ(run.exitCode, 3) << run.out.constData() << run.err.constData();
  const QJsonArray cleanPorts = ReportPorts(cleanOut + "/report.json");
  const QJsonArray results = ReportPorts(faultedOut + "/report.json");
  ASSERT_EQ(cleanPorts.size(), kControllers);
  EXPECT_EQ(results.size(), kControllers);  // the clean ports and the single apply are checked all the same

  const QString lost = QString::fromLatin1(std::string(link::kPartlyWrittenMessage) + " " +
                                           std::string(link::kTimeoutMessage));
  for (int i = 0; i < kControllers; ++i) {
    SCOPED_TRACE(i);
    // Not a terminal: a plain line per stage, then the outcome, then the
    // summary. Each port's report names its node and file, and its record's
    // words are those the controller holds, its node among them.
    const QString eds = cleanOut + "/" + EdsName(i);
    const QString port = clean.ports[i] + QString(" node %1: ").arg(i + 1);
    for (const QString& line : {port + "connect", port + "configure", port + "commit", port + "OK " + eds})
      EXPECT_TRUE(cleanRun.out.contains(line.toLocal8Bit())) << line.toStdString();
    const QJsonObject c = cleanPorts[i].toObject();
    const QJsonObject record = c["record"].toObject();
    EXPECT_EQ(QStringList({c["port"].toString(), QString::number(c["node"].toInt()), c["outcome"].toString(),
                           QString::number(c["exitStatus"].toInt()), c["message"].toString(),
                           record["eds"].toObject()["file"].toString(), record["verify"].toString()}),
              QStringList({clean.ports[i], QString::number(i + 1), "ok", "0", eds, eds, "passed"}));
    EXPECT_FALSE(c["start"].toString().isEmpty());
    const auto held = EepromFileWords(clean.sims[i]->ReadFile("eeprom"));
    int checked = 0;
    EXPECT_EQ(WordsNotHeld(record, held, checked), QByteArrayList());
    EXPECT_GT(checked, 20);
    EXPECT_EQ((held.value("0:48").toLongLong() >> 16) & 0xFF, i + 1);  // the header's node byte

    // The faulted batch: the two lost ports partly written and named so,
    // only the unplugged adapter blamed on the PC's side; the others as clean.
    if (i >= results.size()) continue;
    const QJsonObject r = results[i].toObject();
    const QString faultedEds = faultedOut + "/" + EdsName(i);
    if (i == kPulledCable || i == kUnplugged) {
      const QString message =
          i == kPulledCable ? lost : lost + " (" + QString::fromLatin1(std::string(ui::kAdapterHint)) + ")";
      EXPECT_EQ(QStringList({r["outcome"].toString(), QString::number(r["exitStatus"].toInt()),
                             r["status"].toString(), r["message"].toString()}),
                QStringList({"failed", "3", "partly written", message}));
      EXPECT_TRUE(run.out.contains(
          (faulted.ports[i] + QString(" node %1: partly written: ").arg(i + 1) + message).toLatin1()));
      EXPECT_FALSE(QFile::exists(faultedEds));
      continue;
    }
    EXPECT_EQ(r["outcome"].toString(), "ok") << r["message"].toString().toStdString();
    EXPECT_EQ(EepromFileWords(faulted.sims[i]->ReadFile("eeprom"), true),
              EepromFileWords(clean.sims[i]->ReadFile("eeprom"), true));
    EXPECT_EQ(EdsButDateAndTime(ReadAll(faultedEds)), EdsButDateAndTime(ReadAll(eds)));
  }

  // The batch's words and file are those of an apply on its own.
  SimProcess single;
  ASSERT_TRUE(single.Start({"--eeprom", single.Path("eeprom"), "--modules", Chains(plan, 1)[0]}));
  const CliRun alone =
      RunCli({"--port", single.Link(), "apply", folder.planFile, "--node", "1", "--out", single.Dir()});
  ASSERT_EQ(alone.exitCode, 0) << alone.err.constData();
  EXPECT_EQ(EepromFileWords(single.ReadFile("eeprom"), true),
            EepromFileWords(clean.sims[0]->ReadFile("eeprom"), true));
  EXPECT_EQ(EdsButDateAndTime(single.ReadFile(EdsName(0))),
            EdsButDateAndTime(ReadAll(cleanOut + "/" + EdsName(0))));
}

// Interrupts at ten points of a batch of eight, from the connect to the commit
// of every port, every other one twice: each controller ends untouched, whole
// as its record says, or named as partly written.
TEST(BatchFaults, InterruptsLeaveNoControllerPartlyWrittenWithoutSayingSo) {
  constexpr int kPoints = 10;
  const plans::Plan plan = LinePlan(6);
  const PlanFolder folder("interrupted", plan);
  Line line;
  StartLine(line, Chains(plan));
  const QString partly = QString::fromLatin1(std::string(link::kPartlyWrittenMessage));

  int unnamed = 0;
  int stopped = 0;
  for (int point = 0; point < kPoints; ++point) {
    SCOPED_TRACE(point);
    const QString out = folder.Made("out" + std::to_string(point));
    const QString temp = folder.Made("tmp" + std::to_string(point));
    std::vector<QMap<QByteArray, QByteArray>> before;
    for (const auto& sim : line.sims) before.push_back(EepromFileWords(sim->ReadFile("eeprom")));

    QProcess batch;
    batch.setEnvironment(QProcess::systemEnvironment() << "TMPDIR=" + temp);  // a later entry wins
    batch.start(GW20CLI_PATH, BatchArguments(folder.planFile, line, out));
    ASSERT_TRUE(batch.waitForStarted());
    // The handlers are set before the first apply starts: wait for its first
    // line, then for `point` ports in their commit, and a little more.
    QByteArray text;
    while (!text.contains("connect") && batch.waitForReadyRead(10000)) text += batch.readAllStandardOutput();
    while (text.count(": commit") < std::min(point, kControllers) && batch.waitForReadyRead(10000)) {
      text += batch.readAllStandardOutput();
    }
    // A batch already gone has id 0, and kill(0) would hit the test's own group.
    const auto signal = [&batch](int number) {
      if (batch.processId() > 0) ::kill(static_cast<pid_t>(batch.processId()), number);
    };
    QThread::msleep(static_cast<unsigned long>(150 * (point % 3)));
    signal(SIGINT);
    if (point % 2 == 1) {
      QThread::msleep(100);
      signal(SIGTERM);
    }
    ASSERT_TRUE(batch.waitForFinished(60000));
    text += batch.readAllStandardOutput();
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(batch.exitCode() == 0 || batch.exitCode() == 4) << batch.exitCode();
    EXPECT_TRUE(text.contains("stopping: ") && text.contains("EDS file or message")) << text.constData();
    EXPECT_TRUE(QDir(temp).isEmpty()) << "the batch's folder stays";
    EXPECT_TRUE(QDir(out).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty())
        << "a staged file stays";

    const QJsonArray results = ReportPorts(out + "/report.json");
    ASSERT_EQ(results.size(), kControllers);
    for (int i = 0; i < kControllers; ++i) {
      const QJsonObject r = results[i].toObject();
      const QString status = r["status"].toString();
      const auto held = EepromFileWords(line.sims[i]->ReadFile("eeprom"));
      int listed = 0;
      const bool whole = status == "ok" && WordsNotHeld(r["record"].toObject(), held, listed).isEmpty();
      const bool untouched = held == before[static_cast<std::size_t>(i)];
      const bool named = r["message"].toString().contains(partly);
      EXPECT_TRUE(QStringList({"ok", "interrupted", "partly written"}).contains(status))
          << status.toStdString();
      if (status != "ok") ++stopped;
      if (!untouched && !whole && !named) ++unnamed;
    }
  }
  std::printf(
      "%d controllers interrupted at %d points each: %d stopped, %d finished, %d partly written "
      "without being named\n",
      kControllers, kPoints, stopped, kControllers * kPoints - stopped, unnamed);
  EXPECT_EQ(unnamed, 0);
  EXPECT_GT(stopped, 0) << "no interrupt stopped a port";
  EXPECT_LT(stopped, kControllers * kPoints) << "no port in its write finished it";
}

}  // namespace
}  // namespace gw20::testing
