#pragma once
// The CANopen error-control settings (node guarding or heartbeat) and the
// 32-bit word in which the controller keeps them.

#include <cstdint>
#include <string_view>

namespace gw20::canopen {

// The bit of ErrorControlFlags that selects heartbeat; clear = node guarding.
inline constexpr int kHeartbeatFlag = 4;
inline constexpr int kMaxErrorControlTime = 65535;  // ms, GuardTime and HeartbeatTime
inline constexpr int kMaxLifeTimeFactor = 255;

// What an operator is told when a time or the life time factor is over its maximum.
inline constexpr std::string_view kGuardTimeOverflowText = "Guard Time is overflow";
inline constexpr std::string_view kLifeFactorOverflowText = "Life factor is overflow";
inline constexpr std::string_view kHeartbeatOverflowText = "Consumer Heartbeat Time is overflow";

struct ErrorControlSettings {
  int ErrorControlFlags = 0;  // byte; bits other than kHeartbeatFlag are carried along
  int GuardTime = 0;          // ms, 0..65535 once validated
  int LifeTimeFactor = 0;     // 0..255
  int HeartbeatTime = 0;      // ms, 0..65535 once validated

  bool Heartbeat() const { return (ErrorControlFlags & kHeartbeatFlag) != 0; }
};

// ErrorControlWord: bits 31..24 the flags, 23..8 the time of the selected
// protocol, 7..0 the life time factor in guarding mode (0 in heartbeat mode).
// Each field is cut to its width, so an unvalidated value cannot spill into
// its neighbour.
std::uint32_t PackErrorControlWord(const ErrorControlSettings& settings);

// The inverse: in heartbeat mode GuardTime and LifeTimeFactor become 0, in
// guarding mode HeartbeatTime becomes 0.
ErrorControlSettings UnpackErrorControlWord(std::uint32_t word);

}  // namespace gw20::canopen
