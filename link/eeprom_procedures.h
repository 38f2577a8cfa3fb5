#pragma once
// Reading, checking, building and writing the controller's EEPROM
// configuration image through its console. The procedures return failures as
// values; the connect sequence and the commits word the messages.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/connect_progress.h"
#include "link/eeprom_layout.h"
#include "link/link_fwd.h"
#include "modules/modules_fwd.h"
#include "platform/ui/services.h"

namespace gw20::link {

enum class EepromStatus {
  Ok,
  Timeout,  // a required exchange got no answer: the operator sees "Timeout"
  Error,    // the image cannot be built or written; `description` says why
};

struct EepromResult {
  EepromStatus status = EepromStatus::Ok;
  // Timeout: the command that got no answer (for diagnostics, not shown).
  // Error: the text shown to the operator. Empty for Ok.
  std::string description;
  // The EEPROM may hold words nobody meant: a write stopped after its first
  // word was typed, a read-back after a write failed, or a line that came
  // back broken was entered and its word not read back as intended.
  bool partlyWritten = false;
  bool Ok() const { return status == EepromStatus::Ok; }
};

// What the operator is told after a write that stopped part way.
inline constexpr std::string_view kPartlyWrittenMessage =
    "The controller's EEPROM is only partly written: commit again.";

// How a commit writes the image.
struct WriteOptions {
  // The header is first made unwritten and written whole only after the other
  // blocks, so an interrupted commit reads as no configuration at all rather
  // than as one that matches. Off: the order the controller's procedure gives.
  bool safeOrder = false;
};

// Reads blocks 0 and 1 at connect; the console must be at its main prompt and
// ends there (state.ControllerPrompt) on success. Fills the firmware values
// (a month above 12 or a day above 31 becomes 0 and sets ConfigMismatch),
// HeaderBytes, ConfigHeader (kHeaderImageWords) and DeviceNetBlock
// (kDeviceNetImageWords, kDeviceNetWords of them read). Every word opened is
// answered with the value it showed, so the EEPROM is left unchanged.
// Timeout when any exchange fails; the image may then be partly filled.
EepromResult ReadStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image);

// Checks the header read by ReadStoredConfiguration against the modules just
// scanned (table's totals) and takes over the gateway parameters it holds.
// A header missing or out of range sets ConfigMismatch; then the defaults are
// used (NodeId 1, CanBaudIndex 0, field-port parameters = the scan's, time
// stamp 0, ApplicationType kept), block 2 is not read and EepromConfigValid
// stays as it is. Otherwise words 0..3 of block 2 are read into ModuleBlock
// and EepromConfigValid becomes 1. Progress kProgressHeaderChecked (for a
// written header) and kProgressChecked. Timeout when a block 2 exchange fails.
EepromResult CheckStoredConfiguration(Console& console, const ConsoleState& state, EepromImage& image,
                                      GatewayParameters& params, const modules::ModuleTable& table,
                                      const ProgressCallback& progress);

// What a commit stores beyond the gateway parameters and the module table.
struct ConfigurationValues {
  bool DeviceNet = false;  // DeviceNet commit: ApplicationType 1, block 1 from DeviceNetBlock
  ui::DateTime Now;        // the commit's time stamp, PC local time
  std::uint32_t ErrorControlWord = 0;
  int LastOutputMap = 0;  // 0..255
  int LastInputMap = 0;   // 0..255
  // Model code stored for a module, 0..0xFFFFFF; empty: the catalog's ModelCode.
  std::function<std::uint32_t(std::string_view ModelName)> ModelCode;
  DeviceNetBlockFields DeviceNetBlock;  // DeviceNet commit only
};

// Builds blocks 0 and 2 for a commit from `values`, the gateway parameters and
// the modules in use (slot order), sets EepromBlock 0, the block sizes, the
// Config time stamp and EepromConfigValid 1. A CANopen commit empties block 1
// (kDeviceNetImageWords zero words); a DeviceNet commit sets ApplicationType 1
// and stores values.DeviceNetBlock in words 0..6 of block 1 (which keeps at
// least kDeviceNetImageWords). CommitBusy is the caller's. Error, with the
// image and parameters unchanged, when a module's address is not a number
// 0..255, its model code is unknown or beyond 24 bits, or a value makes its
// word out of range (PackedWords).
EepromResult BuildConfigurationImage(const ConfigurationValues& values, GatewayParameters& params,
                                     const modules::ModuleTable& table, EepromImage& image);

// Writes the built image word by word: header words 0..8 into block 0 from
// Long(40), ModuleBlockBytes / 4 words into block 2 from Long(0) and, with
// `writeDeviceNetBlock`, words 0..6 into block 1; ends at the main prompt.
// The port must be open (OpenConsolePort). EepromBlock becomes 2.
// Timeout when a required exchange fails (words already written stay
// written); Error, before anything is typed, when the image holds fewer
// words than its sizes name.
EepromResult WriteConfigurationImage(Console& console, const ConsoleState& state, ui::EventPump& events,
                                     EepromImage& image, bool writeDeviceNetBlock,
                                     const WriteOptions& options = {});

// One block's part of a commit: the block, the byte address of its first
// word, and the words written from there.
struct CommitBlock {
  int block = 0;
  int address = 0;
  std::vector<std::uint32_t> words;
};
// The words WriteConfigurationImage writes, block by block in the order the
// controller's procedure writes them: block 0's header words (HeaderBytes / 4)
// from Long(40), block 2's ModuleBlockBytes / 4 words from Long(0) and, with
// `deviceNetBlock`, block 1's words 0..6; each as far as the image holds them.
// The read-back and the records take the list from here.
std::vector<CommitBlock> CommitBlocks(const EepromImage& image, bool deviceNetBlock);

// Reads back the words WriteConfigurationImage wrote (block 0, block 2 and,
// with `deviceNetBlock`, block 1), answering every edit prompt with the value
// shown so nothing changes; the console must be at its main prompt and ends
// there. Error "EEPROM verify failed at block B word W" (W counted from 0 in
// the block's written words) at the first word that differs; Timeout when an
// exchange gets no answer.
EepromResult VerifyConfigurationImage(Console& console, const ConsoleState& state, const EepromImage& image,
                                      bool deviceNetBlock);

}  // namespace gw20::link
