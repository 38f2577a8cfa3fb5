// The command-line tool's own parts: options, scripted operator, printed
// messages and the scan report.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/cli_services.h"
#include "app/cli/plan_commands.h"
#include "app/cli/scan_report.h"
#include "app/cli/scripted_operator.h"
#include "devicenet/connections.h"
#include "devicenet/dnseds_set.h"
#include "link/eeprom_image.h"
#include "tests/support/app_harness.h"

namespace gw20::cli {
namespace {

CliOptions Parse(const std::vector<std::string_view>& args) { return ParseCliOptions(args); }

TEST(CliOptions, Parse_AcceptsPortsRatesAndBothOptionForms) {
  const CliOptions com = Parse({"--port", "com16", "--scan-baud=115200", "--scan-checksum", "on", "scan",
                                "--json", "--scan-timeout", "0"});
  EXPECT_EQ(com.port.comNumber, 16);
  EXPECT_EQ(com.scan.baudIndex, 7);
  EXPECT_EQ(com.scan.timeoutText, "0");

  const CliOptions device = Parse({"--port=/dev/pts/4", "--scan-baud", "1200", "scan"});
  EXPECT_EQ(device.port.kind, ui::AddressKind::Device);
  EXPECT_EQ(device.port.device, "/dev/pts/4");
  EXPECT_EQ(device.scan.baudIndex, 0);
  // A typed text is the locale's (UTF-8) and reaches the window as Latin-1,
  // one "?" per character outside it (an invalid byte too); control
  // characters are the writers' to blank. A path keeps its bytes.
  const CliOptions typed = Parse({"--port", "/tmp/M\xC3\xBCller", "canopen", "--description",
                                  "M\xC3\xBCller \xE2\x82\xAC\xF0\x9F\x98\x80", "--created-by", "Caf\xE9\t"});
  EXPECT_EQ(typed.gateway.description, "M\xFCller ??");
  EXPECT_EQ(typed.gateway.createdBy, "Caf?\t");
  EXPECT_EQ(typed.port.device, "/tmp/M\xC3\xBCller");
  // A relative device path is taken where the operator stands, and named as given.
  const CliOptions relative = Parse({"--port", "gw20-com1", "scan"});
  EXPECT_EQ(relative.port.device, (std::filesystem::current_path() / "gw20-com1").string());
  EXPECT_EQ(relative.port.text, "gw20-com1");
  EXPECT_EQ(Parse({"--port", "rfc2217://[::1]:4001", "scan"}).port.HostAndPort(), "[::1]:4001");

  const CliOptions commit =
      Parse({"canopen", "--verify", "--safe-order", "--out", std::filesystem::temp_directory_path().c_str()});
  EXPECT_TRUE(commit.verify && commit.safeOrder);
  EXPECT_TRUE(Parse({"canopen"}).verify);  // read back unless turned off
  EXPECT_TRUE(Parse({"--version"}).version);
  EXPECT_EQ(Parse({"canopen", "--node", "127"}).gateway.nodeText, "127");
  EXPECT_FALSE(Parse({"canopen", "--no-verify"}).verify);
  // Words read alone unless the windows' way is asked for.
  EXPECT_TRUE(Parse({"scan"}).readWordsAlone && Parse({"--no-type-back", "scan"}).readWordsAlone);
  EXPECT_FALSE(Parse({"--type-back", "canopen"}).readWordsAlone);
}

TEST(CliOptions, Parse_RefusesBadUsageNamingTheOption) {
  EXPECT_THROW(Parse({}), CliUsageError);
  // Command lines separated by ";", their arguments by blanks.
  std::istringstream bad(
      "scan frob;scan --frob;scan --port;--port COM17 scan;--port tcp://u:p@h:1 scan;--port ftp://h:1 "
      "scan;--scan-baud 9601 scan;--scan-timeout 32768 scan;"
      "--scan-timeout 99999999999999999999 scan;--json=yes scan;scan --verify;scan --no-verify;canopen "
      "--verify --no-verify;devicenet --list --safe-order;"
      "canopen --out /nonexistent/folder;devicenet --poll 1;devicenet --poll ,;devicenet --cos a,1;"
      "devicenet --poll 99999999999,;devicenet --default pol;devicenet --can-baud 1000;devicenet --list=yes;"
      "devicenet --heartbeat 100;canopen --poll 1,2;scan --list;--type-back --no-type-back scan;"
      "eds plan.json --type-back");
  for (std::string line; std::getline(bad, line, ';');) {
    std::istringstream words(line);
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    EXPECT_THROW(Parse(std::vector<std::string_view>(args.begin(), args.end())), CliUsageError) << line;
  }
  // A value the panel would refuse is refused before connecting, in the panel's words.
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> panel{
      {{"devicenet", "--strobe", "x"}, "--strobe x:"},
      {{"devicenet", "--node", "64"}, "Node ID is not supported!(1~63)"},
      {{"canopen", "--node", "0"}, "Node ID is not supported!(1~127)"},
      {{"canopen", "--com2-timeout", "32768"}, "Timeout value is out of range!(1ms~32767ms)"}};
  for (const auto& [args, message] : panel) {
    try {
      Parse(args);
      ADD_FAILURE() << "no usage error for " << message;
    } catch (const CliUsageError& error) {
      EXPECT_TRUE(std::string(error.what()).starts_with(message)) << error.what();
    }
  }
}

// What --poll 1,2 --cos 2, --default cos --can-baud 250 (after the command)
// and --list --json store is CliEndToEnd's; here the other forms.
TEST(CliOptions, Parse_DeviceNetConnectionsHalvesADefaultAndARateFirst) {
  const CliOptions run = Parse({"--can-baud", "250", "devicenet", "--strobe=3,", "--cos", ",0"});
  // The DeviceNet list, not the CANopen one, although the rate came first.
  EXPECT_EQ(run.gateway.canBaudIndex, 1);
  const auto& c = run.devicenet.connections;
  EXPECT_EQ(c[devicenet::kStrobe].produced, 3);
  EXPECT_EQ(c[devicenet::kStrobe].consumed, std::nullopt);
  EXPECT_EQ(c[devicenet::kCosCyclic].produced, std::nullopt);
  EXPECT_EQ(c[devicenet::kCosCyclic].consumed, 0);
  // Any case: the one name not in the end-to-end run.
  EXPECT_EQ(Parse({"devicenet", "--default", "Strobe"}).devicenet.defaultConnection,
            devicenet::kDefaultStrobe);
}

TEST(CliOptions, Parse_PlanCommandsTakeAPlanAndOnlyTheirOwnOptions) {
  const std::string tmp = std::filesystem::temp_directory_path().string();
  const CliOptions apply = Parse({"--port", "COM2", "apply", "line.json", "--no-verify", "--safe-order",
                                  "--out", tmp, "--record", tmp + "/record.json"});
  EXPECT_EQ(apply.command, "apply");
  EXPECT_EQ(apply.planPath, "line.json");
  EXPECT_EQ(apply.recordPath, tmp + "/record.json");
  EXPECT_TRUE(!apply.verify && apply.safeOrder && apply.port.comNumber == 2);
  EXPECT_EQ(Parse({"eds", "p.json", "--firmware", "2.05-2006/03/07"}).firmware, "2.05-2006/03/07");
  EXPECT_EQ(Parse({"--scan-baud", "19200", "save", tmp + "/p.json"}).scan.baudIndex, 4);

  std::istringstream bad(
      "save;apply;eds a.json b.json;save p.json --node 3;apply p.json --poll 1,2;apply p.json --scan-baud "
      "9600;"
      "apply p.json --json;eds p.json --port COM1;eds p.json --scan-timeout 5;eds p.json --verify;"
      "save p.json --out .;save p.json --safe-order;save p.json --record r.json;canopen --record r.json;"
      "apply p.json --firmware 1.00-2000/01/01;apply p.json --record=");
  for (std::string line; std::getline(bad, line, ';');) {
    std::istringstream words(line);
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    EXPECT_THROW(Parse(std::vector<std::string_view>(args.begin(), args.end())), CliUsageError) << line;
  }
}

TEST(PlanCommands, FirmwareTextAndWrittenBlocks) {
  const auto firmware = ParseFirmwareText("2.05-2006/03/07");
  ASSERT_TRUE(firmware);
  EXPECT_EQ(firmware->FirmwareMajor * 10000 + firmware->FirmwareMinor * 100 + firmware->FirmwareDay, 20507);
  for (const char* text : {"2.05", "2.05-2006/13/07", "2-2006/03/07", "x.05-2006/03/07", "2.05-2006/03/"}) {
    EXPECT_FALSE(ParseFirmwareText(text)) << text;
  }
  link::EepromImage image;
  image.ConfigHeader.assign(link::kHeaderImageWords, 1);
  image.DeviceNetBlock.assign(link::kDeviceNetImageWords, 2);
  image.ModuleBlock.assign(6, 3);
  image.ModuleBlockBytes = 20;  // two modules
  const auto blocks = WrittenBlocks(image, true);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].address, link::kHeaderAddress);
  EXPECT_EQ(blocks[0].words.size(), static_cast<std::size_t>(link::kHeaderWords));
  EXPECT_EQ(blocks[1].block, 1);
  EXPECT_EQ(blocks[1].words.size(), static_cast<std::size_t>(link::kDeviceNetWords));
  EXPECT_EQ(blocks[2].words.size(), 5u);
  EXPECT_EQ(WrittenBlocks(image, false).size(), 2u);  // a CANopen commit leaves block 1 alone
}

TEST(PrintedMessages, TheSystemsTimeoutStaysTheLastLine) {
  std::ostringstream out;
  {
    PrintedMessages messages(out);
    messages.Note("gw20.console", "no \"[EEPROM:]\" after \"block 2\"");
    messages.Show("Timeout", "", ui::MessageButtons::Ok);
    messages.Show("The controller's EEPROM is only partly written: commit again.", "",
                  ui::MessageButtons::Ok);
    messages.Show("Timeout", "Error", ui::MessageButtons::Ok);
  }
  EXPECT_EQ(out.str(),
            "gw20cli: no \"[EEPROM:]\" after \"block 2\"\n"
            "The controller's EEPROM is only partly written: commit again.\nTimeout\nError: Timeout\n");
}

// How a script answers the scan dialog is CliEndToEnd's scan: answered inside
// Show, the answer would be lost and the scan never run.
TEST(ScriptedOperator, AModalWindowWithoutAScript_IsClosedNotWaitedFor) {
  testing::VirtualTime time;
  testing::VirtualPump pump(time);
  ScriptedOperator person(pump, ScanAnswers{6, 1, "40000"});
  ui::Form other("Other", person);
  other.Show(true);
  EXPECT_FALSE(other.Loaded());
  EXPECT_EQ(person.Shown(), std::vector<std::string>{"Other"});
}

using ScanReportTest = app::LoadedMainForm;

// What a real scan reports (prompt, count, addresses, codes) is CliEndToEnd's.
TEST_F(ScanReportTest, JsonIsValidAndTextAligned_ModulesInModuleOrder) {
  auto& table = h.state.modules;
  table.ModuleList[4] = {"RA\"8\xE9", "12", 0, 0, 2, 0, 2, 2, 0x40, 0x41, 0x0A};  // a counter module
  table.ModuleList[1] = {"RA394", "3", 0, 0, 0, 1, 0, 1, 0, 0, 0};
  table.ModuleOrder = {4, 1};
  table.ModuleCount = 2;
  const std::string json = ScanReportJson(h.state, form);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
  const QJsonArray list = document.object()["ModuleList"].toArray();
  ASSERT_EQ(list.size(), 2);
  EXPECT_EQ(list[0].toObject()["ModelName"].toString(), QString::fromLatin1("RA\"8\xE9"));
  // Slots counted from 1 in the chain's order; address and codes as a plan writes them.
  EXPECT_EQ(QStringList({QString::number(list[0].toObject()["Slot"].toInt()),
                         list[0].toObject()["Address"].toString(), list[0].toObject()["TypeCode"].toString(),
                         list[0].toObject()["DataFormat"].toString()}),
            QStringList({"1", "0C", "40", "0A"}));

  const std::string text = ScanReportText(h.state, form);
  EXPECT_NE(text.find("Modules         2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Slot  Address  Model  DO  AO  DI  AI  Counter  Type  Format\n"
                      "   1       0C  RA\"8\xE9   0   0   2   0        2 40/41      0A\n"
                      "   2       03  RA394   0   0   0   1        0    00      00\n"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace gw20::cli
