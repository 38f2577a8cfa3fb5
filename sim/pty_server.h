#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>

#include "sim/controller.h"
#include "sim/unique_fd.h"

namespace gw20::sim {

// What lies between the PC and the controller's UART besides the cable: a
// network path or a USB adapter's latency timer that delays every character
// both ways, and the line's own rate, at which a burst from a device server's
// network side reaches the UART one character after the other.
struct LineOptions {
  std::chrono::milliseconds delay{0};
  int bitsPerSecond = 0;  // 0: a burst arrives whole, as from a local port
};

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
  PtyServer(Controller& controller, std::filesystem::path link, LineOptions line = {});
  // Removes the link if it still points at this server's device.
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // The pseudo-terminal device, e.g. "/dev/pts/3".
  const std::string& DeviceName() const { return deviceName_; }

  // Longest wait, once the controller has hung up, for the PC to read what was
  // sent before: a PC that has stopped reading must not keep the line alive.
  static constexpr std::chrono::milliseconds kHangUpGrace{1000};

  enum class Ending { kStopped, kHungUp };

  // Serves until `stopFd` becomes readable, or until the controller hangs up:
  // once the PC has read what was sent before (or kHangUpGrace has passed),
  // the link is removed and the pseudo-terminal closed, so the PC's port sees
  // a hang-up as when a USB adapter is unplugged. Throws std::runtime_error if
  // the pseudo-terminal fails.
  Ending Serve(int stopFd);

 private:
  static constexpr std::size_t kReadChunk = 4096;

  void OpenPseudoTerminal();
  void CreateLink();
  void RemoveLink();
  // Output written to the pseudo-terminal that the PC has not read yet.
  bool Unread() const;
  // Returns false when the pseudo-terminal reports no data after all (e.g. hang-up).
  bool ReadBurst();
  void WritePending();
  // Hands the controller what the line has brought by now: at the line's
  // rate one character at a time, else each burst whole.
  void DeliverDue(std::chrono::steady_clock::time_point now);
  // Moves the controller's output onto the line, due after the delay.
  void TakeOutput(std::chrono::steady_clock::time_point now);
  // Until the line has something for either end; nullopt when nothing is on it.
  std::optional<std::chrono::milliseconds> NextOnLine(std::chrono::steady_clock::time_point now) const;

  using TimePoint = std::chrono::steady_clock::time_point;
  struct InFlight {
    TimePoint due;
    std::string text;
  };

  Controller& controller_;
  std::filesystem::path link_;
  LineOptions line_;
  // Bursts on their way to the controller and to the PC.
  std::deque<InFlight> inbound_;
  std::deque<InFlight> outbound_;
  // The line's rate: when the next character can reach the UART.
  TimePoint nextCharacterAt_{};
  std::string deviceName_;
  UniqueFd master_;
  UniqueFd slave_;
  // Output the pseudo-terminal has not taken yet. Never dropped, however long
  // the PC leaves it unread: a lost entry would make a module vanish from a listing.
  std::string pending_;
};

}  // namespace gw20::sim
