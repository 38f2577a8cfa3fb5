// Plans against gw20sim over real pseudo-terminals: a controller commissioned
// by hand is saved as a plan, the plan applied to a fresh controller with the
// same chain leaves every EEPROM word the first one holds (but the commit's
// time stamp), and the EDS file eds makes without a controller is the apply's
// but for its date and time lines. A chain that differs, and a controller
// without a stored configuration, are refused with nothing written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <string>

#include "tests/support/sim_process.h"

namespace gw20::testing {
namespace {

QByteArray LastLine(const QByteArray& text) { return text.split('\n').back(); }

// Every EEPROM word of a simulator's file by "block:address", without the
// commit's time stamp (block 0 Long(52) and Long(56)).
QMap<QByteArray, QByteArray> WordsButTime(const QByteArray& file) {
  QMap<QByteArray, QByteArray> words;
  for (const QByteArray& line : file.split('\n')) {
    const auto parts = line.split('=');
    if (parts.size() != 2 || parts[0] == "0:52" || parts[0] == "0:56") continue;
    words.insert(parts[0], parts[1]);
  }
  return words;
}

// The lines of two EDS files that differ; each must name a date or a time.
void ExpectSameButDateAndTime(const QByteArray& a, const QByteArray& b) {
  const auto linesA = a.split('\n');
  const auto linesB = b.split('\n');
  ASSERT_EQ(linesA.size(), linesB.size());
  int differing = 0;
  for (qsizetype i = 0; i < linesA.size(); ++i) {
    if (linesA[i] == linesB[i]) continue;
    ++differing;
    EXPECT_TRUE(linesA[i].toLower().contains("date") || linesA[i].toLower().contains("time"))
        << linesA[i].constData() << " | " << linesB[i].constData();
  }
  EXPECT_LE(differing, 4);
}

struct CloneCase {
  const char* name;
  QStringList simArgs;     // the chain and its field port
  QStringList scanArgs;    // what save answers the scan dialog with
  QStringList commitArgs;  // controller A commissioned by hand
  QString edsFile;
  QStringList expectedInPlan;
};

TEST(PlanEndToEnd, SaveThenApplyClonesEveryWordAndEdsMatchesTheApplysFile) {
  const QStringList dnsChain{"--modules", "01:RA850,03:RA412,0A:RA312", "--field-baud", "19200"};
  const QStringList copChain{"--modules", "01:RA850,0A:RA412,03:RA502:50", "--field-checksum", "on"};
  const CloneCase cases[] = {
      {"devicenet",
       dnsChain,
       {"--scan-baud", "19200"},
       {"devicenet", "--node", "9", "--can-baud", "250", "--poll", "1,2", "--strobe", "1,1", "--cos", "2,2",
        "--default", "cos", "--com2-baud", "19200", "--com2-timeout", "150"},
       "ZELKDNS 9.eds",
       {"\"defaultConnection\": \"COS\"", "\"consumed\": \"OUTPUT 01(Assembly)\""}},
      {"canopen",
       copChain,
       {"--scan-checksum", "on"},
       {"canopen", "--node", "33", "--can-baud", "500", "--heartbeat", "1500", "--com2-checksum", "on"},
       "COPn33.eds",
       {"\"errorControl\": \"heartbeat\"", "\"heartbeatTimeMs\": 1500"}},
  };
  for (const CloneCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimProcess a;
    SimProcess b;
    ASSERT_TRUE(a.Start(QStringList{"--eeprom", a.Path("eeprom")} + c.simArgs));
    ASSERT_TRUE(b.Start(QStringList{"--eeprom", b.Path("eeprom")} + c.simArgs));

    const CliRun commit =
        RunCli(QStringList{"--port", a.Link()} + c.scanArgs + c.commitArgs + QStringList{"--out", a.Dir()});
    ASSERT_EQ(commit.exitCode, 0) << commit.err.constData();
    const QString plan = a.Path("plan.json");
    const CliRun save = RunCli(QStringList{"--port", a.Link()} + c.scanArgs + QStringList{"save", plan});
    ASSERT_EQ(save.exitCode, 0) << save.err.constData();
    const QByteArray planText = a.ReadFile("plan.json");
    for (const QString& text : c.expectedInPlan)
      EXPECT_TRUE(planText.contains(text.toUtf8())) << planText.constData();

    const CliRun apply =
        RunCli({"--port", b.Link(), "apply", plan, "--out", b.Dir(), "--record", b.Path("record.json")});
    ASSERT_EQ(apply.exitCode, 0) << apply.err.constData();
    EXPECT_EQ(apply.out, b.Path(c.edsFile).toLocal8Bit());
    EXPECT_EQ(WordsButTime(b.ReadFile("eeprom")), WordsButTime(a.ReadFile("eeprom")));

    // The record names what went where.
    const QJsonObject record = QJsonDocument::fromJson(b.ReadFile("record.json")).object();
    EXPECT_EQ(record["controllerPrompt"].toString(), "GW20M>");
    EXPECT_EQ(record["firmware"].toString(), "2.05-2006/03/07");
    EXPECT_EQ(record["verify"].toString(), "passed");
    EXPECT_EQ(record["plan"].toObject()["sha256"].toString().size(), 64);
    EXPECT_EQ(record["eds"].toObject()["file"].toString(), b.Path(c.edsFile));
    const QJsonArray blocks = record["blocks"].toArray();
    ASSERT_FALSE(blocks.isEmpty());
    const QJsonObject header = blocks[0].toObject();
    EXPECT_EQ(header["address"].toInt(), 40);
    const QByteArray eeprom = b.ReadFile("eeprom");
    const QByteArray firstWord =
        "\n0:40=" + QByteArray::number(static_cast<qint64>(header["words"].toArray()[0].toDouble())) + "\n";
    EXPECT_TRUE(eeprom.contains(firstWord)) << firstWord.constData();

    const CliRun eds = RunCli({"eds", plan, "--out", a.Path("offline"), "--firmware", "2.05-2006/03/07"});
    EXPECT_EQ(eds.exitCode, 2) << "the --out folder does not exist yet";
    ASSERT_TRUE(QDir().mkpath(a.Path("offline")));
    const CliRun offline = RunCli({"eds", plan, "--out", a.Path("offline"), "--firmware", "2.05-2006/03/07"});
    ASSERT_EQ(offline.exitCode, 0) << offline.err.constData();
    EXPECT_EQ(offline.out, a.Path("offline/" + c.edsFile).toLocal8Bit());
    ExpectSameButDateAndTime(a.ReadFile("offline/" + c.edsFile), b.ReadFile(c.edsFile));
  }
}

TEST(PlanEndToEnd, RefusesAChainThatDiffersAndAControllerWithoutAConfiguration) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--eeprom", sim.Path("eeprom"), "--modules", "01:RA412,02:RA850:08:02"}));
  const QByteArray blank = sim.ReadFile("eeprom");

  const CliRun save = RunCli({"--port", sim.Link(), "save", sim.Path("plan.json")});
  EXPECT_EQ(save.exitCode, 1);
  EXPECT_EQ(LastLine(save.err),
            "gw20cli: no plan written: Attached modules do not match the configuration stored in EEPROM!");
  EXPECT_FALSE(QFile::exists(sim.Path("plan.json")));

  // The documented example expects RA822 at 02 and RA850 at 0A.
  const QString example = QStringLiteral(PLAN_EXAMPLES_DIR) + "/canopen-example.json";
  const CliRun apply = RunCli(
      {"--port", sim.Link(), "apply", example, "--out", sim.Dir(), "--record", sim.Path("record.json")});
  EXPECT_EQ(apply.exitCode, 1);
  EXPECT_TRUE(
      apply.err.contains("gw20cli:   slot 2: expected 02 RA822 (type code 40, data format 00), found "
                         "02 RA850 (type code 08, data format 02)"))
      << apply.err.constData();
  EXPECT_TRUE(apply.err.contains("slot 3: expected 0A RA850 (type code 08, data format 02), found no module"))
      << apply.err.constData();
  EXPECT_EQ(sim.ReadFile("eeprom"), blank);
  EXPECT_FALSE(QFile::exists(sim.Path("COPn5.eds")));
  EXPECT_FALSE(QFile::exists(sim.Path("record.json")));
}

}  // namespace
}  // namespace gw20::testing
