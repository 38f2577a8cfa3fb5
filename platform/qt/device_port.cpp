#include "platform/qt/device_port.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace gw20::qtui {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

}  // namespace

std::string Local8Bit(const QString& text) { return text.toLocal8Bit().toStdString(); }

milliseconds TimeLeft(Clock::time_point start, milliseconds limit) {
  return limit - std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

bool DevicePort::SetSettings(const ui::SerialSettings& settings) {
  if (!ui::SettingsInRange(settings)) return false;
  const ui::SerialSettings old = std::exchange(settings_, settings);
  if (!IsOpen() || ApplyToOpen()) return true;
  // A refusal may come half-way through: the line goes back to what it had.
  settings_ = old;
  static_cast<void>(ApplyToOpen());
  return false;
}

int DevicePort::InBufferCount() {
  if (!IsOpen()) return 0;
  Receive(milliseconds(0));
  return static_cast<int>(received_.size());
}

void DevicePort::DiscardInput() {
  if (!IsOpen()) return;
  Receive(milliseconds(0));
  received_.clear();
  DropPending();
}

std::string DevicePort::ReadAll() {
  if (!IsOpen()) return {};
  Receive(milliseconds(0));
  return std::exchange(received_, std::string());
}

bool DevicePort::WaitForInput(milliseconds limit) {
  const auto start = Clock::now();
  if (IsOpen()) {
    // What arrives need not be console text (Telnet commands): wait on for it.
    milliseconds left = std::max(limit, milliseconds(0));
    while (received_.empty() && Receive(left)) {
      left = TimeLeft(start, limit);
      if (left <= milliseconds(0)) break;
    }
    if (!received_.empty()) return true;
  }
  // A device or connection that has gone ends every wait at once; wait out
  // the limit so the caller's time-out comes without spinning.
  const milliseconds left = TimeLeft(start, limit);
  if (left > milliseconds(0)) std::this_thread::sleep_for(left);
  return false;
}

}  // namespace gw20::qtui
