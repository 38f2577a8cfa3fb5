#include "canopen/error_control.h"

#include "link/eeprom_layout.h"

namespace gw20::canopen {

std::uint32_t PackErrorControlWord(const ErrorControlSettings& settings) {
  const bool heartbeat = settings.Heartbeat();
  return link::PackErrorControl({settings.ErrorControlFlags,
                                 heartbeat ? settings.HeartbeatTime : settings.GuardTime,
                                 heartbeat ? 0 : settings.LifeTimeFactor});
}

ErrorControlSettings UnpackErrorControlWord(std::uint32_t word) {
  const link::ErrorControlFields fields = link::UnpackErrorControl(word);
  ErrorControlSettings settings;
  settings.ErrorControlFlags = fields.Flags;
  if (settings.Heartbeat()) {
    settings.HeartbeatTime = fields.Time;
  } else {
    settings.GuardTime = fields.Time;
    settings.LifeTimeFactor = fields.LifeTimeFactor;
  }
  return settings;
}

}  // namespace gw20::canopen
