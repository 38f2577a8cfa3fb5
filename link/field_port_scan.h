#pragma once
// The scan of the I/O modules on the controller's field port (COM2): the
// pass-through set-up with the scan parameters, the scan listing parsed into
// the module table, and each module's own configuration query. Failures are
// returned as values; the connect sequence shows the messages.

#include <chrono>
#include <functional>
#include <string>

#include "link/connect_progress.h"
#include "link/link_fwd.h"
#include "modules/modules_fwd.h"

namespace gw20::link {

enum class ScanStatus {
  Ok,
  Timeout,              // a required exchange or the scan itself got no answer: "Timeout"
  ModuleNotConfigured,  // a module at address 00: kModuleNotConfiguredMessage
  ModuleNotSupported,   // model not in the catalog or its query failed: kModuleNotSupportedMessage
  Error,                // anything else; `description` is the text shown
};

struct ScanResult {
  ScanStatus status = ScanStatus::Ok;
  // Error: the text shown to the operator. Timeout and ModuleNotSupported:
  // what went wrong, for diagnostics. Empty for Ok.
  std::string description;
  bool Ok() const { return status == ScanStatus::Ok; }
};

struct ScanCallbacks {
  ProgressCallback progress;                // kProgressScanStarted, kProgressScanned, kProgressScanClosed
  std::function<void(std::string)> status;  // "Scaning..." once in pass-through; may be empty
};

// Runs the whole scan from the main prompt and back: sets the scan's bit
// rate (params.BaudText[ScanBaudIndex]), checksum and time-out (ms), scans
// addresses 0..15 and fills, in listing order, the slots' Address (decimal
// text), ModelName, channels and totals (ModuleChInfo), type code, data
// format and application-object record (ModuleOtherInfo); ends with
// ModuleOrder and ModuleCount. The table must have been reset by the caller.
// An entry whose "!" has no "{" behind it ends the listing and leaves its
// slot empty. On a failure the console stays in pass-through mode and the
// slots filled so far stay as they are.
ScanResult ScanFieldPort(Console& console, ConsoleState& state, const GatewayParameters& params,
                         modules::ModuleTable& table, const ScanCallbacks& callbacks);

// How long the scan listing may take to arrive (ms): the console's quiet wait
// before "/scan" (ConsoleTimeout) and the full answer time-out
// (params.ScanTimeoutMs) of every address scanned, 0..15.
std::chrono::milliseconds ScanListingBudget(const GatewayParameters& params, const ConsoleState& state);

// Asks module table.CurrentModule (slot 0..14, Address decimal 0..255) for
// its configuration with "$" + address as two upper-case hex digits + "2"
// and stores TypeCode and DataFormat in its record, and TypeCode, DataFormat,
// bit-rate code, TypeCodeCount and TypeCode2 in its AppObjList record.
// ModuleNotSupported when the query times out, the answer holds "Timeout" or
// no "!"; Error when the answer has non-hexadecimal characters where the
// codes belong, or the slot or its address is unusable.
ScanResult ModuleOtherInfo(Console& console, ConsoleState& state, modules::ModuleTable& table);

}  // namespace gw20::link
