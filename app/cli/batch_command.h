#pragma once
// gw20cli batch: one plan applied to the controllers on several ports at the
// same time. Each port gets a gw20cli apply of its own, a separate process,
// so a controller that hangs, answers garbage or takes its port away, and
// even an apply that crashes, ends that port alone. The batch only starts
// the applies, shows how far each has come and collects what they say.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "plans/plan.h"

namespace gw20::cli {

struct CliOptions;

// The plan's node replaced by `node`, checked as the plan reader checks the
// plan's own: the main window's message when it is out of the profile's
// range ("Node ID is not supported!(1~63)"); nullopt when it fits.
std::optional<std::string> PlanNodeProblem(const plans::Plan& plan, int node);

// What a batch refuses before any port is touched: a node out of the
// plan's range, and several ports without --nodes (each would write the same
// EDS file name into the same folder). The message names the option.
std::optional<std::string> BatchProblem(const CliOptions& options, const plans::Plan& plan);

// What a port's controller holds after its apply, as the summary and the
// report name it.
inline constexpr std::string_view kPortOk = "ok";
inline constexpr std::string_view kPortNothingWritten = "nothing written";
inline constexpr std::string_view kPortPartlyWritten = "partly written";
inline constexpr std::string_view kPortInterrupted = "interrupted";
// --skip-matching: the controller held the plan and was not written.
inline constexpr std::string_view kPortAlreadyMatches = "already matches";
// --check: what a port's controller holds; "differs (N)" with N differences.
inline constexpr std::string_view kPortMatches = "matches";
inline constexpr std::string_view kPortFailed = "failed";

// How one port's apply ended.
struct BatchPortResult {
  std::string port;         // as the apply's --port takes it
  std::optional<int> node;  // empty: the plan's node
  std::string label;        // the machine's name; empty: none given
  bool ok = false;
  std::string status{kPortNothingWritten};  // one of the kPort... above, or "differs (N)"
  std::vector<std::string> differences;     // --check: the lines that differ
  int exitStatus = -1;  // the apply's exit status; -1 when it ended by a signal or never started
  // ok: the EDS file's path; otherwise the reason, in the apply's words.
  std::string message;
  std::vector<std::string> details;     // what the apply listed below its reason: a chain mismatch's slots
  std::vector<std::string> errorLines;  // everything the apply wrote to standard error
  std::string startTime;                // ISO 8601, local time with its offset
  std::string endTime;
  double seconds = 0;      // from start to end
  std::string recordJson;  // the commissioning record the apply wrote; empty: none
};

// The reason of a failed apply from its standard error: the last line that
// is not indented (the tool puts the reason there, its details indented
// below it) with the note that the EEPROM is only partly
// written when it comes just before it, and the hint to check the adapter
// (or the device server) when a line blamed the port's device; "gw20cli: "
// prefixes dropped.
std::string FailureMessage(const std::vector<std::string>& errorLines);
// The indented lines below that reason, without their indent: every
// differing slot of a chain mismatch.
std::vector<std::string> FailureDetails(const std::vector<std::string>& errorLines);

// Runs `self apply` of `plan` (read from options.planPath, checked with
// BatchProblem) for every port of `options` at once (`self`: this program's
// path), shows their progress on `out` (live lines when `live`,
// else one line per change of stage), then a summary table; writes the
// --report file. SIGINT, SIGTERM and SIGHUP are passed on to the applies
// (each in a process group of its own, so a terminal's Ctrl-C reaches the
// batch alone): the first lets the ports in their EEPROM write finish it,
// the second stops every port at once. The summary and the report are
// written on every path. Returns kExitDone when every port succeeded and the
// report was written, kExitInterrupted after an interrupt, kExitPartlyWritten
// when a port's EEPROM is partly written, kExitUsage when every failed port
// refused the plan, else kExitFailed.
int RunBatch(const CliOptions& options, const plans::Plan& plan, const std::filesystem::path& self,
             std::ostream& out, bool live);

// The --report JSON: the plan's whole path and, for each port, its result
// with the commissioning record embedded, its label when it has one and, when
// `checked`, the lines in which its controller differs from the plan; the
// applies' messages decoded as the Latin-1 they are.
std::string BatchReportJson(const std::string& planPath, const std::vector<BatchPortResult>& results,
                            bool checked = false);

}  // namespace gw20::cli
