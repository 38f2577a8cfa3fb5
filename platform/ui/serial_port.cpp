#include "platform/ui/serial_port.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "platform/ui/number_text.h"

namespace gw20::ui {
namespace {

constexpr std::size_t kFields = 4;

// The parity letters, in the order of Parity.
constexpr std::string_view kParityLetters = "neoms";
constexpr std::array<std::string_view, 3> kStopBitsTexts = {"1", "1.5", "2"};

std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<SerialSettings> ParseSerialSettings(std::string_view text) {
  std::array<std::string_view, kFields> fields;
  for (std::size_t i = 0; i < kFields; ++i) {
    const std::size_t comma = text.find(',');
    // Exactly four fields: a comma after each but the last.
    if ((comma == std::string_view::npos) != (i + 1 == kFields)) return std::nullopt;
    fields[i] = TrimBlanks(text.substr(0, comma));
    if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
  }
  const auto baud = WholeNumber(fields[0]);
  const auto dataBits = WholeNumber(fields[2]);
  const std::size_t parity =
      fields[1].size() == 1
          ? kParityLetters.find(static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0]))))
          : std::string_view::npos;
  const auto stopBits = std::find(kStopBitsTexts.begin(), kStopBitsTexts.end(), fields[3]);
  if (!baud || *baud <= 0 || parity == std::string_view::npos || !dataBits || *dataBits < kMinDataBits ||
      *dataBits > kMaxDataBits || stopBits == kStopBitsTexts.end()) {
    return std::nullopt;
  }
  return SerialSettings{*baud, static_cast<Parity>(parity), *dataBits,
                        static_cast<StopBits>(stopBits - kStopBitsTexts.begin())};
}

std::string SerialSettingsText(const SerialSettings& settings) {
  return std::to_string(settings.baud) + ',' + kParityLetters[static_cast<std::size_t>(settings.parity)] +
         ',' + std::to_string(settings.dataBits) + ',' +
         std::string(kStopBitsTexts[static_cast<std::size_t>(settings.stopBits)]);
}

bool SettingsInRange(const SerialSettings& settings) {
  return settings.baud > 0 && settings.dataBits >= kMinDataBits && settings.dataBits <= kMaxDataBits;
}

bool SerialPort::SetSettings(std::string_view text) {
  const auto settings = ParseSerialSettings(text);
  return settings && SetSettings(*settings);
}

}  // namespace gw20::ui
