#include "link/gateway_parameters.h"

#include <algorithm>

namespace gw20::link {

std::string NodeIdRangeText(const CanApplication& application) {
  return "Node ID is not supported!(" + std::to_string(kMinNodeId) + "~" +
         std::to_string(application.MaxNodeId) + ")";
}

std::string Com2TimeoutRangeText() {
  return "Timeout value is out of range!(" + std::to_string(kMinCom2TimeoutMs) + "ms~" +
         std::to_string(kMaxCom2TimeoutMs) + "ms)";
}

std::vector<std::string> RateEntries(std::span<const int> rates, RatePadding (*padding)(int digits),
                                     std::string_view unit) {
  const auto blanks = [](int count) {
    return std::string(static_cast<std::size_t>(std::max(count, 0)), ' ');
  };
  std::vector<std::string> entries;
  for (const int rate : rates) {
    const std::string number = std::to_string(rate);
    const RatePadding pad = padding(static_cast<int>(number.size()));
    entries.push_back(blanks(pad.before) + number + blanks(pad.after) + std::string(unit));
  }
  return entries;
}

}  // namespace gw20::link
