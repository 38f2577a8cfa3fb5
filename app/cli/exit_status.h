#pragma once
// gw20cli's exit statuses, the same for every command that talks to a
// controller and for a batch, so a script can act on them.

namespace gw20::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;         // failed, the controller unchanged
inline constexpr int kExitUsage = 2;          // bad usage or a bad plan, nothing sent
inline constexpr int kExitPartlyWritten = 3;  // failed with the EEPROM partly written: commit again
inline constexpr int kExitInterrupted = 4;    // stopped by an interrupt

}  // namespace gw20::cli
