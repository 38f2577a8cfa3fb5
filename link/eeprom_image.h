#pragma once
// The controller's EEPROM configuration image as this program keeps it: the
// words of each block (element k of a block array is the word at byte
// address 4k of its block, block 0 from kHeaderAddress) and what the connect
// and the commits made of them. eeprom_layout.h says what each word holds.

#include <cstdint>
#include <vector>

#include "link/eeprom_layout.h"
#include "platform/ui/services.h"

namespace gw20::link {

struct EepromImage {
  std::vector<std::uint32_t> ConfigHeader;    // kHeaderImageWords once read or built
  std::vector<std::uint32_t> DeviceNetBlock;  // kDeviceNetImageWords once read or built
  std::vector<std::uint32_t> ModuleBlock;     // kModuleBlockReadWords once read; built: one per 4 bytes + 1
  int HeaderBytes = kHeaderBytes;
  int DeviceNetBlockBytes = 0;  // 0 for a CANopen image, kDeviceNetBlockBytes for a DeviceNet image
  int ModuleBlockBytes = kModuleBlockFixedBytes;
  int FirmwareMajor = 0;
  int FirmwareMinor = 0;
  int FirmwareYear = 0;
  int FirmwareMonth = 0;
  int FirmwareDay = 0;
  // Time stamp of the last commit, as stored or as built (PC local time).
  ui::DateTime ConfigTime{0, 0, 0, 0, 0, 0};
  bool ConfigMismatch = false;  // stored image missing, out of range or not matching the modules
  int EepromBlock = 0;          // block last selected
  int EepromConfigValid = 0;    // 1: the image may be loaded into a configuration page
};

}  // namespace gw20::link
