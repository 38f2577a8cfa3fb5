#pragma once
// The desktop program's message boxes.

#include "platform/ui/services.h"

namespace gw20::qtui {

// QMessageBox, application-modal; an empty title leaves the program's name.
// Every message shown and every note is also written to the log (qt_log.h).
class QtMessageBox : public ui::MessageBoxService {
 public:
  ui::MessageAnswer Show(const std::string& text, const std::string& title,
                         ui::MessageButtons buttons) override;
  void Note(const std::string& category, const std::string& text) override;
};

}  // namespace gw20::qtui
