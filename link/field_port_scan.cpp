#include "link/field_port_scan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "link/console.h"
#include "link/console_steps.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_ch_info.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::link {
namespace {

constexpr std::string_view kComPrompt = "[COM2:]";
constexpr std::string_view kFieldPortDigit = "2";
constexpr std::string_view kTimeoutAnswer = "Timeout";
constexpr char kEntryStart = '!';
constexpr char kEntryNameEnd = '{';
constexpr char kDigitalSuffix = 'D';
constexpr int kLastScanAddress = 15;
constexpr std::size_t kHexDigits = 2;
constexpr std::size_t kChecksumDigits = 2;
// The name follows "!" and the two address digits.
constexpr std::size_t kNameOffset = 1 + kHexDigits;
// Positions of the codes in a configuration answer, counted from its "!":
// address, type code, bit-rate code, data format.
constexpr std::size_t kTypeCodeOffset = 3;
constexpr std::size_t kBaudCodeOffset = 5;
constexpr std::size_t kDataFormatOffset = 7;

ScanResult Result(ScanStatus status, std::string description = {}) {
  return {status, std::move(description)};
}

// Exactly two hexadecimal digits at `at`, either case.
std::optional<int> HexByteAt(std::string_view text, std::size_t at) {
  if (at + kHexDigits > text.size()) return std::nullopt;
  const auto digits = text.substr(at, kHexDigits);
  const bool hex = std::all_of(digits.begin(), digits.end(),
                               [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
  if (!hex) return std::nullopt;
  return static_cast<int>(HexTextToNumber(digits));
}

// The model name of the entry whose "!" is at p and whose "{" is at q: what
// lies between the address and the "{", without a "D" right before the "{"
// and, with checksums on, without the two checksum digits before that.
std::string ModelNameOf(const std::string& listing, std::size_t p, std::size_t q, bool checksum) {
  auto length = static_cast<long>(q - p) - static_cast<long>(kNameOffset);
  if (listing[q - 1] == kDigitalSuffix) --length;
  if (checksum) length -= static_cast<long>(kChecksumDigits);
  if (length <= 0) return {};
  return listing.substr(p + kNameOffset, static_cast<std::size_t>(length));
}

// The answer line that starts at `from`, for messages.
std::string AnswerLine(std::string_view reply, std::size_t from) {
  const auto end = reply.find_first_of("\r\n", from);
  return std::string(reply.substr(from, end == std::string_view::npos ? end : end - from));
}

// Each entry of the listing into the next slot.
ScanResult ParseListing(Console& console, ConsoleState& state, bool checksum, modules::ModuleTable& table) {
  std::string listing = state.ConsoleReply;
  table.CurrentModule = 0;
  for (;;) {
    const auto p = listing.find(kEntryStart);
    if (p == std::string::npos) return {};
    if (table.CurrentModule >= modules::kModuleSlots) {
      return Result(ScanStatus::Error,
                    "The scan listed more than " + std::to_string(modules::kModuleSlots) + " modules.");
    }
    const auto address =
        static_cast<int>(HexTextToNumber(std::string_view(listing).substr(p + 1, kHexDigits)));
    const auto q = listing.find(kEntryNameEnd, p);
    auto& record = table.ModuleList[table.CurrentModule];
    if (address == 0) {
      record.Address = "0";
      return Result(ScanStatus::ModuleNotConfigured);
    }
    // A cut-off entry: nothing behind it can be read either.
    if (q == std::string::npos) return {};

    record.Address = std::to_string(address);
    record.ModelName = ModelNameOf(listing, p, q, checksum);
    if (!modules::ModuleChInfo(table, record.ModelName)) {
      return Result(ScanStatus::ModuleNotSupported, "unknown model \"" + record.ModelName + "\"");
    }
    auto info = ModuleOtherInfo(console, state, table);
    if (!info.Ok()) return info;
    listing.erase(0, q + 1);
    ++table.CurrentModule;
  }
}

}  // namespace

ScanResult ScanFieldPort(Console& console, ConsoleState& state, const GatewayParameters& params,
                         modules::ModuleTable& table, const ScanCallbacks& callbacks) {
  if (params.ScanBaudIndex < 0 || params.ScanBaudIndex >= kBaudCount) {
    return Result(ScanStatus::Error, "The scan bit rate index " + std::to_string(params.ScanBaudIndex) +
                                         " is not in the bit rate list.");
  }
  ConsoleSteps steps(console);
  const auto timedOut = [&steps] { return Result(ScanStatus::Timeout, steps.FailureText()); };
  if (!steps.Exchange("use com2", kComPrompt)) return timedOut();
  if (callbacks.status) callbacks.status(std::string(kScanningStatus));
  if (params.ScanChecksum == 1 && !steps.Exchange("/s1", kComPrompt)) return timedOut();
  steps.Try("", kFieldPortPromptEnd);
  // The controller repeats the value it took; that is the prompt awaited.
  const std::string timeout = std::to_string(params.ScanTimeoutMs);
  if (!steps.Exchange("/timeout " + timeout, timeout)) return timedOut();
  steps.Try("", kFieldPortPromptEnd);
  if (!steps.Exchange("", kComPrompt)) return timedOut();
  steps.Try("", kFieldPortPromptEnd);
  const std::string& baud = params.BaudText[params.ScanBaudIndex];
  if (!steps.Exchange("/baud " + baud, baud)) return timedOut();
  if (!steps.Exchange("/start 0", kComPrompt)) return timedOut();
  // The address is written as a number is, with a blank for its sign.
  if (!steps.Exchange("/end  " + std::to_string(kLastScanAddress), kComPrompt)) return timedOut();

  ReportProgress(callbacks.progress, kProgressScanStarted);
  if (!console.ConsoleScanExchange(kFieldPortDigit)) {
    return Result(ScanStatus::Timeout, "no \"" + std::string(kComPrompt) + "\" after \"/scan\"");
  }
  ReportProgress(callbacks.progress, kProgressScanned);

  try {
    auto parsed = ParseListing(console, state, params.ScanChecksum == 1, table);
    if (!parsed.Ok()) return parsed;
  } catch (const modules::ModuleTableError& error) {
    return Result(ScanStatus::Error, error.what());
  }

  ReportProgress(callbacks.progress, kProgressScanClosed);
  if (!steps.Exchange("/q", state.ControllerPrompt) || !steps.Exchange("/q", state.ControllerPrompt)) {
    return timedOut();
  }
  modules::BuildModuleOrder(table);
  return {};
}

std::chrono::milliseconds ScanListingBudget(const GatewayParameters& params, const ConsoleState& state) {
  constexpr int kScannedAddresses = kLastScanAddress + 1;
  return state.ConsoleTimeout + kScannedAddresses * std::chrono::milliseconds(params.ScanTimeoutMs);
}

ScanResult ModuleOtherInfo(Console& console, ConsoleState& state, modules::ModuleTable& table) {
  const int slot = table.CurrentModule;
  if (slot < 0 || slot >= modules::kModuleSlots) {
    return Result(ScanStatus::Error, "Module slot " + std::to_string(slot) + " does not exist.");
  }
  auto& record = table.ModuleList[slot];
  const auto address = modules::ParseModuleAddress(record.Address);
  if (!address) {
    return Result(ScanStatus::Error,
                  "Module address \"" + record.Address + "\" is not a number from 0 to 255.");
  }
  const std::string query = "$" + ui::H2(*address) + std::string(kFieldPortDigit);
  if (!console.ConsoleExchange(query, kComPrompt)) {
    return Result(ScanStatus::ModuleNotSupported,
                  "no \"" + std::string(kComPrompt) + "\" after \"" + query + "\"");
  }
  const std::string& reply = state.ConsoleReply;
  const auto p = reply.find(kEntryStart);
  if (reply.find(kTimeoutAnswer) != std::string::npos || p == std::string::npos) {
    return Result(ScanStatus::ModuleNotSupported,
                  "module " + record.Address + " did not answer \"" + query + "\"");
  }

  const auto typeCode = HexByteAt(reply, p + kTypeCodeOffset);
  const auto baudCode = HexByteAt(reply, p + kBaudCodeOffset);
  const auto dataFormat = HexByteAt(reply, p + kDataFormatOffset);
  if (!typeCode || !baudCode || !dataFormat) {
    const char* which = !typeCode ? "type code" : !baudCode ? "bit-rate code" : "data format";
    return Result(ScanStatus::Error, "Module " + record.Address + " answered \"" + AnswerLine(reply, p) +
                                         "\" to \"" + query + "\": its " + which + " is not hexadecimal.");
  }
  record.TypeCode = *typeCode;
  record.DataFormat = *dataFormat;
  auto& object = table.AppObjList[slot];
  object.TypeCode = *typeCode;
  object.DataFormat = *dataFormat;
  object.Baud = *baudCode;
  object.TypeCodeCount = record.TypeCodeCount;
  object.TypeCode2 = record.TypeCode2;
  return {};
}

}  // namespace gw20::link
