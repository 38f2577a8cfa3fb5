// gw20cli batch over lines of gw20sim controllers that fail: mid-write,
// with another chain, or the batch itself interrupted.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcessEnvironment>
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
constexpr int kModules = 15;
// On a fresh controller with this chain the commit types command lines 63 to
// 111 (block 0, then block 2 from line 78, then block 1); both faults strike
// in the middle of block 2.
constexpr int kPulledCable = 2;
constexpr int kUnplugged = 5;
constexpr const char* kSilentAfter = "85";
constexpr const char* kHangupAfter = "90";

QString EdsName(int port) { return QString("ZELKDNS %1.eds").arg(port + 1); }

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The "ports" of a batch report.
QJsonArray ReportPorts(const QString& path) {
  return QJsonDocument::fromJson(ReadAll(path)).object()["ports"].toArray();
}

struct Line {
  std::vector<std::unique_ptr<SimProcess>> sims;
  QStringList ports;
  QString nodes;
};

// Eight controllers with the plan's chain; `faults` adds a fault's options by port.
void StartLine(Line& line, const plans::Plan& plan, const QMap<int, QStringList>& faults = {}) {
  for (int i = 0; i < kControllers; ++i) {
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(
        sim->Start(QStringList{"--eeprom", sim->Path("eeprom"), "--modules", ModuleListOf(plan).c_str()} +
                   faults.value(i)));
    line.ports << sim->Link();
    line.nodes += (i ? "," : "") + QString::number(i + 1);
    line.sims.push_back(std::move(sim));
  }
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

// A batch of `plan` over `line`, its files and report.json written into `out`.
CliRun RunBatch(const QString& planFile, const Line& line, const QString& out) {
  return RunCli({"batch", planFile, "--ports", line.ports.join(','), "--nodes", line.nodes, "--out", out,
                 "--report", out + "/report.json"});
}

// Eight controllers of 15 modules; one cable pulled and one USB adapter
// unplugged inside the EEPROM write, the other six as in a clean batch.
TEST(BatchFaults, TwoControllersLostMidWriteLeaveTheOtherSixAsACleanRunLeavesThem) {
  const plans::Plan plan = LinePlan(kModules);
  ScratchFolder folder("batch");
  const QString planFile = QString::fromStdString((folder / "line.json").string());
  ASSERT_EQ(plans::WritePlan(planFile.toStdString(), plan), std::nullopt);
  const QString cleanOut = QString::fromStdString((folder / "clean").string());
  const QString faultedOut = QString::fromStdString((folder / "faulted").string());
  ASSERT_TRUE(QDir().mkpath(cleanOut) && QDir().mkpath(faultedOut));

  Line clean;
  StartLine(clean, plan);
  // A node out of range (the last): refused, nothing typed into any controller.
  const CliRun refused =
      RunCli({"batch", planFile, "--ports", clean.ports.join(','), "--nodes", clean.nodes.chopped(1) + "64"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.err.contains("--nodes 64: Node ID is not supported!(1~63)")) << refused.err.constData();
  for (const auto& sim : clean.sims) EXPECT_TRUE(sim->Transcript().isEmpty());

  const CliRun cleanRun = RunBatch(planFile, clean, cleanOut);
  ASSERT_EQ(cleanRun.exitCode, 0) << cleanRun.out.constData() << cleanRun.err.constData();
  // Not a terminal: a plain line per stage, then the outcome, then the summary.
  // Each port's report names its node and file, and its record's words are
  // those the controller holds, its node among them.
  const QJsonArray cleanPorts = ReportPorts(cleanOut + "/report.json");
  ASSERT_EQ(cleanPorts.size(), kControllers);
  EXPECT_TRUE(cleanRun.out.contains("EDS file or message")) << "the summary's heading";
  for (int i = 0; i < kControllers; ++i) {
    SCOPED_TRACE(i);
    const QString eds = cleanOut + "/" + EdsName(i);
    const QString port = clean.ports[i] + QString(" node %1: ").arg(i + 1);
    for (const QString& line : {port + "connect", port + "configure", port + "commit", port + "OK " + eds})
      EXPECT_TRUE(cleanRun.out.contains(line.toLocal8Bit())) << line.toStdString();
    const QJsonObject r = cleanPorts[i].toObject();
    EXPECT_EQ(QStringList({r["port"].toString(), QString::number(r["node"].toInt()), r["outcome"].toString(),
                           QString::number(r["exitStatus"].toInt()), r["message"].toString()}),
              QStringList({clean.ports[i], QString::number(i + 1), "ok", "0", eds}));
    EXPECT_FALSE(r["start"].toString().isEmpty());
    const QJsonObject record = r["record"].toObject();
    EXPECT_EQ(record["eds"].toObject()["file"].toString(), eds);
    EXPECT_EQ(record["verify"].toString(), "passed");
    const auto held = EepromFileWords(clean.sims[i]->ReadFile("eeprom"));
    int checked = 0;
    EXPECT_EQ(WordsNotHeld(record, held, checked), QByteArrayList());
    EXPECT_GT(checked, 20);
    EXPECT_EQ((held.value("0:48").toLongLong() >> 16) & 0xFF, i + 1);  // the header's node byte
  }

  // The batch's words and file are those of an apply on its own.
  SimProcess single;
  ASSERT_TRUE(single.Start({"--eeprom", single.Path("eeprom"), "--modules", ModuleListOf(plan).c_str()}));
  const CliRun alone =
      RunCli({"--port", single.Link(), "apply", planFile, "--node", "1", "--out", single.Dir()});
  ASSERT_EQ(alone.exitCode, 0) << alone.err.constData();
  EXPECT_EQ(EepromFileWords(single.ReadFile("eeprom"), true),
            EepromFileWords(clean.sims[0]->ReadFile("eeprom"), true));
  EXPECT_EQ(EdsButDateAndTime(single.ReadFile(EdsName(0))),
            EdsButDateAndTime(ReadAll(cleanOut + "/" + EdsName(0))));

  Line faulted;
  StartLine(faulted, plan,
            {{kPulledCable, {"--fault-silent-after", kSilentAfter}},
             {kUnplugged, {"--fault-hangup-after", kHangupAfter}}});
  const CliRun run = RunBatch(planFile, faulted, faultedOut);
  EXPECT_EQ(run.exitCode, 3) << run.out.constData() << run.err.constData();
  const QJsonArray results = ReportPorts(faultedOut + "/report.json");
  ASSERT_EQ(results.size(), kControllers);

  const QString lost = QString::fromLatin1(std::string(link::kPartlyWrittenMessage) + " " +
                                           std::string(link::kTimeoutMessage));
  for (int i = 0; i < kControllers; ++i) {
    SCOPED_TRACE(i);
    const QJsonObject r = results[i].toObject();
    const QString eds = faultedOut + "/" + EdsName(i);
    if (i == kPulledCable || i == kUnplugged) {
      // Only the unplugged adapter is blamed on the PC's side.
      const QString message =
          i == kPulledCable ? lost : lost + " (" + QString::fromLatin1(std::string(ui::kAdapterHint)) + ")";
      EXPECT_EQ(r["outcome"].toString(), "failed");
      EXPECT_EQ(r["exitStatus"].toInt(), 3);
      EXPECT_EQ(r["status"].toString(), "partly written");
      EXPECT_EQ(r["message"].toString(), message);
      EXPECT_TRUE(run.out.contains(
          (faulted.ports[i] + QString(" node %1: partly written: ").arg(i + 1) + message).toLatin1()));
      EXPECT_FALSE(QFile::exists(eds));
      continue;
    }
    EXPECT_EQ(r["outcome"].toString(), "ok") << r["message"].toString().toStdString();
    EXPECT_EQ(EepromFileWords(faulted.sims[i]->ReadFile("eeprom"), true),
              EepromFileWords(clean.sims[i]->ReadFile("eeprom"), true));
    EXPECT_EQ(EdsButDateAndTime(ReadAll(eds)), EdsButDateAndTime(ReadAll(cleanOut + "/" + EdsName(i))));
  }
}

// A controller whose chain lacks two of the plan's modules: the summary lists
// every missing slot below the reason, within 80 columns.
TEST(BatchFaults, TheSummaryListsEveryDifferingSlot) {
  const plans::Plan plan = LinePlan(3);
  plans::Plan shortChain = plan;
  shortChain.modules.resize(1);
  ScratchFolder folder("mismatch");
  const QString planFile = QString::fromStdString((folder / "line.json").string());
  ASSERT_EQ(plans::WritePlan(planFile.toStdString(), plan), std::nullopt);
  std::vector<std::unique_ptr<SimProcess>> sims;
  QStringList ports;
  for (const plans::Plan* chain : {&plan, static_cast<const plans::Plan*>(&shortChain)}) {
    sims.push_back(std::make_unique<SimProcess>());
    ASSERT_TRUE(sims.back()->Start(
        {"--eeprom", sims.back()->Path("eeprom"), "--modules", ModuleListOf(*chain).c_str()}));
    ports << sims.back()->Link();
  }
  const QString out = QString::fromStdString(folder.Path().string());
  const CliRun run = RunCli({"batch", planFile, "--ports", ports.join(','), "--nodes", "1,2", "--out", out,
                             "--report", out + "/report.json"});
  EXPECT_EQ(run.exitCode, 1) << run.out.constData() << run.err.constData();
  const QByteArray summary = run.out.mid(run.out.indexOf("\nport ") + 1);
  for (const QByteArray& line : summary.split('\n')) EXPECT_LE(line.size(), 79) << line.constData();
  EXPECT_TRUE(summary.contains("the modules connected are not the plan's chain; nothing written:"))
      << summary.constData();
  for (const int slot : {2, 3}) {
    EXPECT_TRUE(summary.contains(QString("slot %1: expected").arg(slot).toLatin1())) << summary.constData();
  }
  const QJsonObject failed = ReportPorts(out + "/report.json")[1].toObject();
  EXPECT_EQ(failed["port"].toString(), ports[1]);
  EXPECT_EQ(failed["details"].toArray().size(), 2);
  EXPECT_GE(failed["stderr"].toArray().size(), 3);
}

// Interrupts at ten points of a batch of eight, from the connect to the commit
// of every port, every other one twice: each controller ends untouched, whole
// as its record says, or named as partly written.
TEST(BatchFaults, InterruptsLeaveNoControllerPartlyWrittenWithoutSayingSo) {
  constexpr int kPoints = 10;
  constexpr int kShortChain = 6;
  const plans::Plan plan = LinePlan(kShortChain);
  ScratchFolder folder("interrupted");
  const QString planFile = QString::fromStdString((folder / "line.json").string());
  ASSERT_EQ(plans::WritePlan(planFile.toStdString(), plan), std::nullopt);
  Line line;
  StartLine(line, plan);
  const QString partly = QString::fromLatin1(std::string(link::kPartlyWrittenMessage));

  int unnamed = 0;
  int stopped = 0;
  for (int point = 0; point < kPoints; ++point) {
    SCOPED_TRACE(point);
    const QString out = QString::fromStdString((folder / ("out" + std::to_string(point))).string());
    const QString temp = QString::fromStdString((folder / ("tmp" + std::to_string(point))).string());
    ASSERT_TRUE(QDir().mkpath(out) && QDir().mkpath(temp));
    std::vector<QMap<QByteArray, QByteArray>> before;
    for (const auto& sim : line.sims) before.push_back(EepromFileWords(sim->ReadFile("eeprom")));

    QProcess batch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", temp);
    batch.setProcessEnvironment(environment);
    batch.start(GW20CLI_PATH, {"batch", planFile, "--ports", line.ports.join(','), "--nodes", line.nodes,
                               "--out", out, "--report", out + "/report.json"});
    ASSERT_TRUE(batch.waitForStarted());
    // The handlers are set before the first apply starts: wait for its first
    // line, then for `point` ports in their commit, and a little more.
    QByteArray text;
    while (!text.contains("connect") && batch.waitForReadyRead(10000)) text += batch.readAllStandardOutput();
    while (text.count(": commit") < std::min(point, kControllers) && batch.waitForReadyRead(10000)) {
      text += batch.readAllStandardOutput();
    }
    QThread::msleep(static_cast<unsigned long>(150 * (point % 3)));
    ::kill(static_cast<pid_t>(batch.processId()), SIGINT);
    if (point % 2 == 1) {
      QThread::msleep(100);
      ::kill(static_cast<pid_t>(batch.processId()), SIGTERM);
    }
    ASSERT_TRUE(batch.waitForFinished(60000));
    text += batch.readAllStandardOutput();
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(batch.exitCode() == 0 || batch.exitCode() == 4) << batch.exitCode();
    EXPECT_TRUE(text.contains("stopping: ")) << text.constData();
    EXPECT_TRUE(text.contains("EDS file or message")) << text.constData();
    EXPECT_TRUE(QDir(temp).isEmpty()) << "the batch's folder stays";
    EXPECT_TRUE(QDir(out).entryList({"*.tmp"}, QDir::Files | QDir::Hidden).isEmpty())
        << "a staged file stays";

    const QJsonArray results = ReportPorts(out + "/report.json");
    ASSERT_EQ(results.size(), kControllers);
    for (int i = 0; i < kControllers; ++i) {
      const QJsonObject r = results[i].toObject();
      const auto held = EepromFileWords(line.sims[i]->ReadFile("eeprom"));
      int listed = 0;
      const bool whole =
          r["status"].toString() == "ok" && WordsNotHeld(r["record"].toObject(), held, listed).isEmpty();
      const bool untouched = held == before[static_cast<std::size_t>(i)];
      const bool named = r["message"].toString().contains(partly);
      EXPECT_TRUE(r["status"].toString() == "ok" || r["status"].toString() == "interrupted" ||
                  r["status"].toString() == "partly written")
          << r["status"].toString().toStdString();
      if (r["status"].toString() != "ok") ++stopped;
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
