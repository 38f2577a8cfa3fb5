#pragma once
// A console port on virtual time wired to an in-process simulated controller.
// Each Write call reaches the controller as one burst (its FIFO drops what
// does not fit); the controller's output becomes readable a short latency
// later.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/serial_port.h"
#include "sim/controller.h"
#include "tests/support/test_services.h"

namespace gw20::testing {

// `options` with the controller's receive buffer unlimited: for the tests
// that are not about that buffer.
inline sim::ControllerOptions Unbuffered(sim::ControllerOptions options = {}) {
  options.fifo = 0;
  return options;
}
// The default controller with these modules on its field port.
inline sim::ControllerOptions WithModules(std::vector<sim::FieldModule> modules) {
  sim::ControllerOptions options;
  options.modules = std::move(modules);
  return options;
}

// `count` EEPROM words of `block` from byte address `from` on; by default the whole block.
std::vector<std::uint32_t> EepromWords(const sim::Controller& controller, int block, int from = 0,
                                       int count = 64);
// Blocks 0, 1 and 2 in a row.
std::vector<std::uint32_t> AllEepromWords(const sim::Controller& controller);
// The command lines the controller received from the `first` on.
std::vector<std::string> LinesSince(const sim::Controller& controller, std::size_t first);

class SimulatedPort : public ui::SerialPort {
 public:
  // `time` and `controller` must outlive the port. The port starts closed;
  // writes to a closed port are lost, as on a real line.
  SimulatedPort(VirtualTime& time, sim::Controller& controller)
      : time_(time), controller_(controller), syncedAt_(time.Now()) {}

  // The result of every following Open (Opened by default), e.g. Occupied
  // to play another program holding the port.
  void SetOpenResult(ui::OpenResult result) { openResult_ = std::move(result); }
  int OpenCalls() const { return openCalls_; }
  // Cuts (false) or restores (true) the cable: while cut nothing passes either
  // way. So does a controller that hung up, as an unplugged USB adapter does,
  // but that one the open port reports as a device fault (IsOpen stays).
  void SetConnected(bool connected) { connected_ = connected; }
  // Delays every character both ways by `delay`, as a network path or a USB
  // adapter's latency timer does (gw20sim --line-delay).
  void SetLineDelay(std::chrono::milliseconds delay) { lineDelay_ = delay; }

  // How messages name the port from now on, in place of its COM entry.
  void SetNamed(ui::ConsoleAddress named) { named_ = std::move(named); }

  void SetPortNumber(int number) override { number_ = number; }
  int PortNumber() const override { return number_; }
  ui::ConsoleAddress Named() const override { return named_ ? *named_ : ui::ComPortAddress(number_); }
  bool SetSettings(const ui::SerialSettings&) override { return true; }
  ui::OpenResult Open() override {
    ++openCalls_;
    open_ = openResult_.status == ui::OpenStatus::Opened;
    return openResult_;
  }
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  int InBufferCount() override { return Sync(), static_cast<int>(received_->size()); }
  void DiscardInput() override { Sync(), received_->clear(); }
  std::string ReadAll() override { return Sync(), std::exchange(*received_, std::string()); }
  void Write(std::string_view text) override;
  int OutBufferCount() override { return 0; }
  // Advances virtual time a millisecond at a time until input arrives.
  bool WaitForInput(std::chrono::milliseconds limit) override;
  std::string DeviceFault() const override {
    return open_ && controller_.HungUp() ? "COM" + std::to_string(number_) + " hung up" : std::string();
  }

 private:
  // Brings the controller's clock up to virtual time and forwards its output.
  void Sync();

  VirtualTime& time_;
  sim::Controller& controller_;
  // Shared with scheduled deliveries, which may outlive the port.
  std::shared_ptr<std::string> received_ = std::make_shared<std::string>();
  std::uint32_t syncedAt_;
  ui::OpenResult openResult_{ui::OpenStatus::Opened, {}};
  int openCalls_ = 0;
  int number_ = 1;
  std::optional<ui::ConsoleAddress> named_;
  bool open_ = false;
  bool connected_ = true;
  std::chrono::milliseconds lineDelay_{0};
};

}  // namespace gw20::testing
