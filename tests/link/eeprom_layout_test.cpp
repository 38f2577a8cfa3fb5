// One hand-computed image word by word. Built images read back are
// EepromWithController's, each page's commit test's and PlanEndToEnd's.

#include "link/eeprom_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gw20::link {
namespace {

using Words = std::vector<std::uint32_t>;

TEST(EepromLayout, KnownImage_WordByWord) {
  HeaderFields header;
  header.DeviceNetBlockBytes = 28, header.ModuleBlockBytes = 24;
  header.NodeId = 5, header.ApplicationType = 1, header.CanBaudIndex = 2;
  header.ConfigTime = {2026, 12, 6, 9, 30, 15};
  header.Com2Checksum = 1, header.Com2BaudIndex = 3, header.Com2Timeout = 250;
  header.TotalDIBytes = 1, header.TotalAIBytes = 34, header.TotalDOBytes = 2;
  const Words words{0x01B40024, 0x001C0018, 0x00050102, 0x07EA0C06, 0x091E0F00,
                    0x010300FA, 0x00010022, 0x00020000, 0};
  EXPECT_EQ(PackHeader(header).words, words);
  EXPECT_EQ(PackHeader(*UnpackHeader(words)).words, words);

  const ModuleBlockFields block{0x843E8000, 2, 3, {{0x0108, 1}, {0x0042, 0x11}}};
  const Words moduleWords{0x843E8000, 0, 0x02030000, 0x010801, 0x4211};
  EXPECT_EQ(PackModuleBlock(block).words, moduleWords);
  EXPECT_EQ(PackModuleBlock(*UnpackModuleBlock(moduleWords, 20)).words, moduleWords);
  const Words deviceNetWords{0x20000, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(PackDeviceNetBlock({2, {1, 2, 3}, {4, 5, 6}}).words, deviceNetWords);
  EXPECT_EQ(PackDeviceNetBlock(*UnpackDeviceNetBlock(deviceNetWords)).words, deviceNetWords);

  // A field too wide for its bits carries into the one above it; only a word
  // beyond 32 bits is refused, by its address.
  header.CanBaudIndex = 256;
  EXPECT_EQ(PackHeader(header).words[2], 0x00050200u);
  header.Com2Checksum = 256;
  const auto refused = PackHeader(header);
  EXPECT_TRUE(refused.words.empty());
  EXPECT_EQ(refused.outOfRange, 60);
  EXPECT_EQ(PackModuleBlock({0, -1, 0, {}}).outOfRange, 8);

  // Long(40) must be above 436 x 65536; short blocks have no fields.
  EXPECT_FALSE(HeaderWritten(*UnpackHeader(Words{436u << 16, 0, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_TRUE(HeaderWritten(*UnpackHeader(Words{(436u << 16) + 1, 0, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_FALSE(HeaderWritten(*UnpackHeader(Words{(435u << 16) + 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_FALSE(UnpackHeader(Words(8, 0)));
  EXPECT_FALSE(UnpackDeviceNetBlock(Words(6, 0)));
  EXPECT_FALSE(UnpackModuleBlock(Words(2, 0), 12));
  // A connect reads block 2 only up to the first module word.
  EXPECT_EQ(UnpackModuleBlock(Words{0, 0, 0, 0x4211}, 20)->Modules.size(), 1u);

  // The words the pages pack cut each field to its bits instead.
  EXPECT_EQ(PackConnectionPath({0x101, 4, 3, -1}), 0x010403FFu);
  EXPECT_EQ(PackConnectionPath(UnpackConnectionPath(0xFE040302)), 0xFE040302u);
  EXPECT_EQ(PackErrorControl({0x84, 0x10000 + 16000, 0x107}), 0x843E8007u);
  EXPECT_EQ(PackErrorControl(UnpackErrorControl(0x843E8007)), 0x843E8007u);

  // The firmware year is the date word's high half as the console shows it.
  const auto firmware = UnpackFirmware(0x0205, 0xFFFF0C1F);
  EXPECT_EQ((std::vector<int>{firmware.FirmwareMajor, firmware.FirmwareMinor, firmware.FirmwareYear,
                              firmware.FirmwareMonth, firmware.FirmwareDay}),
            (std::vector<int>{2, 5, -1, 12, 31}));
}

}  // namespace
}  // namespace gw20::link
