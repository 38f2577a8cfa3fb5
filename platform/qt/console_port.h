#pragma once
// The console port the programs use: each COM port of the port list leads
// where its route says (console_address.h), a serial device or a device
// server, and opening it opens that. Routes are given once by the
// program's main; nothing here reads the environment.

#include <array>
#include <chrono>
#include <memory>

#include "platform/ui/console_address.h"
#include "platform/ui/serial_port.h"

namespace gw20::qtui {

using ConsoleRoutes = std::array<ui::ConsoleRoute, ui::kComPortCount>;

// COM1..COM16, each by RouteOf with `lookup` (the program's environment).
ConsoleRoutes ComPortRoutes(const ui::VariableLookup& lookup);

class ConsolePort : public ui::SerialPort {
 public:
  // `connectLimit`: how long connecting to a device server may take (the
  // console's time-out).
  ConsolePort(ConsoleRoutes routes, std::chrono::milliseconds connectLimit);
  ~ConsolePort() override;
  ConsolePort(const ConsolePort&) = delete;
  ConsolePort& operator=(const ConsolePort&) = delete;

  // COM `number` (1..16) leads along `route` from the next Open on.
  void SetRoute(int number, ui::ConsoleRoute route);

  void SetPortNumber(int number) override { number_ = number; }
  int PortNumber() const override { return number_; }
  // The route's name: "COM3", or the device or server a command line named.
  ui::ConsoleAddress Named() const override;
  using ui::SerialPort::SetSettings;
  bool SetSettings(const ui::SerialSettings& settings) override;
  // Missing, with the reason, for a route that leads nowhere (a variable
  // that holds no address).
  ui::OpenResult Open() override;
  bool IsOpen() const override;
  void Close() override;
  int InBufferCount() override;
  void DiscardInput() override;
  std::string ReadAll() override;
  void Write(std::string_view text) override;
  int OutBufferCount() override;
  bool WaitForInput(std::chrono::milliseconds limit) override;
  std::string DeviceFault() const override;
  std::string_view FaultHint() const override;

 private:
  const ui::ConsoleRoute* Route() const;

  ConsoleRoutes routes_;
  std::chrono::milliseconds connectLimit_;
  ui::SerialSettings settings_;
  int number_ = 1;
  // The device or server opened last; null before the first Open.
  std::unique_ptr<ui::SerialPort> opened_;
};

}  // namespace gw20::qtui
