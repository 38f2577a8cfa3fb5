// The EEPROM layout: every field of a built image unpacks and packs back to
// the same words, and one hand-computed image word by word.

#include "link/eeprom_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/eeprom_image.h"
#include "link/eeprom_procedures.h"
#include "link/gateway_parameters.h"
#include "tests/support/module_tables.h"

namespace gw20::link {
namespace {

using Words = std::vector<std::uint32_t>;

Words First(const Words& words, int count) { return Words(words.begin(), words.begin() + count); }

TEST(EepromLayout, BuiltImageOfEachProfile_UnpacksToItsFieldsAndPacksBackToItsWords) {
  const auto table = gw20::testing::Scanned({{"1", "RA850"}, {"2", "RA812"}, {"17", "RA394"}});
  for (const bool deviceNet : {false, true}) {
    GatewayParameters params;
    params.NodeId = 42, params.CanBaudIndex = 2, params.Com2Checksum = 1, params.Com2BaudIndex = 6;
    params.Com2Timeout = 32767;
    ConfigurationValues values;
    values.DeviceNet = deviceNet;
    values.Now = {2026, 12, 31, 23, 59, 58};
    values.ErrorControlWord = 0x84000000u + 1000u * 256u;
    values.LastOutputMap = 2, values.LastInputMap = 3;
    values.DeviceNetBlock = {3, {0x01640116u, 2u << 24, 0}, {0x04040103u, 0, 0x002B0100u}};
    EepromImage image;
    ASSERT_TRUE(BuildConfigurationImage(values, params, table, image).Ok());

    const auto header = UnpackHeader(image.ConfigHeader);
    ASSERT_TRUE(header);
    EXPECT_TRUE(HeaderWritten(*header));
    EXPECT_EQ(header->DeviceNetBlockBytes, deviceNet ? 28 : 0);
    EXPECT_EQ((std::vector<int>{header->ModuleBlockBytes, header->NodeId, header->ApplicationType,
                                header->CanBaudIndex, header->ConfigTime.day, header->ConfigTime.second,
                                header->Com2Checksum, header->Com2BaudIndex, header->Com2Timeout,
                                header->TotalDIBytes, header->TotalAIBytes, header->TotalDOBytes,
                                header->TotalAOBytes}),
              (std::vector<int>{24, 42, deviceNet ? 1 : 0, 2, 31, 58, 1, 6, 32767, table.TotalDIBytes,
                                table.TotalAIBytes, table.TotalDOBytes, table.TotalAOBytes}));
    EXPECT_EQ(PackHeader(*header).words, First(image.ConfigHeader, kHeaderWords));

    const auto modules = UnpackModuleBlock(image.ModuleBlock, header->ModuleBlockBytes);
    ASSERT_TRUE(modules);
    EXPECT_EQ(modules->ErrorControlWord, values.ErrorControlWord);
    EXPECT_EQ(modules->LastOutputMap, 2);
    EXPECT_EQ(modules->LastInputMap, 3);
    ASSERT_EQ(modules->Modules.size(), 3u);
    EXPECT_EQ(modules->Modules[2].Address, 17);
    EXPECT_EQ(PackModuleBlock(*modules).words, First(image.ModuleBlock, header->ModuleBlockBytes / 4));

    const auto connections = UnpackDeviceNetBlock(image.DeviceNetBlock);
    ASSERT_TRUE(connections);
    const Words stored = PackDeviceNetBlock(*connections).words;
    EXPECT_EQ(stored, First(image.DeviceNetBlock, kDeviceNetWords));
    EXPECT_EQ(stored, deviceNet ? PackDeviceNetBlock(values.DeviceNetBlock).words : Words(7, 0));
  }
}

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
  EXPECT_EQ(PackModuleBlock(block).words, (Words{0x843E8000, 0, 0x02030000, 0x010801, 0x4211}));
  EXPECT_EQ(PackDeviceNetBlock({2, {1, 2, 3}, {4, 5, 6}}).words, (Words{0x20000, 1, 2, 3, 4, 5, 6}));

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

  // The firmware year is the date word's high half as the console shows it.
  const auto firmware = UnpackFirmware(0x0205, 0xFFFF0C1F);
  EXPECT_EQ((std::vector<int>{firmware.FirmwareMajor, firmware.FirmwareMinor, firmware.FirmwareYear,
                              firmware.FirmwareMonth, firmware.FirmwareDay}),
            (std::vector<int>{2, 5, -1, 12, 31}));
}

}  // namespace
}  // namespace gw20::link
