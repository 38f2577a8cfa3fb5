#include "platform/qt/console_port.h"

#include <thread>

#include "platform/qt/qt_network_port.h"
#include "platform/qt/qt_serial_port.h"

namespace gw20::qtui {

ConsoleRoutes ComPortRoutes(const ui::VariableLookup& lookup) {
  ConsoleRoutes routes;
  for (int n = 1; n <= ui::kComPortCount; ++n) {
    routes[static_cast<std::size_t>(n - 1)] = ui::RouteOf(ui::ComPortAddress(n), lookup);
  }
  return routes;
}

ConsolePort::ConsolePort(ConsoleRoutes routes, std::chrono::milliseconds connectLimit)
    : routes_(std::move(routes)), connectLimit_(connectLimit) {}

ConsolePort::~ConsolePort() = default;

void ConsolePort::SetRoute(int number, ui::ConsoleRoute route) {
  if (number >= 1 && number <= ui::kComPortCount)
    routes_[static_cast<std::size_t>(number - 1)] = std::move(route);
}

const ui::ConsoleRoute* ConsolePort::Route() const {
  if (number_ < 1 || number_ > ui::kComPortCount) return nullptr;
  return &routes_[static_cast<std::size_t>(number_ - 1)];
}

ui::ConsoleAddress ConsolePort::Named() const {
  const ui::ConsoleRoute* route = Route();
  return route != nullptr ? route->named : ui::ComPortAddress(number_);
}

bool ConsolePort::SetSettings(const ui::SerialSettings& settings) {
  if (!ui::SettingsInRange(settings)) return false;
  if (opened_ && opened_->IsOpen() && !opened_->SetSettings(settings)) return false;
  settings_ = settings;
  return true;
}

ui::OpenResult ConsolePort::Open() {
  if (IsOpen()) return {ui::OpenStatus::Opened, {}};
  const ui::ConsoleRoute* route = Route();
  if (route == nullptr) return {ui::OpenStatus::Missing, "There is no COM" + std::to_string(number_) + "."};
  if (!route->problem.empty()) return {ui::OpenStatus::Missing, route->problem};
  if (route->target.IsNetwork()) {
    opened_ = std::make_unique<QtNetworkPort>(route->target, connectLimit_);
  } else {
    opened_ = std::make_unique<QtSerialPort>(route->target.device);
  }
  opened_->SetPortNumber(number_);
  if (!opened_->SetSettings(settings_)) return {ui::OpenStatus::Failed, {}};
  return opened_->Open();
}

bool ConsolePort::IsOpen() const { return opened_ && opened_->IsOpen(); }

void ConsolePort::Close() {
  if (opened_) opened_->Close();
}

int ConsolePort::InBufferCount() { return opened_ ? opened_->InBufferCount() : 0; }

void ConsolePort::DiscardInput() {
  if (opened_) opened_->DiscardInput();
}

std::string ConsolePort::ReadAll() { return opened_ ? opened_->ReadAll() : std::string(); }

void ConsolePort::Write(std::string_view text) {
  if (opened_) opened_->Write(text);
}

int ConsolePort::OutBufferCount() { return opened_ ? opened_->OutBufferCount() : 0; }

bool ConsolePort::WaitForInput(std::chrono::milliseconds limit) {
  if (opened_) return opened_->WaitForInput(limit);
  // Still wait: a caller polling a port never opened must not spin.
  std::this_thread::sleep_for(limit);
  return false;
}

std::string ConsolePort::DeviceFault() const { return opened_ ? opened_->DeviceFault() : std::string(); }

std::string_view ConsolePort::FaultHint() const {
  return opened_ ? opened_->FaultHint() : ui::SerialPort::FaultHint();
}

}  // namespace gw20::qtui
