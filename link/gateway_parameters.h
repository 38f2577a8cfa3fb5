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

struct GatewayParameters {
  int ApplicationType = kCanOpen;
  int NodeId = 1;        // 1..127 CANopen, 1..63 DeviceNet
  int CanBaudIndex = 0;  // position in the application's CAN bit-rate list
  int Com2BaudIndex = 0; // position in BaudText
  int Com2Timeout = 0;   // ms, 1..32767 once set
  int Com2Checksum = 0;  // 0 off, 1 on
  int ScanBaudIndex = 3;
  int ScanChecksum = 0;
  int ScanTimeoutMs = 200;
  // Field-port bit rates as the controller's "/baud" command takes them.
  std::array<std::string, kBaudCount> BaudText{};
  // COM port number behind each entry of the port list.
  std::array<int, kPortCount> PortNumber{};
};

}  // namespace gw20::link
