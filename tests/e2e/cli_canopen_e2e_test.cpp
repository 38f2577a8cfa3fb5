// gw20cli canopen against the simulated controller over a real
// pseudo-terminal: the options reach both panels and the page, the commit
// reaches the controller's EEPROM file, and the EDS file reads back whole.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <string>

#include "tests/e2e/eds_reader.h"

namespace gw20 {
namespace {

using namespace std::chrono_literals;
// Generous limits for a loaded machine; no test asserts a duration.
constexpr int kStartLimitMs = 10000;
constexpr int kRunLimitMs = 120000;
constexpr auto kPollStep = 20ms;

class CliCanopenEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    sim_.start(QStringLiteral(GW20SIM_PATH), {"--link", Path("com1"), "--eeprom", Path("eeprom"), "--modules",
                                              "01:RA850,0A:RA412,03:RA502:50"});
    ASSERT_TRUE(sim_.waitForStarted(kStartLimitMs));
    for (auto waited = 0ms; !QFile::exists(Path("com1")); waited += kPollStep) {
      ASSERT_EQ(sim_.state(), QProcess::Running) << "gw20sim ended before serving";
      ASSERT_LT(waited.count(), kStartLimitMs) << "gw20sim made no link";
      QThread::msleep(static_cast<unsigned long>(kPollStep.count()));
    }
  }
  void TearDown() override {
    sim_.terminate();
    if (!sim_.waitForFinished(kStartLimitMs)) sim_.kill();
    sim_.waitForFinished();
  }

  QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  // Runs gw20cli canopen with `options`; returns the exit code and fills
  // `out` and `err`.
  int RunCanopen(const QStringList& options) {
    QProcess cli;
    cli.start(QStringLiteral(GW20CLI_PATH), QStringList{"--port", Path("com1"), "canopen"} + options);
    if (!cli.waitForFinished(kRunLimitMs)) {
      cli.kill();
      cli.waitForFinished();
      return -1;
    }
    out_ = cli.readAllStandardOutput().trimmed();
    err_ = cli.readAllStandardError().trimmed();
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
  }

  QByteArray ReadFile(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir_;
  QProcess sim_;
  QByteArray out_, err_;
};

TEST_F(CliCanopenEndToEnd, Commit_WritesTheEepromAndAnEdsThatReadsBack) {
  ASSERT_EQ(RunCanopen({"--node", "7", "--can-baud", "500", "--guarding", "1000,3", "--description", "Line 3",
                        "--created-by", "QA", "--com2-baud", "19200", "--com2-checksum", "on",
                        "--com2-timeout", "150", "--out", dir_.path()}),
            0)
      << err_.constData();
  const QString edsPath = Path("COPn7.eds");
  EXPECT_EQ(out_, edsPath.toLocal8Bit());

  const QByteArray bytes = ReadFile(edsPath);
  const auto eds =
      testing::ReadEds(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  EXPECT_TRUE(eds.problems.empty()) << eds.problems.front();
  ASSERT_FALSE(eds.sectionOrder.empty());
  EXPECT_EQ(eds.sectionOrder.front(), "FileInfo");
  EXPECT_EQ(eds.sectionOrder.back(), "Comments");
  EXPECT_EQ(eds.Value("FileInfo", "Description"), "Line 3");
  EXPECT_EQ(eds.Value("FileInfo", "CreatedBy"), "QA");
  EXPECT_EQ(eds.Value("DeviceInfo", "BaudRate_500"), "1");
  EXPECT_EQ(eds.Value("100C", "DefaultValue"), "0x3E8");
  EXPECT_EQ(eds.Value("100D", "DefaultValue"), "0x3");
  EXPECT_EQ(eds.Value("1017", "DefaultValue"), "<missing>");
  EXPECT_EQ(eds.Value("1400sub1", "DefaultValue"), "0x207");
  // The counter module is counted by the commit itself.
  EXPECT_EQ(eds.Value("2200", "SubNumber"), "3");

  // Header words: magic and size, block sizes (3 modules), node 7 at
  // 500 kbit/s, field port checksum on, 19200 bit/s, 150 ms.
  const QByteArray eeprom = ReadFile(Path("eeprom"));
  for (const char* word : {"0:40=28573732\n", "0:44=24\n", "0:48=458757\n", "0:60=17039510\n"}) {
    EXPECT_TRUE(eeprom.contains(word)) << word;
  }
}

TEST_F(CliCanopenEndToEnd, RejectedSetting_FailsWithThePanelsMessageAndNoFile) {
  EXPECT_EQ(RunCanopen({"--node", "200", "--out", dir_.path()}), 1);
  EXPECT_TRUE(err_.endsWith("Error: Node ID is not supported!(1~127)")) << err_.constData();
  EXPECT_TRUE(out_.isEmpty());
  EXPECT_FALSE(QFile::exists(Path("COPn200.eds")));
  EXPECT_FALSE(ReadFile(Path("eeprom")).contains("0:40=28573732\n"));
}

}  // namespace
}  // namespace gw20

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
