// The Telnet decoder of the network console: whatever a device server
// sends, in whatever pieces, the console gets no more bytes than arrived,
// the answers stay well formed and bounded, two parties answering each
// other fall silent (no option loop), and console text round-trips through
// the encoder with its IAC bytes intact.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ui/telnet_codec.h"
#include "tests/fuzz/fuzz_check.h"

using namespace gw20;

namespace {

constexpr ui::SerialSettings kLine{115200, ui::Parity::None, 8, ui::StopBits::One};
// Rounds two parties may answer each other before both are silent: each
// option settles in one answer, the settings go once.
constexpr int kMostRounds = 4;

// Answers are whole commands: IAC verb option, or IAC SB ... IAC SE.
bool WellFormed(std::string_view answers) {
  using namespace ui::telnet;
  std::size_t i = 0;
  while (i < answers.size()) {
    if (static_cast<unsigned char>(answers[i]) != kIac || i + 2 >= answers.size()) return false;
    const auto verb = static_cast<unsigned char>(answers[i + 1]);
    if (verb == kWill || verb == kWont || verb == kDo || verb == kDont) {
      i += 3;
      continue;
    }
    if (verb != kSb) return false;
    const std::size_t end = answers.find(std::string{static_cast<char>(kIac), static_cast<char>(kSe)}, i + 2);
    if (end == std::string_view::npos) return false;
    i = end + 2;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 16;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  ui::TelnetCodec client(kLine);
  std::string toServer = client.Offer();
  std::string answers;
  std::size_t text = 0;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    text += client.Decode(bytes.substr(at, piece), answers).size();
  }
  FUZZ_CHECK(text <= bytes.size());
  FUZZ_CHECK(WellFormed(answers));
  // Each option command in gets at most one answer of three bytes; the
  // settings (five subnegotiations) go at most once per agreement.
  constexpr std::size_t kSettingsBytes = 5 * 8 + 3;
  FUZZ_CHECK(answers.size() <= bytes.size() + kSettingsBytes * (1 + bytes.size() / 3));

  // A second party that answers the first: both fall silent.
  ui::TelnetCodec other(kLine);
  std::string toClient = other.Offer();
  int rounds = 0;
  for (; !toServer.empty() || !toClient.empty(); ++rounds) {
    FUZZ_CHECK(rounds <= kMostRounds);
    std::string fromOther, fromClient;
    (void)other.Decode(toServer, fromOther);
    (void)client.Decode(toClient, fromClient);
    toServer = fromClient;
    toClient = fromOther;
  }

  // Console text through the encoder and back, once binary is agreed both ways.
  ui::TelnetCodec sender(kLine);
  ui::TelnetCodec receiver(kLine);
  std::string ignored;
  const std::string binary{static_cast<char>(ui::telnet::kIac),    static_cast<char>(ui::telnet::kDo),
                           static_cast<char>(ui::telnet::kBinary), static_cast<char>(ui::telnet::kIac),
                           static_cast<char>(ui::telnet::kWill),   static_cast<char>(ui::telnet::kBinary)};
  (void)sender.Offer();
  (void)receiver.Offer();
  (void)sender.Decode(binary, ignored);
  (void)receiver.Decode(binary, ignored);
  const std::string encoded = sender.Encode(bytes);
  std::string decoded;
  for (std::size_t at = 0; at < encoded.size(); at += piece) {
    decoded += receiver.Decode(std::string_view(encoded).substr(at, piece), ignored);
  }
  FUZZ_CHECK(decoded == bytes);
  return 0;
}
