// The command-line tool's own parts: options, scripted operator, printed
// messages, the scan report, and the files a run writes (checked before
// anything is sent to a controller, placed only once written in full).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_services.h"
#include "app/cli/output_files.h"
#include "app/cli/plan_commands.h"
#include "app/cli/scan_report.h"
#include "app/cli/scripted_operator.h"
#include "devicenet/connections.h"
#include "devicenet/dnseds_set.h"
#include "link/eeprom_image.h"
#include "tests/e2e/line_plan.h"
#include "tests/support/app_harness.h"
#include "tests/support/test_services.h"

namespace gw20::cli {
namespace {

CliOptions Parse(const std::vector<std::string_view>& args) { return ParseCliOptions(args); }

// Why `line`'s blank-separated arguments are refused, or "" when they are taken.
std::string Refusal(const std::string& line) {
  std::istringstream words(line);
  const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
  try {
    Parse(std::vector<std::string_view>(args.begin(), args.end()));
    return "";
  } catch (const CliUsageError& error) {
    return error.what();
  }
}

TEST(CliOptions, Parse_AcceptsPortsRatesAndBothOptionForms) {
  const CliOptions com = Parse({"--port", "com16", "--scan-baud=115200", "--scan-checksum", "on", "scan",
                                "--json", "--scan-timeout", "0"});
  EXPECT_EQ(std::tuple(com.port.comNumber, com.scan.baudIndex, com.scan.timeoutText), std::tuple(16, 7, "0"));

  const CliOptions device = Parse({"--port=/dev/pts/4", "--scan-baud", "1200", "scan"});
  EXPECT_EQ(std::tuple(device.port.kind, device.port.device, device.scan.baudIndex),
            std::tuple(ui::AddressKind::Device, "/dev/pts/4", 0));
  // A typed text is the locale's (UTF-8) and reaches the window as Latin-1,
  // one "?" per character outside it (an invalid byte too); control
  // characters are the writers' to blank. A path keeps its bytes.
  const CliOptions typed = Parse({"--port", "/tmp/M\xC3\xBCller", "canopen", "--description",
                                  "M\xC3\xBCller \xE2\x82\xAC\xF0\x9F\x98\x80", "--created-by", "Caf\xE9\t"});
  EXPECT_EQ(std::tuple(typed.gateway.description, typed.gateway.createdBy, typed.port.device),
            std::tuple("M\xFCller ??", "Caf?\t", "/tmp/M\xC3\xBCller"));
  // A relative device path is taken where the operator stands, and named as given.
  const CliOptions relative = Parse({"--port", "gw20-com1", "scan"});
  EXPECT_EQ(std::tuple(relative.port.device, relative.port.text),
            std::tuple((std::filesystem::current_path() / "gw20-com1").string(), "gw20-com1"));
  EXPECT_EQ(Parse({"--port", "rfc2217://[::1]:4001", "scan"}).port.HostAndPort(), "[::1]:4001");

  const CliOptions commit =
      Parse({"canopen", "--verify", "--safe-order", "--out", std::filesystem::temp_directory_path().c_str()});
  // Read back unless turned off; words read alone unless the windows' way is asked for.
  EXPECT_TRUE(commit.verify && commit.safeOrder && Parse({"canopen"}).verify &&
              Parse({"--version"}).version && !Parse({"canopen", "--no-verify"}).verify);
  EXPECT_TRUE(Parse({"scan"}).readWordsAlone && Parse({"--no-type-back", "scan"}).readWordsAlone &&
              !Parse({"--type-back", "canopen"}).readWordsAlone);
  EXPECT_EQ(Parse({"canopen", "--node", "127"}).gateway.nodeText, "127");
}

TEST(CliOptions, Parse_RefusesBadUsageNamingTheOption) {
  EXPECT_THROW(Parse({}), CliUsageError);
  // Command lines separated by ";", their arguments by blanks; the first
  // ones lack a plan or have one too many.
  std::istringstream bad(
      "save;apply;eds a.json b.json;diff a.json;apply p.json --record=;scan frob;scan --frob;scan "
      "--port;--port COM17 scan;--port tcp://u:p@h:1 scan;--port ftp://h:1 "
      "scan;--scan-baud 9601 scan;--scan-timeout 32768 scan;"
      "--scan-timeout 99999999999999999999 scan;--json=yes scan;canopen "
      "--verify --no-verify;devicenet --list --safe-order;"
      "canopen --out /nonexistent/folder;devicenet --poll 1;devicenet --poll ,;devicenet --cos a,1;"
      "devicenet --poll 99999999999,;devicenet --default pol;devicenet --can-baud 1000;devicenet --list=yes;"
      "--type-back --no-type-back scan;devicenet --json;devicenet --list --out .");
  for (std::string line; std::getline(bad, line, ';');) EXPECT_NE(Refusal(line), "") << line;
  // A value the panel would refuse is refused before connecting, in the panel's words.
  const std::vector<std::pair<std::string, std::string>> panel{
      {"devicenet --strobe x", "--strobe x:"},
      {"devicenet --node 64", "Node ID is not supported!(1~63)"},
      {"canopen --node 0", "Node ID is not supported!(1~127)"},
      {"canopen --com2-timeout 32768", "Timeout value is out of range!(1ms~32767ms)"}};
  for (const auto& [line, message] : panel) EXPECT_TRUE(Refusal(line).starts_with(message)) << line;
}

// What --poll 1,2 --cos 2, --default cos --can-baud 250 (after the command)
// and --list --json store is CliEndToEnd's; here the other forms.
TEST(CliOptions, Parse_DeviceNetConnectionsHalvesADefaultAndARateFirst) {
  const CliOptions run = Parse({"--can-baud", "250", "devicenet", "--strobe=3,", "--cos", ",0"});
  // The DeviceNet list, not the CANopen one, although the rate came first.
  EXPECT_EQ(run.gateway.canBaudIndex, 1);
  const auto& c = run.devicenet.connections;
  EXPECT_EQ(
      (std::vector<std::optional<int>>{c[devicenet::kStrobe].produced, c[devicenet::kStrobe].consumed,
                                       c[devicenet::kCosCyclic].produced, c[devicenet::kCosCyclic].consumed}),
      (std::vector<std::optional<int>>{3, std::nullopt, std::nullopt, 0}));
  // Any case: the one name not in the end-to-end run.
  EXPECT_EQ(Parse({"devicenet", "--default", "Strobe"}).devicenet.defaultConnection,
            devicenet::kDefaultStrobe);
}

TEST(CliOptions, Parse_PlanCommandsTakeAPlanAndOnlyTheirOwnOptions) {
  const std::string tmp = std::filesystem::temp_directory_path().string();
  const CliOptions apply = Parse({"--port", "COM2", "apply", "line.json", "--no-verify", "--safe-order",
                                  "--out", tmp, "--record", tmp + "/record.json"});
  EXPECT_EQ(std::tuple(apply.command, apply.planPath, apply.recordPath),
            std::tuple(Command::Apply, "line.json", tmp + "/record.json"));
  EXPECT_TRUE(!apply.verify && apply.safeOrder && apply.port.comNumber == 2);
  EXPECT_EQ(Parse({"eds", "p.json", "--firmware", "2.05-2006/03/07"}).firmware, "2.05-2006/03/07");
  EXPECT_EQ(Parse({"--scan-baud", "19200", "save", tmp + "/p.json"}).scan.baudIndex, 4);
  // Every option a command does not take is refused, saying where it goes.
  for (const CommandInfo& command : AllCommands()) {
    for (const OptionInfo& option : AllOptions()) {
      if ((option.commands & Bit(command.command)) != 0) continue;
      const std::string plans = command.plans == PlanUse::None       ? ""
                                : command.plans == PlanUse::ReadsTwo ? " p.json q.json"
                                                                     : " p.json";
      const std::string why = Refusal(std::string(command.name) + plans + " " + std::string(option.name) +
                                      (option.value.empty() ? "" : " 1"));
      EXPECT_TRUE(why.starts_with(std::string(option.name) + " ") &&
                  why.find(command.name) != std::string::npos)
          << command.name << " " << option.name << ": " << why;
    }
  }
}

// The long options a text names ("\-" is the manual page's hyphen).
std::set<std::string> OptionsIn(std::string text) {
  for (std::size_t at = 0; (at = text.find("\\-", at)) != std::string::npos;) text.replace(at, 2, "-");
  static const std::regex kOption("--[a-z0-9][a-z0-9-]*");
  std::set<std::string> names;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kOption); it != std::sregex_iterator();
       ++it) {
    names.insert(it->str());
  }
  return names;
}

// What the table gives `command`, as usage and completion name it.
std::set<std::string> ListedOptions(Command command) {
  std::set<std::string> names;
  for (const OptionInfo& option : AllOptions()) {
    if (option.listed && (option.commands & Bit(command)) != 0) names.emplace(option.name);
  }
  return names;
}

// The first word of `entry` that is a command's name.
const CommandInfo* CommandOf(const std::string& entry) {
  std::istringstream words(std::regex_replace(entry, std::regex("[][()|]"), " "));
  for (std::string word; words >> word;) {
    if (const CommandInfo* info = FindCommand(word)) return info;
  }
  return nullptr;
}

// Usage, manual page and completion say what the command table says: each
// command's synopsis names exactly its options, the manual page describes
// every option and names none that is not there, and the completion offers
// each command exactly its options.
TEST(CliCommands, UsageManualPageAndCompletionFollowTheTable) {
  std::set<std::string> all{"--help", "--version"};
  for (const OptionInfo& option : AllOptions()) all.emplace(option.name);

  std::string usage = UsageText().substr(0, UsageText().find("\n\n"));
  usage = std::regex_replace(usage, std::regex(R"(\[port and scan options\])"),
                             "--port --scan-baud --scan-checksum --scan-timeout --type-back");
  std::map<std::string_view, std::set<std::string>> synopsis;
  std::set<std::string> previous;
  for (std::size_t at = usage.find("gw20cli "); at != std::string::npos;) {
    const std::size_t next = usage.find("gw20cli ", at + 1);
    const std::string entry = usage.substr(at, next == std::string::npos ? next : next - at);
    at = next;
    const CommandInfo* info = CommandOf(entry);
    if (info == nullptr) continue;  // --help | --version
    std::set<std::string> options = OptionsIn(entry);
    if (entry.find("options as above") != std::string::npos) options.insert(previous.begin(), previous.end());
    synopsis[info->name].insert(options.begin(), options.end());
    previous = options;
  }
  for (const CommandInfo& info : AllCommands()) {
    EXPECT_EQ(synopsis[info.name], ListedOptions(info.command)) << "usage of " << info.name;
  }
  // Every option the usage explains is one the program takes.
  const std::set<std::string> explained = OptionsIn(UsageText());
  EXPECT_TRUE(std::ranges::includes(all, explained));

  const std::string page = testing::ReadFile(GW20CLI_MANUAL);
  ASSERT_FALSE(page.empty());
  EXPECT_TRUE(std::ranges::includes(all, OptionsIn(page)));
  const std::size_t optionsSection = page.find(".SH OPTIONS");
  std::set<std::string> described;
  std::istringstream lines(page.substr(optionsSection));
  for (std::string line, before; std::getline(lines, line); before = line) {
    if (before == ".TP") described.merge(OptionsIn(line));
  }
  for (const CommandInfo& info : AllCommands()) {
    const std::set<std::string> listed = ListedOptions(info.command);
    EXPECT_TRUE(std::ranges::includes(described, listed)) << "the manual page's options, for " << info.name;
  }
  for (std::size_t at = page.find(".SY gw20cli"); at < optionsSection;
       at = page.find(".SY gw20cli", at + 1)) {
    // The synopsis names the shorthand's options in the section below.
    const std::string entry = std::regex_replace(page.substr(at, page.find(".YS", at) - at),
                                                 std::regex("port and scan options"), "");
    const CommandInfo* info = CommandOf(entry);
    if (info == nullptr) continue;
    EXPECT_TRUE(std::ranges::includes(ListedOptions(info->command), OptionsIn(entry)))
        << "the manual page's synopsis of " << info->name;
  }

  // The completion, called as bash calls it, after each command and its plans.
  std::string script = "source '" GW20CLI_COMPLETION "'\n";
  for (const CommandInfo& info : AllCommands()) {
    const std::string plans = info.plans == PlanUse::None       ? ""
                              : info.plans == PlanUse::ReadsTwo ? "a b "
                                                                : "a ";
    script += "COMP_WORDS=(gw20cli " + std::string(info.name) + " " + plans +
              "--); COMP_CWORD=$((${#COMP_WORDS[@]} - 1));" + " _gw20cli; echo " + std::string(info.name) +
              ": ${COMPREPLY[*]}\n";
  }
  script += "COMP_WORDS=(gw20cli ''); COMP_CWORD=1; _gw20cli; echo : ${COMPREPLY[*]}\n";
  QProcess bash;
  bash.start("bash", {"-c", QString::fromStdString(script)});
  ASSERT_TRUE(bash.waitForFinished());
  std::istringstream offered(bash.readAllStandardOutput().toStdString());
  std::set<std::string> names;
  for (std::string line; std::getline(offered, line);) {
    const std::string command = line.substr(0, line.find(':'));
    if (const CommandInfo* info = FindCommand(command)) {
      EXPECT_EQ(OptionsIn(line), ListedOptions(info->command)) << "the completion of " << command;
    } else {
      std::istringstream words(line.substr(line.find(':') + 1));
      for (std::string word; words >> word;) {
        if (!word.starts_with("-")) names.insert(word);
      }
    }
  }
  std::set<std::string> commands;
  for (const CommandInfo& info : AllCommands()) commands.emplace(info.name);
  EXPECT_EQ(names, commands);
  // The completion skips an option's value when it looks for the command.
  const std::string completion = testing::ReadFile(GW20CLI_COMPLETION);
  const std::size_t takes = completion.find("takes_value=\"") + 13;
  std::set<std::string> withValue;
  for (const OptionInfo& option : AllOptions()) {
    if (!option.value.empty()) withValue.emplace(option.name);
  }
  EXPECT_EQ(OptionsIn(completion.substr(takes, completion.find('"', takes) - takes)), withValue);
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
  EXPECT_EQ(std::tuple(blocks[0].address, blocks[1].block, blocks[0].words.size(), blocks[1].words.size(),
                       blocks[2].words.size()),
            std::tuple(link::kHeaderAddress, 1, std::size_t(link::kHeaderWords),
                       std::size_t(link::kDeviceNetWords), std::size_t{5}));
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

namespace fs = std::filesystem;

// The plan's name in any spelling, or the file its name links to, and the
// EDS files' names are refused for what a run writes; so are a missing
// folder, a FIFO at an EDS file's name and a disk without room, all before
// anything is written. A disk that fills up later fails the write itself.
TEST(OutputFiles, NamesTakenOrUnfit_AreRefusedFirst_AFullDiskPlacesNothing) {
  const testing::ScratchFolder folder("outputs");
  const std::string dir = folder.Path().string();
  std::ofstream(folder / "plan.json") << "the plan";
  fs::create_symlink("plan.json", folder / "link.json");
  ASSERT_EQ(mkfifo((folder / "ZELKDNS 9.eds").c_str(), 0600), 0);
  const plans::Plan plan = testing::LinePlan(3);  // DeviceNet, node 7
  CliOptions options;
  const auto check = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--out", dir});
    options = ParseCliOptions(std::vector<std::string_view>(args.begin(), args.end()));
    return CheckOutputFiles(options, &plan).value_or("");
  };
  const std::string eds = dir + "/ZELKDNS 7.eds: that is the EDS file's name; the ";
  EXPECT_EQ(
      check({"apply", dir + "/link.json", "--record", dir + "/x/../plan.json"}),
      "--record " + dir + "/x/../plan.json: that is the plan's name; the record needs a name of its own");
  EXPECT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/ZELKDNS 7.eds"}),
            "--record " + eds + "record needs a name of its own");
  EXPECT_EQ(check({"batch", dir + "/plan.json", "--ports", "COM1,COM2", "--nodes", "7,8", "--report",
                   dir + "/ZELKDNS 7.eds"}),
            "--report " + eds + "report needs a name of its own");
  const std::string onlyRegular =
      ", not a regular file; the EDS file is written only as a new or regular file";
  EXPECT_EQ(check({"batch", dir + "/plan.json", "--ports", "COM1", "--nodes", "9"}),
            dir + "/ZELKDNS 9.eds: a FIFO" + onlyRegular);
  EXPECT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/gone/r.json"}),
            "--record " + dir + "/gone/r.json: No such file or directory");
  fs::rename(folder / "plan.json", folder / "ZELKDNS 7.eds");
  EXPECT_EQ(check({"eds", dir + "/ZELKDNS 7.eds"}),
            dir + "/ZELKDNS 7.eds: the EDS file would replace the plan; give --out another folder");
  EXPECT_EQ(testing::ReadFile(folder / "ZELKDNS 7.eds"), "the plan");
  fs::remove(folder / "ZELKDNS 7.eds");

  std::ofstream(folder / "r.json") << "old record";
  ASSERT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/r.json"}), "");
  const OutputFile record = OutputFileOf(options);
  const std::string big(std::size_t{64} << 10, 'r');
  std::optional<std::string> refused, failed;
  testing::WithFileSizeLimit(4096, [&] { refused = record.Check(), failed = record.Write(big); });
  EXPECT_EQ(refused, "--record " + dir + "/r.json: File too large");
  EXPECT_EQ(failed, "cannot write the record " + dir + "/r.json: File too large");
  EXPECT_EQ(testing::ReadFile(folder / "r.json"), "old record");
  EXPECT_EQ(record.Write(big), std::nullopt);
  EXPECT_TRUE(testing::ReadFile(folder / "r.json") == big);
  EXPECT_EQ(testing::Listing(folder.Path()),
            (std::vector<std::string>{"ZELKDNS 9.eds", "link.json", "r.json"}));
}

}  // namespace
}  // namespace gw20::cli
