#include "sim/stop_signals.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace gw20::sim {

StopSignals::StopSignals() {
  sigset_t stopSet;
  sigemptyset(&stopSet);
  sigaddset(&stopSet, SIGINT);
  sigaddset(&stopSet, SIGTERM);
  if (const int error = pthread_sigmask(SIG_BLOCK, &stopSet, &previousMask_); error != 0) {
    throw std::system_error(error, std::generic_category(), "cannot block SIGINT and SIGTERM");
  }
  fd_ = UniqueFd(signalfd(-1, &stopSet, SFD_CLOEXEC | SFD_NONBLOCK));
  if (!fd_.Valid()) {
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    throw std::system_error(error, std::generic_category(), "cannot watch SIGINT and SIGTERM");
  }
}

StopSignals::~StopSignals() {
  // Consume the signals already caught, or unblocking them would deliver them
  // and end the process as if it had never handled them.
  signalfd_siginfo info;
  while (read(fd_.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
  }
  fd_.Reset();
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace gw20::sim
