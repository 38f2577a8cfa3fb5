#pragma once
// Where the controller's console is reached: a COM port of the port list, a
// serial device, or a serial device server on the network, named by one
// address text. Parsed here, once; each program's main resolves a COM name
// to what stands behind it (its GW20_COMn variable or the machine's own
// serial port) and hands the result down.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace gw20::ui {

// COM ports run from COM1 to this.
inline constexpr int kComPortCount = 16;

enum class AddressKind {
  ComPort,  // "COM3": an entry of the port list
  Device,   // "/dev/ttyUSB0": a serial device
  Tcp,      // "tcp://HOST:PORT": a device server passing bytes as they are
  Rfc2217,  // "rfc2217://HOST:PORT": Telnet with the COM port control option
};

struct ConsoleAddress {
  AddressKind kind = AddressKind::ComPort;
  std::string text = "COM1";  // as the operator wrote it
  int comNumber = 1;          // ComPort: 1..kComPortCount
  std::string device;         // Device: the path, as written
  std::string host;           // Tcp, Rfc2217: a name or an address (IPv6 without brackets)
  int port = 0;               // Tcp, Rfc2217: 1..65535

  bool IsNetwork() const { return kind == AddressKind::Tcp || kind == AddressKind::Rfc2217; }
  // "10.0.0.7:4001", "[::1]:4001": how a note names the server.
  std::string HostAndPort() const;
  bool operator==(const ConsoleAddress&) const = default;
};

struct AddressParse {
  std::optional<ConsoleAddress> address;
  std::string problem;  // when there is none: why, naming the text
};

// `text` as an address: "COMn" (any case, n 1..kComPortCount), "tcp://HOST:PORT"
// or "rfc2217://HOST:PORT" (scheme in any case; HOST a name, an IPv4
// address or an IPv6 address in brackets; PORT 1..65535), anything else a
// device path. Refused: an empty text, a COM number out of range, another
// scheme, a user name or password before the host (an address must never
// carry credentials), and anything after the port.
AddressParse ParseConsoleAddress(std::string_view text);

// COM port `number`: "COM3".
ConsoleAddress ComPortAddress(int number);
// The serial device at `path`, named by it.
ConsoleAddress DeviceAddress(const std::string& path);

// The environment variable that says what COM port `number` stands for: "GW20_COM3".
std::string ComPortVariable(int number);

// A port as the operator named it, and what opening it reaches.
struct ConsoleRoute {
  ConsoleAddress named;   // what messages call it
  ConsoleAddress target;  // a Device, Tcp or Rfc2217 address; unused when `problem` is set
  std::string problem;    // the name leads nowhere: why (opening the port says so)
};

// Reads an environment variable: its text, nullopt when unset.
using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The program's own environment as a VariableLookup. Only the programs' mains
// call it, once at start-up, so nothing below them depends on the caller's
// environment.
std::optional<std::string> EnvironmentVariable(const std::string& name);

// Where `named` leads. A COM name leads where its variable (`lookup` of
// ComPortVariable) says, read as an address that is no COM name itself;
// unset or empty, to the machine's own port (/dev/ttyS<n-1>; "COMn" on
// Windows). Anything else leads to itself.
ConsoleRoute RouteOf(const ConsoleAddress& named, const VariableLookup& lookup);

}  // namespace gw20::ui
