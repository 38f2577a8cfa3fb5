#pragma once
// The main window's fixed lists, letter for letter and blank for blank, from
// the gateway parameters' tables. A list position is what the gateway
// parameters store; the text is only shown.

#include <string>
#include <string_view>
#include <vector>

#include "link/gateway_parameters.h"

namespace gw20::app {

// CANBaudrate on the CAN panel: the application's bit rates by CanBaudIndex,
// "       125    KBPS". The numbers end in line.
inline std::vector<std::string> CanBaudList(const link::CanApplication& application) {
  return link::RateEntries(
      application.BitRates,
      [](int digits) {
        return link::RatePadding{13 - 2 * digits, 4};
      },
      "KBPS");
}

// CANBaudrate on the field-port panel: Com2BaudIndex 0..7, "        9600    BPS".
// The numbers are centred, the units in line.
inline std::vector<std::string> FieldBaudList() {
  return link::RateEntries(
      link::kFieldBitRates,
      [](int digits) {
        return link::RatePadding{12 - digits, 8 - digits};
      },
      "BPS");
}

// ComChecksum: Com2Checksum 0 off, 1 on.
inline std::vector<std::string> ChecksumList() {
  std::vector<std::string> entries;
  entries.reserve(link::kChecksumTexts.size());
  for (const auto& texts : link::kChecksumTexts) entries.emplace_back(texts.PanelEntry);
  return entries;
}

// The console port's line settings.
inline constexpr std::string_view kConsoleSettings = "115200,n,8,1";

}  // namespace gw20::app
