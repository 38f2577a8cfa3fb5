#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>

#include "sim/controller.h"
#include "sim/unique_fd.h"

namespace gw20::sim {

// Connects a Controller to a pseudo-terminal that the PC program opens as its
// serial port, through a symbolic link. The controller services its UART
// periodically: whatever arrived while it was busy is one burst, so a PC that
// writes faster than the controller reads loses characters beyond the FIFO.
class PtyServer {
 public:
  // How long the controller is busy before it reads what has arrived.
  static constexpr std::chrono::milliseconds kBusyTime{1};
  // Longest wait for input, so the controller's clock advances and a stop is noticed.
  static constexpr std::chrono::milliseconds kServiceInterval{20};

  // Opens a raw pseudo-terminal and points `link` at its device, replacing a
  // symbolic link already there (never another kind of file). The device stays
  // open on this side too, so the PC may close and reopen it at will.
  // `controller` must outlive the server. Throws std::runtime_error.
  PtyServer(Controller& controller, std::filesystem::path link);
  // Removes the link if it still points at this server's device.
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // The pseudo-terminal device, e.g. "/dev/pts/3".
  const std::string& DeviceName() const { return deviceName_; }

  // Serves until `stopFd` becomes readable. Throws std::runtime_error if the
  // pseudo-terminal fails.
  void Serve(int stopFd);

 private:
  // Output the PC has not read is kept up to this size; beyond it, it is lost.
  static constexpr std::size_t kMaxPendingOutput = 64 * 1024;
  static constexpr std::size_t kReadChunk = 4096;

  void OpenPseudoTerminal();
  void CreateLink();
  // Returns false when the pseudo-terminal reports no data after all (e.g. hang-up).
  bool ReadBurst();
  void WritePending();

  Controller& controller_;
  std::filesystem::path link_;
  std::string deviceName_;
  UniqueFd master_;
  UniqueFd slave_;
  std::string pending_;
};

}  // namespace gw20::sim
