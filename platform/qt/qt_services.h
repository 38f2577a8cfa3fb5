#pragma once
// Qt implementations of the small services that need no window (QtCore
// only); the message box and form host are platform/widgets'.

#include <QElapsedTimer>

#include "platform/ui/services.h"

namespace gw20::qtui {

// Works with a QCoreApplication or a QApplication; without either it sleeps.
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
