// gw20cli against gw20sim, both as separate programs over a real
// pseudo-terminal: scan --json lists the modules found with the scan options,
// canopen commits to the controller's EEPROM and writes an EDS file that
// reads back whole; devicenet lists, refuses a Strobe choice the page
// refuses, commits the connections picked, keeps them on a re-commit that
// names none and refuses to keep one the lists cannot give.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>

#include "tests/support/eds_reader.h"
#include "tests/support/sim_process.h"

namespace gw20::testing {
namespace {

QByteArray LastLine(const QByteArray& text) { return text.split('\n').back(); }

TEST(CliEndToEnd, ScanJson_ListsTheModulesFoundWithTheScanOptions) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--modules", "01:RA850:40:01,0A:RA412:41:00,03:RA394", "--field-baud", "19200",
                         "--field-checksum", "on"}));
  const CliRun run = RunCli({"--port", sim.Link(), "--scan-baud", "19200", "--scan-checksum", "on",
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
  const QStringList lines = sim.Transcript();
  for (const char* line : {"/s1", "/timeout 300", "/baud 19200"}) {
    EXPECT_TRUE(lines.contains(line)) << line << " in " << lines.join('|').toStdString();
  }

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

  const CliRun missing = RunCli({"--port", "/nonexistent/gw20-port", "scan"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.out.isEmpty());
  // The device is named first, not as the COM port it stands in for.
  EXPECT_EQ(missing.err.trimmed().toStdString(), "gw20cli: /nonexistent/gw20-port: there is no such device");
}

TEST(CliEndToEnd, Canopen_WritesTheEepromAndAnEdsThatReadsBack_UnlessASettingIsRejected) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--eeprom", sim.Path("eeprom"), "--modules", "01:RA850,0A:RA412,03:RA502:50"}));
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

  const QByteArray bytes = sim.ReadFile("COPn7.eds");
  const auto eds = ReadEds(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  EXPECT_TRUE(eds.problems.empty()) << eds.problems.front();
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
  const QByteArray eeprom = sim.ReadFile("eeprom");
  for (const char* word : {"0:40=28573732\n", "0:44=24\n", "0:48=458757\n", "0:60=17039510\n"}) {
    EXPECT_TRUE(eeprom.contains(word)) << word;
  }
}

TEST(CliEndToEnd, DeviceNet_ListsRefusesALongStrobeCommitsThePicksAndKeepsThemOnARecommit) {
  SimProcess sim;
  // Digital and analog data both ways: two output and two input assemblies;
  // RA850's eight analog inputs make input assembly 2 longer than 8 bytes.
  ASSERT_TRUE(sim.Start({"--eeprom", sim.Path("eeprom"), "--modules", "01:RA850,03:RA412,0A:RA312"}));
  const QStringList devicenet{"--port", sim.Link(), "devicenet", "--node", "5", "--out", sim.Dir()};

  const CliRun list = RunCli({"--port", sim.Link(), "devicenet", "--list", "--json"});
  ASSERT_EQ(list.exitCode, 0) << list.err.constData();
  const QJsonObject lists = QJsonDocument::fromJson(list.out).object();
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
  EXPECT_TRUE(text.out.contains(bigInput)) << text.out.constData();

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
  EXPECT_TRUE(file.contains("\r\n$ M\xFCller ?\r\n$ Created by QA line\r\n")) << file.constData();

  // Node 5, DeviceNet at 250 kbit/s; block 1: default COS, Poll produces
  // input assembly 1 (instance 3, after the two output ones) and consumes
  // output assembly 2, Strobe produces the fresh controller's preset None
  // and consumes output assembly 1, COS produces input assembly 2
  // (instance 4) and consumes item 2 through the acknowledge handler.
  const QByteArray eeprom = sim.ReadFile("eeprom");
  for (const char* word :
       {"\n0:48=327937\n", "\n1:0=131072\n", "\n1:4=17040131\n", "\n1:8=262147\n", "\n1:12=33817603\n",
        "\n1:16=33817091\n", "\n1:20=17039619\n", "\n1:24=36372736\n"}) {
    EXPECT_TRUE(eeprom.contains(word)) << word;
  }

  // A re-commit naming only the node keeps block 1 as stored.
  const auto blockOne = [&sim] {
    QByteArrayList words;
    for (const QByteArray& line : sim.ReadFile("eeprom").split('\n')) {
      if (line.startsWith("1:") && line.mid(2).split('=').front().toInt() <= 24) words << line;
    }
    return words;
  };
  const QByteArrayList stored = blockOne();
  ASSERT_EQ(stored.size(), 7);
  const CliRun again = RunCli({"--port", sim.Link(), "devicenet", "--node", "6", "--out", sim.Dir()});
  ASSERT_EQ(again.exitCode, 0) << again.err.constData();
  EXPECT_TRUE(sim.ReadFile("eeprom").contains("\n0:48=393473\n"));
  EXPECT_EQ(blockOne(), stored);

  // A stored connection no list entry gives (Strobe consumed item 60) is
  // refused before anything is sent.
  SimProcess other;
  QByteArray image = sim.ReadFile("eeprom");
  image.replace("\n1:20=17039619\n", "\n1:20=1006895363\n");
  QFile imageFile(other.Path("eeprom"));
  ASSERT_TRUE(imageFile.open(QIODevice::WriteOnly) && imageFile.write(image) == image.size());
  imageFile.close();
  ASSERT_TRUE(other.Start({"--eeprom", other.Path("eeprom"), "--modules", "01:RA850,03:RA412,0A:RA312"}));
  const CliRun refusedToKeep =
      RunCli({"--port", other.Link(), "devicenet", "--node", "7", "--out", other.Dir()});
  EXPECT_EQ(refusedToKeep.exitCode, 1);
  EXPECT_TRUE(LastLine(refusedToKeep.err).startsWith("gw20cli: --strobe: the consumed connection"))
      << refusedToKeep.err.constData();
  EXPECT_EQ(other.ReadFile("eeprom"), image);
  EXPECT_FALSE(QFile::exists(other.Path("ZELKDNS 7.eds")));
}

}  // namespace
}  // namespace gw20::testing
