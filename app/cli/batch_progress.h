#pragma once
// How an apply tells a batch how far it has come: one short text line per
// change, "gw20-progress STAGE PERCENT", on a file descriptor of its own so
// that its standard output and error stay what they are without a batch.
// The apply's side is a console port that passes everything through and
// watches the connect's progress bar and the lines the commit types.

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/serial_port.h"

namespace gw20::app {
class Main_F;
}

namespace gw20::cli {

enum class ApplyStage { Waiting, Connecting, Configuring, Committing };

// "waiting", "connect", "configure", "commit": the word a progress line uses.
std::string_view ApplyStageName(ApplyStage stage);

struct ApplyProgress {
  ApplyStage stage = ApplyStage::Waiting;
  int percent = 0;  // of the whole apply, 0..100
  friend bool operator==(const ApplyProgress&, const ApplyProgress&) = default;
};

inline constexpr std::string_view kProgressLinePrefix = "gw20-progress ";

// "gw20-progress commit 57\n".
std::string ProgressLine(const ApplyProgress& progress);
// A line ProgressLine made, without its line break; nullopt for anything else.
std::optional<ApplyProgress> ParseProgressLine(std::string_view line);

// The console port of an apply, reporting its progress to file descriptor
// `fd` (-1: it reports nothing). The connect
// takes the first part of the percent, by the main window's progress bar;
// the commit the rest, by the command lines typed once the window is
// connected, against `commitLines` (asked when the commit opens the port).
class ProgressPort : public ui::SerialPort {
 public:
  // `port` must outlive this one.
  ProgressPort(ui::SerialPort& port, int fd);
  // Starts watching `form` (which must outlive this port).
  void Follow(app::Main_F& form, std::function<int()> commitLines);
  // Runs before the commit opens the port: a command interrupted by then
  // stops there, with nothing written.
  void BeforeCommit(std::function<void()> check) { beforeCommit_ = std::move(check); }
  // The commit has opened the port: the EEPROM write runs.
  bool Committing() const { return last_.stage == ApplyStage::Committing; }
  // The commit has typed a command line: a word may have changed.
  bool Typed() const { return Committing() && linesTyped_ > 0; }

  void SetPortNumber(int number) override { port_.SetPortNumber(number); }
  int PortNumber() const override { return port_.PortNumber(); }
  ui::ConsoleAddress Named() const override { return port_.Named(); }
  bool SetSettings(const ui::SerialSettings& settings) override { return port_.SetSettings(settings); }
  ui::OpenResult Open() override;
  bool IsOpen() const override { return port_.IsOpen(); }
  void Close() override { port_.Close(); }
  int InBufferCount() override { return port_.InBufferCount(); }
  void DiscardInput() override { port_.DiscardInput(); }
  std::string ReadAll() override { return port_.ReadAll(); }
  void Write(std::string_view text) override;
  int OutBufferCount() override { return port_.OutBufferCount(); }
  bool WaitForInput(std::chrono::milliseconds limit) override { return port_.WaitForInput(limit); }
  std::string DeviceFault() const override { return port_.DeviceFault(); }
  std::string_view FaultHint() const override { return port_.FaultHint(); }

 private:
  void Report(ApplyStage stage, int percent);
  void ConnectMoved();

  ui::SerialPort& port_;
  int fd_;
  app::Main_F* form_ = nullptr;
  std::function<int()> commitLines_;
  std::function<void()> beforeCommit_;
  int linesExpected_ = 0;
  int linesTyped_ = 0;
  ApplyProgress last_;
};

}  // namespace gw20::cli
