#include "platform/ui/telnet_codec.h"

namespace gw20::ui {
namespace {

using namespace telnet;

constexpr unsigned char kCr = '\r';
constexpr unsigned char kNul = 0;
constexpr std::uint32_t kByteMask = 0xFF;
constexpr int kBitsPerByte = 8;

// The options the client takes on for itself, and asks of the server.
bool ClientDoes(unsigned char option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}
bool ServerMayDo(unsigned char option) { return option == kBinary || option == kSuppressGoAhead; }

void Put(std::string& out, std::initializer_list<unsigned char> bytes) {
  for (const unsigned char b : bytes) out.push_back(static_cast<char>(b));
}

// Parity and stop bits as the option numbers them.
unsigned char ParityCode(Parity parity) {
  switch (parity) {
    case Parity::None:
      return 1;
    case Parity::Odd:
      return 2;
    case Parity::Even:
      return 3;
    case Parity::Mark:
      return 4;
    case Parity::Space:
      return 5;
  }
  return 1;
}

unsigned char StopSizeCode(StopBits stopBits) {
  switch (stopBits) {
    case StopBits::One:
      return 1;
    case StopBits::Two:
      return 2;
    case StopBits::OneAndHalf:
      return 3;
  }
  return 1;
}

// IAC SB COM-PORT-OPTION command value... IAC SE, an IAC in the value doubled.
void PutCommand(std::string& out, unsigned char command, std::string_view value) {
  Put(out, {kIac, kSb, kComPortOption, command});
  for (const char c : value) {
    out.push_back(c);
    if (static_cast<unsigned char>(c) == kIac) out.push_back(c);
  }
  Put(out, {kIac, kSe});
}

}  // namespace

TelnetCodec::TelnetCodec(const SerialSettings& settings) : settings_(settings) {}

std::string TelnetCodec::Offer() {
  std::string out;
  us_[kComPortOption] = State::WantYes;
  Put(out, {kIac, kWill, kComPortOption});
  for (const unsigned char option : {kBinary, kSuppressGoAhead}) {
    him_[option] = State::WantYes;
    us_[option] = State::WantYes;
    Put(out, {kIac, kDo, option, kIac, kWill, option});
  }
  return out;
}

bool TelnetCodec::Settled() const {
  for (std::size_t option = 0; option < us_.size(); ++option) {
    if (us_[option] == State::WantYes || him_[option] == State::WantYes) return false;
  }
  return true;
}

std::string TelnetCodec::SettingsCommands() const {
  std::string out;
  const auto baud = static_cast<std::uint32_t>(settings_.baud);
  std::string bigEndian;
  for (int shift = 3 * kBitsPerByte; shift >= 0; shift -= kBitsPerByte) {
    bigEndian.push_back(static_cast<char>((baud >> shift) & kByteMask));
  }
  PutCommand(out, kSetBaudRate, bigEndian);
  PutCommand(out, kSetDataSize, std::string(1, static_cast<char>(settings_.dataBits)));
  PutCommand(out, kSetParity, std::string(1, static_cast<char>(ParityCode(settings_.parity))));
  PutCommand(out, kSetStopSize, std::string(1, static_cast<char>(StopSizeCode(settings_.stopBits))));
  PutCommand(out, kSetControl, std::string(1, static_cast<char>(kNoFlowControl)));
  return out;
}

std::string TelnetCodec::ChangeSettings(const SerialSettings& settings) {
  settings_ = settings;
  return ComPortControl() ? SettingsCommands() : std::string();
}

void TelnetCodec::Negotiate(unsigned char verb, unsigned char option, std::string& answers) {
  // The Q method of RFC 1143 without a queue: the client never turns an
  // option off of its own accord, so an answer is only ever sent to a
  // change of state, never to a confirmation.
  const bool ask = verb == kDo || verb == kDont;  // about the client's side
  const bool on = verb == kDo || verb == kWill;
  State& state = ask ? us_[option] : him_[option];
  const bool wanted = ask ? ClientDoes(option) : ServerMayDo(option);
  const unsigned char agree = ask ? kWill : kDo;
  const unsigned char refuse = ask ? kWont : kDont;
  if (on) {
    if (state == State::Yes) return;
    if (!wanted) {
      Put(answers, {kIac, refuse, option});
      return;
    }
    if (state == State::No) Put(answers, {kIac, agree, option});
    state = State::Yes;
    if (ask && option == kComPortOption) answers += SettingsCommands();
    return;
  }
  if (state == State::Yes) Put(answers, {kIac, refuse, option});
  state = State::No;
}

void TelnetCodec::Step(unsigned char b, std::string& text, std::string& answers) {
  const auto c = static_cast<char>(b);
  switch (reading_) {
    case Reading::Data:
      if (b == kIac) {
        reading_ = Reading::Command;
        return;
      }
      // Outside binary a carriage return travels as CR NUL.
      if (!(afterCr_ && b == kNul && him_[kBinary] != State::Yes)) text.push_back(c);
      afterCr_ = b == kCr;
      return;
    case Reading::Command:
      reading_ = Reading::Data;
      if (b == kIac) {
        text.push_back(c);
        afterCr_ = false;
      } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
        verb_ = b;
        reading_ = Reading::Option;
      } else if (b == kSb) {
        reading_ = Reading::Sub;
      }
      // Any other command (NOP, GA, a stray SE, ...) carries nothing.
      return;
    case Reading::Option:
      reading_ = Reading::Data;
      Negotiate(verb_, b, answers);
      return;
    case Reading::Sub:
      if (b == kIac) reading_ = Reading::SubCommand;
      return;
    case Reading::SubCommand:
      if (b == kIac) {  // a doubled IAC inside it
        reading_ = Reading::Sub;
        return;
      }
      // IAC SE ends it; any other command ends it too and is read as one.
      reading_ = Reading::Data;
      if (b != kSe) {
        reading_ = Reading::Command;
        Step(b, text, answers);
      }
      return;
  }
}

std::string TelnetCodec::Decode(std::string_view bytes, std::string& answers) {
  std::string text;
  for (const char c : bytes) Step(static_cast<unsigned char>(c), text, answers);
  return text;
}

std::string TelnetCodec::Encode(std::string_view text) const {
  std::string out;
  out.reserve(text.size());
  const bool binary = us_[kBinary] == State::Yes;
  for (const char c : text) {
    out.push_back(c);
    const auto b = static_cast<unsigned char>(c);
    if (b == kIac) out.push_back(c);
    if (b == kCr && !binary) out.push_back(static_cast<char>(kNul));
  }
  return out;
}

}  // namespace gw20::ui
