#include "app/cli/cli_commands.h"

#include <algorithm>
#include <iterator>

namespace gw20::cli {
namespace {

using enum Command;

constexpr CommandInfo kCommands[] = {
    {Scan, "scan", PlanUse::None, false},
    {CanOpen, "canopen", PlanUse::None, true},
    {DeviceNet, "devicenet", PlanUse::None, true},
    {Save, "save", PlanUse::Writes, false},
    {Check, "check", PlanUse::Reads, false},
    {Diff, "diff", PlanUse::ReadsTwo, false},
    {Eds, "eds", PlanUse::Reads, true},
    {Apply, "apply", PlanUse::Reads, true},
    {Batch, "batch", PlanUse::Reads, true},
};

constexpr CommandSet kProfiles = Bit(CanOpen) | Bit(DeviceNet);
// What a scan is set up with: a plan command takes the plan's instead.
constexpr CommandSet kScanning = Bit(Scan) | kProfiles | Bit(Save);
// Commands that read EEPROM words, by themselves or through their applies.
constexpr CommandSet kReading = kScanning | Bit(Apply) | Bit(Batch);
constexpr CommandSet kCommitting = kProfiles | Bit(Apply) | Bit(Batch);
constexpr CommandSet kPlanCommits = Bit(Apply) | Bit(Batch);

constexpr OptionInfo kOptions[] = {
    {"--port", "ADDRESS", kScanning | Bit(Check) | Bit(Apply), true},
    {"--scan-baud", "BPS", kScanning, true},
    {"--scan-checksum", "on|off", kScanning, true},
    {"--scan-timeout", "MS", kScanning, true},
    {"--type-back", "", kReading, true},
    {"--no-type-back", "", kReading, false},
    {"--json", "", Bit(Scan) | Bit(DeviceNet) | Bit(Check) | Bit(Diff), true},
    {"--node", "N", kProfiles | Bit(Check) | Bit(Apply), true},
    {"--can-baud", "KBPS", kProfiles, true},
    {"--com2-baud", "BPS", kProfiles, true},
    {"--com2-checksum", "on|off", kProfiles, true},
    {"--com2-timeout", "MS", kProfiles, true},
    {"--description", "TEXT", kProfiles | Bit(Save), true},
    {"--created-by", "TEXT", kProfiles | Bit(Save), true},
    {"--guarding", "MS,FACTOR", Bit(CanOpen), true},
    {"--heartbeat", "MS", Bit(CanOpen), true},
    {"--poll", "IN,OUT", Bit(DeviceNet), true},
    {"--strobe", "IN,OUT", Bit(DeviceNet), true},
    {"--cos", "IN,OUT", Bit(DeviceNet), true},
    {"--default", "poll|strobe|cos|cyclic", Bit(DeviceNet), true},
    {"--list", "", Bit(DeviceNet), true},
    {"--out", "DIR", kCommitting | Bit(Eds), true},
    {"--no-verify", "", kCommitting, true},
    {"--verify", "", kCommitting, false},
    {"--safe-order", "", kCommitting, true},
    {"--controller-order", "", kPlanCommits, true},
    {"--dry-run", "", kPlanCommits, true},
    {"--skip-matching", "", kPlanCommits, true},
    {"--record", "FILE", Bit(Apply), true},
    // A batch reads its applies' and its checks' progress.
    {"--progress-fd", "N", Bit(Apply) | Bit(Check), true},
    {"--ports", "P1,P2,...", Bit(Batch), true},
    {"--ports-file", "FILE", Bit(Batch), true},
    {"--retry", "REPORT", Bit(Batch), true},
    {"--nodes", "N1,N2,...", Bit(Batch), true},
    {"--report", "FILE", Bit(Batch), true},
    {"--check", "", Bit(Batch), true},
    {"--eds", "FILE", Bit(Save), true},
    {"--firmware", "MAJOR.MINOR-YYYY/MM/DD", Bit(Eds), true},
};

}  // namespace

std::span<const CommandInfo> AllCommands() { return kCommands; }
std::span<const OptionInfo> AllOptions() { return kOptions; }

const CommandInfo* FindCommand(std::string_view name) {
  const auto found = std::ranges::find(kCommands, name, &CommandInfo::name);
  return found == std::end(kCommands) ? nullptr : &*found;
}

const OptionInfo* FindOption(std::string_view name) {
  const auto found = std::ranges::find(kOptions, name, &OptionInfo::name);
  return found == std::end(kOptions) ? nullptr : &*found;
}

const CommandInfo& InfoOf(Command command) {
  return *std::ranges::find(kCommands, command, &CommandInfo::command);
}

bool Takes(Command command, std::string_view option) {
  const OptionInfo* info = FindOption(option);
  return info != nullptr && (info->commands & Bit(command)) != 0;
}

std::string CommandNames(CommandSet commands) {
  std::string names;
  std::string_view last;
  for (const CommandInfo& info : kCommands) {
    if ((commands & Bit(info.command)) == 0) continue;
    if (!last.empty()) names += std::string(names.empty() ? "" : ", ") + std::string(last);
    last = info.name;
  }
  return names.empty() ? std::string(last) : names + " or " + std::string(last);
}

}  // namespace gw20::cli
