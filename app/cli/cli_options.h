#pragma once
// The command line of gw20cli:
//   gw20cli [--port COMn|DEVICE] [--scan-baud BPS] [--scan-checksum on|off]
//           [--scan-timeout MS] scan [--json]
//   gw20cli [port and scan options] canopen [--node N] [--can-baud KBPS]
//           [--guarding MS,FACTOR | --heartbeat MS] [--description TEXT]
//           [--created-by TEXT] [--com2-baud BPS] [--com2-checksum on|off]
//           [--com2-timeout MS] [--out DIR]

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/canopen_script.h"
#include "app/cli/scripted_operator.h"

namespace gw20::cli {

inline constexpr int kDefaultPortNumber = 1;

struct CliOptions {
  std::string command;  // "scan" or "canopen"; empty only with help
  bool help = false;
  // COM port entry to select, 1..16. With a device path it is 1 and the
  // device stands in for COM1.
  int portNumber = kDefaultPortNumber;
  std::string device;  // empty: the port's own device
  ScanAnswers scan;    // 9600 bit/s, checksum off, 200 ms unless given
  bool json = false;
  CanopenAnswers canopen;  // canopen: what to set; nothing given keeps the windows' values
  std::string outDir;      // canopen: folder of the EDS file; empty = current directory
};

// Anything the parser refuses; what() says which argument and why.
class CliUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `args` without the program name. Options may come before or after the
// command, as "--name value" or "--name=value". Throws CliUsageError for an
// unknown option or command, a missing or invalid value, a bit rate outside
// its list (scan, CANopen, field port), a scan time-out outside 0..32767,
// --guarding without its comma, both --guarding and --heartbeat, or no
// command at all. Node ID and the times of canopen are typed into the
// windows as given: the windows check them.
CliOptions ParseCliOptions(const std::vector<std::string_view>& args);

// The usage text, ending with a line break.
std::string UsageText();

}  // namespace gw20::cli
