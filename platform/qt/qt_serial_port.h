#pragma once
// The console port on QSerialPort. Port numbers map to devices: "COMn" on
// Windows; elsewhere the device named by the environment variable GW20_COMn
// when set, otherwise /dev/ttyS<n-1>.

#include <QSerialPort>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/serial_port.h"

namespace gw20::qtui {

// The device behind COM port `number` on this machine.
std::string DeviceForPort(int number);

class QtSerialPort : public ui::SerialPort {
 public:
  QtSerialPort();
  ~QtSerialPort() override;
  void SetPortNumber(int number) override;
  int PortNumber() const override { return number_; }
  // A device that stands in for the port number's; empty: the number's own.
  void SetDevice(std::string device) { device_ = std::move(device); }
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
  int number_ = 1;
  std::string device_;
  ui::SerialSettings settings_;
};

}  // namespace gw20::qtui
