#pragma once
// The PC's COM port wired to the controller's console.

#include <chrono>
#include <string>
#include <string_view>

namespace gw20::ui {

enum class OpenStatus {
  Opened,
  Occupied,  // another program holds the port
  Denied,    // this user may not open it; the description says why
  Missing,   // there is no such port; the description may name the device
  Failed,    // any other error (see the description)
};

struct OpenResult {
  OpenStatus status = OpenStatus::Failed;
  std::string description;  // the system's own words for a failure
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // PC COM port number 1..16, used by the next Open.
  virtual void SetPortNumber(int number) = 0;
  virtual int PortNumber() const = 0;
  // Settings as "115200,n,8,1". Returns false for a text it cannot apply.
  virtual bool SetSettings(std::string_view settings) = 0;
  virtual OpenResult Open() = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Characters received and not yet read.
  virtual int InBufferCount() = 0;
  virtual void DiscardInput() = 0;
  // Every character waiting, as 8-bit text; empties the receive buffer.
  virtual std::string ReadAll() = 0;
  // Queues text for transmission.
  virtual void Write(std::string_view text) = 0;
  // Characters queued and not yet transmitted.
  virtual int OutBufferCount() = 0;
  // Blocks until characters arrive or `limit` has passed; true when some are
  // waiting. Does not process window events.
  virtual bool WaitForInput(std::chrono::milliseconds limit) = 0;
};

}  // namespace gw20::ui
