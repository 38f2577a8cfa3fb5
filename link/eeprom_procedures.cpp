#include "link/eeprom_procedures.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "link/console.h"
#include "link/console_steps.h"
#include "link/eeprom_image.h"
#include "link/eeprom_words.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"

namespace gw20::link {
namespace {

constexpr std::string_view kEndEdit = ".";

constexpr int kWordBytes = 4;
constexpr int kFirmwareBlockWords = 3;  // Long(0), Long(4), Long(8)
constexpr int kHeaderAddress = 40;
constexpr int kHeaderWords = 10;  // the header and one word behind it
constexpr int kHeaderBytes = 36;
constexpr int kDeviceNetWords = 11;
constexpr int kDeviceNetUsedWords = 7;
constexpr int kDeviceNetBlockBytes = kDeviceNetUsedWords * kWordBytes;
constexpr int kModuleBlockReadWords = 4;
constexpr int kModuleBlockFixedBytes = 12;
constexpr int kFirstModuleWord = 3;

// Long(40): the magic in the high half, so a header at or below 436 x 65536
// was never written by a commit.
constexpr int kConfigMagic = 436;
constexpr int kHalfBits = 16;
constexpr int kByteBits = 8;
constexpr int kTopByteBits = 24;
constexpr std::uint32_t kUnwrittenHeaderLimit = std::uint32_t{kConfigMagic} << kHalfBits;
constexpr std::uint32_t kHalfMask = 0xFFFF;
constexpr int kByteMask = 0xFF;
constexpr std::int64_t kLargestWord = 0xFFFFFFFF;

// Plausible ranges of the stored fields.
constexpr int kMaxMonth = 12;
constexpr int kMaxDay = 31;
constexpr int kMaxHour = 24;
constexpr int kMaxMinuteOrSecond = 60;
constexpr int kMaxStoredYear = 32767;
constexpr int kMaxApplicationType = 2;
constexpr int kMaxCanBaudIndex = 8;
constexpr int kMaxChecksum = 1;
constexpr int kMaxCom2BaudIndex = 7;
constexpr int kMaxCom2Timeout = 32767;
constexpr int kDefaultNodeId = 1;

constexpr int kProgressHeaderChecked = 7;
constexpr int kProgressChecked = 8;

int HighHalf(std::uint32_t word) { return static_cast<int>(word >> kHalfBits); }
int LowHalf(std::uint32_t word) { return static_cast<int>(word & kHalfMask); }
// The high half of a word taken as the console shows it, signed: how the
// firmware words are decoded, since the controller writes them itself.
int ShownHighHalf(std::uint32_t word) { return static_cast<std::int32_t>(word) >> kHalfBits; }
int HighByte(int half) { return half >> kByteBits; }
int LowByte(int half) { return static_cast<int>(half & kByteMask); }

void Report(const ProgressCallback& progress, int value) {
  if (progress) progress(value);
}

EepromResult TimedOut(const ConsoleSteps& steps) { return {EepromStatus::Timeout, steps.FailureText()}; }
EepromResult Failed(std::string description) { return {EepromStatus::Error, std::move(description)}; }

// Reads `count` words of `block` (already selected) from `firstAddress`: the
// words read, or the operator's message. A word shown garbled ends the read
// with a message of its own, since its value is unknown; "." has left it as
// it was.
EepromResult ReadBlock(ConsoleSteps& steps, int block, int firstAddress, std::vector<std::uint32_t>& words,
                       int count) {
  const auto read = ReadWords(steps, firstAddress, words, count);
  switch (read.outcome) {
    case WordsRead::Outcome::Ok:
      return {};
    case WordsRead::Outcome::Timeout:
      return TimedOut(steps);
    case WordsRead::Outcome::Garbled:
      break;
  }
  return Failed(GarbledWordText(block, firstAddress + kWordBytes * read.index));
}

// The header's fields one by one: every field out of range or not matching
// the modules sets ConfigMismatch; the values are taken over anyway
// where the procedure keeps them.
void CheckHeader(EepromImage& image, GatewayParameters& params, const modules::ModuleTable& table,
                 const ProgressCallback& progress) {
  const auto& h = image.ConfigHeader;
  const auto flag = [&image](bool implausible) {
    if (implausible) image.ConfigMismatch = true;
  };
  flag(HighHalf(h[0]) != kConfigMagic || LowHalf(h[0]) == 0);

  const int blockOneBytes = HighHalf(h[1]);
  flag((blockOneBytes != 0 && blockOneBytes != kDeviceNetBlockBytes) ||
       LowHalf(h[1]) < kModuleBlockFixedBytes);
  image.DeviceNetBlockBytes = 0;
  image.ModuleBlockBytes = kModuleBlockFixedBytes;

  const int nodeId = HighHalf(h[2]);
  if (nodeId >= kMinNodeId && nodeId <= kMaxCanOpenNodeId) {
    params.NodeId = nodeId;
  } else {
    flag(true);
  }
  params.ApplicationType = HighByte(LowHalf(h[2]));
  params.CanBaudIndex = LowByte(LowHalf(h[2]));
  flag(params.ApplicationType > kMaxApplicationType || params.CanBaudIndex > kMaxCanBaudIndex);

  if (HighHalf(h[3]) > kMaxStoredYear) {
    flag(true);
  } else {
    image.ConfigYear = HighHalf(h[3]);
  }
  image.ConfigMonth = HighByte(LowHalf(h[3]));
  image.ConfigDay = LowByte(LowHalf(h[3]));
  image.ConfigHour = HighByte(HighHalf(h[4]));
  image.ConfigMinute = LowByte(HighHalf(h[4]));
  image.ConfigSecond = HighByte(LowHalf(h[4]));
  flag(image.ConfigMonth > kMaxMonth || image.ConfigDay > kMaxDay || image.ConfigHour > kMaxHour ||
       image.ConfigMinute > kMaxMinuteOrSecond || image.ConfigSecond > kMaxMinuteOrSecond);
  Report(progress, kProgressHeaderChecked);

  params.Com2Checksum = HighByte(HighHalf(h[5]));
  params.Com2BaudIndex = LowByte(HighHalf(h[5]));
  flag(params.Com2Checksum > kMaxChecksum || params.Com2BaudIndex > kMaxCom2BaudIndex);
  if (LowHalf(h[5]) > kMaxCom2Timeout) {
    params.Com2Timeout = kMaxCom2Timeout;
    flag(true);
  } else {
    params.Com2Timeout = LowHalf(h[5]);
  }

  flag(HighHalf(h[6]) != table.TotalDIBytes || LowHalf(h[6]) != table.TotalAIBytes);
  flag(HighHalf(h[7]) != table.TotalDOBytes || LowHalf(h[7]) != table.TotalAOBytes);
}

// The parameters a connect shows when the stored image cannot be trusted:
// the field port as just scanned, everything else as after start-up.
void UseDefaults(EepromImage& image, GatewayParameters& params) {
  params.NodeId = kDefaultNodeId;
  params.CanBaudIndex = 0;
  params.Com2BaudIndex = params.ScanBaudIndex;
  params.Com2Checksum = params.ScanChecksum;
  params.Com2Timeout = params.ScanTimeoutMs;
  image.ConfigYear = image.ConfigMonth = image.ConfigDay = 0;
  image.ConfigHour = image.ConfigMinute = image.ConfigSecond = 0;
}

}  // namespace

EepromResult ReadStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image) {
  ConsoleSteps steps(console);
  if (!steps.Exchange("use eeprom", kEepromPrompt) || !steps.Exchange("block 0", kEepromPrompt)) {
    return TimedOut(steps);
  }
  std::vector<std::uint32_t> firmware(kFirmwareBlockWords, 0);
  if (auto read = ReadBlock(steps, 0, 0, firmware, kFirmwareBlockWords); !read.Ok()) return read;

  const std::uint32_t version = firmware[0];
  const std::uint32_t date = firmware[1];
  image.FirmwareMajor = HighByte(LowHalf(version));
  image.FirmwareMinor = LowByte(LowHalf(version));
  image.FirmwareYear = ShownHighHalf(date);
  image.FirmwareMonth = HighByte(LowHalf(date));
  image.FirmwareDay = LowByte(LowHalf(date));
  if (image.FirmwareMonth > kMaxMonth) {
    image.FirmwareMonth = 0;
    image.ConfigMismatch = true;
  }
  if (image.FirmwareDay > kMaxDay) {
    image.FirmwareDay = 0;
    image.ConfigMismatch = true;
  }

  image.HeaderBytes = kHeaderBytes;
  image.ConfigHeader.assign(kHeaderWords, 0);
  if (auto read = ReadBlock(steps, 0, kHeaderAddress, image.ConfigHeader, kHeaderWords); !read.Ok()) {
    return read;
  }

  if (image.DeviceNetBlock.size() < static_cast<std::size_t>(kDeviceNetWords)) {
    image.DeviceNetBlock.resize(kDeviceNetWords, 0);
  }
  if (!steps.Exchange("block 1", kEepromPrompt)) return TimedOut(steps);
  if (auto read = ReadBlock(steps, 1, 0, image.DeviceNetBlock, kDeviceNetUsedWords); !read.Ok()) return read;

  if (!steps.Exchange("exit", state.ControllerPrompt)) return TimedOut(steps);
  return {};
}

EepromResult CheckStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image,
                                      GatewayParameters& params, const modules::ModuleTable& table,
                                      const ProgressCallback& progress) {
  const bool headerRead = image.ConfigHeader.size() >= static_cast<std::size_t>(kHeaderBytes / kWordBytes);
  if (!headerRead || image.ConfigHeader[0] <= kUnwrittenHeaderLimit) {
    image.ConfigMismatch = true;
  } else {
    CheckHeader(image, params, table, progress);
  }
  Report(progress, kProgressChecked);
  image.ModuleBlock.assign(kModuleBlockReadWords, 0);

  if (image.ConfigMismatch) {
    UseDefaults(image, params);
    return {};
  }
  ConsoleSteps steps(console);
  if (!steps.Exchange("use eeprom", kEepromPrompt)) return TimedOut(steps);
  image.EepromBlock = 2;
  if (!steps.Exchange("block 2", kEepromPrompt)) return TimedOut(steps);
  if (auto read = ReadBlock(steps, 2, 0, image.ModuleBlock, kModuleBlockReadWords); !read.Ok()) return read;
  if (!steps.Exchange("exit", state.ControllerPrompt)) return TimedOut(steps);
  image.EepromConfigValid = 1;
  return {};
}

EepromResult BuildConfigurationImage(const ConfigurationValues& values, GatewayParameters& params,
                                     const modules::ModuleTable& table, EepromImage& image) {
  std::vector<std::uint32_t> moduleWords;
  for (const auto& record : table.ModuleList) {
    if (!modules::InUse(record)) continue;
    const auto address = modules::ParseModuleAddress(record.Address);
    if (!address) return Failed("Module address \"" + record.Address + "\" is not a number from 0 to 255.");
    std::uint32_t code = 0;
    if (values.ModelCode) {
      code = values.ModelCode(record.ModelName);
    } else if (const auto* model = modules::FindModel(record.ModelName)) {
      code = model->ModelCode;
    } else {
      return Failed("Module model \"" + record.ModelName + "\" has no model code.");
    }
    if (code > modules::kMaxModelCode) {
      return Failed("The model code of module \"" + record.ModelName + "\" does not fit its EEPROM word.");
    }
    moduleWords.push_back(code << kByteBits | static_cast<std::uint32_t>(*address));
  }

  EepromImage built = image;
  const int applicationType = values.DeviceNet ? kDeviceNet : params.ApplicationType;
  built.EepromBlock = 0;
  built.HeaderBytes = kHeaderBytes;
  built.DeviceNetBlockBytes = values.DeviceNet ? kDeviceNetBlockBytes : 0;
  built.ModuleBlockBytes = kModuleBlockFixedBytes + kWordBytes * static_cast<int>(moduleWords.size());
  built.ConfigYear = values.Now.year;
  built.ConfigMonth = values.Now.month;
  built.ConfigDay = values.Now.day;
  built.ConfigHour = values.Now.hour;
  built.ConfigMinute = values.Now.minute;
  built.ConfigSecond = values.Now.second;

  // Fields are packed wide: one out of its range makes a word out of range
  // instead of spilling into its neighbours.
  const auto pack = [](std::int64_t top, std::int64_t high, std::int64_t low, std::int64_t bottom) {
    return (top << kTopByteBits) + (high << kHalfBits) + (low << kByteBits) + bottom;
  };
  const std::array<std::int64_t, kHeaderWords> header{
      pack(0, kConfigMagic, 0, built.HeaderBytes),
      pack(0, built.DeviceNetBlockBytes, 0, built.ModuleBlockBytes),
      pack(0, params.NodeId, applicationType, params.CanBaudIndex),
      pack(0, built.ConfigYear, built.ConfigMonth, built.ConfigDay),
      pack(built.ConfigHour, built.ConfigMinute, built.ConfigSecond, 0),
      pack(params.Com2Checksum, params.Com2BaudIndex, 0, params.Com2Timeout),
      pack(0, table.TotalDIBytes, 0, table.TotalAIBytes),
      pack(0, table.TotalDOBytes, 0, table.TotalAOBytes),
      0,
      0};
  const std::array<std::int64_t, kFirstModuleWord> moduleHeader{
      values.ErrorControlWord, 0, pack(values.LastOutputMap, values.LastInputMap, 0, 0)};
  const auto outOfRange = [](std::int64_t word) { return word < 0 || word > kLargestWord; };
  for (int k = 0; k < kHeaderWords; ++k) {
    if (outOfRange(header[k])) {
      return Failed("A value of EEPROM word Long(" + std::to_string(kHeaderAddress + kWordBytes * k) +
                    ") of block 0 is out of range.");
    }
  }
  for (int k = 0; k < kFirstModuleWord; ++k) {
    if (outOfRange(moduleHeader[k])) {
      return Failed("A value of EEPROM word Long(" + std::to_string(kWordBytes * k) +
                    ") of block 2 is out of range.");
    }
  }

  built.ConfigHeader.assign(header.begin(), header.end());
  auto& m = built.ModuleBlock;
  m.assign(built.ModuleBlockBytes / kWordBytes + 1, 0);
  std::copy(moduleHeader.begin(), moduleHeader.end(), m.begin());
  std::copy(moduleWords.begin(), moduleWords.end(), m.begin() + kFirstModuleWord);

  if (!values.DeviceNet) {
    built.DeviceNetBlock.assign(kDeviceNetWords, 0);
  } else if (built.DeviceNetBlock.size() < static_cast<std::size_t>(kDeviceNetWords)) {
    built.DeviceNetBlock.resize(kDeviceNetWords, 0);
  }
  built.EepromConfigValid = 1;

  image = std::move(built);
  params.ApplicationType = applicationType;
  return {};
}

EepromResult WriteConfigurationImage(Console& console, const ConsoleState& state, ui::EventPump& events,
                                     EepromImage& image, bool writeDeviceNetBlock,
                                     const WriteOptions& options) {
  const int headerWords = image.HeaderBytes / kWordBytes;
  const int moduleWords = image.ModuleBlockBytes / kWordBytes;
  const auto incomplete = [](int block, std::size_t held, int needed) {
    return Failed("The EEPROM image is incomplete: block " + std::to_string(block) + " holds " +
                  std::to_string(held) + " words, " + std::to_string(needed) + " are to be written.");
  };
  if (headerWords < 1 || image.ConfigHeader.size() < static_cast<std::size_t>(headerWords)) {
    return incomplete(0, image.ConfigHeader.size(), headerWords);
  }
  if (moduleWords < 0 || image.ModuleBlock.size() < static_cast<std::size_t>(moduleWords)) {
    return incomplete(2, image.ModuleBlock.size(), moduleWords);
  }
  if (writeDeviceNetBlock && image.DeviceNetBlock.size() < static_cast<std::size_t>(kDeviceNetUsedWords)) {
    return incomplete(1, image.DeviceNetBlock.size(), kDeviceNetUsedWords);
  }

  ConsoleSteps steps(console);
  int typed = 0;  // words typed so far: from the first on, a failure leaves a mixed image
  const auto timedOut = [&steps, &typed] {
    EepromResult result = TimedOut(steps);
    result.partlyWritten = typed > 0;
    return result;
  };
  // Writes `count` words of `words` from index `first` at the block's
  // `address`, then ends the edit.
  const auto write = [&](std::string_view block, int address, const std::vector<std::uint32_t>& words,
                         int first, int count) {
    const std::vector<std::uint32_t> part(words.begin() + first, words.begin() + first + count);
    std::uint32_t after = 0;
    bool afterClean = false;
    return steps.Exchange(block, kEepromPrompt) &&
           WriteWords(steps, address, part, count, typed, after, afterClean) &&
           EndEdit(steps, address + kWordBytes * count, after, afterClean);
  };

  // Whatever mode an earlier conversation left the console in, these bring
  // it back to the main prompt; only the last one has to succeed.
  steps.Try("/q", kFieldPortPromptEnd);
  steps.Try("exit", kMainPromptEnd);
  steps.Try(kEndEdit, kEepromPrompt);
  if (!steps.Exchange("exit", kMainPromptEnd) || !steps.Exchange("use eeprom", kEepromPrompt)) {
    return timedOut();
  }
  events.ProcessEvents();
  if (options.safeOrder) {
    // The header first reads as unwritten and becomes valid again only with
    // its last word, so a cut in between leaves no image that seems to match.
    const std::vector<std::uint32_t> unwritten{0};
    if (!write("block 0", kHeaderAddress, unwritten, 0, 1)) return timedOut();
  } else {
    if (!write("block 0", kHeaderAddress, image.ConfigHeader, 0, headerWords)) return timedOut();
  }

  image.EepromBlock = 2;
  if (!write("block 2", 0, image.ModuleBlock, 0, moduleWords)) return timedOut();
  if (writeDeviceNetBlock) {
    if (!steps.Exchange(kEndEdit, kEepromPrompt) ||
        !write("block 1", 0, image.DeviceNetBlock, 0, kDeviceNetUsedWords)) {
      return timedOut();
    }
  }
  if (options.safeOrder) {
    if (!write("block 0", kHeaderAddress + kWordBytes, image.ConfigHeader, 1, headerWords - 1) ||
        !write("block 0", kHeaderAddress, image.ConfigHeader, 0, 1)) {
      return timedOut();
    }
    image.EepromBlock = 0;
  }

  if (!steps.Exchange("exit", state.ControllerPrompt)) return timedOut();
  return {};
}

EepromResult VerifyConfigurationImage(Console& console, const ConsoleState& state, const EepromImage& image,
                                      bool deviceNetBlock) {
  struct Block {
    int number;
    int address;
    const std::vector<std::uint32_t>& words;
    int count;
  };
  std::vector<Block> blocks{{0, kHeaderAddress, image.ConfigHeader, image.HeaderBytes / kWordBytes},
                            {2, 0, image.ModuleBlock, image.ModuleBlockBytes / kWordBytes}};
  if (deviceNetBlock) blocks.push_back({1, 0, image.DeviceNetBlock, kDeviceNetUsedWords});

  // The write ended at the main prompt: "exit" is answered there at once.
  ConsoleSteps steps(console);
  if (!steps.Exchange("exit", kMainPromptEnd) || !steps.Exchange("use eeprom", kEepromPrompt)) {
    return TimedOut(steps);
  }
  for (const Block& block : blocks) {
    if (block.count < 1 || block.words.size() < static_cast<std::size_t>(block.count)) continue;
    std::vector<std::uint32_t> read(static_cast<std::size_t>(block.count), 0);
    if (!steps.Exchange("block " + std::to_string(block.number), kEepromPrompt)) return TimedOut(steps);
    const auto got = ReadWords(steps, block.address, read, block.count);
    if (got.outcome == WordsRead::Outcome::Timeout) return TimedOut(steps);
    // A word shown garbled is not confirmed: the verify fails there.
    const bool garbled = got.outcome == WordsRead::Outcome::Garbled;
    for (int w = 0; w < block.count; ++w) {
      if (read[w] != block.words[w] || (garbled && w == got.index)) {
        (void)steps.Exchange("exit", state.ControllerPrompt);
        return Failed("EEPROM verify failed at block " + std::to_string(block.number) + " word " +
                      std::to_string(w));
      }
    }
  }
  if (!steps.Exchange("exit", state.ControllerPrompt)) return TimedOut(steps);
  return {};
}

}  // namespace gw20::link
