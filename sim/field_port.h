#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/field_module.h"

namespace gw20::sim {

// The controller's field port (COM2) in pass-through mode: the scan settings
// set by slash commands, the scan of an address range and the module
// configuration query "$AA2", both on the controller's clock.
//
// Lines it understands (the console has already trimmed blanks and handles "/q"):
//   ""              the prompt
//   "/s1", "/s0"    checksum on / off for what the master sends and expects,
//                   until the session ends (BeginSession)
//   "/timeout N"    per-address answer time-out in ms, 0..65535
//   "/baud B"       bit rate, one of kFieldBauds
//   "/start N", "/end N"   first and last address of the scan, 0..255 (decimal)
//   "/scan"         one "!AAMODEL[CC][D]{...}" entry per answering module
//   "$AA2"          "!AATTCCFF" from a present module, "Timeout" otherwise
// A setting answers with one line holding the value as typed, e.g.
// "Time-out = 200 ms"; a bad one with "Invalid value", an unknown slash
// command with "Unknown command". Any other line is sent to the modules,
// none of which understands it: "Timeout" after the time-out.
// A module answers only when the set bit rate and checksum mode equal its own.
// No text but the entries holds "!" or "{", and none but the prompt "]" or ">".
class FieldPort {
 public:
  static constexpr std::string_view kPrompt = "[COM2:]";
  static constexpr std::string_view kTimeoutLine = "Timeout";
  static constexpr std::chrono::milliseconds kDefaultTimeout{200};
  // How long a present module takes to answer.
  static constexpr std::chrono::milliseconds kAnswerTime{5};
  // Longest stretch of a busy port without output; each one prints a ".".
  static constexpr std::chrono::milliseconds kProgressInterval{500};

  // Throws std::invalid_argument when CheckModules refuses `modules`.
  explicit FieldPort(std::vector<FieldModule> modules);

  // A new pass-through session ("use com2") starts without the checksum: the
  // controller's own procedure sends "/s1" when it wants it and never "/s0",
  // so a mode kept from an earlier session would hide every plain module.
  // The other settings stay as they were set.
  void BeginSession() { settings_.checksum = false; }

  // Answers one line. When the line starts a scan or a module query the
  // answer is not complete: the rest, ending with the prompt, comes from
  // Advance as the controller's clock runs.
  std::string HandleLine(std::string_view line);
  // Runs a scan or query on for `elapsed`; returns what the port printed meanwhile.
  std::string Advance(std::chrono::milliseconds elapsed);
  // A scan or query is running.
  bool Busy() const { return job_ != Job::kNone; }
  // How long until a running scan or query next prints (an entry, an answer,
  // a progress dot or the prompt); nullopt when idle.
  std::optional<std::chrono::milliseconds> NextOutputIn() const;
  // Stops a running scan or query; returns the line saying so (empty when idle).
  std::string Abort();

 private:
  enum class Job { kNone, kScan, kQuery };

  struct Settings {
    std::chrono::milliseconds timeout = kDefaultTimeout;
    int baud = kDefaultFieldBaud;
    bool checksum = false;
    int start = 0;
    int end = 15;
  };

  std::string HandleSetting(std::string_view command, std::string_view argument);
  std::string StartScan();
  std::string StartQuery(std::optional<int> address);
  // The module at `address` that hears the master with the current settings, or nullptr.
  const FieldModule* Responder(int address) const;
  std::chrono::milliseconds ProbeTime(std::optional<int> address) const;
  // The current address has answered or timed out.
  std::string FinishProbe();
  std::string FinishJob(std::string text);
  // An answer line with the checksum the modules append when it is on.
  std::string WithChecksum(std::string text) const;
  std::string Reply(std::string_view line) const;

  std::vector<FieldModule> modules_;
  Settings settings_;
  Job job_ = Job::kNone;
  std::optional<int> address_;  // being probed; nullopt = a line no module is addressed by
  int found_ = 0;
  std::chrono::milliseconds remaining_{0};    // until the current address answers or times out
  std::chrono::milliseconds sinceOutput_{0};  // busy time since the port last printed
  bool dotsOnLine_ = false;
};

}  // namespace gw20::sim
