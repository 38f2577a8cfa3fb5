// gw20cli through ser2net, Debian's serial device server, to gw20sim, all as
// separate programs on 127.0.0.1, as raw TCP and as RFC 2217. The simulators
// pace what arrives at the line's rate, as a device server's serial side does.
#include <gtest/gtest.h>

#include <QFile>
#include <QThread>
#include <algorithm>
#include <array>
#include <vector>

#include "link/eeprom_procedures.h"
#include "tests/e2e/e2e_helpers.h"
#include "tests/support/ser2net_process.h"

namespace gw20::testing {
namespace {

using Accepter = Ser2netProcess::Accepter;

// The controller's 8-character buffer, filled at 115200 bit/s.
const QStringList kLine{"--fifo", "8", "--line-rate", "115200"};
constexpr int kModules = 5;

// A line's DeviceNet plan (node 7) and a CANopen plan for the same chain
// (node 9, heartbeat), written into `folder`.
struct Plans {
  explicit Plans(const ScratchFolder& folder)
      : deviceNet(QString::fromStdString((folder / "devicenet.json").string())),
        canopen(QString::fromStdString((folder / "canopen.json").string())) {
    plans::Plan plan = LinePlan(kModules);
    chain = QString::fromStdString(ModuleListOf(plan));
    written = !plans::WritePlan(deviceNet.toStdString(), plan);
    plan.profile = plans::Profile::CANopen;
    plan.nodeId = 9;
    plan.canBitRateKbps = 500;
    plan.deviceNet = {};
    plan.errorControl = {plans::ErrorControlProtocol::Heartbeat, 0, 0, 200, 0};
    written = written && !plans::WritePlan(canopen.toStdString(), plan);
  }
  QString deviceNet, canopen, chain;
  bool written = false;
};

// The transcript with the commit's time stamp (block 0's words 52 and 56)
// left out: it differs run by run. Written from "el 40" they are typed fourth
// and fifth; in the safe order (the header made unwritten first, "el 40",
// "0", ".") they are written from "el 44", third and fourth.
bool IsNumber(const QString& line) {
  bool number = false;
  (void)line.toLongLong(&number);
  return number;
}

QStringList ButTimeStamp(QStringList lines) {
  for (int i = 0; i + 5 < lines.size(); ++i) {
    if (lines[i] == "el 40" && IsNumber(lines[i + 1]) && lines[i + 2] != ".")
      lines[i + 4] = lines[i + 5] = "<time stamp>";
    if (lines[i] == "el 44" && IsNumber(lines[i + 1])) lines[i + 3] = lines[i + 4] = "<time stamp>";
  }
  return lines;
}

// What both plans, applied one after the other to a fresh controller reached
// at `port`, leave: the EEPROM words, both EDS files (but their dates), the
// transcript (but the time stamp) and what the applies said on standard error.
std::string CommitBoth(const Plans& plans, SimProcess& sim, const QString& port) {
  QStringList done;
  for (const QString& plan : {plans.canopen, plans.deviceNet}) {
    const CliRun run = RunCli({"--port", port, "apply", plan, "--out", sim.Dir()});
    EXPECT_EQ(run.exitCode, 0) << port.toStdString() << ": " << run.err.constData();
    done << QString::fromLatin1(run.err);
  }
  const QMap<QByteArray, QByteArray> words = EepromFileWords(sim.ReadFile("eeprom"), true);
  EXPECT_FALSE(words.isEmpty());
  for (auto word = words.begin(); word != words.end(); ++word) done << word.key() + "=" + word.value();
  for (const char* eds : {"COPn9.eds", "ZELKDNS 7.eds"}) {
    const QByteArrayList lines = EdsButDateAndTime(sim.ReadFile(eds));
    EXPECT_GT(lines.size(), 10) << eds;
    for (const QByteArray& line : lines) done << QString::fromLatin1(line);
  }
  return (done + ButTimeStamp(sim.Transcript())).join('\n').toStdString();
}

TEST(Ser2netEndToEnd, RawTcpAndRfc2217_CommitWhatTheLocalDeviceCommits) {
  const ScratchFolder folder("plans");
  const Plans plans(folder);
  ASSERT_TRUE(plans.written);
  SimProcess local;
  ASSERT_TRUE(StartWithEeprom(local, QStringList{"--modules", plans.chain} + kLine));
  const std::string reference = CommitBoth(plans, local, local.Link());

  for (const Accepter accepter : {Accepter::RawTcp, Accepter::Rfc2217}) {
    SimProcess sim;
    ASSERT_TRUE(StartWithEeprom(sim, QStringList{"--modules", plans.chain} + kLine));
    Ser2netProcess server;
    ASSERT_TRUE(server.Start({{accepter, sim.Link()}})) << server.Problem().toStdString();
    SCOPED_TRACE(server.Address(0).toStdString());
    EXPECT_EQ(CommitBoth(plans, sim, server.Address(0)), reference);
  }
}

TEST(Ser2netEndToEnd, BatchOverFourServerPorts) {
  constexpr int kControllers = 4;
  const ScratchFolder folder("batch");
  const Plans plans(folder);
  ASSERT_TRUE(plans.written);
  std::array<SimProcess, kControllers> sims;
  std::vector<Ser2netProcess::Connection> connections;
  for (std::size_t i = 0; i < sims.size(); ++i) {
    ASSERT_TRUE(StartWithEeprom(sims[i], QStringList{"--modules", plans.chain} + kLine));
    connections.push_back({i % 2 == 0 ? Accepter::RawTcp : Accepter::Rfc2217, sims[i].Link()});
  }
  Ser2netProcess server;
  ASSERT_TRUE(server.Start(connections)) << server.Problem().toStdString();
  QStringList ports;
  for (int i = 0; i < kControllers; ++i) ports << server.Address(static_cast<std::size_t>(i));
  const QString out = QString::fromStdString(folder.Path().string());
  const CliRun run =
      RunCli({"batch", plans.deviceNet, "--ports", ports.join(','), "--nodes", "1,2,3,4", "--out", out});
  EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
  for (int i = 0; i < kControllers; ++i) {
    const QString node = QString::number(i + 1);
    EXPECT_TRUE(run.out.contains((ports[i] + " node " + node + ": OK").toLatin1())) << run.out.constData();
    EXPECT_TRUE(QFile::exists(out + "/ZELKDNS " + node + ".eds")) << node.toStdString();
    const auto words = EepromFileWords(sims[static_cast<std::size_t>(i)].ReadFile("eeprom"));
    EXPECT_EQ((words.value("0:48").toLongLong() >> 16) & 0xFF, i + 1);  // the header's node byte
  }
}

// The commit types words back only while it writes: the first line of the
// transcript that is a number is the EEPROM write under way.
bool WriteStarted(const SimProcess& sim) { return std::ranges::any_of(sim.Transcript(), IsNumber); }

TEST(Ser2netEndToEnd, ServerStoppedDuringTheEepromWrite_PartlyWritten) {
  const ScratchFolder folder("plans");
  const Plans plans(folder);
  ASSERT_TRUE(plans.written);
  SimProcess sim;
  ASSERT_TRUE(StartWithEeprom(sim, QStringList{"--modules", plans.chain} + kLine));
  Ser2netProcess server;
  ASSERT_TRUE(server.Start({{Accepter::Rfc2217, sim.Link()}})) << server.Problem().toStdString();
  QProcess cli;
  cli.start(QStringLiteral(GW20CLI_PATH),
            {"--port", server.Address(0), "apply", plans.canopen, "--out", sim.Dir()});
  ASSERT_TRUE(cli.waitForStarted());
  // Bounded: the connect and the write take seconds.
  constexpr int kPollMs = 20;
  constexpr int kLimitMs = 60000;
  for (int waited = 0; !WriteStarted(sim) && waited < kLimitMs; waited += kPollMs) {
    if (cli.state() == QProcess::NotRunning) break;
    QThread::msleep(kPollMs);
  }
  ASSERT_TRUE(WriteStarted(sim)) << cli.readAllStandardError().constData();
  server.Stop();
  ASSERT_TRUE(cli.waitForFinished(kLimitMs));
  const QByteArray err = cli.readAllStandardError().trimmed();
  EXPECT_EQ(cli.exitCode(), 3);  // partly written
  const QString address = server.Address(0);
  const QByteArray note = "connection to " + address.mid(address.indexOf("//") + 2).toLatin1() +
                          " closed: check the device server";
  EXPECT_TRUE(err.contains(note)) << err.constData();
  // The system's words last: the time-out, after the note that the EEPROM is partly written.
  const QByteArrayList lines = err.split('\n');
  ASSERT_GE(lines.size(), 2) << err.constData();
  EXPECT_EQ(lines[lines.size() - 2].toStdString(), link::kPartlyWrittenMessage);
  EXPECT_EQ(lines.back(), "Timeout");
  EXPECT_FALSE(QFile::exists(sim.Path("COPn9.eds")));
}

}  // namespace
}  // namespace gw20::testing
