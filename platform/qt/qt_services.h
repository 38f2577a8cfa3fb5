#pragma once
// Qt implementations of the small services.

#include <QElapsedTimer>

#include "platform/ui/services.h"

class QWidget;

namespace gw20::qtui {

// QMessageBox, application-modal; an empty title leaves the program's name.
class QtMessageBox : public ui::MessageBoxService {
 public:
  ui::MessageAnswer Show(const std::string& text, const std::string& title,
                         ui::MessageButtons buttons) override;
  // Written to the log under `category`.
  void Note(const std::string& category, const std::string& text) override;
};

class QtEventPump : public ui::EventPump {
 public:
  void ProcessEvents() override;
  void Pause(std::chrono::milliseconds period) override;
};

class QtTickCounter : public ui::TickCounter {
 public:
  QtTickCounter();
  std::uint32_t NowMs() const override;

 private:
  QElapsedTimer timer_;
};

class QtCalendarClock : public ui::CalendarClock {
 public:
  ui::DateTime Now() const override;
};

// The folder of the running executable, or the current directory when the
// executable's folder cannot be written (an installed program in /usr/bin).
class QtProgramFolder : public ui::ProgramFolder {
 public:
  std::filesystem::path Path() const override;
};

}  // namespace gw20::qtui
