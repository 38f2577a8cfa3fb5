#pragma once
// gw20cli's command line read into CliOptions. Which command takes which
// option is cli_commands' table; the usage text (UsageText) spells it out.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/canopen_script.h"
#include "app/cli/cli_commands.h"
#include "app/cli/devicenet_script.h"
#include "app/cli/scripted_operator.h"
#include "app/gateway_panels.h"
#include "platform/ui/console_address.h"

namespace gw20::cli {

inline constexpr int kDefaultPortNumber = 1;

struct CliOptions {
  Command command = Command::None;  // None only with --help or --version
  std::string planPath;             // save, eds, apply, batch, check, diff: the plan file (bytes as given)
  std::string otherPlanPath;        // diff: the second plan file
  // save: the EDS file whose Description and CreatedBy the plan keeps; empty: none.
  std::string edsTextsPath;
  std::string recordPath;  // apply: the commissioning record to write; empty: none
  // apply: the node ID instead of the plan's (checked against the plan's
  // profile by the caller, as the plan's own node is); empty: the plan's.
  std::optional<int> planNode;
  int progressFd = -1;  // apply: file descriptor for progress lines (batch_progress.h); -1: none
  // batch: the console ports, each "COMn", an absolute device path or a
  // server's address, as --port takes them; the node IDs by port (empty: the plan's for every
  // port); the report to write (empty: none).
  std::vector<std::string> ports;
  std::vector<int> nodes;
  // batch: the machine's name by port (--ports-file, --retry); "" for none.
  std::vector<std::string> labels;
  // batch: a port whose controller already holds the plan is not written.
  bool skipMatching = false;
  // batch: every port checked against the plan, nothing written.
  bool check = false;
  std::string reportPath;
  std::string firmware;  // eds: the firmware the file names, as given; empty: none given
  // apply, batch: print what would be written, per port, and open no port.
  bool dryRun = false;
  bool help = false;
  bool version = false;  // print "gw20cli " and the release, and stop
  // --port as given (a device path made absolute); COM1 when not given.
  // An address other than a COM name stands in for COM1.
  ui::ConsoleAddress port;
  ScanAnswers scan;  // 9600 bit/s, checksum off, 200 ms unless given
  bool json = false;
  // canopen, devicenet: what to set; nothing given keeps the windows' values.
  app::GatewayAnswers gateway;
  CanopenAnswers canopen;
  DeviceNetAnswers devicenet;
  std::string outDir;  // canopen, devicenet: folder of the EDS file; empty = current directory
  bool verify = true;  // canopen, devicenet: read the written words back (--no-verify: not)
  // The EEPROM header written last: by default for apply and batch
  // (--controller-order: not), with --safe-order for canopen and devicenet.
  bool safeOrder = false;
  // Every command that connects: words read alone, none typed back, unless
  // --type-back asks for the windows' way.
  bool readWordsAlone = true;
};

// Anything the parser refuses; what() says which argument and why.
class CliUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `args` without the program name, read by QCommandLineParser: options may
// come before or after the command, as "--name value" or "--name=value"; of an
// option given twice the last value counts. Throws CliUsageError for an
// unknown option or command, no command, a missing or extra PLAN, an option
// the command does not take (cli_commands' table says which), and a value
// that is refused before the controller is touched: a bit rate outside its
// list, a number out of range, a list that does not fit its ports, an --out
// folder that cannot take the EDS file, options that exclude each other.
// Node ID, the times and the EDS texts are typed into the windows as given,
// read as the locale's text and converted to Latin-1 as the windows' boxes
// convert what is typed (a character outside Latin-1 becomes "?"); list
// indexes are checked against the page's lists: the windows and the page
// decide. Paths stay the bytes given; the plan is read, and the files named
// are checked, by the caller (CheckOutputFiles).
CliOptions ParseCliOptions(const std::vector<std::string_view>& args);

// The usage text, ending with a line break.
std::string UsageText();

}  // namespace gw20::cli
