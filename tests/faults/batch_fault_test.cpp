// A line of eight controllers, 15 modules each, commissioned at once while
// two of them fail inside the EEPROM write: one cable pulled, one USB
// adapter unplugged. The other six must end exactly as in a batch without
// faults (whose first port is also checked against a single apply), and
// each faulted port must end with its own message.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <memory>
#include <string>
#include <vector>

#include "link/eeprom_procedures.h"
#include "link/link_messages.h"
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

// Every EEPROM word but the commit's time stamp (block 0 Long(52) and Long(56)).
QMap<QByteArray, QByteArray> WordsButTime(const QByteArray& file) {
  QMap<QByteArray, QByteArray> words;
  for (const QByteArray& line : file.split('\n')) {
    const auto parts = line.split('=');
    if (parts.size() == 2 && parts[0] != "0:52" && parts[0] != "0:56") words.insert(parts[0], parts[1]);
  }
  return words;
}

// An EDS file without its date and time lines.
QByteArrayList EdsButDateAndTime(const QByteArray& file) {
  QByteArrayList kept;
  for (const QByteArray& line : file.split('\n')) {
    const QByteArray key = line.trimmed().toLower();
    if (!key.startsWith("createdate") && !key.startsWith("createtime") && !key.startsWith("moddate") &&
        !key.startsWith("modtime")) {
      kept << line;
    }
  }
  return kept;
}

QString EdsName(int port) { return QString("ZELKDNS %1.eds").arg(port + 1); }

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
  const CliRun cleanRun = RunCli(
      {"batch", planFile, "--ports", clean.ports.join(','), "--nodes", clean.nodes, "--out", cleanOut});
  ASSERT_EQ(cleanRun.exitCode, 0) << cleanRun.out.constData() << cleanRun.err.constData();

  // The batch's words and file are those of an apply on its own.
  SimProcess single;
  ASSERT_TRUE(single.Start({"--eeprom", single.Path("eeprom"), "--modules", ModuleListOf(plan).c_str()}));
  const CliRun alone =
      RunCli({"--port", single.Link(), "apply", planFile, "--node", "1", "--out", single.Dir()});
  ASSERT_EQ(alone.exitCode, 0) << alone.err.constData();
  EXPECT_EQ(WordsButTime(single.ReadFile("eeprom")), WordsButTime(clean.sims[0]->ReadFile("eeprom")));
  QFile singleEds(single.Path(EdsName(0)));
  QFile batchEds(cleanOut + "/" + EdsName(0));
  ASSERT_TRUE(singleEds.open(QIODevice::ReadOnly) && batchEds.open(QIODevice::ReadOnly));
  EXPECT_EQ(EdsButDateAndTime(singleEds.readAll()), EdsButDateAndTime(batchEds.readAll()));

  Line faulted;
  StartLine(faulted, plan,
            {{kPulledCable, {"--fault-silent-after", kSilentAfter}},
             {kUnplugged, {"--fault-hangup-after", kHangupAfter}}});
  const QString report = faultedOut + "/report.json";
  const CliRun run = RunCli({"batch", planFile, "--ports", faulted.ports.join(','), "--nodes", faulted.nodes,
                             "--out", faultedOut, "--report", report});
  EXPECT_EQ(run.exitCode, 1) << run.out.constData() << run.err.constData();
  QFile reportFile(report);
  ASSERT_TRUE(reportFile.open(QIODevice::ReadOnly));
  const QJsonArray results = QJsonDocument::fromJson(reportFile.readAll()).object()["ports"].toArray();
  ASSERT_EQ(results.size(), kControllers);

  const QString lost = QString::fromLatin1(std::string(link::kPartlyWrittenMessage) + " " +
                                           std::string(link::kTimeoutMessage));
  for (int i = 0; i < kControllers; ++i) {
    SCOPED_TRACE(i);
    const QJsonObject r = results[i].toObject();
    QFile eds(faultedOut + "/" + EdsName(i));
    if (i == kPulledCable || i == kUnplugged) {
      EXPECT_EQ(r["outcome"].toString(), "failed");
      EXPECT_EQ(r["exitStatus"].toInt(), 1);
      EXPECT_EQ(r["message"].toString(), lost);
      EXPECT_TRUE(
          run.out.contains((faulted.ports[i] + QString(" node %1: failed: ").arg(i + 1) + lost).toLatin1()));
      EXPECT_FALSE(eds.exists());
      continue;
    }
    EXPECT_EQ(r["outcome"].toString(), "ok") << r["message"].toString().toStdString();
    EXPECT_EQ(WordsButTime(faulted.sims[i]->ReadFile("eeprom")),
              WordsButTime(clean.sims[i]->ReadFile("eeprom")));
    QFile cleanEds(cleanOut + "/" + EdsName(i));
    ASSERT_TRUE(eds.open(QIODevice::ReadOnly) && cleanEds.open(QIODevice::ReadOnly));
    EXPECT_EQ(EdsButDateAndTime(eds.readAll()), EdsButDateAndTime(cleanEds.readAll()));
  }
}

}  // namespace
}  // namespace gw20::testing
