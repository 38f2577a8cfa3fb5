#include "tests/support/scripted_port.h"

#include <utility>

namespace gw20::testing {

void ScriptedPort::OnCarriageReturn(int n, std::vector<TimedChunk> chunks) {
  if (n < 1) return;
  if (onCr_.size() < static_cast<std::size_t>(n)) onCr_.resize(n);
  onCr_[n - 1] = std::move(chunks);
}

void ScriptedPort::Write(std::string_view text) {
  for (const char c : text) {
    if (c != '\r') {
      line_ += c;
      continue;
    }
    ++carriageReturns_;
    lines_.push_back(std::exchange(line_, std::string()));
    const auto index = static_cast<std::size_t>(carriageReturns_ - 1);
    if (index < onCr_.size() && !onCr_[index].empty()) {
      Schedule(onCr_[index]);
    } else if (responder_) {
      Schedule(responder_(lines_.back()));
    }
  }
}

bool ScriptedPort::WaitForInput(std::chrono::milliseconds limit) {
  for (auto waited = std::chrono::milliseconds(0); received_->empty() && waited < limit;
       waited += std::chrono::milliseconds(1)) {
    time_.Advance(std::chrono::milliseconds(1));
  }
  return !received_->empty();
}

void ScriptedPort::Schedule(const std::vector<TimedChunk>& chunks) {
  for (const auto& chunk : chunks) {
    if (chunk.delay.count() <= 0) {
      *received_ += chunk.text;
      continue;
    }
    time_.At(chunk.delay, [received = received_, text = chunk.text] { *received += text; });
  }
}

std::vector<TimedChunk> ScanFarEnd(const std::string& line, const std::string& listing,
                                   const std::function<std::string(const std::string& query)>& query,
                                   std::chrono::milliseconds delay) {
  std::string text = "[COM2:]";
  if (line == "/scan") {
    text = listing + "\r\n[COM2:]";
  } else if (line.starts_with("/timeout ") || line.starts_with("/baud ")) {
    text = line.substr(line.find(' ') + 1);
  } else if (line == "/q") {
    text = "GW20M>";
  } else if (line.starts_with("$")) {
    text = query(line) + "\r\n[COM2:]";
  }
  return {{delay, line + "\r\n" + text}};
}

}  // namespace gw20::testing
