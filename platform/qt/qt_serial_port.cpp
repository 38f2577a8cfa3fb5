#include "platform/qt/qt_serial_port.h"

#include <QSerialPort>
#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <sys/file.h>
#include <unistd.h>
#endif

#include "platform/qt/file_name.h"

namespace gw20::qtui {
namespace {

// Qt's values in the order of ui::Parity and ui::StopBits.
constexpr QSerialPort::Parity kQtParity[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                             QSerialPort::OddParity, QSerialPort::MarkParity,
                                             QSerialPort::SpaceParity};
constexpr QSerialPort::StopBits kQtStopBits[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                 QSerialPort::TwoStop};

}  // namespace

QtSerialPort::QtSerialPort(std::string device)
    : port_(std::make_unique<QSerialPort>()), device_(std::move(device)) {}

QtSerialPort::~QtSerialPort() = default;

ui::ConsoleAddress QtSerialPort::Named() const { return ui::DeviceAddress(device_); }

bool QtSerialPort::ApplyToOpen() {
  const ui::SerialSettings& settings = Settings();
  return port_->setBaudRate(settings.baud) &&
         port_->setParity(kQtParity[static_cast<int>(settings.parity)]) &&
         port_->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) &&
         port_->setStopBits(kQtStopBits[static_cast<int>(settings.stopBits)]) &&
         port_->setFlowControl(QSerialPort::NoFlowControl);
}

ui::OpenResult QtSerialPort::Open() {
  if (IsOpen()) return {ui::OpenStatus::Opened, {}};
  Received().clear();
  const std::string& device = device_;
  port_->setPortName(ToQtFileName(device));
  port_->clearError();
  if (!port_->open(QIODevice::ReadWrite)) {
    const QSerialPort::SerialPortError error = port_->error();
    const std::string reason = Local8Bit(port_->errorString());
    port_->clearError();
    if (error == QSerialPort::DeviceNotFoundError)
      return {ui::OpenStatus::Missing, "There is no " + device + "."};
    // Qt reports a device locked by another holder as a permission error too;
    // only the device's own permissions tell the two apart.
    if (error == QSerialPort::PermissionError) {
#ifndef Q_OS_WIN
      if (::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        return {ui::OpenStatus::Denied,
                "Permission denied on " + device + ": the user must be in the group that owns it (dialout)."};
      }
#endif
      return {ui::OpenStatus::Occupied, device + " is in use by another program"};
    }
    return {ui::OpenStatus::Failed, "Can't open " + device + ": " + reason};
  }
#ifndef Q_OS_WIN
  // Qt's lock file is keyed by the device's path, and its exclusive-tty
  // flag does not stop root: a lock on the device itself also catches a
  // second holder reaching the same device through another name.
  if (::flock(static_cast<int>(port_->handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    port_->close();
    return {ui::OpenStatus::Occupied, device + " is in use by another program"};
  }
#endif
  if (!ApplyToOpen()) {
    const std::string reason = Local8Bit(port_->errorString());
    port_->close();
    return {ui::OpenStatus::Failed, "Can't set up " + device + ": " + reason};
  }
  return {ui::OpenStatus::Opened, {}};
}

bool QtSerialPort::IsOpen() const { return port_->isOpen(); }

void QtSerialPort::Close() {
  if (IsOpen()) port_->close();
}

bool QtSerialPort::Receive(std::chrono::milliseconds limit) {
  // QSerialPort fills its buffer from the event loop; the console polls
  // without one, so read what the OS holds now.
  const bool buffered = port_->bytesAvailable() > 0;
  port_->waitForReadyRead(buffered ? 0 : static_cast<int>(limit.count()));
  // Nothing waiting is reported as a time-out; that is not a fault.
  if (port_->error() == QSerialPort::TimeoutError) port_->clearError();
  const QByteArray data = port_->readAll();
  Received().append(data.constData(), static_cast<std::size_t>(data.size()));
  // A device that has gone (an unplugged adapter hangs up) ends every wait at
  // once with nothing to read: one wait is all a wait for input gets.
  return false;
}

void QtSerialPort::DropPending() { port_->clear(QSerialPort::Input); }

void QtSerialPort::Write(std::string_view text) {
  if (!IsOpen() || text.empty()) return;
  port_->write(text.data(), static_cast<qint64>(text.size()));
  port_->flush();
}

int QtSerialPort::OutBufferCount() {
  if (!IsOpen()) return 0;
  if (port_->bytesToWrite() > 0) port_->flush();
  return static_cast<int>(port_->bytesToWrite());
}

std::string QtSerialPort::DeviceFault() const {
  if (!IsOpen()) return {};
  // Qt says resource error for an adapter removed under the open port, read
  // error for a line hung up (an end of input, its errno text stale).
  switch (port_->error()) {
    case QSerialPort::ResourceError:
      return device_ + ": " + Local8Bit(port_->errorString());
    case QSerialPort::ReadError:
      return device_ + " hung up";
    default:
      return {};
  }
}

}  // namespace gw20::qtui
