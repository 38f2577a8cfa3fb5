#pragma once
// The connect sequence behind the main window's Connect button: open the COM
// port, wake the console, identify the controller, read its configuration,
// scan the field port, and fill the main window with the result. Every
// failure ends in a message and leaves the window ready for another attempt.

#include <string>

namespace gw20::ui {
struct Services;
}
namespace gw20::link {
class Console;
}

namespace gw20::app {

struct AppState;
class Main_F;

// Progress bar range of the sequence.
inline constexpr int kProgressMax = 10;

// Firmware version and date as shown: major + "." + minor + "-" + year + "/"
// + month + "/" + day, minor, month and day with at least two digits
// (2, 5, 2006, 3, 7 -> "2.05-2006/03/07").
std::string FirmwareText(int major, int minor, int year, int month, int day);

class ConnectSequence {
 public:
  // All three must outlive the sequence.
  ConnectSequence(Main_F& form, AppState& state, ui::Services& services);
  // Runs to the end; never throws (run-time errors are reported by their
  // description and end the session).
  void Run();

 private:
  // Opens the port when needed. False when the sequence must stop (the
  // message has been shown).
  bool OpenPort(int number);
  void Prepare();
  bool WakeConsole(link::Console& console);
  // Picture index 0 (GW20M) or 1 (GW20A); -1 for an unknown controller.
  int Identify();
  bool ReadStoredConfiguration(link::Console& console);
  bool ChooseScanParameters();
  bool ScanFieldPort(link::Console& console);
  bool CheckStoredConfiguration(link::Console& console);
  void Finish(int pictureIndex);
  void FailTimeout();

  Main_F& form_;
  AppState& state_;
  ui::Services& services_;
};

}  // namespace gw20::app
