#pragma once
// The controller's EEPROM configuration image as this program keeps it.
// Element k of a block array is the word at byte address 4k of its block
// (block 0: 40 + 4k).

#include <cstdint>
#include <vector>

namespace gw20::link {

struct EepromImage {
  std::vector<std::uint32_t> ConfigHeader;    // block 0 from Long(40): elements 0..8 the header, 9 read only
  std::vector<std::uint32_t> DeviceNetBlock;  // block 1 from Long(0): elements 0..6 used
  std::vector<std::uint32_t> ModuleBlock;     // block 2 from Long(0)
  int HeaderBytes = 36;
  int DeviceNetBlockBytes = 0;  // 0 for a CANopen image, 28 for a DeviceNet image
  int ModuleBlockBytes = 12;    // 12 + 4 x modules
  int FirmwareMajor = 0;
  int FirmwareMinor = 0;
  int FirmwareYear = 0;
  int FirmwareMonth = 0;
  int FirmwareDay = 0;
  // Time stamp of the last commit, as stored or as built (PC local time).
  int ConfigYear = 0;
  int ConfigMonth = 0;
  int ConfigDay = 0;
  int ConfigHour = 0;
  int ConfigMinute = 0;
  int ConfigSecond = 0;
  bool ConfigMismatch = false;  // stored image missing, out of range or not matching the modules
  int EepromBlock = 0;          // block last selected
  int EepromConfigValid = 0;    // 1: the image may be loaded into a configuration page
};

}  // namespace gw20::link
