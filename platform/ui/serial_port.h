#pragma once
// The PC's COM port wired to the controller's console.

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/console_address.h"

namespace gw20::ui {

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

inline constexpr int kMinDataBits = 5;
inline constexpr int kMaxDataBits = 8;

// The line settings of a COM port.
struct SerialSettings {
  int baud = 115200;  // bit/s, above 0
  Parity parity = Parity::None;
  int dataBits = 8;  // kMinDataBits..kMaxDataBits
  StopBits stopBits = StopBits::One;
  bool operator==(const SerialSettings&) const = default;
};

// Settings written as text, "115200,n,8,1": baud, parity (n, e, o, m or s,
// either case), data bits 5..8 and stop bits 1, 1.5 or 2, separated by
// commas, blanks around a field allowed. Nothing for any other text.
std::optional<SerialSettings> ParseSerialSettings(std::string_view text);
// The settings as that text ("115200,n,8,1").
std::string SerialSettingsText(const SerialSettings& settings);
// A baud rate above 0 and data bits within kMinDataBits..kMaxDataBits: what
// every port checks before it keeps settings.
bool SettingsInRange(const SerialSettings& settings);

enum class OpenStatus {
  Opened,
  Occupied,  // another program holds the port
  Denied,    // this user may not open it; the description says why
  // There is no such port, or no server answers at its address; the
  // description may name the device or the server and what happened.
  Missing,
  Failed,  // any other error (see the description)
};

// What a note after a DeviceFault asks the operator to check.
inline constexpr std::string_view kAdapterHint = "check that the port's adapter is still plugged in";
inline constexpr std::string_view kDeviceServerHint = "check the device server";
// Every hint a port gives.
inline constexpr std::array<std::string_view, 2> kFaultHints{kAdapterHint, kDeviceServerHint};

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
  // The selected port as the operator named it, which every message uses:
  // the port list's entry by default ("COM3"), a device or a server when
  // one was named instead.
  virtual ConsoleAddress Named() const { return ComPortAddress(PortNumber()); }
  // The line settings for the next Open, applied at once to an open port.
  // False when the port cannot apply them; it keeps the ones it had.
  virtual bool SetSettings(const SerialSettings& settings) = 0;
  // The same written as text ("115200,n,8,1", ParseSerialSettings); false
  // for a text that is no settings.
  bool SetSettings(std::string_view text);
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
  // The system's words when the open port has failed under the program (its
  // USB adapter unplugged, the device gone); empty while it is sound. A
  // console that stops answering looks the same either way, and the operator
  // needs to know which to go and check.
  virtual std::string DeviceFault() const { return {}; }
  // What to check after a DeviceFault: the adapter, or a device server.
  virtual std::string_view FaultHint() const { return kAdapterHint; }
};

}  // namespace gw20::ui
