#pragma once
// The main window's fixed lists, letter for letter and blank for blank. A list
// position is what the gateway parameters store; the text is only shown.

#include <array>
#include <string_view>

#include "link/gateway_parameters.h"

namespace gw20::app {

// CAN bit rates of CANopen: CanBaudIndex 0..7 = 10 .. 1000 kbit/s.
inline constexpr std::array<std::string_view, 8> kCanOpenBaudList{
    "         10    KBPS", "         20    KBPS", "         50    KBPS", "       125    KBPS",
    "       250    KBPS",  "       500    KBPS",  "       800    KBPS",  "     1000    KBPS"};

// CAN bit rates of DeviceNet: CanBaudIndex 0..2 = 125, 250, 500 kbit/s.
inline constexpr std::array<std::string_view, 3> kDeviceNetBaudList{
    "       125    KBPS", "       250    KBPS", "       500    KBPS"};

static_assert(kCanOpenBaudList.size() == link::kCanOpenBitRates.size());
static_assert(kDeviceNetBaudList.size() == link::kDeviceNetBitRates.size());

// Field-port (COM2) bit rates: Com2BaudIndex 0..7.
inline constexpr std::array<std::string_view, 8> kFieldBaudList{
    "        1200    BPS", "        2400    BPS", "        4800    BPS", "        9600    BPS",
    "       19200   BPS",  "       38400   BPS",  "       57600   BPS",  "      115200  BPS"};

static_assert(kFieldBaudList.size() == link::kFieldBitRates.size());

// Com2Checksum 0 = off, 1 = on.
inline constexpr std::array<std::string_view, 2> kChecksumList{"              Disable",
                                                               "              Enable"};

// The console port's line settings.
inline constexpr std::string_view kConsoleSettings = "115200,n,8,1";

}  // namespace gw20::app
