#include "canopen/error_control.h"

namespace gw20::canopen {
namespace {

constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::uint32_t kTimeMask = 0xFFFF;
constexpr int kFlagsShift = 24;
constexpr int kTimeShift = 8;

}  // namespace

std::uint32_t PackErrorControlWord(const ErrorControlSettings& settings) {
  const bool heartbeat = settings.Heartbeat();
  const auto flags = static_cast<std::uint32_t>(settings.ErrorControlFlags) & kByteMask;
  const auto time =
      static_cast<std::uint32_t>(heartbeat ? settings.HeartbeatTime : settings.GuardTime) & kTimeMask;
  const auto life = heartbeat ? 0U : static_cast<std::uint32_t>(settings.LifeTimeFactor) & kByteMask;
  return (flags << kFlagsShift) | (time << kTimeShift) | life;
}

ErrorControlSettings UnpackErrorControlWord(std::uint32_t word) {
  ErrorControlSettings settings;
  settings.ErrorControlFlags = static_cast<int>((word >> kFlagsShift) & kByteMask);
  const auto time = static_cast<int>((word >> kTimeShift) & kTimeMask);
  if (settings.Heartbeat()) {
    settings.HeartbeatTime = time;
  } else {
    settings.GuardTime = time;
    settings.LifeTimeFactor = static_cast<int>(word & kByteMask);
  }
  return settings;
}

}  // namespace gw20::canopen
