#pragma once
// The connect's progress bar counts its stages from 0 to 10: the values the
// connect sequence and the procedures it calls report, in the order they come.

#include <functional>

namespace gw20::link {

inline constexpr int kProgressStart = 0;
inline constexpr int kProgressPrepared = 1;       // the previous connect's state is reset
inline constexpr int kProgressScanStarted = 3;    // "/scan" is about to be typed
inline constexpr int kProgressScanned = 5;        // the listing has arrived
inline constexpr int kProgressScanClosed = 6;     // every module listed has answered its query
inline constexpr int kProgressHeaderChecked = 7;  // the stored header's fields are taken over
inline constexpr int kProgressChecked = 8;        // the stored configuration is checked
inline constexpr int kProgressPortClosed = 9;     // the port is closed
inline constexpr int kProgressDone = 10;

// Receives progress values; may be empty.
using ProgressCallback = std::function<void(int)>;

inline void ReportProgress(const ProgressCallback& progress, int value) {
  if (progress) progress(value);
}

}  // namespace gw20::link
