#pragma once
// The gateway parameters: what describes the controller as a whole, and the
// values the module scan and the console use. Plain data, with the fixed
// lists behind the list positions they store and the limits they obey; the
// main window validates and edits them, the connect sequence loads them.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/console_address.h"

namespace gw20::link {

inline constexpr int kCanOpen = 0;                    // ApplicationType
inline constexpr int kDeviceNet = 1;                  // ApplicationType
inline constexpr int kPortCount = ui::kComPortCount;  // COM1..COM16 in the port list
inline constexpr int kBaudCount = 8;

// The largest value of the controller's 16-bit signed fields: the field-port
// and scan time-outs (ms) and the year of a stored time stamp.
inline constexpr int kIntegerMax = 32767;
// The field-port time-out the operator may set, ms.
inline constexpr int kMinCom2TimeoutMs = 1;
inline constexpr int kMaxCom2TimeoutMs = kIntegerMax;

// The bit rates behind each list position the parameters store. Field port
// (Com2BaudIndex, ScanBaudIndex), bit/s:
inline constexpr std::array<int, kBaudCount> kFieldBitRates{1200,  2400,  4800,  9600,
                                                            19200, 38400, 57600, 115200};
// CAN (CanBaudIndex), kbit/s, of each application.
inline constexpr std::array<int, 8> kCanOpenBitRates{10, 20, 50, 125, 250, 500, 800, 1000};
inline constexpr std::array<int, 3> kDeviceNetBitRates{125, 250, 500};

// Node IDs run from kMinNodeId to the application's MaxNodeId.
inline constexpr int kMinNodeId = 1;

// Each CAN application, at its ApplicationType: its name as the main window
// shows it, its largest node ID and its CAN bit rates (kbit/s, by
// CanBaudIndex).
struct CanApplication {
  std::string_view Name;
  int MaxNodeId;
  std::span<const int> BitRates;
};
inline constexpr std::array<CanApplication, 2> kCanApplications{{
    {"CANopen", 127, kCanOpenBitRates},
    {"DeviceNet", 63, kDeviceNetBitRates},
}};

// The application a stored ApplicationType stands for: any value but
// kCanOpen (an unwritten EEPROM gives 255) is DeviceNet, as the main window
// shows it.
constexpr const CanApplication& ApplicationOf(int applicationType) {
  return kCanApplications[applicationType == kCanOpen ? kCanOpen : kDeviceNet];
}

// What the main window tells an operator whose node ID or field-port
// time-out is out of range: "Node ID is not supported!(1~127)",
// "Timeout value is out of range!(1ms~32767ms)".
std::string NodeIdRangeText(const CanApplication& application);
std::string Com2TimeoutRangeText();

// Com2Checksum and ScanChecksum.
inline constexpr int kChecksumOff = 0;
inline constexpr int kChecksumOn = 1;
// Each checksum setting as shown: its entry in the main window's list, its
// entry in the scan dialog's list, and the main window's viewer text (which
// spells "on" its own way).
struct ChecksumTexts {
  std::string_view PanelEntry;
  std::string_view ScanEntry;
  std::string_view ViewerText;
};
inline constexpr std::array<ChecksumTexts, 2> kChecksumTexts{{
    {"              Disable", " Disable", "Disable"},
    {"              Enable", "Enable", "Enalbe"},
}};

// Blanks before and after a number of `digits` digits in a bit-rate list.
struct RatePadding {
  int before;
  int after;
};
// The entries of a bit-rate list: each rate in decimal between the blanks
// `padding` gives for its digits, then `unit`. The lists' blanks are set by
// hand to line the entries up in a proportional font, where a digit is about
// as wide as two blanks.
std::vector<std::string> RateEntries(std::span<const int> rates, RatePadding (*padding)(int digits),
                                     std::string_view unit);

// What a scan uses until the operator chooses otherwise: 9600 bit/s (entry 3
// of the field-port bit rates), no checksum, 200 ms for each address.
inline constexpr int kDefaultScanBaudIndex = 3;
inline constexpr int kDefaultScanChecksum = kChecksumOff;
inline constexpr int kDefaultScanTimeoutMs = 200;

struct GatewayParameters {
  int ApplicationType = kCanOpen;
  int NodeId = kMinNodeId;  // kMinNodeId..ApplicationOf(ApplicationType).MaxNodeId
  int CanBaudIndex = 0;     // position in the application's CAN bit-rate list
  int Com2BaudIndex = 0;    // position in BaudText
  int Com2Timeout = 0;      // ms, kMinCom2TimeoutMs..kMaxCom2TimeoutMs once set
  int Com2Checksum = kChecksumOff;
  int ScanBaudIndex = kDefaultScanBaudIndex;
  int ScanChecksum = kDefaultScanChecksum;
  int ScanTimeoutMs = kDefaultScanTimeoutMs;
  // Field-port bit rates as the controller's "/baud" command takes them.
  std::array<std::string, kBaudCount> BaudText{};
  // COM port number behind each entry of the port list.
  std::array<int, kPortCount> PortNumber{};
};

}  // namespace gw20::link
