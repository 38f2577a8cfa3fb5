#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sim/answer_time_log.h"
#include "sim/console.h"
#include "sim/eeprom.h"
#include "sim/field_module.h"
#include "sim/field_port.h"
#include "sim/transcript_log.h"

namespace gw20::sim {

struct ControllerOptions {
  std::string model = "GW20M";
  int firmwareMajor = 2, firmwareMinor = 5, firmwareYear = 2006, firmwareMonth = 3, firmwareDay = 7;
  std::size_t fifo = 8;                   // 0 = unlimited
  std::filesystem::path eepromFile;       // empty = in memory only
  std::filesystem::path transcriptFile;   // empty = none
  std::filesystem::path answerTimesFile;  // empty = none; see AnswerTimeLog
  std::vector<FieldModule> modules;       // the field-port chain; empty = no module answers
  // Faults. A pulled cable: after this many command lines (0 = from the start)
  // nothing more is received, echoed or answered.
  std::optional<int> silentAfterLines;
  // The answer to this command line (counted from 1) arrives garbled: every
  // character but CR and LF becomes kGarbleCharacter, so its prompt never appears.
  std::optional<int> garbleLine;
  // An unplugged adapter: once the answer to this command line (counted from
  // 1) is out, the line is gone for good (HungUp); later output, such as the
  // rest of a scan that line started, never comes.
  std::optional<int> hangUpAfterLines;
  // Line noise: each character sent, echo included, becomes another byte with
  // this probability (0..1), drawn from a std::mt19937 seeded with garbleSeed
  // so that a run can be repeated.
  double garbleRate = 0;
  std::uint32_t garbleSeed = 1;
  // A slow controller: all it sends for a command line starts this much later
  // on its clock. The echo is immediate but never overtakes an earlier answer.
  std::chrono::milliseconds latency{0};
  // A busy controller (writing its EEPROM, serving its field port): once the
  // answer to this command line (counted from 1) is out, and a scan or query
  // the line started has ended, the controller stops reading its console for
  // stallTime on its clock. Meanwhile nothing is echoed or handled:
  // characters wait in its receive buffer of `fifo` characters and those that
  // find it full are lost. When the stall ends the waiting ones are handled
  // as if they had just arrived. stallTime must be positive when this is set.
  std::optional<int> stallAfterLines;
  std::chrono::milliseconds stallTime{0};
  // With stallAfterLines: the stall begins in the middle of the next line
  // instead, once this many of its characters have been taken and echoed,
  // so that the line is left half-typed (at least 1).
  std::optional<int> stallAfterCharacters;
};

// The simulated controller as seen from its serial port: a receive FIFO, the
// console's echo and line assembly, the command interpreter, the EEPROM and
// a transcript of every command line. Not copyable or movable (the console
// refers to the EEPROM and field port it holds).
class Controller {
 public:
  static constexpr char kGarbleCharacter = '#';

  // Loads or creates the EEPROM file, opens the transcript and answer-time files.
  // Throws std::invalid_argument for an empty model, firmware numbers that
  // do not fit the firmware words, a module chain CheckModules refuses, a
  // fault line count out of range, a garble rate outside 0..1, a negative
  // latency or a stall without a positive time, std::runtime_error (message
  // names the file, and the line for a malformed EEPROM file) for a bad file.
  explicit Controller(ControllerOptions options);
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Characters that arrived together; those beyond the FIFO size are lost
  // (during a stall, those beyond what the FIFO still holds). Every kept
  // character is echoed (CR as "\r\n", LF ignored); a CR completes
  // the line, which is logged and answered.
  void Receive(std::string_view burst);
  // Everything the controller sent since the last call.
  std::string TakeOutput();
  // The controller's own clock: it drives the field-port scan and module
  // queries, whose output appears as the time passes, and releases answers
  // held back by the latency fault.
  void Advance(std::chrono::milliseconds elapsed);
  // How long until output is due: held-back output, the field port's next
  // print while a scan or query runs, or the end of a stall that has
  // characters waiting; nullopt when none is coming.
  std::optional<std::chrono::milliseconds> NextOutputIn() const;
  // Pulls (true) or plugs back (false) the cable: while silent nothing is
  // received and whatever the controller prints is lost.
  void SetSilent(bool silent) { silent_ = silent; }
  bool Silent() const { return silent_; }
  // The hang-up fault has struck: nothing is received or sent any more.
  bool HungUp() const { return hungUp_; }
  // Unplugs the adapter once `lines` command lines in all have been received
  // (the hang-up fault; at once when that many are in already), or, with nullopt, plugs it back in: from then
  // on the line works again.
  void SetHangUpAfter(std::optional<int> lines) {
    options_.hangUpAfterLines = lines;
    if (lines) {
      // Already past that line: the adapter goes now.
      if (*lines <= linesReceived_) hungUp_ = true;
      return;
    }
    hungUp_ = false;
    if (cut_ == Cut::kHangUp) cut_ = Cut::kNone;
  }
  // Stalls for `time` once `lines` command lines in all have been received
  // and what the last of them brought on is out (as soon as it is when that
  // many are in already), as the stall fault does; nullopt drops a stall not
  // yet begun (one under way runs to its end). Throws std::invalid_argument
  // for `lines` below 1 or a `time` that is not positive.
  // With `characters`, the stall begins once that many characters of the
  // following line are in (stallAfterCharacters).
  void SetStallAfter(std::optional<int> lines, std::chrono::milliseconds time = std::chrono::milliseconds(0),
                     std::optional<int> characters = std::nullopt);
  // The controller is not reading its console.
  bool Stalled() const { return stallEnd_.has_value(); }
  // Line noise from now on, as the garble-rate fault (0..1; clamped); the
  // seed's sequence goes on where it stands.
  void SetGarbleRate(double rate) { options_.garbleRate = rate > 0 ? (rate < 1 ? rate : 1) : 0; }

  // `address` is the byte address 0..252 (multiple of 4); throws std::out_of_range otherwise.
  std::uint32_t Word(int block, int address) const;
  // Also saves the EEPROM file if there is one.
  void SetWord(int block, int address, std::uint32_t value);
  // Every command line received, as typed (the characters before the CR, after FIFO loss).
  const std::vector<std::string>& Transcript() const;
  // The current prompt text.
  std::string_view Prompt() const;

 private:
  // A line longer than the console's buffer is cut; the excess is neither echoed nor kept.
  static constexpr std::size_t kMaxLineLength = 128;

  // What a fault line count does once the answer to that line is out.
  enum class Cut { kNone, kSilence, kHangUp };
  struct HeldOutput {
    std::chrono::milliseconds due;
    std::string text;
  };

  // Nothing more is received or produced.
  bool Deaf() const { return silent_ || hungUp_ || cut_ != Cut::kNone; }
  // Echo of what was typed: sent at once, behind any held-back answer.
  void Echo(std::string_view text);
  // Console output: garbled while it answers the faulty line, delayed by the latency.
  void Send(std::string text);
  void Emit(std::string text, std::chrono::milliseconds delay);
  // Moves held-back output that is due to what is sent, then lets a pending cut or stall strike.
  void Release();
  // Echoes, assembles and answers characters the receive buffer has passed on.
  void Handle(std::string_view characters);
  // Ends a stall that is over and handles what waited in the buffer.
  void EndStall();
  // Applies the line-noise fault.
  std::string Noisy(std::string text);

  ControllerOptions options_;
  Eeprom eeprom_;
  TranscriptLog transcript_;
  AnswerTimeLog answerTimes_;
  FieldPort fieldPort_;
  Console console_;
  std::string line_;
  std::string output_;
  std::deque<HeldOutput> held_;
  std::chrono::milliseconds clock_{0};
  std::mt19937 noise_;
  int linesReceived_ = 0;
  // The stall fault: due to begin once all output is out; under way until this time.
  bool stallDue_ = false;
  std::optional<std::chrono::milliseconds> stallEnd_;
  // What arrived during the stall and found room in the receive buffer.
  std::string stalledInput_;
  Cut cut_ = Cut::kNone;
  bool silent_ = false;
  bool hungUp_ = false;
  bool garbling_ = false;
};

}  // namespace gw20::sim
