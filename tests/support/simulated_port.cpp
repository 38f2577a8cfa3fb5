#include "tests/support/simulated_port.h"

#include <utility>

#include "sim/controller.h"

namespace gw20::testing {

SimulatedPort::SimulatedPort(VirtualTime& time, sim::Controller& controller)
    : time_(time), controller_(controller), syncedAt_(time.Now()) {}

ui::OpenResult SimulatedPort::Open() {
  ++openCalls_;
  open_ = openResult_.status == ui::OpenStatus::Opened;
  return openResult_;
}

int SimulatedPort::InBufferCount() {
  Sync();
  return static_cast<int>(received_->size());
}

void SimulatedPort::DiscardInput() {
  Sync();
  received_->clear();
}

std::string SimulatedPort::ReadAll() {
  Sync();
  return std::exchange(*received_, std::string());
}

bool SimulatedPort::HungUp() const { return controller_.HungUp(); }

void SimulatedPort::Write(std::string_view text) {
  if (!open_ || !connected_ || HungUp()) return;
  Sync();
  controller_.Receive(text);
  Sync();
}

bool SimulatedPort::WaitForInput(std::chrono::milliseconds limit) {
  Sync();
  for (auto waited = std::chrono::milliseconds(0); received_->empty() && waited < limit;
       waited += std::chrono::milliseconds(1)) {
    time_.Advance(std::chrono::milliseconds(1));
    Sync();
  }
  return !received_->empty();
}

void SimulatedPort::Sync() {
  const auto now = time_.Now();
  const auto elapsed = ui::TicksSince(syncedAt_, now);
  if (elapsed > 0) controller_.Advance(std::chrono::milliseconds(elapsed));
  syncedAt_ = now;
  time_.RunDue();
  auto output = controller_.TakeOutput();
  // Output of a closed port or a cut cable goes nowhere.
  if (output.empty() || !open_ || !connected_) return;
  time_.At(std::chrono::milliseconds(1), [received = received_, text = std::move(output)] { *received += text; });
}

}  // namespace gw20::testing
