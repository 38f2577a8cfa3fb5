#pragma once
// The gateway parameters: what describes the controller as a whole, and the
// values the module scan and the console use. Plain data; the main window
// validates and edits them, the connect sequence loads them.

#include <array>
#include <string>

namespace gw20::link {

inline constexpr int kCanOpen = 0;    // ApplicationType
inline constexpr int kDeviceNet = 1;  // ApplicationType
inline constexpr int kPortCount = 16;
// Node IDs each application can use, from kMinNodeId.
inline constexpr int kMinNodeId = 1;
inline constexpr int kMaxCanOpenNodeId = 127;
inline constexpr int kMaxDeviceNetNodeId = 63;
inline constexpr int kBaudCount = 8;

// The bit rates behind each list position the parameters store. Field port
// (Com2BaudIndex, ScanBaudIndex), bit/s:
inline constexpr std::array<int, kBaudCount> kFieldBitRates{1200,  2400,  4800,  9600,
                                                            19200, 38400, 57600, 115200};
// CAN (CanBaudIndex), kbit/s, of each application.
inline constexpr std::array<int, 8> kCanOpenBitRates{10, 20, 50, 125, 250, 500, 800, 1000};
inline constexpr std::array<int, 3> kDeviceNetBitRates{125, 250, 500};

// What a scan uses until the operator chooses otherwise: 9600 bit/s (entry 3
// of the field-port bit rates), no checksum, 200 ms for each address.
inline constexpr int kDefaultScanBaudIndex = 3;
inline constexpr int kDefaultScanChecksum = 0;
inline constexpr int kDefaultScanTimeoutMs = 200;

struct GatewayParameters {
  int ApplicationType = kCanOpen;
  int NodeId = 1;         // 1..127 CANopen, 1..63 DeviceNet
  int CanBaudIndex = 0;   // position in the application's CAN bit-rate list
  int Com2BaudIndex = 0;  // position in BaudText
  int Com2Timeout = 0;    // ms, 1..32767 once set
  int Com2Checksum = 0;   // 0 off, 1 on
  int ScanBaudIndex = kDefaultScanBaudIndex;
  int ScanChecksum = kDefaultScanChecksum;
  int ScanTimeoutMs = kDefaultScanTimeoutMs;
  // Field-port bit rates as the controller's "/baud" command takes them.
  std::array<std::string, kBaudCount> BaudText{};
  // COM port number behind each entry of the port list.
  std::array<int, kPortCount> PortNumber{};
};

}  // namespace gw20::link
