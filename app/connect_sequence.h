#pragma once
// The connect sequence behind the main window's Connect button: open the COM
// port, wake the console, identify the controller, read its configuration,
// let the operator choose the scan parameters, scan the field port, check the
// stored configuration against the modules found, and fill the main window
// with the result. Every failure ends in a message and leaves the window ready
// for another attempt.

#include <string>

#include "link/connect_progress.h"
#include "link/link_fwd.h"

namespace gw20::ui {
struct Services;
}

namespace gw20::app {

struct AppState;
class Main_F;
class ListingProgress;

// Progress bar of the sequence: its stages are the connect's progress values
// (link/connect_progress.h), each kProgressPerStage units wide, so the bar can
// move on within a long stage (the scan listing).
inline constexpr int kProgressPerStage = 100;
inline constexpr int kProgressMax = link::kProgressDone * kProgressPerStage;

class ConnectSequence {
 public:
  // All three must outlive the sequence.
  ConnectSequence(Main_F& form, AppState& state, ui::Services& services);
  // Runs to the end; never throws (run-time errors are reported by their
  // description and end the session). CommitBusy is false afterwards unless
  // it was already set when Run was called (then nothing happens).
  void Run();

 private:
  // The sequence from opening the port to the panel switch. False when it
  // stopped; the message has then been shown and the session ended.
  bool Connect(int portNumber);
  // Opens the port when needed. False when the sequence must stop (the
  // message has been shown).
  bool OpenPort(int number);
  void Prepare();
  bool WakeConsole(link::Console& console);
  // Picture index 0 (GW20M) or 1 (GW20A); -1 for an unknown controller.
  int Identify();
  // Shows the scan-parameters dialog and waits until it has closed.
  void ChooseScanParameters();
  // False when the scan failed; the message has been shown. `listing` is the
  // event pump of `console`: it moves the bar while the listing arrives.
  bool ScanFieldPort(link::Console& console, ListingProgress& listing);
  // Shows a progress value of the connect (kProgressStart..kProgressDone).
  void ShowStage(int stage);
  void Finish(int pictureIndex);
  // Ends the session after `text` (title `title`, may be empty) and sets the
  // status line to `status`. `failing` (the exchange that got no answer,
  // e.g. `no ">" after "exit"`) and a failure of the port's device go to the
  // operator's diagnostics first, and to the status line's tool tip (empty
  // when there is none). Always returns false.
  bool Fail(const std::string& text, const std::string& title, const std::string& status,
            const std::string& failing = {});
  // "Timeout", with `failing` as for Fail.
  bool FailTimeout(const std::string& failing);
  // A failed EEPROM read or check: "Timeout" or its own text, then
  // kPartlyWrittenMessage when a word may hold what nobody meant.
  bool FailEeprom(const link::EepromResult& failed);

  Main_F& form_;
  AppState& state_;
  ui::Services& services_;
  // The wake-up was answered from inside the EEPROM editor.
  bool interruptedEdit_ = false;
};

}  // namespace gw20::app
