#pragma once
// The program's own name, maker and release texts, and the picture resources
// its windows show. Kept in one place so the splash, the about window and the
// views agree.

#include <string_view>

namespace gw20::app {

inline constexpr std::string_view kProgramName = "GW20 Configuration Utility";
inline constexpr std::string_view kMakerName = "GW20 Series Field-Bus Gateways";
inline constexpr std::string_view kRelease = "Release revision: ver 2.1";
inline constexpr std::string_view kAboutVersion = "ver. 2.1";
// The release as the build names it (the package's version too); the About
// window's text shows the same.
inline constexpr std::string_view kVersion = GW20_VERSION;
static_assert(kAboutVersion.ends_with(kVersion), "the About window shows another version than the build");
inline constexpr std::string_view kAboutDate = "May. 2012";
inline constexpr std::string_view kSupportText = "GD-1-DeviceNet Slave/ZELK master Gateway";

// Picture resources (drawn by the views; names are resource paths).
inline constexpr std::string_view kPictureGW20M = ":/pictures/gw20m.svg";
inline constexpr std::string_view kPictureGW20A = ":/pictures/gw20a.svg";
inline constexpr std::string_view kPictureCanPort = ":/pictures/can_port.svg";
inline constexpr std::string_view kPictureRs485Port = ":/pictures/rs485_port.svg";
inline constexpr std::string_view kPictureModules = ":/pictures/modules.svg";

}  // namespace gw20::app
