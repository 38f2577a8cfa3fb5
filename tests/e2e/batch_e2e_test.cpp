// gw20cli batch: what it refuses before any port is touched, the progress
// lines its applies write, their display, and applies that end oddly. A
// batch of gw20sim controllers with its report is BatchFaults'.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
#include "tests/e2e/line_plan.h"
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
  EXPECT_EQ(Parse("apply p.json --node 9 --progress-fd 3").planNode, 9);
  // apply and batch write the header last unless told otherwise; the profile commands only when asked.
  EXPECT_TRUE(ok.safeOrder);
  EXPECT_TRUE(Parse("apply p.json --safe-order").safeOrder);
  EXPECT_FALSE(Parse("apply p.json --controller-order").safeOrder);
  EXPECT_FALSE(Parse("canopen").safeOrder);
  EXPECT_TRUE(Parse("canopen --safe-order").safeOrder);

  for (const char* bad : {"batch p.json",
                          "batch p.json --ports=",
                          "batch p.json --ports COM1,,COM2",
                          "batch p.json --ports COM1,com1",
                          "batch p.json --ports COM1,COM2 --nodes 1",
                          "batch p.json --ports COM1,COM2 --nodes 1,x",
                          "batch p.json --ports COM1,COM2 --nodes 3,3",
                          "batch p.json --ports COM1 --port COM2",
                          "batch p.json --ports COM1 --record r.json",
                          "batch p.json --ports COM1 --node 3",
                          "batch p.json --ports COM1 --scan-baud 9600",
                          "batch p.json --ports COM1 --report=",
                          "apply p.json --ports COM1",
                          "apply p.json --report r.json",
                          "scan --progress-fd 3",
                          "apply p.json --progress-fd 2",
                          "apply p.json --node x",
                          "save p.json --node 3",
                          "apply p.json --safe-order --controller-order",
                          "scan --controller-order"}) {
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

  const std::string partly(link::kPartlyWrittenMessage);
  EXPECT_EQ(cli::FailureMessage({"Warnning: something", "gw20cli: no echo of \"1\"", partly, "Timeout"}),
            partly + " Timeout");
  EXPECT_EQ(cli::FailureMessage({partly, "x", "gw20cli: /dev/x: there is no such device"}),
            "/dev/x: there is no such device");
  const std::string hint(link::kAdapterHint);
  EXPECT_EQ(cli::FailureMessage({"gw20cli: no echo of \"1\"; /dev/x hung up: " + hint, partly, "Timeout"}),
            partly + " Timeout (" + hint + ")");
  // A chain mismatch: its heading is the reason, every slot below it a detail.
  const std::vector<std::string> mismatch{
      "gw20cli: the modules connected are not the plan's chain; nothing written:",
      "gw20cli:   slot 2: expected 0B RA850 (type code 08, data format 02), found no module",
      "gw20cli:   slot 3: expected 0C RA850 (type code 08, data format 02), found no module"};
  EXPECT_EQ(cli::FailureMessage(mismatch),
            "the modules connected are not the plan's chain; nothing written:");
  EXPECT_EQ(cli::FailureDetails(mismatch),
            (std::vector<std::string>{
                "slot 2: expected 0B RA850 (type code 08, data format 02), found no module",
                "slot 3: expected 0C RA850 (type code 08, data format 02), found no module"}));
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
  for (std::string line; std::getline(lines, line); ++count) {
    EXPECT_LE(line.size(), 79U) << line;
  }
  EXPECT_EQ(count, 1 + 1 + 2 + 2 * 2);
}

// The report names the plan by its whole path, reads the applies' lines as
// Latin-1, and a plan that cannot be hashed says why.
TEST(BatchCommand, ReportHoldsThePlansWholePathAndLatin1Messages) {
  cli::BatchPortResult failed;
  failed.port = "COM2";
  failed.message = "Module \"RA8\xE9\" answered garbage";
  failed.errorLines = {"gw20cli: " + failed.message};
  const QJsonObject report =
      QJsonDocument::fromJson(QByteArray::fromStdString(cli::BatchReportJson("p.json", {failed}))).object();
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
  const std::string text = out.str();
  EXPECT_NE(text.find("killed node 6: nothing written: the apply ended by signal 9"), std::string::npos)
      << text;
  EXPECT_NE(text.find("failing node 7: nothing written: Timeout"), std::string::npos) << text;
  // It wrote nothing, so its exit status alone decides.
  EXPECT_NE(text.find("quiet node 5: OK"), std::string::npos) << text;
}

}  // namespace
}  // namespace gw20::testing
