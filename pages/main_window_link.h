#pragma once
// What a configuration page touches in the main window. Both profiles' pages
// get one from the main window when it opens them.

#include <functional>

namespace gw20::ui {
class SerialPort;
class TextBox;
}  // namespace gw20::ui

namespace gw20::pages {

struct MainWindowLink {
  ui::TextBox& CommunicationState;  // status line
  ui::SerialPort& MSComm1;          // the console port
  int PortNumber = 1;               // COM port chosen in the main window, 1..16
  // Run when the page has closed; empty: nothing comes back (the main window
  // itself is closing).
  std::function<void()> ShowMainWindow;
};

}  // namespace gw20::pages
