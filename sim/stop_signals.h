#pragma once

#include <signal.h>

#include "sim/unique_fd.h"

namespace gw20::sim {

// Turns SIGINT and SIGTERM into a descriptor that becomes readable when one
// arrives, so a poll loop can stop cleanly without a signal handler's global
// state. Create it before any thread starts: it blocks the signals for the
// calling thread (threads created later inherit that).
class StopSignals {
 public:
  // Throws std::system_error when the signals cannot be redirected.
  StopSignals();
  // Discards the stop signals caught and restores the signal mask found at construction.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Readable once a stop signal is pending.
  int Fd() const { return fd_.Get(); }

 private:
  sigset_t previousMask_{};
  UniqueFd fd_;
};

}  // namespace gw20::sim
