#pragma once
// The About window, opened from the main window's "About" menu, not modal.

#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::app {

inline constexpr int kAboutWidth = 5400;   // twips
inline constexpr int kAboutHeight = 3600;  // twips

class AboutForm : public ui::Form {
 public:
  explicit AboutForm(ui::FormHost& host);

  ui::Frame Frame1;        // "Support"
  ui::Label SupportLabel;  // inside Frame1
  ui::Label ProgramLabel;  // program name
  ui::Label VersionLabel;  // "ver. 2.1"
  ui::Label DateLabel;     // "May. 2012"
  ui::Picture Picture1;
  ui::Button Command1;  // "OK"

  // Unloads the window.
  void Command1_Click();
};

}  // namespace gw20::app
