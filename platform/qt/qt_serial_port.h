#pragma once
// A serial device on QSerialPort: the console port when its address is a
// device path (console_port.h chooses).

#include <QSerialPort>
#include <memory>
#include <string>
#include <utility>

#include "platform/qt/device_port.h"

namespace gw20::qtui {

class QtSerialPort : public DevicePort {
 public:
  // `device`: the path Open opens ("/dev/ttyUSB0"; "COM3" on Windows).
  explicit QtSerialPort(std::string device);
  ~QtSerialPort() override;
  ui::ConsoleAddress Named() const override;
  // Occupied when another program holds the port (QSerialPort reports that as
  // a permission error when it cannot lock the device).
  ui::OpenResult Open() override;
  bool IsOpen() const override;
  void Close() override;
  void Write(std::string_view text) override;
  int OutBufferCount() override;
  std::string DeviceFault() const override;

 private:
  // What the OS has received, at once; a wait only when nothing has come yet.
  bool Receive(std::chrono::milliseconds limit) override;
  // False for a baud rate or data bits Qt cannot take.
  bool ApplyToOpen() override;
  void DropPending() override;

  std::unique_ptr<QSerialPort> port_;
  std::string device_;
};

}  // namespace gw20::qtui
