#include "app/cli/cli_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>

#include "devicenet/dnseds_set.h"
#include "link/com_para_setting_f.h"
#include "link/gateway_parameters.h"
#include "plans/plan.h"
#include "platform/qt/file_name.h"
#include "platform/qt/latin1.h"
#include "platform/ui/console_address.h"
#include "platform/ui/numbers.h"
#include "platform/ui/regular_file.h"
#include "platform/ui/writable_folder.h"

namespace gw20::cli {
namespace {

// Arguments pass the parser as Latin-1 both ways (qtui::ToQString and
// ToLatin1): every byte is one character, so a value comes back byte for
// byte (a path stays the file system's bytes).

// An argument typed into a box, converted as the window's box converts what
// the operator types: the argument is the locale's text, the logic's text is
// 8-bit (Latin-1), and a character outside Latin-1 becomes one "?".
std::string TypedText(const std::string& bytes) {
  return qtui::ToLatin1(QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// "--name" as QCommandLineParser names it.
QString QtName(std::string_view option) { return qtui::ToQString(option.substr(2)); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// A whole decimal number without sign or blanks, or nothing.
std::optional<long> WholeNumber(std::string_view text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0) {
    return std::nullopt;
  }
  return value;
}

// --port, or one port of --ports: any console address (ui::ParseConsoleAddress).
ui::ConsoleAddress ParsePort(std::string_view option, std::string_view text) {
  if (text.empty()) {
    throw CliUsageError(std::string(option) +
                        " needs COMn, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT");
  }
  const ui::AddressParse parsed = ui::ParseConsoleAddress(text);
  if (!parsed.address) throw CliUsageError(std::string(option) + " " + parsed.problem);
  ui::ConsoleAddress address = *parsed.address;
  if (address.kind == ui::AddressKind::Device) {
    // A batch's applies open the device from elsewhere: a relative path
    // must not depend on where that is.
    std::error_code error;
    const auto absolute = std::filesystem::absolute(std::filesystem::path(address.device), error);
    if (!error) address.device = absolute.string();
  }
  return address;
}

// The folder must take the file before the controller is reprogrammed: a
// commit that reaches the EEPROM and then cannot write its file is the worst
// way to find out.
void CheckOutFolder(const std::string& folder) {
  std::string why;
  if (!ui::CanCreateFilesIn(folder, &why)) throw CliUsageError("--out " + folder + ": " + why);
}

int OnOff(std::string_view option, std::string_view text) {
  if (EqualsIgnoringCase(text, "on")) return 1;
  if (EqualsIgnoringCase(text, "off")) return 0;
  throw CliUsageError(std::string(option) + " " + std::string(text) + ": use on or off");
}

// The position of bit rate `text` in `rates`: the list entry the operator
// would pick in the windows, and what the parameters store.
template <std::size_t N>
int ListEntry(std::string_view option, std::string_view text, const std::array<int, N>& rates) {
  const auto rate = WholeNumber(text);
  std::string known;
  for (std::size_t i = 0; i < N; ++i) {
    if (rate && *rate == rates[i]) return static_cast<int>(i);
    known += (known.empty() ? "" : ", ") + std::to_string(rates[i]);
  }
  throw CliUsageError(std::string(option) + " " + std::string(text) + ": not one of " + known);
}

// IN,OUT of a connection slot: list indexes, either side may be empty.
ConnectionAnswer ParseConnection(std::string_view option, std::string_view text) {
  const auto refuse = [&] {
    return CliUsageError(
        std::string(option) + " " + std::string(text) +
        ": use IN,OUT, list indexes of the produced and the consumed list; one side may be empty");
  };
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) throw refuse();
  const auto side = [&](std::string_view part) -> std::optional<int> {
    if (part.empty()) return std::nullopt;
    const auto index = WholeNumber(part);
    if (!index || *index > std::numeric_limits<int>::max()) throw refuse();
    return static_cast<int>(*index);
  };
  const ConnectionAnswer answer{side(text.substr(0, comma)), side(text.substr(comma + 1))};
  if (!answer.produced && !answer.consumed) throw refuse();
  return answer;
}

int DefaultConnection(std::string_view text) {
  struct Named {
    std::string_view name;
    int position;
  };
  constexpr std::array<Named, devicenet::kDefaultConnections> kDefaults{
      {{"poll", devicenet::kDefaultPoll},
       {"strobe", devicenet::kDefaultStrobe},
       {"cos", devicenet::kDefaultCos},
       {"cyclic", devicenet::kDefaultCyclic}}};
  for (const Named& d : kDefaults) {
    if (EqualsIgnoringCase(text, d.name)) return d.position;
  }
  throw CliUsageError("--default " + std::string(text) + ": use poll, strobe, cos or cyclic");
}

void ParseGuarding(std::string_view text, CanopenAnswers& answers) {
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) {
    throw CliUsageError("--guarding " + std::string(text) + ": use MS,FACTOR");
  }
  answers.guardTimeText = std::string(text.substr(0, comma));
  answers.lifeFactorText = std::string(text.substr(comma + 1));
}

std::string ScanTimeoutText(std::string_view text) {
  const auto ms = WholeNumber(text);
  if (!ms || *ms > link::kMaxScanTimeoutMs) {
    throw CliUsageError("--scan-timeout " + std::string(text) + ": milliseconds from 0 to " +
                        std::to_string(link::kMaxScanTimeoutMs));
  }
  return std::to_string(*ms);
}

// An option given with a command it does not go with, and where it goes.
CliUsageError Refused(const OptionInfo& option, Command command) {
  // batch's names for what an apply takes one of.
  constexpr std::pair<std::string_view, std::string_view> kBatchNames[] = {
      {"--port", "--ports"}, {"--node", "--nodes"}, {"--record", "--report"}};
  for (const auto& [single, many] : kBatchNames) {
    if (command == Command::Batch && option.name == single) {
      return CliUsageError(std::string(single) + " does not go with batch: it takes " + std::string(many));
    }
  }
  return CliUsageError(std::string(option.name) + " goes with " + CommandNames(option.commands) + ", not " +
                       std::string(NameOf(command)));
}

// PLAN, or diff's PLAN_A and PLAN_B, after the command's name.
void TakePlans(const CommandInfo& command, const QStringList& positional, CliOptions& options) {
  const qsizetype plans = command.plans == PlanUse::None ? 0 : command.plans == PlanUse::ReadsTwo ? 2 : 1;
  if (positional.size() > plans + 1) {
    throw CliUsageError("unexpected argument " + qtui::ToLatin1(positional[plans + 1]));
  }
  const auto plan = [&](qsizetype i) { return i < positional.size() ? qtui::ToLatin1(positional[i]) : ""; };
  options.planPath = plan(1);
  options.otherPlanPath = plan(2);
  if (plans == 2 && (options.planPath.empty() || options.otherPlanPath.empty())) {
    throw CliUsageError(std::string(command.name) + " needs two PLAN files");
  }
  if (plans == 1 && options.planPath.empty())
    throw CliUsageError(std::string(command.name) + " needs a PLAN file");
}

// The items of a list, each without the blanks around it: "COM1, COM2" as a
// shell keeps it when quoted.
std::vector<std::string_view> CommaSeparated(std::string_view text) {
  constexpr std::string_view kBlanks = " \t";
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const auto comma = text.find(',', start);
    std::string_view part =
        text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const auto first = part.find_first_not_of(kBlanks);
    part = first == std::string_view::npos ? std::string_view() : part.substr(first);
    part = part.substr(0, part.find_last_not_of(kBlanks) + 1);
    parts.push_back(part);
    if (comma == std::string_view::npos) return parts;
    start = comma + 1;
  }
}

// The node range depends on the plan's profile, so the caller checks it.
int NodeNumber(std::string_view option, std::string_view text) {
  const auto node = WholeNumber(text);
  if (!node || *node > std::numeric_limits<int>::max()) {
    throw CliUsageError(std::string(option) + " " + std::string(text) + ": a node ID is a whole number");
  }
  return static_cast<int>(*node);
}

void ParseApplyOptions(const std::optional<std::string>& node, const std::optional<std::string>& fd,
                       CliOptions& options) {
  if (node) options.planNode = NodeNumber("--node", *node);
  if (!fd) return;
  // 0 to 2 are the standard streams; progress must not mix with them.
  const auto number = WholeNumber(*fd);
  if (!number || *number < 3 || *number > std::numeric_limits<int>::max()) {
    throw CliUsageError("--progress-fd " + *fd + ": a file descriptor from 3 up");
  }
  options.progressFd = static_cast<int>(*number);
}

// A batch's port as given, before it is checked: where it was given (for
// messages), its text, and the node and label given with it.
struct GivenPort {
  std::string where;
  std::string text;
  std::optional<int> node;
  std::string label;
};

// Lists of ports are kilobytes; anything this large is no list of ours.
constexpr std::size_t kMaxListFileBytes = std::size_t{1} << 20;

std::string ReadListFile(const std::string& option, const std::string& path) {
  if (path.empty()) throw CliUsageError(option + " needs a file");
  // Read as a plan is read: a FIFO or a device at the name is refused, never waited on.
  const ui::FileReadResult read = ui::ReadRegularFile(path, kMaxListFileBytes);
  if (!read.ok) throw CliUsageError(option + " " + path + ": " + read.reason);
  if (read.text.size() > kMaxListFileBytes) {
    throw CliUsageError(option + " " + path + ": larger than " + std::to_string(kMaxListFileBytes >> 10) +
                        " KiB");
  }
  return read.text;
}

// One port a line: PORT [NODE] [LABEL...]; blank lines and lines starting
// with "#" are skipped. A second word that is a whole number is the node.
std::vector<GivenPort> PortsFileLines(const std::string& path) {
  const std::string text = ReadListFile("--ports-file", path);
  constexpr std::string_view kBlanks = " \t\r";
  std::vector<GivenPort> ports;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size();) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    start = end + 1;
    ++number;
    const auto word = [&line, kBlanks]() {
      const auto first = line.find_first_not_of(kBlanks);
      line = first == std::string_view::npos ? std::string_view() : line.substr(first);
      const auto after = std::min(line.find_first_of(kBlanks), line.size());
      const std::string_view taken = line.substr(0, after);
      line = line.substr(after);
      return taken;
    };
    const std::string_view port = word();
    if (port.empty() || port.starts_with('#')) continue;
    GivenPort given{"--ports-file " + path + " line " + std::to_string(number), std::string(port), {}, {}};
    std::string_view rest = line;
    const std::string_view second = word();
    if (!second.empty() && std::isdigit(static_cast<unsigned char>(second.front()))) {
      given.node = NodeNumber(given.where, second);
      rest = line;
    }
    const auto first = rest.find_first_not_of(kBlanks);
    if (first != std::string_view::npos) {
      rest = rest.substr(first);
      given.label = std::string(rest.substr(0, rest.find_last_not_of(kBlanks) + 1));
    }
    ports.push_back(std::move(given));
  }
  if (ports.empty()) throw CliUsageError("--ports-file " + path + ": no port in it");
  return ports;
}

// The ports a batch report says failed, with their nodes and labels.
std::vector<GivenPort> FailedPortsOf(const std::string& path) {
  const std::string text = ReadListFile("--retry", path);
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  const QJsonValue ports = document.object().value(QStringLiteral("ports"));
  if (error.error != QJsonParseError::NoError || !ports.isArray()) {
    throw CliUsageError("--retry " + path + ": no report of gw20cli batch");
  }
  std::vector<GivenPort> failed;
  for (const auto& entry : ports.toArray()) {
    const QJsonObject port = entry.toObject();
    if (!port.value(QStringLiteral("port")).isString()) {
      throw CliUsageError("--retry " + path + ": a port without its name");
    }
    if (port.value(QStringLiteral("outcome")).toString() != QStringLiteral("failed")) continue;
    GivenPort given{"--retry " + path,
                    qtui::FromQtFileName(port.value(QStringLiteral("port")).toString()).string(),
                    {},
                    port.value(QStringLiteral("label")).toString().toLocal8Bit().toStdString()};
    if (const QJsonValue node = port.value(QStringLiteral("node")); node.isDouble())
      given.node = node.toInt();
    failed.push_back(std::move(given));
  }
  return failed;
}

struct BatchArguments {
  std::optional<std::string> ports;
  std::optional<std::string> nodes;
  std::optional<std::string> portsFile;
  std::optional<std::string> retry;
  std::optional<std::string> report;
};

void ParseBatchOptions(const BatchArguments& args, CliOptions& options) {
  const int lists = (args.ports ? 1 : 0) + (args.portsFile ? 1 : 0) + (args.retry ? 1 : 0);
  if (lists == 0) throw CliUsageError("batch needs --ports P1,P2,..., --ports-file FILE or --retry REPORT");
  if (lists > 1) throw CliUsageError("--ports, --ports-file and --retry exclude each other");
  if (args.retry && args.nodes)
    throw CliUsageError("--nodes does not go with --retry: the report holds the nodes");
  std::vector<GivenPort> given;
  if (args.ports) {
    if (args.ports->empty()) throw CliUsageError("batch needs --ports P1,P2,...");
    for (const std::string_view text : CommaSeparated(*args.ports)) {
      if (text.empty()) throw CliUsageError("--ports " + *args.ports + ": a port is missing between commas");
      given.push_back({"--ports " + *args.ports, std::string(text), {}, {}});
    }
  } else if (args.portsFile) {
    given = PortsFileLines(*args.portsFile);
  } else {
    given = FailedPortsOf(*args.retry);
    if (given.empty()) throw CliUsageError("--retry " + *args.retry + ": no port failed in it");
  }
  for (const GivenPort& port : given) {
    const ui::ConsoleAddress one = ParsePort(port.where, port.text);
    // Each apply is handed the port as it opens it: COMn, an absolute path, a server.
    const std::string name = one.kind == ui::AddressKind::ComPort  ? ui::ComPortAddress(one.comNumber).text
                             : one.kind == ui::AddressKind::Device ? one.device
                                                                   : one.text;
    if (std::find(options.ports.begin(), options.ports.end(), name) != options.ports.end()) {
      throw CliUsageError(port.where + ": " + port.text + " is named twice");
    }
    options.ports.push_back(name);
    options.labels.push_back(port.label);
  }
  const auto withNode =
      std::ranges::count_if(given, [](const GivenPort& port) { return port.node.has_value(); });
  if (withNode != 0 && withNode != static_cast<std::ptrdiff_t>(given.size())) {
    const auto lacking = std::ranges::find_if(given, [](const GivenPort& port) { return !port.node; });
    throw CliUsageError(lacking->where + ": give a node ID with every port or with none");
  }
  if (withNode != 0 && args.nodes) {
    throw CliUsageError("--nodes does not go with --ports-file when its lines give the nodes");
  }
  const auto addNode = [&options](const std::string& where, int node) {
    if (std::find(options.nodes.begin(), options.nodes.end(), node) != options.nodes.end()) {
      throw CliUsageError(where + ": node " + std::to_string(node) +
                          " is named twice; each controller needs its own");
    }
    options.nodes.push_back(node);
  };
  for (const GivenPort& port : given) {
    if (port.node) addNode(port.where, *port.node);
  }
  if (const auto& nodes = args.nodes) {
    const auto countRefused = [&] {
      return CliUsageError("--nodes " + *nodes + ": give one node ID per port (" +
                           std::to_string(options.ports.size()) + " ports)");
    };
    for (const std::string_view text : CommaSeparated(*nodes)) {
      // FIRST-LAST: a line's machines numbered in a row.
      const auto dash = text.find('-');
      const int first = NodeNumber("--nodes", text.substr(0, dash));
      const int last = dash == std::string_view::npos ? first : NodeNumber("--nodes", text.substr(dash + 1));
      if (last < first) {
        throw CliUsageError("--nodes " + std::string(text) +
                            ": a range goes from the lower node ID to the higher");
      }
      for (int node = first;; ++node) {
        // Checked as it grows: a range far longer than the list of ports is refused, not spelled out.
        if (options.nodes.size() == options.ports.size()) throw countRefused();
        addNode("--nodes " + *nodes, node);
        if (node == last) break;
      }
    }
    if (options.nodes.size() != options.ports.size()) throw countRefused();
  }
  if (args.report) {
    if (args.report->empty()) throw CliUsageError("--report needs a file");
    options.reportPath = *args.report;
  }
}

}  // namespace

CliOptions ParseCliOptions(const std::vector<std::string_view>& args) {
  QCommandLineParser parser;
  // The usage text is ours (UsageText), so the options need no descriptions.
  parser.addOption(QCommandLineOption({"h", "help"}, {}));
  parser.addOption(QCommandLineOption(QStringLiteral("version")));
  for (const OptionInfo& option : AllOptions()) {
    parser.addOption(option.value.empty() ? QCommandLineOption(QtName(option.name))
                                          : QCommandLineOption(QtName(option.name), {}, "value"));
  }
  QStringList arguments{"gw20cli"};
  for (const std::string_view arg : args) arguments << qtui::ToQString(arg);
  if (!parser.parse(arguments)) throw CliUsageError(qtui::ToLatin1(parser.errorText()));
  const auto given = [&](std::string_view name) { return parser.isSet(QtName(name)); };
  // The last value of an option given more than once counts.
  const auto value = [&](std::string_view name) -> std::optional<std::string> {
    if (!given(name)) return std::nullopt;
    return qtui::ToLatin1(parser.value(QtName(name)));
  };
  const auto typed = [&](std::string_view name) -> std::optional<std::string> {
    if (!given(name)) return std::nullopt;
    return TypedText(*value(name));
  };
  const auto firstGiven = [&](std::initializer_list<std::string_view> names) {
    const auto found = std::find_if(names.begin(), names.end(), given);
    return found == names.end() ? std::string() : std::string(*found);
  };
  const auto exclusive = [&](std::string_view a, std::string_view b) {
    if (given(a) && given(b))
      throw CliUsageError(std::string(a) + " and " + std::string(b) + " exclude each other");
  };

  CliOptions options;
  options.help = given("--help");
  options.version = parser.isSet(QStringLiteral("version"));
  const QStringList positional = parser.positionalArguments();
  if (positional.isEmpty()) {
    if (options.help || options.version) return options;
    throw CliUsageError("no command given");
  }
  const std::string commandName = qtui::ToLatin1(positional.first());
  const CommandInfo* command = FindCommand(commandName);
  if (command == nullptr) throw CliUsageError("unknown command " + commandName);
  options.command = command->command;
  if (options.help || options.version) return options;
  TakePlans(*command, positional, options);
  for (const OptionInfo& option : AllOptions()) {
    if (given(option.name) && (option.commands & Bit(options.command)) == 0)
      throw Refused(option, options.command);
  }

  exclusive("--verify", "--no-verify");
  exclusive("--safe-order", "--controller-order");
  exclusive("--type-back", "--no-type-back");
  exclusive("--guarding", "--heartbeat");
  exclusive("--eds", "--description");
  exclusive("--eds", "--created-by");
  options.json = given("--json");
  // Reading back costs about a sixth of a commit: on unless turned off.
  options.verify = !given("--no-verify");
  // apply and batch write the header last unless asked otherwise: a cut then
  // never leaves a mixed image that seems to match.
  const bool planCommit = options.command == Command::Apply || options.command == Command::Batch;
  options.safeOrder = given("--safe-order") || (planCommit && !given("--controller-order"));
  // Each word read alone unless the windows' way is asked for: then noise
  // on the line can never change a stored word. --no-type-back, the default,
  // is still taken, so scripts written for it keep working.
  options.readWordsAlone = !given("--type-back");
  options.devicenet.list = given("--list");
  if (options.devicenet.list) {
    if (const auto option = firstGiven({"--verify", "--no-verify", "--safe-order", "--out"});
        !option.empty()) {
      throw CliUsageError(option + " does not go with --list: it writes nothing");
    }
  } else if (options.json && options.command == Command::DeviceNet) {
    throw CliUsageError("--json goes with devicenet --list");
  }
  if (const auto port = value("--port")) options.port = ParsePort("--port", *port);
  if (const auto bps = value("--scan-baud")) {
    options.scan.baudIndex = ListEntry("--scan-baud", *bps, link::kFieldBitRates);
  }
  if (const auto onOff = value("--scan-checksum")) options.scan.checksum = OnOff("--scan-checksum", *onOff);
  if (const auto ms = value("--scan-timeout")) options.scan.timeoutText = ScanTimeoutText(*ms);
  const bool profile = options.command == Command::CanOpen || options.command == Command::DeviceNet;
  if (profile) {
    options.gateway.nodeText = typed("--node");
    // What the panel would refuse is refused before connecting, in the panel's
    // words: the number typed is its leading number, as the panel reads it.
    const auto& application =
        link::kCanApplications[options.command == Command::DeviceNet ? link::kDeviceNet : link::kCanOpen];
    if (options.gateway.nodeText) {
      const double node = ui::LeadingNumber(*options.gateway.nodeText);
      if (node < link::kMinNodeId || node > application.MaxNodeId) {
        throw CliUsageError(link::NodeIdRangeText(application));
      }
    }
    if (const auto kbps = value("--can-baud")) {
      options.gateway.canBaudIndex = options.command == Command::DeviceNet
                                         ? ListEntry("--can-baud", *kbps, link::kDeviceNetBitRates)
                                         : ListEntry("--can-baud", *kbps, link::kCanOpenBitRates);
    }
  } else {
    ParseApplyOptions(value("--node"), value("--progress-fd"), options);
  }
  if (const auto guarding = typed("--guarding")) ParseGuarding(*guarding, options.canopen);
  options.canopen.heartbeatText = typed("--heartbeat");
  for (std::size_t slot = 0; slot < kConnectionOptions.size(); ++slot) {
    if (const auto inOut = value(kConnectionOptions[slot])) {
      options.devicenet.connections[slot] = ParseConnection(kConnectionOptions[slot], *inOut);
    }
  }
  if (const auto name = value("--default")) options.devicenet.defaultConnection = DefaultConnection(*name);
  options.gateway.description = typed("--description");
  options.gateway.createdBy = typed("--created-by");
  if (const auto bps = value("--com2-baud")) {
    options.gateway.com2BaudIndex = ListEntry("--com2-baud", *bps, link::kFieldBitRates);
  }
  if (const auto onOff = value("--com2-checksum")) {
    options.gateway.com2Checksum = OnOff("--com2-checksum", *onOff);
  }
  options.gateway.com2TimeoutText = typed("--com2-timeout");
  if (options.gateway.com2TimeoutText) {
    const double ms = ui::LeadingNumber(*options.gateway.com2TimeoutText);
    if (ms < link::kMinCom2TimeoutMs || ms > link::kMaxCom2TimeoutMs) {
      throw CliUsageError(link::Com2TimeoutRangeText());
    }
  }
  if (const auto folder = value("--out")) {
    if (folder->empty()) throw CliUsageError("--out needs a folder");
    CheckOutFolder(*folder);
    options.outDir = *folder;
  }
  if (const auto record = value("--record")) {
    if (record->empty()) throw CliUsageError("--record needs a file");
    options.recordPath = *record;
  }
  if (const auto firmware = value("--firmware")) {
    if (!plans::ParseFirmwareText(*firmware)) {
      throw CliUsageError("--firmware " + *firmware +
                          ": use MAJOR.MINOR-YYYY/MM/DD as the scan shows it, e.g. 2.05-2006/03/07");
    }
    options.firmware = *firmware;
  }
  if (const auto eds = value("--eds")) {
    if (eds->empty()) throw CliUsageError("--eds needs a file");
    options.edsTextsPath = *eds;
  }
  options.dryRun = given("--dry-run");
  options.skipMatching = given("--skip-matching");
  options.check = given("--check");
  if (options.check) {
    // A check writes nothing: what would change how it writes has no place.
    if (const auto option = firstGiven({"--dry-run", "--skip-matching", "--no-verify", "--controller-order",
                                        "--safe-order", "--out", "--type-back"});
        !option.empty()) {
      throw CliUsageError(option + " does not go with --check: it writes nothing");
    }
  }
  if (options.dryRun) {
    if (const auto option = firstGiven({"--record", "--progress-fd", "--report"}); !option.empty()) {
      throw CliUsageError("--dry-run writes nothing: it does not go with " + option);
    }
  }
  if (options.command == Command::Batch) {
    ParseBatchOptions(
        {value("--ports"), value("--nodes"), value("--ports-file"), value("--retry"), value("--report")},
        options);
  }
  // Without --out the file goes to the current directory, which must take it
  // just as well (an installed tool is often started where it cannot write).
  std::string why;
  if (command->writesEds && !options.devicenet.list && !options.check && options.outDir.empty() &&
      !ui::CanCreateFilesIn(".", &why)) {
    throw CliUsageError("the current directory " + ui::CurrentFolder().string() +
                        " cannot take the EDS file (" + why + "): give --out DIR");
  }
  return options;
}

}  // namespace gw20::cli
