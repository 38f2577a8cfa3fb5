#pragma once
// A console port on virtual time whose far end is a script: it records what
// the program writes and delivers prepared reply chunks at given virtual
// times or when a given line has been typed.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/serial_port.h"
#include "tests/support/test_services.h"

namespace gw20::testing {

// One reply chunk, arriving `delay` after the moment it is triggered.
struct TimedChunk {
  std::chrono::milliseconds delay{0};
  std::string text;
};

class ScriptedPort : public ui::SerialPort {
 public:
  // `time` must outlive the port. The port starts closed.
  explicit ScriptedPort(VirtualTime& time) : time_(time) {}

  // Scripting the far end.
  // The chunk enters the receive buffer once `delay` has passed from now.
  void DeliverAfter(std::chrono::milliseconds delay, std::string chunk) {
    Schedule({{delay, std::move(chunk)}});
  }
  // When the n-th carriage return (1-based, counted over the port's life) is
  // written, the chunks arrive, each `delay` after that moment.
  void OnCarriageReturn(int n, std::vector<TimedChunk> chunks);
  // For every completed line without an OnCarriageReturn script: the chunks
  // the responder returns for the line (the characters before the CR).
  void SetResponder(std::function<std::vector<TimedChunk>(const std::string& line)> responder) {
    responder_ = std::move(responder);
  }
  // Successive answers of OutBufferCount; 0 once they are used up.
  void SetOutBufferCounts(std::vector<int> counts) { outCounts_ = std::move(counts), nextOutCount_ = 0; }

  // What the program did.
  // Completed lines (the characters before each CR).
  const std::vector<std::string>& Lines() const { return lines_; }
  int OutBufferCountCalls() const { return outBufferCountCalls_; }
  int OpenCalls() const { return openCalls_; }
  // The last settings given, as text ("115200,n,8,1"); empty before any.
  std::string Settings() const { return settings_; }

  void SetPortNumber(int number) override { number_ = number; }
  int PortNumber() const override { return number_; }
  bool SetSettings(const ui::SerialSettings& settings) override {
    settings_ = ui::SerialSettingsText(settings);
    return true;
  }
  ui::OpenResult Open() override {
    ++openCalls_, open_ = true;
    return {ui::OpenStatus::Opened, {}};
  }
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  int InBufferCount() override {
    time_.RunDue();
    return static_cast<int>(received_->size());
  }
  void DiscardInput() override { received_->clear(); }
  std::string ReadAll() override {
    time_.RunDue();
    return std::exchange(*received_, std::string());
  }
  // Recorded even when closed, so a test sees a write to a closed port.
  void Write(std::string_view text) override;
  int OutBufferCount() override {
    ++outBufferCountCalls_;
    return nextOutCount_ < outCounts_.size() ? outCounts_[nextOutCount_++] : 0;
  }
  // Advances virtual time a millisecond at a time until input arrives.
  bool WaitForInput(std::chrono::milliseconds limit) override;

 private:
  void Schedule(const std::vector<TimedChunk>& chunks);

  VirtualTime& time_;
  // Shared with scheduled deliveries, which may outlive the port.
  std::shared_ptr<std::string> received_ = std::make_shared<std::string>();
  std::vector<std::vector<TimedChunk>> onCr_;  // index n-1
  std::function<std::vector<TimedChunk>(const std::string&)> responder_;
  std::vector<int> outCounts_;
  std::size_t nextOutCount_ = 0;
  std::vector<std::string> lines_;
  std::string line_;
  std::string settings_;
  int carriageReturns_ = 0;
  int outBufferCountCalls_ = 0;
  int openCalls_ = 0;
  int number_ = 1;
  bool open_ = false;
};

// The field port's pass-through as a scan meets it, for a responder: the
// echo of `line`, then its set-up confirmed, `listing` for "/scan", the main
// prompt for "/q", and for a module query ("$...") what `query` answers;
// all `delay` after the line.
std::vector<TimedChunk> ScanFarEnd(const std::string& line, const std::string& listing,
                                   const std::function<std::string(const std::string& query)>& query,
                                   std::chrono::milliseconds delay);

}  // namespace gw20::testing
