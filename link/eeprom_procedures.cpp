#include "link/eeprom_procedures.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/console.h"
#include "link/console_steps.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/eeprom_words.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"

namespace gw20::link {
namespace {

// The largest plausible value of each field of a stored time stamp (and of
// the firmware date's month and day).
constexpr ui::DateTime kLatestTime{kIntegerMax, 12, 31, 24, 60, 60};
// Plausible ranges of the other stored fields. The connect's checks are
// looser than the lists: an application of 2 and a CAN bit-rate index of 8
// pass.
constexpr int kMaxApplicationType = 2;
constexpr int kMaxCanBaudIndex = 8;
constexpr int kMaxChecksum = kChecksumOn;
constexpr int kMaxCom2BaudIndex = static_cast<int>(kFieldBitRates.size()) - 1;
// A stored node ID is checked against the CANopen range whatever the
// application: the DeviceNet page takes it as it is.
constexpr int kMaxStoredNodeId = kCanApplications[kCanOpen].MaxNodeId;

ReadStyle StyleOf(const ConsoleState& state) {
  return state.ReadWordsAlone ? ReadStyle::Alone : ReadStyle::TypeBack;
}

// A broken line entered by a repair that did not settle leaves its word
// unknown: the operator is told to commit again.
EepromResult TimedOut(const ConsoleSteps& steps) {
  return {EepromStatus::Timeout, steps.FailureText(), steps.EnteredBrokenLine()};
}
EepromResult Failed(std::string description) { return {EepromStatus::Error, std::move(description)}; }

// Reads `count` words of `block` (already selected) from `firstAddress`: the
// words read, or the operator's message. A word shown garbled ends the read
// with a message of its own, since its value is unknown; "." has left it as
// it was.
EepromResult ReadBlock(ConsoleSteps& steps, const ConsoleState& state, int block, int firstAddress,
                       std::vector<std::uint32_t>& words, int count) {
  const auto read = ReadWords(steps, firstAddress, words, count, StyleOf(state));
  switch (read.outcome) {
    case WordsRead::Outcome::Ok:
      return {};
    case WordsRead::Outcome::Timeout:
      return TimedOut(steps);
    case WordsRead::Outcome::Garbled:
      break;
  }
  EepromResult garbled = Failed(GarbledWordText(block, firstAddress + kWordBytes * read.index));
  garbled.partlyWritten = steps.EnteredBrokenLine();
  return garbled;
}

// What a commit keeps from the controller is taken from block 1 and the
// fixed words of block 2. An interrupted commit leaves them erased or half
// new beside a header that checks out; the image counts as valid only when
// they read as a commit writes them: reserved bits clear, a default the page
// can show and no erased path word.
bool ModuleBlockPlausible(const std::vector<std::uint32_t>& words) {
  const auto fields = UnpackModuleBlock(words, kModuleBlockFixedBytes);
  if (!fields) return false;
  const PackedWords again = PackModuleBlock(*fields);
  return !again.outOfRange && std::equal(again.words.begin(), again.words.end(), words.begin());
}

bool DeviceNetBlockPlausible(const std::vector<std::uint32_t>& words) {
  constexpr std::uint32_t kErased = 0xFFFFFFFF;
  constexpr int kMaxDefaultIOInfo = 3;
  const auto fields = UnpackDeviceNetBlock(words);
  if (!fields || fields->DefaultIOInfo > kMaxDefaultIOInfo) return false;
  const PackedWords again = PackDeviceNetBlock(*fields);
  return !again.outOfRange && std::equal(again.words.begin(), again.words.end(), words.begin()) &&
         std::find(words.begin() + 1, words.begin() + kDeviceNetWords, kErased) ==
             words.begin() + kDeviceNetWords;
}

// The stored header's fields one by one: every field out of range or not
// matching the modules sets ConfigMismatch; the values are taken over anyway
// where the procedure keeps them.
void CheckHeader(const HeaderFields& h, EepromImage& image, GatewayParameters& params,
                 const modules::ModuleTable& table, const ProgressCallback& progress) {
  const auto flag = [&image](bool implausible) {
    if (implausible) image.ConfigMismatch = true;
  };
  flag(h.ConfigMagic != kConfigMagic || h.HeaderBytes == 0);

  flag((h.DeviceNetBlockBytes != 0 && h.DeviceNetBlockBytes != kDeviceNetBlockBytes) ||
       h.ModuleBlockBytes < kModuleBlockFixedBytes);
  image.DeviceNetBlockBytes = 0;
  image.ModuleBlockBytes = kModuleBlockFixedBytes;

  if (h.NodeId >= kMinNodeId && h.NodeId <= kMaxStoredNodeId) {
    params.NodeId = h.NodeId;
  } else {
    flag(true);
  }
  params.ApplicationType = h.ApplicationType;
  params.CanBaudIndex = h.CanBaudIndex;
  flag(params.ApplicationType > kMaxApplicationType || params.CanBaudIndex > kMaxCanBaudIndex);

  // Every field is taken over but a year out of range.
  auto& time = image.ConfigTime;
  const int keptYear = time.year;
  time = h.ConfigTime;
  if (time.year > kLatestTime.year) {
    flag(true);
    time.year = keptYear;
  }
  flag(time.month > kLatestTime.month || time.day > kLatestTime.day || time.hour > kLatestTime.hour ||
       time.minute > kLatestTime.minute || time.second > kLatestTime.second);
  ReportProgress(progress, kProgressHeaderChecked);

  params.Com2Checksum = h.Com2Checksum;
  params.Com2BaudIndex = h.Com2BaudIndex;
  flag(params.Com2Checksum > kMaxChecksum || params.Com2BaudIndex > kMaxCom2BaudIndex);
  if (h.Com2Timeout > kMaxCom2TimeoutMs) {
    params.Com2Timeout = kMaxCom2TimeoutMs;
    flag(true);
  } else {
    params.Com2Timeout = h.Com2Timeout;
  }

  flag(h.TotalDIBytes != table.TotalDIBytes || h.TotalAIBytes != table.TotalAIBytes);
  flag(h.TotalDOBytes != table.TotalDOBytes || h.TotalAOBytes != table.TotalAOBytes);
}

// The parameters a connect shows when the stored image cannot be trusted:
// the field port as just scanned, everything else as after start-up.
void UseDefaults(EepromImage& image, GatewayParameters& params) {
  params.NodeId = kMinNodeId;
  params.CanBaudIndex = 0;
  params.Com2BaudIndex = params.ScanBaudIndex;
  params.Com2Checksum = params.ScanChecksum;
  params.Com2Timeout = params.ScanTimeoutMs;
  image.ConfigTime = {0, 0, 0, 0, 0, 0};
}

// "A value of EEPROM word Long(n) of block b is out of range."
EepromResult OutOfRange(int block, int address) {
  return Failed("A value of EEPROM word Long(" + std::to_string(address) + ") of block " +
                std::to_string(block) + " is out of range.");
}

}  // namespace

EepromResult ReadStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image) {
  ConsoleSteps steps(console);
  if (!steps.Exchange("use eeprom", kEepromPrompt) || !steps.Exchange("block 0", kEepromPrompt)) {
    return TimedOut(steps);
  }
  std::vector<std::uint32_t> firmware(kFirmwareWords, 0);
  if (auto read = ReadBlock(steps, state, 0, 0, firmware, kFirmwareWords); !read.Ok()) return read;

  const FirmwareFields shown = UnpackFirmware(firmware[0], firmware[1]);
  image.FirmwareMajor = shown.FirmwareMajor;
  image.FirmwareMinor = shown.FirmwareMinor;
  image.FirmwareYear = shown.FirmwareYear;
  image.FirmwareMonth = shown.FirmwareMonth;
  image.FirmwareDay = shown.FirmwareDay;
  if (image.FirmwareMonth > kLatestTime.month) {
    image.FirmwareMonth = 0;
    image.ConfigMismatch = true;
  }
  if (image.FirmwareDay > kLatestTime.day) {
    image.FirmwareDay = 0;
    image.ConfigMismatch = true;
  }

  image.HeaderBytes = kHeaderBytes;
  image.ConfigHeader.assign(kHeaderImageWords, 0);
  if (auto read = ReadBlock(steps, state, 0, kHeaderAddress, image.ConfigHeader, kHeaderImageWords);
      !read.Ok()) {
    return read;
  }

  if (image.DeviceNetBlock.size() < static_cast<std::size_t>(kDeviceNetImageWords)) {
    image.DeviceNetBlock.resize(kDeviceNetImageWords, 0);
  }
  if (!steps.Exchange("block 1", kEepromPrompt)) return TimedOut(steps);
  if (auto read = ReadBlock(steps, state, 1, 0, image.DeviceNetBlock, kDeviceNetWords); !read.Ok())
    return read;

  if (!steps.Exchange("exit", state.ControllerPrompt)) return TimedOut(steps);
  return {};
}

EepromResult CheckStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image,
                                      GatewayParameters& params, const modules::ModuleTable& table,
                                      const ProgressCallback& progress) {
  const auto header = UnpackHeader(image.ConfigHeader);
  if (!header || !HeaderWritten(*header)) {
    image.ConfigMismatch = true;
  } else {
    CheckHeader(*header, image, params, table, progress);
    if (header->DeviceNetBlockBytes == kDeviceNetBlockBytes && !DeviceNetBlockPlausible(image.DeviceNetBlock))
      image.ConfigMismatch = true;
  }
  ReportProgress(progress, kProgressChecked);
  image.ModuleBlock.assign(kModuleBlockReadWords, 0);

  if (image.ConfigMismatch) {
    UseDefaults(image, params);
    return {};
  }
  ConsoleSteps steps(console);
  if (!steps.Exchange("use eeprom", kEepromPrompt)) return TimedOut(steps);
  image.EepromBlock = 2;
  if (!steps.Exchange("block 2", kEepromPrompt)) return TimedOut(steps);
  if (auto read = ReadBlock(steps, state, 2, 0, image.ModuleBlock, kModuleBlockReadWords); !read.Ok())
    return read;
  if (!steps.Exchange("exit", state.ControllerPrompt)) return TimedOut(steps);
  if (!ModuleBlockPlausible(image.ModuleBlock)) {
    image.ConfigMismatch = true;
    UseDefaults(image, params);
    image.ModuleBlock.assign(kModuleBlockReadWords, 0);
    return {};
  }
  image.EepromConfigValid = 1;
  return {};
}

EepromResult BuildConfigurationImage(const ConfigurationValues& values, GatewayParameters& params,
                                     const modules::ModuleTable& table, EepromImage& image) {
  ModuleBlockFields moduleBlock{values.ErrorControlWord, values.LastOutputMap, values.LastInputMap, {}};
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
    moduleBlock.Modules.push_back({code, *address});
  }

  HeaderFields header;
  header.DeviceNetBlockBytes = values.DeviceNet ? kDeviceNetBlockBytes : 0;
  header.ModuleBlockBytes =
      kModuleBlockFixedBytes + kWordBytes * static_cast<int>(moduleBlock.Modules.size());
  header.NodeId = params.NodeId;
  header.ApplicationType = values.DeviceNet ? kDeviceNet : params.ApplicationType;
  header.CanBaudIndex = params.CanBaudIndex;
  header.ConfigTime = values.Now;
  header.Com2Checksum = params.Com2Checksum;
  header.Com2BaudIndex = params.Com2BaudIndex;
  header.Com2Timeout = params.Com2Timeout;
  header.TotalDIBytes = table.TotalDIBytes;
  header.TotalAIBytes = table.TotalAIBytes;
  header.TotalDOBytes = table.TotalDOBytes;
  header.TotalAOBytes = table.TotalAOBytes;

  const PackedWords headerWords = PackHeader(header);
  if (headerWords.outOfRange) return OutOfRange(0, *headerWords.outOfRange);
  const PackedWords moduleWords = PackModuleBlock(moduleBlock);
  if (moduleWords.outOfRange) return OutOfRange(2, *moduleWords.outOfRange);
  PackedWords deviceNetWords;
  if (values.DeviceNet) {
    deviceNetWords = PackDeviceNetBlock(values.DeviceNetBlock);
    if (deviceNetWords.outOfRange) return OutOfRange(1, *deviceNetWords.outOfRange);
  }

  EepromImage built = image;
  built.EepromBlock = 0;
  built.HeaderBytes = header.HeaderBytes;
  built.DeviceNetBlockBytes = header.DeviceNetBlockBytes;
  built.ModuleBlockBytes = header.ModuleBlockBytes;
  built.ConfigTime = header.ConfigTime;
  built.ConfigHeader = headerWords.words;
  built.ConfigHeader.resize(kHeaderImageWords, 0);
  // One zero word behind the last module.
  built.ModuleBlock = moduleWords.words;
  built.ModuleBlock.resize(moduleWords.words.size() + 1, 0);
  if (!values.DeviceNet) {
    built.DeviceNetBlock.assign(kDeviceNetImageWords, 0);
  } else {
    auto& block = built.DeviceNetBlock;
    if (block.size() < static_cast<std::size_t>(kDeviceNetImageWords)) block.resize(kDeviceNetImageWords, 0);
    std::copy(deviceNetWords.words.begin(), deviceNetWords.words.end(), block.begin());
  }
  built.EepromConfigValid = 1;

  image = std::move(built);
  params.ApplicationType = header.ApplicationType;
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
  if (writeDeviceNetBlock && image.DeviceNetBlock.size() < static_cast<std::size_t>(kDeviceNetWords)) {
    return incomplete(1, image.DeviceNetBlock.size(), kDeviceNetWords);
  }

  ConsoleSteps steps(console);
  int typed = 0;  // words typed so far: from the first on, a failure leaves a mixed image
  const auto timedOut = [&steps, &typed] {
    EepromResult result = TimedOut(steps);
    result.partlyWritten = result.partlyWritten || typed > 0;
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
        !write("block 1", 0, image.DeviceNetBlock, 0, kDeviceNetWords)) {
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

std::vector<CommitBlock> CommitBlocks(const EepromImage& image, bool deviceNetBlock) {
  const auto first = [](const std::vector<std::uint32_t>& words, int count) {
    const auto end = static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(words.size())));
    return std::vector<std::uint32_t>(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(end));
  };
  std::vector<CommitBlock> blocks{
      {0, kHeaderAddress, first(image.ConfigHeader, image.HeaderBytes / kWordBytes)},
      {2, 0, first(image.ModuleBlock, image.ModuleBlockBytes / kWordBytes)}};
  if (deviceNetBlock) blocks.push_back({1, 0, first(image.DeviceNetBlock, kDeviceNetWords)});
  return blocks;
}

EepromResult VerifyConfigurationImage(Console& console, const ConsoleState& state, const EepromImage& image,
                                      bool deviceNetBlock) {
  const std::vector<CommitBlock> blocks = CommitBlocks(image, deviceNetBlock);

  // It follows a write: whatever stops it, the EEPROM is not known to hold
  // the new image.
  const auto failed = [](EepromResult result) {
    result.partlyWritten = true;
    return result;
  };
  // The write ended at the main prompt: "exit" is answered there at once.
  ConsoleSteps steps(console);
  if (!steps.Exchange("exit", kMainPromptEnd) || !steps.Exchange("use eeprom", kEepromPrompt)) {
    return failed(TimedOut(steps));
  }
  for (const CommitBlock& block : blocks) {
    const int count = static_cast<int>(block.words.size());
    if (count < 1) continue;
    std::vector<std::uint32_t> read(block.words.size(), 0);
    if (!steps.Exchange("block " + std::to_string(block.block), kEepromPrompt))
      return failed(TimedOut(steps));
    const auto got = ReadWords(steps, block.address, read, count, StyleOf(state));
    if (got.outcome == WordsRead::Outcome::Timeout) return failed(TimedOut(steps));
    // A word shown garbled is not confirmed: the verify fails there.
    const bool garbled = got.outcome == WordsRead::Outcome::Garbled;
    for (int w = 0; w < count; ++w) {
      if (read[w] != block.words[w] || (garbled && w == got.index)) {
        (void)steps.Exchange("exit", state.ControllerPrompt);
        return failed(Failed("EEPROM verify failed at block " + std::to_string(block.block) + " word " +
                             std::to_string(w)));
      }
    }
  }
  if (!steps.Exchange("exit", state.ControllerPrompt)) return failed(TimedOut(steps));
  return {};
}

}  // namespace gw20::link
