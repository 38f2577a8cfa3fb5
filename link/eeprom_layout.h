#pragma once
// The controller's EEPROM configuration image word by word: where each field
// of blocks 0, 1 and 2 sits and how fields are packed into 32-bit words.
// Pure: no console, and no judgement of the values (the connect's checks and
// the commits decide what a field may hold).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/services.h"

namespace gw20::link {

// Word addresses are byte addresses within a block: Long(0), Long(4), ...
inline constexpr int kWordBytes = 4;

// Block 0: Long(0)..Long(8) are the controller's own (firmware), the header
// is Long(40)..Long(72). The image keeps the header and the word behind it,
// as the connect reads them.
inline constexpr int kFirmwareWords = 3;
inline constexpr int kHeaderAddress = 40;
inline constexpr int kHeaderBytes = 36;  // HeaderBytes
inline constexpr int kHeaderWords = kHeaderBytes / kWordBytes;
inline constexpr int kHeaderImageWords = kHeaderWords + 1;
// Long(40)'s high half in a header a commit wrote.
inline constexpr int kConfigMagic = 436;

// Block 1, written by DeviceNet commits only: the default connection, then
// the produced and the consumed connection path of three slots. The image
// keeps 11 words of it; 7 are used.
inline constexpr int kConnectionPathSlots = 3;
inline constexpr int kDeviceNetWords = 1 + 2 * kConnectionPathSlots;
inline constexpr int kDeviceNetBlockBytes = kDeviceNetWords * kWordBytes;  // DeviceNetBlockBytes
inline constexpr int kDeviceNetImageWords = 11;

// Block 2: three fixed words, then one word per module. A connect reads the
// fixed words and one behind them; a commit keeps one zero word behind the
// last module.
inline constexpr int kModuleBlockFixedWords = 3;
inline constexpr int kModuleBlockFixedBytes = kModuleBlockFixedWords * kWordBytes;
inline constexpr int kModuleBlockReadWords = kModuleBlockFixedWords + 1;

// Long(0) and Long(4) of block 0, which the controller writes itself.
struct FirmwareFields {
  int FirmwareMajor = 0;  // Long(0) bits 8-15
  int FirmwareMinor = 0;  // Long(0) bits 0-7
  int FirmwareYear = 0;   // Long(4) bits 16-31, signed as the console shows the word
  int FirmwareMonth = 0;  // Long(4) bits 8-15
  int FirmwareDay = 0;    // Long(4) bits 0-7
};

// "2.05-2006/03/07", as the main window and the plans show the firmware.
std::string FirmwareText(const FirmwareFields& firmware);

// The header, Long(40)..Long(68) of block 0; Long(72) is reserved and 0.
struct HeaderFields {
  int ConfigMagic = kConfigMagic;                 // Long(40) bits 16-31
  int HeaderBytes = kHeaderBytes;                 // Long(40) bits 0-15
  int DeviceNetBlockBytes = 0;                    // Long(44) bits 16-31: 0 or kDeviceNetBlockBytes
  int ModuleBlockBytes = kModuleBlockFixedBytes;  // Long(44) bits 0-15: 12 + 4 x modules
  int NodeId = 1;                                 // Long(48) bits 16-31
  int ApplicationType = 0;                        // Long(48) bits 8-15
  int CanBaudIndex = 0;                           // Long(48) bits 0-7
  // The time stamp of the commit, PC local time: Long(52) year (bits 16-31),
  // month, day; Long(56) hour (bits 24-31), minute, second, 0.
  ui::DateTime ConfigTime{0, 0, 0, 0, 0, 0};
  int Com2Checksum = 0;   // Long(60) bits 24-31
  int Com2BaudIndex = 0;  // Long(60) bits 16-23
  int Com2Timeout = 0;    // Long(60) bits 0-15, ms
  int TotalDIBytes = 0;   // Long(64) bits 16-31
  int TotalAIBytes = 0;   // Long(64) bits 0-15
  int TotalDOBytes = 0;   // Long(68) bits 16-31
  int TotalAOBytes = 0;   // Long(68) bits 0-15
};

// A connection path word of block 1, the DeviceNet page's: list index x
// 16777216 + class x 65536 + instance x 256 + attribute.
struct ConnectionPathFields {
  int ListIndex = 0;  // bits 24-31: the entry chosen in the connection's list
  int ClassId = 0;    // bits 16-23
  int Instance = 0;   // bits 8-15
  int Attribute = 0;  // bits 0-7
};

// Block 1.
struct DeviceNetBlockFields {
  int DefaultIOInfo = 0;  // Long(0) bits 16-31, the default connection 0..3; bits 0-15 are 0
  std::array<std::uint32_t, kConnectionPathSlots> ProducedPath{};  // Long(4), Long(8), Long(12)
  std::array<std::uint32_t, kConnectionPathSlots> ConsumedPath{};  // Long(16), Long(20), Long(24)
};

// One module's word of block 2: model code x 256 + address.
struct ModuleEntry {
  std::uint32_t ModelCode = 0;  // the commit's code for the model, 0..0xFFFFFF
  int Address = 0;              // the module's field-port address, 0..255
};

// Block 2's Long(0), ErrorControlWord: the CANopen error-control settings.
struct ErrorControlFields {
  int Flags = 0;           // bits 24-31, ErrorControlFlags
  int Time = 0;            // bits 8-23, ms: the heartbeat or the guard time, as the flags select
  int LifeTimeFactor = 0;  // bits 0-7: 0 when the flags select heartbeat
};

// Block 2.
struct ModuleBlockFields {
  std::uint32_t ErrorControlWord = 0;  // Long(0); Long(4) is reserved and 0
  int LastOutputMap = 0;               // Long(8) bits 24-31
  int LastInputMap = 0;                // Long(8) bits 16-23; bits 0-15 are 0
  std::vector<ModuleEntry> Modules;    // Long(12) on, in slot order
};

// The words of one block, or where they could not be packed. A word is the
// sum of its fields times their places (16777216, 65536, 256, 1), as the
// controller's procedure computes it: a field too wide for its bits carries
// into the field above it, and a word beyond 0..4294967295 is not packed.
struct PackedWords {
  std::vector<std::uint32_t> words;  // empty when outOfRange is set
  std::optional<int> outOfRange;     // byte address of the first word out of range
};

// Decodes the firmware words as the console showed them.
FirmwareFields UnpackFirmware(std::uint32_t versionWord, std::uint32_t dateWord);

// The header in `words` (element k = Long(40 + 4k)); nullopt when it holds
// fewer than kHeaderWords words.
std::optional<HeaderFields> UnpackHeader(const std::vector<std::uint32_t>& words);
// kHeaderWords words, Long(40)..Long(72).
PackedWords PackHeader(const HeaderFields& header);
// Long(40) above kConfigMagic x 65536: a commit wrote this header (an erased
// or never-committed EEPROM reads at or below it).
bool HeaderWritten(const HeaderFields& header);

// Block 1 in `words` (element k = Long(4k)); nullopt when it holds fewer than
// kDeviceNetWords words.
std::optional<DeviceNetBlockFields> UnpackDeviceNetBlock(const std::vector<std::uint32_t>& words);
// kDeviceNetWords words.
PackedWords PackDeviceNetBlock(const DeviceNetBlockFields& block);

// The two words a page packs itself, field by field. Unlike the blocks' words,
// each field is cut to its bits, so a value not yet checked cannot spill into
// its neighbour; the unpacks read every field as stored.
std::uint32_t PackConnectionPath(const ConnectionPathFields& path);
ConnectionPathFields UnpackConnectionPath(std::uint32_t word);
std::uint32_t PackErrorControl(const ErrorControlFields& fields);
ErrorControlFields UnpackErrorControl(std::uint32_t word);

// Block 2 in `words` (element k = Long(4k)): the fixed words and the module
// words that `moduleBlockBytes` (the header's ModuleBlockBytes) counts, as
// far as `words` holds them; nullopt when it holds fewer than the fixed words.
std::optional<ModuleBlockFields> UnpackModuleBlock(const std::vector<std::uint32_t>& words,
                                                   int moduleBlockBytes);
// kModuleBlockFixedWords words and one per module.
PackedWords PackModuleBlock(const ModuleBlockFields& block);

}  // namespace gw20::link
