#pragma once
// The client's side of Telnet (RFC 854, 855) towards a serial device server
// speaking the COM port control option (RFC 2217), with binary transmission
// (RFC 856) and suppress go-ahead (RFC 858): bytes in, console text and
// answers out, no socket. The console's text passes unchanged but for the
// IAC byte (0xFF), which travels doubled both ways; every command, option
// answer and notification of the server is taken out of it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/serial_port.h"

namespace gw20::ui {

namespace telnet {
inline constexpr unsigned char kIac = 255;
inline constexpr unsigned char kDont = 254;
inline constexpr unsigned char kDo = 253;
inline constexpr unsigned char kWont = 252;
inline constexpr unsigned char kWill = 251;
inline constexpr unsigned char kSb = 250;
inline constexpr unsigned char kSe = 240;
inline constexpr unsigned char kBinary = 0;
inline constexpr unsigned char kEcho = 1;
inline constexpr unsigned char kSuppressGoAhead = 3;
inline constexpr unsigned char kComPortOption = 44;
// COM port control commands, client to server; the server answers each
// with the command plus 100, which the codec reads past.
inline constexpr unsigned char kSetBaudRate = 1;
inline constexpr unsigned char kSetDataSize = 2;
inline constexpr unsigned char kSetParity = 3;
inline constexpr unsigned char kSetStopSize = 4;
inline constexpr unsigned char kSetControl = 5;
inline constexpr unsigned char kNoFlowControl = 1;  // SET-CONTROL's value
}  // namespace telnet

class TelnetCodec {
 public:
  // `settings`: the line the server is to set up once it agrees to the COM
  // port control option.
  explicit TelnetCodec(const SerialSettings& settings);

  // What the client says first: it will use the COM port control option,
  // and asks for binary transmission and no go-ahead both ways.
  std::string Offer();
  // Bytes from the server, in any pieces: returns the console text in them
  // and appends to `answers` what must go back (option answers; the line's
  // settings once the server agrees to set them). Never answers an answer,
  // so two parties cannot loop.
  std::string Decode(std::string_view bytes, std::string& answers);
  // Console text as bytes for the server: IAC doubled; a carriage return
  // followed by NUL while the client may not send binary.
  std::string Encode(std::string_view text) const;
  // New line settings: the subnegotiations that set them, or nothing while
  // the server has not agreed to the option (they go then).
  std::string ChangeSettings(const SerialSettings& settings);

  // Every option offered has been answered, either way.
  bool Settled() const;
  // The server agreed to set the line up.
  bool ComPortControl() const { return us_[telnet::kComPortOption] == State::Yes; }

 private:
  enum class State : std::uint8_t { No, Yes, WantYes };
  // Sub: inside a subnegotiation (the server's answers to the settings, its
  // line and modem state notifications), which is read and dropped.
  enum class Reading : std::uint8_t { Data, Command, Option, Sub, SubCommand };

  // One byte from the server.
  void Step(unsigned char b, std::string& text, std::string& answers);
  void Negotiate(unsigned char verb, unsigned char option, std::string& answers);
  std::string SettingsCommands() const;

  SerialSettings settings_;
  // Per option: whether the client does it (us_) and the server does it (him_).
  std::array<State, 256> us_{};
  std::array<State, 256> him_{};
  Reading reading_ = Reading::Data;
  unsigned char verb_ = 0;
  bool afterCr_ = false;  // the last console byte was a carriage return
};

}  // namespace gw20::ui
