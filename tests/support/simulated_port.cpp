#include "tests/support/simulated_port.h"

#include <algorithm>
#include <utility>

namespace gw20::testing {

std::vector<std::uint32_t> EepromWords(const sim::Controller& controller, int block, int from, int count) {
  std::vector<std::uint32_t> words;
  words.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int k = 0; k < count; ++k) words.push_back(controller.Word(block, from + 4 * k));
  return words;
}

std::vector<std::uint32_t> AllEepromWords(const sim::Controller& controller) {
  std::vector<std::uint32_t> words;
  words.reserve(192);  // blocks 0, 1 and 2
  for (int k = 0; k < 192; ++k) words.push_back(controller.Word(k / 64, 4 * (k % 64)));
  return words;
}

std::vector<std::string> LinesSince(const sim::Controller& controller, std::size_t first) {
  const auto& all = controller.Transcript();
  return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
}

void SimulatedPort::Write(std::string_view text) {
  if (!open_ || !connected_ || controller_.HungUp()) return;
  Sync();
  if (lineDelay_.count() > 0) {
    // On its way: the controller (which outlives the port's deliveries in every
    // test) takes it once the delay has passed, unless the line was cut meanwhile.
    time_.At(lineDelay_, [this, burst = std::string(text)] {
      if (!connected_ || controller_.HungUp()) return;
      Sync();
      controller_.Receive(burst);
      Sync();  // the echo sets out at once, whoever reads the port next
    });
    return;
  }
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
  time_.At(std::chrono::milliseconds(1) + lineDelay_,
           [received = received_, text = std::move(output)] { *received += text; });
}

}  // namespace gw20::testing
