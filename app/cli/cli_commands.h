#pragma once
// gw20cli's commands and options in one table: what each command does with
// plans and files, and which options go with which command. The parser, the
// dispatch in main and the tests that hold usage, manual page and completion
// together all read it, so a new option is one row here.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace gw20::cli {

// None: no command given (--help and --version need none).
enum class Command : std::uint8_t { None, Scan, CanOpen, DeviceNet, Save, Check, Diff, Eds, Apply, Batch };

// Commands as bits, so that an option's row can name several.
using CommandSet = std::uint16_t;
constexpr CommandSet Bit(Command command) {
  return static_cast<CommandSet>(1U << static_cast<unsigned>(command));
}

enum class PlanUse : std::uint8_t {
  None,     // no PLAN
  Writes,   // save: PLAN is the file it writes
  Reads,    // one PLAN read before anything is sent
  ReadsTwo  // diff: PLAN_A and PLAN_B
};

struct CommandInfo {
  Command command;
  std::string_view name;
  PlanUse plans;
  // It writes an EDS file (and, but for eds, an EEPROM): the file's folder
  // is checked before anything is sent. devicenet --list and batch --check
  // write nothing.
  bool writesEds;
};

struct OptionInfo {
  std::string_view name;   // "--port"
  std::string_view value;  // its value as the usage names it ("ADDRESS"); empty: it takes none
  CommandSet commands;     // the commands it goes with
  // Named in usage, manual page and completion; false for an old spelling
  // still taken so that scripts keep working (--verify, --no-type-back).
  bool listed;
};

std::span<const CommandInfo> AllCommands();
std::span<const OptionInfo> AllOptions();

// nullptr for a name that is none.
const CommandInfo* FindCommand(std::string_view name);
const OptionInfo* FindOption(std::string_view name);
// The row of `command`; not for Command::None.
const CommandInfo& InfoOf(Command command);
inline std::string_view NameOf(Command command) {
  return command == Command::None ? std::string_view() : InfoOf(command).name;
}

// Whether `option` ("--port") goes with `command`; false for an unknown option.
bool Takes(Command command, std::string_view option);

// The names of `commands` as a sentence ends them: "apply", "apply or
// batch", "canopen, devicenet or apply".
std::string CommandNames(CommandSet commands);

}  // namespace gw20::cli
