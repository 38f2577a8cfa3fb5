#pragma once
// The console behind a serial device server, on QTcpSocket: raw TCP passes
// the console's bytes as they are; RFC 2217 speaks Telnet with the COM port
// control option (ui::TelnetCodec) and sets the console's line up on the
// server. The program's one thread never blocks longer than it asks: every
// wait on the socket is bounded, connecting included.

#include <QAbstractSocket>
#include <QHostAddress>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/device_port.h"
#include "platform/ui/telnet_codec.h"

class QTcpSocket;

namespace gw20::qtui {

// Why connecting to `server` failed, as the rest of "Can't open COM 3! ...":
// refused, no such host, unreachable, or no connection within `limit`.
std::string ConnectFailureText(QAbstractSocket::SocketError error, const std::string& reason,
                               const ui::ConsoleAddress& server, std::chrono::milliseconds limit);

// What looking a host name up found: its addresses, or why there are none.
struct HostLookupResult {
  std::vector<QHostAddress> addresses;
  bool noSuchHost = false;  // the name service knows no such name
  std::string error;        // any other failure, as the system words it
};
// Looks a host name up, taking as long as it takes.
using HostLookup = std::function<HostLookupResult(const std::string& host)>;
// The system's resolver (getaddrinfo), which has no time limit of its own.
HostLookupResult SystemHostLookup(const std::string& host);

class QtNetworkPort : public DevicePort {
 public:
  // `server`: a Tcp or Rfc2217 address. `connectLimit`: how long looking its
  // host name up, connecting, and for RFC 2217 the option negotiation after
  // it may take together. `lookup` stands in for the system's resolver.
  QtNetworkPort(ui::ConsoleAddress server, std::chrono::milliseconds connectLimit,
                HostLookup lookup = SystemHostLookup);
  ~QtNetworkPort() override;
  QtNetworkPort(const QtNetworkPort&) = delete;
  QtNetworkPort& operator=(const QtNetworkPort&) = delete;

  ui::ConsoleAddress Named() const override { return server_; }
  // Missing, with ConnectFailureText, when no connection comes about (each
  // address of a name in turn); when the name is not found in time; for RFC
  // 2217 also when the server does not answer the negotiation in time.
  ui::OpenResult Open() override;
  bool IsOpen() const override { return open_; }
  void Close() override;
  void Write(std::string_view text) override;
  // Bytes handed to the socket and not yet taken by the system.
  int OutBufferCount() override;
  // "connection to 10.0.0.7:4001 closed" when the server ended the
  // connection (or it broke), "no answer from 10.0.0.7:4001 since the
  // connection opened" when it stands but no console text ever came.
  std::string DeviceFault() const override;
  std::string_view FaultHint() const override { return ui::kDeviceServerHint; }

 private:
  // Moves what the socket holds into the console's text, waiting up to
  // `limit` for something to arrive; answers the server's Telnet commands.
  // False once the connection has ended.
  bool Receive(std::chrono::milliseconds limit) override;
  // Over RFC 2217 the server takes the settings at once; raw TCP leaves the
  // line as the server has it.
  bool ApplyToOpen() override;
  void Send(const std::string& bytes);
  // Remembers why the connection ended, once.
  void NoteLoss();

  // Open's first step: the host name looked up and socket_ connected to one
  // of its addresses, all before `start` + connectLimit_.
  ui::OpenResult Connect(std::chrono::steady_clock::time_point start);

  ui::ConsoleAddress server_;
  std::chrono::milliseconds connectLimit_;
  HostLookup lookup_;
  std::unique_ptr<QTcpSocket> socket_;
  std::optional<ui::TelnetCodec> telnet_;
  bool open_ = false;
  bool heard_ = false;  // console text came since the connection opened
  std::string lost_;    // why the connection ended; empty while it stands
};

}  // namespace gw20::qtui
