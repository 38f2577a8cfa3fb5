// gw20cli batch: what it refuses before any port is touched, the progress
// lines its applies write, their display, and applies that end oddly. A
// batch of gw20sim controllers with its report is BatchFaults'.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/batch_command.h"
#include "app/cli/batch_display.h"
#include "app/cli/batch_progress.h"
#include "app/cli/cli_options.h"
#include "app/cli/plan_commands.h"
#include "link/eeprom_procedures.h"
#include "link/open_console_port.h"
#include "platform/qt/file_name.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/e2e/e2e_helpers.h"
#include "tests/support/test_services.h"

namespace gw20::testing {
namespace {

using cli::CliUsageError;

// The options of a command line split at its blanks.
cli::CliOptions Parse(const std::string& line) {
  std::istringstream in(line);
  const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
  return cli::ParseCliOptions(std::vector<std::string_view>(words.begin(), words.end()));
}

TEST(BatchCommand, OptionsAndPlanChecksRefuseBeforeAnyPortIsTouched) {
  const cli::CliOptions ok =
      Parse("batch p.json --ports COM2,/dev/null --nodes 5,6 --no-verify --report r.json");
  EXPECT_EQ(ok.ports, (std::vector<std::string>{"COM2", "/dev/null"}));
  EXPECT_EQ(ok.nodes, (std::vector<int>{5, 6}));
  EXPECT_EQ(ok.reportPath, "r.json");
  EXPECT_FALSE(ok.verify);
  // Ranges mixed with single numbers, in the order given.
  EXPECT_EQ(Parse("batch p.json --ports COM1,COM2,COM3,COM4,COM5 --nodes 21-23,7,40-40").nodes,
            (std::vector<int>{21, 22, 23, 7, 40}));
  EXPECT_EQ(Parse("apply p.json --node 9 --progress-fd 3").planNode, 9);
  // apply and batch write the header last unless told otherwise; the profile commands only when asked.
  EXPECT_TRUE(ok.safeOrder);
  EXPECT_FALSE(Parse("apply p.json --controller-order").safeOrder);
  EXPECT_FALSE(Parse("canopen").safeOrder);

  for (const char* bad :
       {"batch p.json", "batch p.json --ports=", "batch p.json --ports COM1,,COM2",
        "batch p.json --ports COM1,com1", "batch p.json --ports COM1,COM2 --nodes 1",
        "batch p.json --ports COM1,COM2 --nodes 1,x", "batch p.json --ports COM1,COM2 --nodes 3,3",
        "batch p.json --ports COM1,COM2 --nodes 4-3", "batch p.json --ports COM1,COM2 --nodes 1-3",
        "batch p.json --ports COM1,COM2 --nodes 1-2147483647",
        "batch p.json --ports COM1,COM2,COM3 --nodes 1-2,2", "batch p.json --ports COM1,COM2 --nodes 1-",
        "batch p.json --ports COM1 --report=", "apply p.json --progress-fd 2", "apply p.json --node x",
        "apply p.json --safe-order --controller-order"}) {
    EXPECT_THROW(Parse(bad), CliUsageError) << bad;
  }

  // The node range is the plan's profile's; one EDS file name per port.
  const plans::Plan plan = LinePlan(3);
  cli::CliOptions options = Parse("batch p.json --ports COM1,COM2 --nodes 5,64");
  EXPECT_EQ(cli::BatchProblem(options, plan), "--nodes 64: Node ID is not supported!(1~63)");
  options.nodes.clear();
  EXPECT_TRUE(cli::BatchProblem(options, plan)->starts_with("every port would write ./ZELKDNS 7.eds"));
  options.ports.pop_back();
  EXPECT_EQ(cli::BatchProblem(options, plan), std::nullopt);
}

TEST(BatchCommand, ProgressLinesReadBackAndTheFailureIsTheApplysLastWord) {
  using cli::ApplyStage;
  for (const ApplyStage stage :
       {ApplyStage::Waiting, ApplyStage::Connecting, ApplyStage::Configuring, ApplyStage::Committing}) {
    for (const int percent : {0, 57, 100}) {
      const std::string line = cli::ProgressLine({stage, percent});
      ASSERT_TRUE(line.ends_with("\n"));
      EXPECT_EQ(cli::ParseProgressLine(std::string_view(line).substr(0, line.size() - 1)),
                (cli::ApplyProgress{stage, percent}))
          << line;
    }
  }
  for (const char* bad :
       {"gw20-progress commit", "gw20-progress commit 101", "gw20-progress frob 3", "gw20-progress commit 5x",
        "gw20-progress commit -1", "x gw20-progress commit 5", ""}) {
    EXPECT_EQ(cli::ParseProgressLine(bad), std::nullopt) << bad;
  }

  // The reason, then the hint a hang-up or a closed connection gives; a chain
  // mismatch's heading is the reason, every slot below it a detail.
  const std::string partly(link::kPartlyWrittenMessage);
  const std::string hint(ui::kAdapterHint);
  const std::vector<std::string> mismatch{
      "gw20cli: the modules connected are not the plan's chain; nothing written:",
      "gw20cli:   slot 2: expected 0B RA850 (type code 08, data format 02), found no module",
      "gw20cli:   slot 3: expected 0C RA850 (type code 08, data format 02), found no module"};
  const std::pair<std::vector<std::string>, std::string> failures[] = {
      {{"Warnning: something", "gw20cli: no echo of \"1\"", partly, "Timeout"}, partly + " Timeout"},
      {{partly, "x", "gw20cli: /dev/x: there is no such device"}, "/dev/x: there is no such device"},
      {{"gw20cli: no echo of \"1\"; /dev/x hung up: " + hint, partly, "Timeout"},
       partly + " Timeout (" + hint + ")"},
      {{"gw20cli: no echo of \"1\"; connection to 10.0.0.7:4001 closed: check the device server", partly,
        "Timeout"},
       partly + " Timeout (check the device server)"},
      {mismatch, "the modules connected are not the plan's chain; nothing written:"}};
  for (const auto& [lines, message] : failures) EXPECT_EQ(cli::FailureMessage(lines), message);
  EXPECT_EQ(cli::FailureDetails(mismatch),
            (std::vector<std::string>{mismatch[1].substr(11), mismatch[2].substr(11)}));
  EXPECT_TRUE(cli::FailureDetails({partly, "Timeout"}).empty());
}

TEST(BatchCommand, DisplayRedrawsLiveLinesInPlaceOrLogsEachStageOnce) {
  cli::BatchPortResult done;
  done.ok = true;
  done.message = "/out/ZELKDNS 5.eds";
  std::ostringstream live;
  cli::BatchDisplay screen(live, true, {"COM1 node 5", "COM2 node 6"}, 30);
  screen.Show(0, {cli::ApplyStage::Connecting, 10});
  screen.Show(0, {cli::ApplyStage::Connecting, 10});  // nothing new: no redraw
  screen.Finish(0, done);
  // The first drawing, then one redraw per change, each starting two lines up;
  // a line is cut short of the 30 columns, which the terminal would wrap.
  EXPECT_EQ(live.str(),
            "\r\x1b[2KCOM1 node 5  waiting\n\r\x1b[2KCOM2 node 6  waiting\n"
            "\x1b[2A\r\x1b[2KCOM1 node 5  connect   10%\n\r\x1b[2KCOM2 node 6  waiting\n"
            "\x1b[2A\r\x1b[2KCOM1 node 5  OK /out/ZELKDNS\u2026\n\r\x1b[2KCOM2 node 6  waiting\n");

  std::ostringstream plain;
  cli::BatchDisplay log(plain, false, {"COM1 node 5"});
  log.Show(0, {cli::ApplyStage::Connecting, 10});
  log.Show(0, {cli::ApplyStage::Connecting, 40});
  log.Show(0, {cli::ApplyStage::Committing, 50});
  log.Finish(0, done);
  EXPECT_EQ(plain.str(), "COM1 node 5: connect\nCOM1 node 5: commit\nCOM1 node 5: OK /out/ZELKDNS 5.eds\n");

  cli::BatchPortResult failed;
  failed.port = "/dev/pts/12";
  failed.seconds = 6.04;
  failed.message = "Timeout";
  done.port = "COM1";
  done.node = 5;
  done.seconds = 5.7;
  EXPECT_EQ(cli::BatchSummary({done, failed}, 7),
            "port         node  result           time (s)  EDS file or message\n"
            "COM1         5     ok               5.7       /out/ZELKDNS 5.eds\n"
            "/dev/pts/12  7     nothing written  6.0       Timeout\n");

  // Long port names are shortened in the middle, long messages wrapped, a
  // chain mismatch's slots listed below its reason: nothing passes 80 columns.
  const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
  EXPECT_EQ(cli::ShortenedInTheMiddle(byId, 32), "/dev/serial/by-id/usb-FTD\u2026-port0");
  EXPECT_EQ(cli::ShortenedInTheMiddle("COM1", 32), "COM1");
  failed.port = byId;
  failed.message = "the modules connected are not the plan's chain; nothing written:";
  failed.details = {"slot 1: expected 0A RA850 (type code 08, data format 02), found no module",
                    "slot 2: expected 0B RA850 (type code 08, data format 02), found no module"};
  const std::string summary = cli::BatchSummary({done, failed}, 7);
  EXPECT_EQ(summary,
            "port                              node  result           time (s)\n"
            "    EDS file or message\n"
            "COM1                              5     ok               5.7\n"
            "    /out/ZELKDNS 5.eds\n"
            "/dev/serial/by-id/usb-FTD\u2026-port0  7     nothing written  6.0\n"
            "    the modules connected are not the plan's chain; nothing written:\n"
            "      slot 1: expected 0A RA850 (type code 08, data format 02), found no module\n"
            "      slot 2: expected 0B RA850 (type code 08, data format 02), found no module\n");
  // Short port names leave the message its column, wrapped within it.
  failed.port = "COM2";
  std::istringstream lines(cli::BatchSummary({done, failed}, 7));
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) EXPECT_LE(line.size(), 79U) << line;
  EXPECT_EQ(count, 1 + 1 + 2 + 2 * 2);
}

// The report names the plan by its whole path, reads the applies' lines as
// Latin-1, and a plan that cannot be hashed says why.
TEST(BatchCommand, ReportHoldsThePlansWholePathAndLatin1Messages) {
  cli::BatchPortResult failed;
  failed.port = "COM2";
  failed.message = "Module \"RA8\xE9\" answered garbage";
  failed.errorLines = {"gw20cli: " + failed.message};
  const QJsonObject report = JsonObject(QByteArray::fromStdString(cli::BatchReportJson("p.json", {failed})));
  EXPECT_EQ(report["plan"].toString().toStdString(), (std::filesystem::current_path() / "p.json").string());
  const QJsonObject port = report["ports"].toArray()[0].toObject();
  EXPECT_EQ(port["message"].toString(), QString::fromUtf8("Module \"RA8\u00e9\" answered garbage"));
  EXPECT_EQ(port["stderr"].toArray()[0].toString(), "gw20cli: " + port["message"].toString());

  const ScratchFolder folder("hash");
  EXPECT_EQ(cli::FileSha256(folder / "gone.json").problem,
            "cannot read " + (folder / "gone.json").string() +
                " to hash it for the record: No such file or directory");
  EXPECT_TRUE(cli::FileSha256(folder.Path()).sha256.empty());
}

// Stand-ins for the apply, told apart by their port: one that closes its
// pipes and lives on a while, one killed by a signal, one that fails with a
// message. Each ends with its own outcome; none holds up the others.
TEST(BatchCommand, AppliesThatEndOddlyEachGetTheirOwnOutcome) {
  const ScratchFolder folder("batch");
  const auto self = folder / "apply.sh";
  {
    std::ofstream script(self);
    script << "#!/bin/sh\n"
              "case \"$2\" in\n"
              "  *quiet) exec >&- 2>&- 3>&-; sleep 1; exit 0 ;;\n"
              "  *killed) kill -9 $$ ;;\n"
              "  *) echo 'gw20cli: no echo of \"el 0\"' >&2; echo Timeout >&2; exit 1 ;;\n"
              "esac\n";
  }
  std::filesystem::permissions(self, std::filesystem::perms::owner_all);
  const cli::CliOptions options =
      Parse("batch p.json --ports quiet,killed,failing --nodes 5,6,7 --out " + folder.Path().string());
  std::ostringstream out;
  EXPECT_EQ(cli::RunBatch(options, LinePlan(1), self, out, false), 1);
  // The quiet one wrote nothing, so its exit status alone decides.
  for (const char* line : {"killed node 6: nothing written: the apply ended by signal 9",
                           "failing node 7: nothing written: Timeout", "quiet node 5: OK"}) {
    EXPECT_TRUE(Contains(QByteArray::fromStdString(out.str()), line));
  }
}

// Every port is looked at before any is touched: a missing device, one another
// program holds and a device named twice (its link beside it) are all named;
// blanks around items are dropped. A dry run opens no port and prints the
// words a commit writes, as the record of the real apply then lists them
// (block 0 holds the commit's time as well). Neither sends or writes anything.
TEST(BatchCommand, UnusablePortsAndDryRunsSendNothing_TheApplyWritesWhatTheDryRunPrinted) {
  const QString plan = ExamplePlan();
  SimProcess first;
  SimProcess second;
  ASSERT_TRUE(StartWithEeprom(first, {"--modules", ExampleChain()}));
  ASSERT_TRUE(StartWithEeprom(second, {"--modules", ExampleChain()}));
  const QByteArray blank = first.ReadFile("eeprom");

  const CliRun batch = RunCli({"batch", plan, "--ports", first.Link() + "," + second.Link(), "--nodes",
                               "21-22", "--out", first.Dir(), "--dry-run"});
  EXPECT_EQ(batch.exitCode, 0) << batch.err.constData();
  const QByteArrayList printed = batch.out.split('\n');
  ASSERT_EQ(printed.size(), 6) << batch.out.constData();
  EXPECT_EQ(printed[0], first.Link().toLocal8Bit() + " node 21: " + first.Path("COPn21.eds").toLocal8Bit());
  EXPECT_EQ(printed[3], second.Link().toLocal8Bit() + " node 22: " + first.Path("COPn22.eds").toLocal8Bit());
  EXPECT_TRUE(printed[1].startsWith("  {\"address\":")) << printed[1].constData();
  const CliRun dryApply = RunCli({"--port", first.Link(), "apply", plan, "--out", first.Dir(), "--dry-run"});
  EXPECT_EQ(dryApply.exitCode, 0) << dryApply.err.constData();
  // Refused as the real commands refuse, with exit status 2.
  EXPECT_EQ(RunCli({"--port", first.Link(), "apply", plan, "--node", "200", "--dry-run"}).exitCode, 2);
  EXPECT_EQ(RunCli({"check", plan, "--dry-run"}).exitCode, 2);
  const CliRun dryMissing = RunCli({"batch", plan, "--ports", first.Link() + "," + first.Path("gone"),
                                    "--nodes", "1,2", "--out", first.Dir(), "--dry-run"});
  EXPECT_EQ(dryMissing.exitCode, 2);
  EXPECT_EQ(dryMissing.err, "gw20cli: " + first.Path("gone").toLocal8Bit() +
                                ": there is no such device\ngw20cli: nothing was sent: 1 port is unusable");

  const QString twice = first.Path("second-name");
  ASSERT_TRUE(QFile::link(first.Link(), twice));
  const QString missing = first.Path("no-such-tty");
  qtui::QtSerialPort holder(second.Link().toStdString());
  ASSERT_EQ(holder.Open().status, ui::OpenStatus::Opened);
  const CliRun run = RunCli({"batch", plan, "--ports",
                             " " + first.Link() + " , " + missing + ",\t" + twice + "," + second.Link(),
                             "--nodes", "5, 6 ,7,8", "--out", first.Dir()});
  EXPECT_EQ(run.exitCode, 2);
  const QByteArrayList lines = run.err.split('\n');
  ASSERT_EQ(lines.size(), 4) << run.err.constData();
  EXPECT_EQ(lines[0], "gw20cli: " + missing.toLocal8Bit() + ": there is no such device");
  EXPECT_EQ(lines[1],
            "gw20cli: " + twice.toLocal8Bit() + ": the same device as " + first.Link().toLocal8Bit());
  EXPECT_TRUE(lines[2].startsWith("gw20cli: " + second.Link().toLocal8Bit() + ": ")) << lines[2].constData();
  EXPECT_TRUE(lines[2].endsWith("is in use by another program")) << lines[2].constData();
  EXPECT_EQ(lines[3], "gw20cli: nothing was sent: 3 ports are unusable");

  EXPECT_TRUE(HeardNothing(first));
  EXPECT_TRUE(HeardNothing(second));
  EXPECT_EQ(first.ReadFile("eeprom"), blank);
  EXPECT_EQ(QDir(first.Dir()).entryList({"*.eds"}), QStringList());

  // Released, the same ports without the bad ones make a batch that runs.
  holder.Close();
  const CliRun good = RunCli({"batch", plan, "--ports", first.Link() + " , " + second.Link(), "--nodes",
                              "5,6", "--out", first.Dir(), "--no-verify"});
  EXPECT_EQ(good.exitCode, 0) << good.err.constData();

  const CliRun real = RunCli(
      {"--port", first.Link(), "apply", plan, "--out", first.Dir(), "--record", first.Path("record.json")});
  ASSERT_EQ(real.exitCode, 0) << real.err.constData();
  const QJsonArray recorded = JsonObject(first.ReadFile("record.json"))["blocks"].toArray();
  const QByteArrayList words = dryApply.out.split('\n').mid(1);
  ASSERT_EQ(words.size(), recorded.size()) << dryApply.out.constData();
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QJsonObject dry = JsonObject(words[i].trimmed());
    const QJsonObject wrote = recorded[i].toObject();
    EXPECT_EQ(dry["block"], wrote["block"]);
    EXPECT_EQ(dry["address"], wrote["address"]);
    EXPECT_EQ(dry["words"].toArray().size(), wrote["words"].toArray().size());
    if (dry["block"].toInt() != 0) {
      EXPECT_EQ(dry["words"], wrote["words"]) << i;
    }
  }
}

// "label node outcome status" of each port a batch report lists.
std::string ReportRows(const QString& path) {
  QStringList rows;
  for (const auto& port :
       JsonObject(QByteArray::fromStdString(ReadFile(path.toStdString())))["ports"].toArray()) {
    const QJsonObject p = port.toObject();
    rows << QString("%1 %2 %3 %4")
                .arg(p["label"].toString(), QString::number(p["node"].toInt()), p["outcome"].toString(),
                     p["status"].toString());
  }
  return rows.join('|').toStdString();
}

// A line from a ports file: labels in the live lines, the summary and the
// report; a check of every port that writes nothing; a retry of the ports
// that failed, with their nodes and labels; controllers that already hold
// the plan left unwritten.
TEST(BatchCommand, ALineFromAPortsFileIsCheckedRetriedAndSkippedWhereItMatches) {
  const QString plan = ExamplePlan();
  // The third machine lacks a module: its apply fails, nothing written.
  const QStringList chains{ExampleChain(), ExampleChain(), "01:RA412"};
  std::array<SimProcess, 3> sims;
  QString list = "# press line\n";
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(StartWithEeprom(sims[i], {"--modules", chains[i]}));
    list += QString("  %1\t%2 Press %3  \n").arg(sims[i].Link()).arg(21 + i).arg(i + 1);
  }
  const QString dir = sims[0].Dir();
  ASSERT_TRUE(sims[0].WriteFile("line.txt", list.toLocal8Bit()));

  const CliRun first = RunCli(
      {"batch", plan, "--ports-file", dir + "/line.txt", "--out", dir, "--report", dir + "/first.json"});
  EXPECT_EQ(first.exitCode, 1) << first.err.constData();
  EXPECT_TRUE(Contains(first.out, "Press 3 " + sims[2].Link().toLocal8Bit() + " node 23: nothing written"));
  EXPECT_EQ(ReportRows(dir + "/first.json"),
            "Press 1 21 ok ok|Press 2 22 ok ok|Press 3 23 failed nothing written");
  // The summary lists every differing slot (a type code, a module missing)
  // below the reason, wrapped within 80 columns.
  const QByteArray summary = first.out.mid(first.out.indexOf("\nport ") + 1);
  for (const QByteArray& text : summary.split('\n')) EXPECT_LE(text.size(), 79) << text.constData();
  for (const char* text : {"the modules connected are not the plan's chain; nothing written:",
                           "slot 1: expected", "slot 2: expected", "slot 3: expected"}) {
    EXPECT_TRUE(summary.contains(text)) << summary.constData();
  }
  const QJsonObject failed = JsonObject(sims[0].ReadFile("first.json"))["ports"].toArray()[2].toObject();
  EXPECT_EQ(std::pair(failed["details"].toArray().size(), failed["stderr"].toArray().size() >= 4),
            std::pair(qsizetype{3}, true));
  std::array<QByteArray, 3> written;
  for (int i = 0; i < 3; ++i) written[i] = sims[i].ReadFile("eeprom");

  // A check writes nothing: the two written controllers match, the third differs in its chain.
  const CliRun check =
      RunCli({"batch", plan, "--check", "--ports-file", dir + "/line.txt", "--report", dir + "/check.json"});
  EXPECT_EQ(check.exitCode, 1) << check.err.constData();
  const QJsonArray differences =
      JsonObject(sims[0].ReadFile("check.json"))["ports"].toArray()[2].toObject()["differences"].toArray();
  EXPECT_FALSE(differences.isEmpty());
  EXPECT_EQ(ReportRows(dir + "/check.json"),
            "Press 1 21 ok matches|Press 2 22 ok matches|Press 3 23 failed differs (" +
                std::to_string(differences.size()) + ")");
  EXPECT_TRUE(Contains(check.out, "Press 2 " + sims[1].Link().toLocal8Bit() + " node 22: matches"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(sims[i].ReadFile("eeprom"), written[i]) << i;

  // The retry takes only the failed port, with its node and label.
  const CliRun retry = RunCli({"batch", plan, "--retry", dir + "/first.json", "--skip-matching", "--out", dir,
                               "--report", dir + "/retry.json"});
  EXPECT_EQ(retry.exitCode, 1);
  EXPECT_EQ(ReportRows(dir + "/retry.json"), "Press 3 23 failed nothing written");
  EXPECT_EQ(JsonObject(sims[0].ReadFile("retry.json"))["ports"].toArray()[0].toObject()["port"],
            sims[2].Link());

  // Controllers that already hold the plan are not written again.
  const CliRun again = RunCli({"batch", plan, "--ports", sims[0].Link() + "," + sims[1].Link(), "--nodes",
                               "21-22", "--skip-matching", "--out", dir, "--report", dir + "/again.json"});
  EXPECT_EQ(again.exitCode, 0) << again.err.constData();
  EXPECT_EQ(ReportRows(dir + "/again.json"), " 21 ok already matches| 22 ok already matches");
  EXPECT_EQ(sims[0].ReadFile("eeprom"), written[0]);

  for (const char* bad : {"--ports-file", "--retry"}) {
    EXPECT_EQ(RunCli({"batch", plan, bad, dir}).exitCode, 2) << bad;  // a folder
  }
}

// gw20cli kept in, and run from, a folder whose name is UTF-8: the path it
// hands its applies, the plan, the EDS files and the report must stay the
// system's bytes (once, every port failed: "cannot start the apply").
TEST(BatchCommand, RunsFromAFolderNamedInUtf8) {
  const plans::Plan plan = LinePlan(3);
  ScratchFolder scratch("names");
  const std::filesystem::path folder = scratch / "zo\xC3\xAB";
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(GW20CLI_PATH, folder / "gw20cli");
  ASSERT_EQ(plans::WritePlan(folder / "line.json", plan), std::nullopt);
  SimProcess sims[2];
  for (SimProcess& sim : sims) ASSERT_TRUE(sim.Start({"--modules", ModuleListOf(plan).c_str()}));

  QProcess cli;
  cli.setWorkingDirectory(qtui::ToQtFileName(folder));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("LC_ALL", "C.UTF-8");
  cli.setProcessEnvironment(environment);
  cli.start(qtui::ToQtFileName(folder / "gw20cli"),
            {"batch", "line.json", "--ports", sims[0].Link() + "," + sims[1].Link(), "--nodes", "1,2",
             "--report", "report.json"});
  ASSERT_TRUE(cli.waitForFinished(120000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();
  const QJsonArray ports =
      JsonObject(QByteArray::fromStdString(ReadFile(folder / "report.json")))["ports"].toArray();
  ASSERT_EQ(ports.size(), 2);
  for (int i = 0; i < 2; ++i) {
    const std::filesystem::path eds = folder / ("ZELKDNS " + std::to_string(i + 1) + ".eds");
    EXPECT_TRUE(std::filesystem::is_regular_file(eds)) << eds;
    EXPECT_EQ(ports[i].toObject()["message"].toString(), qtui::ToQtFileName(eds));
  }
}

}  // namespace
}  // namespace gw20::testing
