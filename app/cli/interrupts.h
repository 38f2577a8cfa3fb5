#pragma once
// SIGINT, SIGTERM and SIGHUP for the commands that talk to a controller. A
// keystroke must never leave a controller half-written: the first interrupt
// stops a command at its next wait unless it is writing the EEPROM, which it
// then finishes; a second one stops it at once. The handlers only count;
// the waits of the console (its event pump) look at the count.

#include <chrono>
#include <functional>

#include "platform/ui/services.h"

namespace gw20::cli {

class Interrupts {
 public:
  // Counts SIGINT, SIGTERM and SIGHUP from now on. With `watchParent` (an
  // apply started by a batch), the parent's death counts as one interrupt:
  // nobody is left to watch the apply, which ends as after a Ctrl-C.
  static void Install(bool watchParent);
  // The interrupts received so far.
  static int Count();
};

// Thrown from a wait to end the command; deliberately no std::exception, so
// that no handler of the windows takes it for an error of theirs.
struct CommandStopped {
  bool partlyWritten = false;  // words of the EEPROM were typed before the stop
};

// The console's event pump, looking at the interrupts before every pump:
// throws CommandStopped once interrupted while `writing` says no, or twice
// (then `typed` says whether a word may have changed). `stopping` runs just
// before the throw.
class StoppingEventPump : public ui::EventPump {
 public:
  StoppingEventPump(ui::EventPump& inner, std::function<bool()> writing, std::function<bool()> typed,
                    std::function<void()> stopping);
  void ProcessEvents() override;
  void Pause(std::chrono::milliseconds period) override;
  // Throws when the command must stop now.
  void Check();
  // A CommandStopped has been thrown.
  bool Stopped() const { return stopped_; }

 private:
  ui::EventPump& inner_;
  std::function<bool()> writing_;
  std::function<bool()> typed_;
  std::function<void()> stopping_;
  bool stopped_ = false;
};

}  // namespace gw20::cli
