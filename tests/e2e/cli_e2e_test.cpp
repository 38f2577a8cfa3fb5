// gw20cli against gw20sim, both as separate programs over a real
// pseudo-terminal: the profile commands, and plans saved, applied, checked
// and compared, every word and file read back from the controller's side.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>
#include <tuple>

#include "tests/e2e/e2e_helpers.h"

namespace gw20::testing {
namespace {

TEST(CliEndToEnd, ScanJson_ListsTheModulesFoundWithTheScanOptions) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--modules", "01:RA850:40:01,0A:RA412:41:00,03:RA394", "--field-baud", "19200",
                         "--field-checksum", "on"}));
  const CliRun run = RunCli({"--port", sim.Link(), "--scan-baud", "19200", "--scan-checksum", "on",
                             "--scan-timeout", "300", "scan", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  // A fresh EEPROM holds no configuration: the connect completes with the warning.
  EXPECT_EQ(LastLine(run.err), "Warnning: Attached modules do not match the configuration stored in EEPROM!");

  const QJsonObject root = JsonObject(run.out);
  ASSERT_FALSE(root.isEmpty()) << run.out.constData();
  EXPECT_EQ(root["ControllerPrompt"].toString(), "GW20M>");
  EXPECT_TRUE(root["ConfigMismatch"].toBool());

  // The dialog's values went to the controller as the scan's set-up.
  const QStringList lines = sim.Transcript();
  for (const char* line : {"/s1", "/timeout 300", "/baud 19200"}) {
    EXPECT_TRUE(lines.contains(line)) << line << " in " << lines.join('|').toStdString();
  }

  // Slots in the order the scan listed the addresses: address, model, AI
  // channels, type code, data format.
  EXPECT_EQ(root["ModuleCount"].toInt(), 3);
  QStringList found;
  for (const auto& entry : root["ModuleList"].toArray()) {
    const QJsonObject m = entry.toObject();
    found << QString::number(m["Slot"].toInt()) + " " + m["Address"].toString() + " " +
                 m["ModelName"].toString() + " " + QString::number(m["AIChannels"].toInt()) + " " +
                 m["TypeCode"].toString() + " " + m["DataFormat"].toString();
  }
  // Slots from 1; address, type code and data format as the plan writes them.
  EXPECT_EQ(found.join('|'), "1 01 RA850 8 40 01|2 03 RA394 1 00 00|3 0A RA412 2 41 00");

  const CliRun missing = RunCli({"--port", "/nonexistent/gw20-port", "scan"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.isEmpty());
  // The device is named first, not as the COM port it stands in for.
  EXPECT_EQ(missing.err.trimmed().toStdString(), "gw20cli: /nonexistent/gw20-port: there is no such device");
}

TEST(CliEndToEnd, Canopen_WritesTheEepromAndAnEdsThatReadsBack_UnlessASettingIsRejected) {
  SimProcess sim;
  ASSERT_TRUE(StartWithEeprom(sim, {"--modules", "01:RA850,0A:RA412,03:RA502:50"}));
  const QStringList canopen{"--port", sim.Link(), "canopen", "--out", sim.Dir()};
  const CliRun rejected = RunCli(canopen + QStringList{"--node", "200"});
  // Refused before connecting, in the panel's words.
  EXPECT_EQ(rejected.exitCode, 2);
  EXPECT_TRUE(rejected.err.startsWith("gw20cli: Node ID is not supported!(1~127)\n"))
      << rejected.err.constData();
  EXPECT_TRUE(rejected.out.isEmpty());
  EXPECT_FALSE(QFile::exists(sim.Path("COPn200.eds")));
  EXPECT_FALSE(sim.ReadFile("eeprom").contains("0:40=28573732\n"));

  const CliRun run =
      RunCli(canopen + QStringList{"--node", "7", "--can-baud", "500", "--guarding", "1000,3",
                                   "--description", "Line 3", "--created-by", "QA", "--com2-baud", "19200",
                                   "--com2-checksum", "on", "--com2-timeout", "150"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_EQ(run.out, sim.Path("COPn7.eds").toLocal8Bit());

  // Every line ends in CR LF, and each option reached its key; the counter
  // module is counted by the commit itself ([2200]).
  const QByteArray eds = sim.ReadFile("COPn7.eds");
  EXPECT_TRUE(eds.endsWith("\r\n") && eds.count('\n') == eds.count("\r\n"));
  const QByteArray dataItem = "\r\nObjectType=0x7\r\nDataType=0x000";
  for (const QByteArray& text : QByteArrayList{
           "\r\nDescription=Line 3\r\n", "\r\nCreatedBy=QA\r\n", "\r\nBaudRate_500=1\r\n",
           "[2200]\r\nSubNumber=3\r\n",
           "[100C]\r\nParameterName=Guard Time" + dataItem + "6\r\nAccessType=rw\r\nDefaultValue=0x3E8\r\n",
           "[100D]\r\nParameterName=life time factor" + dataItem +
               "5\r\nAccessType=rw\r\nDefaultValue=0x3\r\n",
           "[1400sub1]\r\nParameterName=COB-ID used by PDO" + dataItem +
               "7\r\nAccessType=rw\r\nDefaultValue=0x207\r\n"}) {
    EXPECT_TRUE(Contains(eds, text));
  }
  EXPECT_FALSE(eds.contains("[1017]"));

  // Header words: magic and size, block sizes (3 modules), node 7 at
  // 500 kbit/s, field port checksum on, 19200 bit/s, 150 ms.
  const QMap<QByteArray, QByteArray> words = EepromFileWords(sim.ReadFile("eeprom"));
  EXPECT_EQ((QByteArrayList{words["0:40"], words["0:44"], words["0:48"], words["0:60"]}),
            (QByteArrayList{"28573732", "24", "458757", "17039510"}));
}

TEST(CliEndToEnd, DeviceNet_ListsRefusesALongStrobeCommitsThePicksAndKeepsThemOnARecommit) {
  SimProcess sim;
  // Digital and analog data both ways: two output and two input assemblies;
  // RA850's eight analog inputs make input assembly 2 longer than 8 bytes.
  ASSERT_TRUE(StartWithEeprom(sim, {"--modules", "01:RA850,03:RA412,0A:RA312"}));
  const QStringList devicenet{"--port", sim.Link(), "devicenet", "--node", "5", "--out", sim.Dir()};

  const CliRun list = RunCli({"--port", sim.Link(), "devicenet", "--list", "--json"});
  ASSERT_EQ(list.exitCode, 0) << list.err.constData();
  const QJsonObject lists = JsonObject(list.out);
  EXPECT_EQ(lists["produced"].toArray().at(2).toString(), "INPUT  02(Assembly)") << list.out.constData();
  EXPECT_EQ(lists["consumed"].toArray().at(2).toString(), "OUTPUT 02(Assembly)") << list.out.constData();
  // Each produced item's length; the text list marks what Strobe cannot take.
  const QJsonArray bytes = lists["producedBytes"].toArray();
  EXPECT_EQ(bytes.size(), lists["produced"].toArray().size());
  EXPECT_GT(bytes.at(2).toInt(), 8);
  EXPECT_LE(bytes.at(1).toInt(), 8);
  const CliRun text = RunCli({"--port", sim.Link(), "devicenet", "--list"});
  const QByteArray bigInput =
      "INPUT  02(Assembly)  (" + QByteArray::number(bytes.at(2).toInt()) + " bytes, not for Strobe)";
  EXPECT_TRUE(Contains(text.out, bigInput));

  const CliRun refused = RunCli(devicenet + QStringList{"--strobe", "2,"});
  EXPECT_EQ(refused.exitCode, 1);
  // The system's message, then the item and its length.
  const QList<QByteArray> refusedLines = refused.err.trimmed().split('\n');
  ASSERT_GE(refusedLines.size(), 2);
  EXPECT_EQ(refusedLines[refusedLines.size() - 2], "Error: Error! The selected data length > 8 bytes");
  EXPECT_EQ(refusedLines.back(), "gw20cli: --strobe 2,: \"INPUT  02(Assembly)\" is " +
                                     QByteArray::number(bytes.at(2).toInt()) +
                                     " bytes; a Strobe connection carries at most 8");
  EXPECT_FALSE(QFile::exists(sim.Path("ZELKDNS 5.eds")));
  EXPECT_TRUE(sim.ReadFile("eeprom").contains("\n1:0=4294967295\n"));

  // The texts arrive as UTF-8 and go into the file as Latin-1.
  const CliRun run = RunCli(devicenet + QStringList{"--can-baud", "250", "--poll", "1,2", "--strobe", ",1",
                                                    "--cos", "2,2", "--default", "cos", "--description",
                                                    QString::fromUtf8("M\xC3\xBCller \xE2\x82\xAC"),
                                                    "--created-by", "QA\tline"});
  ASSERT_EQ(run.exitCode, 0) << run.err.constData();
  EXPECT_EQ(run.out, sim.Path("ZELKDNS 5.eds").toLocal8Bit());
  const QByteArray file = sim.ReadFile("ZELKDNS 5.eds");
  EXPECT_TRUE(Contains(file, "\r\n$ M\xFCller ?\r\n$ Created by QA line\r\n"));

  // Node 5, DeviceNet at 250 kbit/s; block 1: default COS, Poll produces
  // input assembly 1 (instance 3, after the two output ones) and consumes
  // output assembly 2, Strobe produces the fresh controller's preset None
  // and consumes output assembly 1, COS produces input assembly 2
  // (instance 4) and consumes item 2 through the acknowledge handler.
  const auto blockOne = [&sim] {
    QByteArrayList words;
    for (const QByteArray& line : sim.ReadFile("eeprom").split('\n')) {
      if (line.startsWith("1:") && line.mid(2).split('=').front().toInt() <= 24) words << line;
    }
    return words;
  };
  EXPECT_TRUE(Contains(sim.ReadFile("eeprom"), "\n0:48=327937\n"));
  const QByteArrayList stored{"1:0=131072",    "1:4=17040131",  "1:8=262147",   "1:12=33817603",
                              "1:16=33817091", "1:20=17039619", "1:24=36372736"};
  EXPECT_EQ(blockOne(), stored);

  // A re-commit naming only the node keeps block 1 as stored.
  const CliRun again = RunCli({"--port", sim.Link(), "devicenet", "--node", "6", "--out", sim.Dir()});
  ASSERT_EQ(again.exitCode, 0) << again.err.constData();
  EXPECT_TRUE(Contains(sim.ReadFile("eeprom"), "\n0:48=393473\n"));
  EXPECT_EQ(blockOne(), stored);

  // A stored connection no list entry gives (Strobe consumed item 60) is
  // refused before anything is sent.
  SimProcess other;
  QByteArray image = sim.ReadFile("eeprom");
  image.replace("\n1:20=17039619\n", "\n1:20=1006895363\n");
  ASSERT_TRUE(other.WriteFile("eeprom", image));
  ASSERT_TRUE(StartWithEeprom(other, {"--modules", "01:RA850,03:RA412,0A:RA312"}));
  const CliRun refusedToKeep =
      RunCli({"--port", other.Link(), "devicenet", "--node", "7", "--out", other.Dir()});
  EXPECT_EQ(refusedToKeep.exitCode, 1);
  EXPECT_TRUE(LastLine(refusedToKeep.err).startsWith("gw20cli: --strobe: the consumed connection"))
      << refusedToKeep.err.constData();
  EXPECT_EQ(other.ReadFile("eeprom"), image);
  EXPECT_FALSE(QFile::exists(other.Path("ZELKDNS 7.eds")));
}

// A commit cut off (a pulled cable), then the same command again, as its
// message asks, on the same controller: the words of a clean commit, never a
// flag taken from an erased word or a refusal of what the cut left behind.
TEST(CliEndToEnd, CommitAgainAfterACut_WritesWhatACleanCommitWrites) {
  const QStringList modules{"--modules", "01:RA850,03:RA412,0A:RA312"};
  // CANopen cut before its block 2, DeviceNet inside its block 1.
  for (const auto& [profile, block, more] :
       {std::tuple("canopen", "block 2", 0), std::tuple("devicenet", "block 1", 4)}) {
    SCOPED_TRACE(profile);
    SimProcess clean;
    ASSERT_TRUE(StartWithEeprom(clean, modules));
    const QStringList command{profile, "--node", "5", "--out", clean.Dir()};
    ASSERT_EQ(RunCli(QStringList{"--port", clean.Link()} + command).exitCode, 0);
    // The commit's lines start at its last "/q"; the cut comes before `block`'s line plus `more`.
    const QStringList lines = clean.Transcript();
    const auto cutAfter = lines.indexOf(block, lines.lastIndexOf("/q")) + more;

    SimProcess cut;
    ASSERT_TRUE(cut.Start(
        QStringList{"--eeprom", cut.Path("eeprom"), "--fault-silent-after", QString::number(cutAfter)} +
        modules));
    const CliRun failed = RunCli(QStringList{"--port", cut.Link()} + command);
    EXPECT_EQ(failed.exitCode, 3);  // partly written: commit again
    EXPECT_TRUE(Contains(failed.err, "The controller's EEPROM is only partly written: commit again."));
    ASSERT_TRUE(cut.Stop());

    SimProcess again;
    ASSERT_TRUE(again.Start(QStringList{"--eeprom", cut.Path("eeprom")} + modules));
    const CliRun run = RunCli(QStringList{"--port", again.Link()} + command);
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(EepromFileWords(cut.ReadFile("eeprom"), true), EepromFileWords(clean.ReadFile("eeprom"), true));
  }
}

// For both profiles, controller A commissioned by hand: save keeps its
// firmware and EDS texts; apply clones every word to B and names what went
// where in the record; eds gives the commit's file from the plan alone.
// check and diff against A holding the plan, against the plan edited in each
// kind of key, and against A's chain changed; a check writes nothing.
TEST(PlanEndToEnd, SaveApplyEdsCheckAndDiff_ForBothProfiles) {
  struct Case {
    const char* name;
    QStringList simArgs;     // the chain and its field port
    QStringList scanArgs;    // what commit and save answer the scan dialog with
    QStringList commitArgs;  // controller A commissioned by hand
    QString edsFile;
    QStringList expectedInPlan;
    std::vector<std::pair<QByteArray, QByteArray>> edits;  // plan text replaced, to differ
    QByteArray expectedLines;
  };
  const Case cases[] = {
      {"devicenet",
       {"--modules", "01:RA850,03:RA412,0A:RA312", "--field-baud", "19200"},
       {"--scan-baud", "19200"},
       {"devicenet", "--node",       "9",        "--can-baud",     "250", "--poll",
        "1,2",       "--strobe",     "1,1",      "--cos",          "2,2", "--default",
        "cos",       "--com2-baud",  "19200",    "--com2-timeout", "150", "--description",
        "Press 3",   "--created-by", "Line team"},
       "ZELKDNS 9.eds",
       {"\"defaultConnection\": \"COS\"", "\"consumed\": \"OUTPUT 01(Assembly)\""},
       {{"\"nodeId\": 9", "\"nodeId\": 12"},
        {"\"consumed\": \"OUTPUT 02(Assembly)\"", "\"consumed\": \"None\""},
        {"\"defaultConnection\": \"COS\"", "\"defaultConnection\": \"Strobe\""}},
       "nodeId: plan 12, controller 9\n"
       "deviceNet.poll.consumed: plan \"None\", controller \"OUTPUT 02(Assembly)\"\n"
       "deviceNet.cosCyclic.consumed: plan \"None\", controller \"OUTPUT 02(Assembly)\"\n"
       "deviceNet.defaultConnection: plan \"Strobe\", controller \"COS\"\n"},
      {"canopen",
       {"--modules", "01:RA850,0A:RA412,03:RA502:50", "--field-checksum", "on"},
       {"--scan-checksum", "on"},
       {"canopen", "--node", "33", "--can-baud", "500", "--heartbeat", "1500", "--com2-checksum", "on",
        "--description", "Press 3", "--created-by", "Line team"},
       "COPn33.eds",
       {"\"errorControl\": \"heartbeat\"", "\"heartbeatTimeMs\": 1500"},
       {{"\"nodeId\": 33", "\"nodeId\": 34"}, {"\"heartbeatTimeMs\": 1500", "\"heartbeatTimeMs\": 1000"}},
       "nodeId: plan 34, controller 33\n"
       "canopen.heartbeatTimeMs: plan 1000, controller 1500\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimProcess a;
    SimProcess b;
    ASSERT_TRUE(StartWithEeprom(a, c.simArgs));
    ASSERT_TRUE(StartWithEeprom(b, c.simArgs));
    // check scans as the plan says; the others as the options say.
    const QStringList check{"--port", a.Link(), "check"};
    const QStringList portA = QStringList{"--port", a.Link()} + c.scanArgs;
    const CliRun blank = RunCli(check + QStringList{ExamplePlan(c.name)});
    EXPECT_EQ(blank.exitCode, 1) << blank.err.constData();
    EXPECT_TRUE(blank.out.startsWith(
        "Attached modules do not match the configuration stored in EEPROM!\nmodules[0]: plan "))
        << blank.out.constData();

    const CliRun commit = RunCli(portA + c.commitArgs + QStringList{"--out", a.Dir()});
    ASSERT_EQ(commit.exitCode, 0) << commit.err.constData();
    // Links planted at the names written are replaced, never followed: the
    // files they point to stay as they were, a dangling one creates nothing.
    const QString plan = a.Path("plan.json");
    ASSERT_TRUE(a.WriteFile("outside", "outside"));
    ASSERT_TRUE(QFile::link(a.Path("outside"), plan));
    ASSERT_TRUE(QFile::link(b.Path("created.json"), b.Path("record.json")));
    ASSERT_TRUE(QFile::link(a.Path("outside"), b.Path(c.edsFile)));
    const CliRun save = RunCli(portA + QStringList{"save", plan, "--eds", a.Path(c.edsFile)});
    ASSERT_EQ(save.exitCode, 0) << save.err.constData();
    const QByteArray planText = a.ReadFile("plan.json");
    for (const QString& text :
         c.expectedInPlan + QStringList{"\"firmware\": \"2.05-2006/03/07\"", "\"description\": \"Press 3\"",
                                        "\"createdBy\": \"Line team\""}) {
      EXPECT_TRUE(Contains(planText, text.toUtf8()));
    }

    const CliRun apply =
        RunCli({"--port", b.Link(), "apply", plan, "--out", b.Dir(), "--record", b.Path("record.json")});
    ASSERT_EQ(apply.exitCode, 0) << apply.err.constData();
    EXPECT_EQ(apply.out, b.Path(c.edsFile).toLocal8Bit());
    EXPECT_EQ(a.ReadFile("outside"), "outside");
    EXPECT_FALSE(QFile::exists(b.Path("created.json")));
    for (const QString& written : {plan, b.Path("record.json"), b.Path(c.edsFile)}) {
      EXPECT_TRUE(QFileInfo(written).isFile() && !QFileInfo(written).isSymLink()) << written.toStdString();
    }
    EXPECT_EQ(EepromFileWords(b.ReadFile("eeprom"), true), EepromFileWords(a.ReadFile("eeprom"), true));

    const QJsonObject record = JsonObject(b.ReadFile("record.json"));
    EXPECT_EQ(record["node"].toInt(), c.commitArgs[c.commitArgs.indexOf("--node") + 1].toInt());
    QStringList named;
    for (const char* key : {"port", "version", "controllerPrompt", "firmware", "verify"}) {
      named << record[key].toString();
    }
    EXPECT_EQ(named, (QStringList{b.Link(), GW20_VERSION, "GW20M>", "2.05-2006/03/07", "passed"}));
    EXPECT_EQ(record["plan"].toObject()["sha256"].toString().size(), 64);
    EXPECT_EQ(record["eds"].toObject()["file"].toString(), b.Path(c.edsFile));
    const QJsonArray blocks = record["blocks"].toArray();
    ASSERT_FALSE(blocks.isEmpty());
    const QJsonObject header = blocks[0].toObject();
    EXPECT_EQ(header["address"].toInt(), 40);
    EXPECT_TRUE(Contains(
        b.ReadFile("eeprom"),
        "\n0:40=" + QByteArray::number(static_cast<qint64>(header["words"].toArray()[0].toDouble())) + "\n"));

    // The plan alone gives the commit's file, firmware and texts included.
    const QStringList eds{"eds", plan, "--out", a.Path("offline")};
    EXPECT_EQ(RunCli(eds + QStringList{"--firmware", "2.05-2006/03/07"}).exitCode, 2)
        << "the --out folder does not exist yet";
    ASSERT_TRUE(QDir().mkpath(a.Path("offline")));
    const CliRun offline = RunCli(eds);
    ASSERT_EQ(offline.exitCode, 0) << offline.err.constData();
    EXPECT_EQ(offline.out, a.Path("offline/" + c.edsFile).toLocal8Bit());
    const QByteArrayList offlineEds = EdsButDateAndTime(a.ReadFile("offline/" + c.edsFile));
    EXPECT_EQ(offlineEds, EdsButDateAndTime(b.ReadFile(c.edsFile)));
    EXPECT_EQ(offlineEds, EdsButDateAndTime(a.ReadFile(c.edsFile)));

    const QByteArray eeprom = a.ReadFile("eeprom");
    const CliRun holds = RunCli(check + QStringList{plan});
    EXPECT_EQ(holds.exitCode, 0) << holds.err.constData();
    EXPECT_EQ(holds.out, "the controller holds the plan");

    QByteArray edited = planText;
    for (const auto& [from, to] : c.edits) {
      ASSERT_TRUE(edited.contains(from)) << from.constData();
      edited.replace(from, to);
    }
    const QString other = a.Path("other.json");
    ASSERT_TRUE(a.WriteFile("other.json", edited));
    const CliRun differs = RunCli(check + QStringList{other});
    EXPECT_EQ(differs.exitCode, 1) << differs.err.constData();
    EXPECT_EQ(differs.out + "\n", c.expectedLines) << differs.out.constData();
    const QJsonObject root = JsonObject(RunCli(check + QStringList{other, "--json"}).out);
    EXPECT_FALSE(root["same"].toBool());
    EXPECT_EQ(root["differences"].toArray().size(), c.expectedLines.count('\n'));

    // diff: the same lines, the sides named A and B; a plan is the same as itself.
    const CliRun diff = RunCli({"diff", other, plan});
    EXPECT_EQ(diff.exitCode, 1);
    QByteArray diffLines = c.expectedLines;
    diffLines.replace("plan ", "plan A ").replace("controller ", "plan B ");
    EXPECT_EQ(diff.out + "\n", diffLines) << diff.out.constData();
    EXPECT_EQ(RunCli({"diff", plan, plan}).exitCode, 0);

    EXPECT_EQ(a.ReadFile("eeprom"), eeprom) << "a check writes nothing";
    ASSERT_TRUE(a.Stop());

    // The same controller with another chain: its stored configuration no longer matches.
    SimProcess moved;
    ASSERT_TRUE(
        moved.Start(QStringList{"--eeprom", a.Path("eeprom"), "--modules", "01:RA850"} + c.simArgs.mid(2)));
    const CliRun chain = RunCli({"--port", moved.Link(), "check", plan});
    EXPECT_EQ(chain.exitCode, 1);
    EXPECT_TRUE(
        chain.out.startsWith("Attached modules do not match the configuration stored in EEPROM!\n"
                             "modules[1]: plan "))
        << chain.out.constData();
    EXPECT_TRUE(chain.out.endsWith(", controller: no module")) << chain.out.constData();
  }
  // A plan without firmware: eds names the option that gives it, and takes it.
  const CliRun eds = RunCli({"eds", ExamplePlan()});
  EXPECT_EQ(eds.exitCode, 2);
  EXPECT_TRUE(eds.err.contains("the plan names no firmware") && eds.err.contains("give --firmware"))
      << eds.err.constData();
  const ScratchFolder out("eds");
  const CliRun given = RunCli({"eds", ExamplePlan(), "--out", QString::fromStdString(out.Path().string()),
                               "--firmware", "2.05-2006/03/07"});
  EXPECT_EQ(given.exitCode, 0) << given.err.constData();
  EXPECT_TRUE(QFile::exists(QString::fromStdString((out / "COPn5.eds").string())));
}

// What cannot be done writes nothing. A name gw20cli cannot or must not
// write is refused before the port is opened, and a plan that is no regular
// file at once, with exit status 2; a chain that differs from the plan's and
// a controller without a configuration to save after the connect.
TEST(PlanEndToEnd, RefusesUnwritableNamesAChainThatDiffersAndAControllerWithoutAConfiguration) {
  SimProcess sim;
  ASSERT_TRUE(StartWithEeprom(sim, {"--modules", "01:RA412,02:RA850:08:02"}));
  const QByteArray blank = sim.ReadFile("eeprom");
  const QString plan = sim.Path("plan.json");
  ASSERT_TRUE(QFile::copy(ExamplePlan(), plan));
  const QString fifo = sim.Path("plan.fifo");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  ASSERT_TRUE(QDir().mkpath(sim.Path("folder")));
  const QStringList apply{"--port", sim.Link(), "apply", plan, "--out", sim.Dir(), "--record"};
  const QByteArray notRegular = ", not a regular file";
  const std::pair<QStringList, QByteArray> cases[] = {
      {apply + QStringList{plan}, "--record " + plan.toLocal8Bit() + ": that is the plan's name"},
      {apply + QStringList{sim.Path("COPn5.eds")},
       "--record " + sim.Path("COPn5.eds").toLocal8Bit() + ": that is the EDS file's name"},
      {apply + QStringList{sim.Path("folder")},
       "--record " + sim.Path("folder").toLocal8Bit() + ": a folder"},
      {apply + QStringList{"/dev/null"}, "--record /dev/null: a device" + notRegular},
      {{"--port", sim.Link(), "apply", fifo}, fifo.toLocal8Bit() + ": a FIFO" + notRegular},
  };
  for (const auto& [args, message] : cases) {
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(run.err.startsWith("gw20cli: " + message)) << run.err.constData();
  }
  EXPECT_TRUE(HeardNothing(sim));

  const CliRun save = RunCli({"--port", sim.Link(), "save", sim.Path("saved.json")});
  EXPECT_EQ(save.exitCode, 1);
  EXPECT_EQ(LastLine(save.err),
            "gw20cli: no plan written: Attached modules do not match the configuration stored in EEPROM!");
  // The documented example expects RA822 at 02 and RA850 at 0A.
  const CliRun mismatch = RunCli(apply + QStringList{sim.Path("record.json")});
  EXPECT_EQ(mismatch.exitCode, 1);
  EXPECT_TRUE(Contains(mismatch.err,
                       "gw20cli:   slot 2: expected 02 RA822 (type code 40, data format 00), found "
                       "02 RA850 (type code 08, data format 02)"));
  EXPECT_TRUE(
      Contains(mismatch.err, "slot 3: expected 0A RA850 (type code 08, data format 02), found no module"));
  EXPECT_EQ(sim.ReadFile("eeprom"), blank);
  EXPECT_EQ(QDir(sim.Dir()).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{"com1", "eeprom", "plan.fifo", "plan.json", "transcript"}));
}

}  // namespace
}  // namespace gw20::testing
