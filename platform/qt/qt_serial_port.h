#pragma once
// A serial device on QSerialPort: the console port when its address is a
// device path (console_port.h chooses).

#include <QSerialPort>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/serial_port.h"

namespace gw20::qtui {

class QtSerialPort : public ui::SerialPort {
 public:
  // `device`: the path Open opens ("/dev/ttyUSB0"; "COM3" on Windows).
  explicit QtSerialPort(std::string device);
  ~QtSerialPort() override;
  // The number is only kept: the device says what opens.
  void SetPortNumber(int number) override { number_ = number; }
  int PortNumber() const override { return number_; }
  ui::ConsoleAddress Named() const override;
  using ui::SerialPort::SetSettings;
  // False for a baud rate or data bits Qt cannot take.
  bool SetSettings(const ui::SerialSettings& settings) override;
  // Occupied when another program holds the port (QSerialPort reports that as
  // a permission error when it cannot lock the device).
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

 private:
  // Moves what the OS has received into the port's buffer, without waiting.
  void PullInput();
  bool ApplySettings();

  std::unique_ptr<QSerialPort> port_;
  std::string device_;
  int number_ = 1;
  ui::SerialSettings settings_;
};

}  // namespace gw20::qtui
