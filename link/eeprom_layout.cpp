#include "link/eeprom_layout.h"

#include <algorithm>

#include "platform/ui/number_text.h"

namespace gw20::link {
namespace {

constexpr int kByteBits = 8;
constexpr int kHalfBits = 16;
constexpr std::uint32_t kHalfMask = 0xFFFF;
constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::int64_t kLargestWord = 0xFFFFFFFF;

int HighHalf(std::uint32_t word) { return static_cast<int>(word >> kHalfBits); }
int LowHalf(std::uint32_t word) { return static_cast<int>(word & kHalfMask); }
int HighByte(int half) { return half >> kByteBits; }
int LowByte(int half) { return static_cast<int>(static_cast<std::uint32_t>(half) & kByteMask); }

// One word from the fields at its four places, computed wide.
std::int64_t Word(std::int64_t top, std::int64_t high, std::int64_t low, std::int64_t bottom) {
  constexpr std::int64_t kTopPlace = 16777216, kHighPlace = 65536, kLowPlace = 256;
  return top * kTopPlace + high * kHighPlace + low * kLowPlace + bottom;
}

// `value` cut to the bits of `mask`, as the word would keep them.
std::int64_t Cut(int value, std::uint32_t mask) { return static_cast<std::uint32_t>(value) & mask; }

// `wide` as words of a block whose element 0 is at `firstAddress`.
PackedWords Checked(const std::vector<std::int64_t>& wide, int firstAddress) {
  PackedWords packed;
  for (std::size_t k = 0; k < wide.size(); ++k) {
    if (wide[k] < 0 || wide[k] > kLargestWord) {
      packed.outOfRange = firstAddress + kWordBytes * static_cast<int>(k);
      return packed;
    }
  }
  packed.words.assign(wide.begin(), wide.end());
  return packed;
}

}  // namespace

FirmwareFields UnpackFirmware(std::uint32_t versionWord, std::uint32_t dateWord) {
  FirmwareFields firmware;
  firmware.FirmwareMajor = HighByte(LowHalf(versionWord));
  firmware.FirmwareMinor = LowByte(LowHalf(versionWord));
  firmware.FirmwareYear = static_cast<std::int32_t>(dateWord) >> kHalfBits;
  firmware.FirmwareMonth = HighByte(LowHalf(dateWord));
  firmware.FirmwareDay = LowByte(LowHalf(dateWord));
  return firmware;
}

std::optional<HeaderFields> UnpackHeader(const std::vector<std::uint32_t>& words) {
  if (words.size() < static_cast<std::size_t>(kHeaderWords)) return std::nullopt;
  HeaderFields h;
  h.ConfigMagic = HighHalf(words[0]);
  h.HeaderBytes = LowHalf(words[0]);
  h.DeviceNetBlockBytes = HighHalf(words[1]);
  h.ModuleBlockBytes = LowHalf(words[1]);
  h.NodeId = HighHalf(words[2]);
  h.ApplicationType = HighByte(LowHalf(words[2]));
  h.CanBaudIndex = LowByte(LowHalf(words[2]));
  auto& time = h.ConfigTime;
  time.year = HighHalf(words[3]);
  time.month = HighByte(LowHalf(words[3]));
  time.day = LowByte(LowHalf(words[3]));
  time.hour = HighByte(HighHalf(words[4]));
  time.minute = LowByte(HighHalf(words[4]));
  time.second = HighByte(LowHalf(words[4]));
  h.Com2Checksum = HighByte(HighHalf(words[5]));
  h.Com2BaudIndex = LowByte(HighHalf(words[5]));
  h.Com2Timeout = LowHalf(words[5]);
  h.TotalDIBytes = HighHalf(words[6]);
  h.TotalAIBytes = LowHalf(words[6]);
  h.TotalDOBytes = HighHalf(words[7]);
  h.TotalAOBytes = LowHalf(words[7]);
  return h;
}

PackedWords PackHeader(const HeaderFields& h) {
  const auto& time = h.ConfigTime;
  return Checked(
      {Word(0, h.ConfigMagic, 0, h.HeaderBytes), Word(0, h.DeviceNetBlockBytes, 0, h.ModuleBlockBytes),
       Word(0, h.NodeId, h.ApplicationType, h.CanBaudIndex), Word(0, time.year, time.month, time.day),
       Word(time.hour, time.minute, time.second, 0), Word(h.Com2Checksum, h.Com2BaudIndex, 0, h.Com2Timeout),
       Word(0, h.TotalDIBytes, 0, h.TotalAIBytes), Word(0, h.TotalDOBytes, 0, h.TotalAOBytes), 0},
      kHeaderAddress);
}

bool HeaderWritten(const HeaderFields& header) {
  return header.ConfigMagic > kConfigMagic || (header.ConfigMagic == kConfigMagic && header.HeaderBytes > 0);
}

std::optional<DeviceNetBlockFields> UnpackDeviceNetBlock(const std::vector<std::uint32_t>& words) {
  if (words.size() < static_cast<std::size_t>(kDeviceNetWords)) return std::nullopt;
  DeviceNetBlockFields block;
  block.DefaultIOInfo = HighHalf(words[0]);
  for (int k = 0; k < kConnectionPathSlots; ++k) {
    block.ProducedPath[k] = words[1 + k];
    block.ConsumedPath[k] = words[1 + kConnectionPathSlots + k];
  }
  return block;
}

PackedWords PackDeviceNetBlock(const DeviceNetBlockFields& block) {
  std::vector<std::int64_t> wide{Word(0, block.DefaultIOInfo, 0, 0)};
  wide.insert(wide.end(), block.ProducedPath.begin(), block.ProducedPath.end());
  wide.insert(wide.end(), block.ConsumedPath.begin(), block.ConsumedPath.end());
  return Checked(wide, 0);
}

std::uint32_t PackConnectionPath(const ConnectionPathFields& path) {
  return static_cast<std::uint32_t>(Word(Cut(path.ListIndex, kByteMask), Cut(path.ClassId, kByteMask),
                                         Cut(path.Instance, kByteMask), Cut(path.Attribute, kByteMask)));
}

ConnectionPathFields UnpackConnectionPath(std::uint32_t word) {
  return {HighByte(HighHalf(word)), LowByte(HighHalf(word)), HighByte(LowHalf(word)), LowByte(LowHalf(word))};
}

std::uint32_t PackErrorControl(const ErrorControlFields& fields) {
  // The time fills the two middle bytes: its place is 256.
  return static_cast<std::uint32_t>(Word(Cut(fields.Flags, kByteMask), 0, Cut(fields.Time, kHalfMask),
                                         Cut(fields.LifeTimeFactor, kByteMask)));
}

ErrorControlFields UnpackErrorControl(std::uint32_t word) {
  return {HighByte(HighHalf(word)), static_cast<int>((word >> kByteBits) & kHalfMask),
          LowByte(LowHalf(word))};
}

std::optional<ModuleBlockFields> UnpackModuleBlock(const std::vector<std::uint32_t>& words,
                                                   int moduleBlockBytes) {
  if (words.size() < static_cast<std::size_t>(kModuleBlockFixedWords)) return std::nullopt;
  ModuleBlockFields block;
  block.ErrorControlWord = words[0];
  block.LastOutputMap = HighByte(HighHalf(words[2]));
  block.LastInputMap = LowByte(HighHalf(words[2]));
  const std::size_t end =
      std::min(words.size(), static_cast<std::size_t>(std::max(moduleBlockBytes, 0) / kWordBytes));
  for (std::size_t k = kModuleBlockFixedWords; k < end; ++k) {
    block.Modules.push_back({words[k] >> kByteBits, LowByte(LowHalf(words[k]))});
  }
  return block;
}

PackedWords PackModuleBlock(const ModuleBlockFields& block) {
  std::vector<std::int64_t> wide{block.ErrorControlWord, 0,
                                 Word(block.LastOutputMap, block.LastInputMap, 0, 0)};
  for (const auto& module : block.Modules) wide.push_back(Word(0, 0, module.ModelCode, module.Address));
  return Checked(wide, 0);
}

std::string FirmwareText(const FirmwareFields& f) {
  return std::to_string(f.FirmwareMajor) + "." + ui::D2(f.FirmwareMinor) + "-" +
         std::to_string(f.FirmwareYear) + "/" + ui::D2(f.FirmwareMonth) + "/" + ui::D2(f.FirmwareDay);
}

}  // namespace gw20::link
