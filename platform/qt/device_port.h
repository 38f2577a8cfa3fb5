#pragma once
// What the serial device and the device server's connection share as console
// ports: the port number only kept (the device says what opens), the settings
// checked and kept for the next Open, the console text received and buffered
// until read, and waits that never spin.

#include <QString>
#include <chrono>
#include <string>

#include "platform/ui/serial_port.h"

namespace gw20::qtui {

// A Qt text in the system's 8-bit encoding, as the system's messages give it.
std::string Local8Bit(const QString& text);

// What is left of `limit` since `start` (negative once it is over).
std::chrono::milliseconds TimeLeft(std::chrono::steady_clock::time_point start,
                                   std::chrono::milliseconds limit);

class DevicePort : public ui::SerialPort {
 public:
  void SetPortNumber(int number) final { number_ = number; }
  int PortNumber() const final { return number_; }
  using ui::SerialPort::SetSettings;
  // False, keeping the settings it had, for a baud rate or data bits out of
  // range, or when an open port cannot take them (ApplyToOpen).
  bool SetSettings(const ui::SerialSettings& settings) final;
  int InBufferCount() final;
  void DiscardInput() final;
  std::string ReadAll() final;
  bool WaitForInput(std::chrono::milliseconds limit) final;

 protected:
  const ui::SerialSettings& Settings() const { return settings_; }
  // The received console text not yet read; a new connection starts empty.
  std::string& Received() { return received_; }
  // Moves what has arrived into Received(), waiting up to `limit` when
  // nothing has; false when waiting again cannot bring more (the device
  // has had its one wait, or the connection has ended).
  virtual bool Receive(std::chrono::milliseconds limit) = 0;
  // Puts Settings() into effect on the open port; false when it cannot.
  virtual bool ApplyToOpen() = 0;
  // Drops what the device still holds beyond Received() (its driver's buffer).
  virtual void DropPending() {}

 private:
  int number_ = 1;
  ui::SerialSettings settings_;
  std::string received_;
};

}  // namespace gw20::qtui
