#include "sim/command_line.h"

#include <charconv>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>

namespace gw20::sim {
namespace {

// One option: its name, whether it takes a value, and what the value sets.
struct OptionSpec {
  std::string_view name;
  bool takesValue;
  std::function<void(std::string_view value, SimOptions& options)> apply;
};

// All of `text` as a decimal number of at most `maxDigits` digits.
std::optional<int> ParseDigits(std::string_view text, std::size_t maxDigits) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text.size() > maxDigits || text[0] == '-' || ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

// MAJOR.MINOR-YYYY/MM/DD, e.g. "2.05-2006/03/07".
void ApplyFirmware(std::string_view text, SimOptions& options) {
  constexpr std::size_t kVersionDigits = 3;
  constexpr std::size_t kYearDigits = 4;
  constexpr std::size_t kDayMonthDigits = 2;
  const std::string error =
      "bad --firmware \"" + std::string(text) + "\": expected MAJOR.MINOR-YYYY/MM/DD, e.g. 2.05-2006/03/07";
  const std::size_t dot = text.find('.');
  const std::size_t dash = text.find('-');
  const std::size_t slash1 = text.find('/');
  const std::size_t slash2 = text.find('/', slash1 == std::string_view::npos ? slash1 : slash1 + 1);
  if (dot == std::string_view::npos || dash == std::string_view::npos || slash1 == std::string_view::npos ||
      slash2 == std::string_view::npos || !(dot < dash && dash < slash1 && slash1 < slash2)) {
    throw CommandLineError(error);
  }
  const auto major = ParseDigits(text.substr(0, dot), kVersionDigits);
  const auto minor = ParseDigits(text.substr(dot + 1, dash - dot - 1), kVersionDigits);
  const auto year = ParseDigits(text.substr(dash + 1, slash1 - dash - 1), kYearDigits);
  const auto month = ParseDigits(text.substr(slash1 + 1, slash2 - slash1 - 1), kDayMonthDigits);
  const auto day = ParseDigits(text.substr(slash2 + 1), kDayMonthDigits);
  if (!major || !minor || !year || !month || !day) {
    throw CommandLineError(error);
  }
  options.controller.firmwareMajor = *major;
  options.controller.firmwareMinor = *minor;
  options.controller.firmwareYear = *year;
  options.controller.firmwareMonth = *month;
  options.controller.firmwareDay = *day;
}

void ApplyFifo(std::string_view text, SimOptions& options) {
  std::size_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end) {
    throw CommandLineError("bad --fifo \"" + std::string(text) +
                           "\": expected a number of characters, 0 for no limit");
  }
  options.controller.fifo = value;
}

void RequireNonEmpty(std::string_view name, std::string_view value) {
  if (value.empty()) {
    throw CommandLineError("--" + std::string(name) + " needs a non-empty value");
  }
}

std::vector<OptionSpec> OptionSpecs() {
  return {
      {"help", false, [](std::string_view, SimOptions& o) { o.help = true; }},
      {"link", true,
       [](std::string_view v, SimOptions& o) {
         RequireNonEmpty("link", v);
         o.link = v;
       }},
      {"model", true,
       [](std::string_view v, SimOptions& o) {
         RequireNonEmpty("model", v);
         o.controller.model = v;
       }},
      {"firmware", true, ApplyFirmware},
      {"eeprom", true,
       [](std::string_view v, SimOptions& o) {
         RequireNonEmpty("eeprom", v);
         o.controller.eepromFile = v;
       }},
      {"transcript", true,
       [](std::string_view v, SimOptions& o) {
         RequireNonEmpty("transcript", v);
         o.controller.transcriptFile = v;
       }},
      {"fifo", true, ApplyFifo},
  };
}

}  // namespace

SimOptions ParseCommandLine(const std::vector<std::string>& args) {
  constexpr std::string_view kOptionPrefix = "--";
  const std::vector<OptionSpec> specs = OptionSpecs();
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg.substr(0, kOptionPrefix.size()) != kOptionPrefix) {
      throw CommandLineError("unexpected argument \"" + args[i] + "\"");
    }
    arg.remove_prefix(kOptionPrefix.size());
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& candidate : specs) {
      if (candidate.name == name) {
        spec = &candidate;
      }
    }
    if (spec == nullptr) {
      throw CommandLineError("unknown option \"--" + std::string(name) + "\"");
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!spec->takesValue) {
        throw CommandLineError("--" + std::string(name) + " takes no value");
      }
      value = arg.substr(equals + 1);
    } else if (spec->takesValue) {
      if (i + 1 >= args.size()) {
        throw CommandLineError("--" + std::string(name) + " needs a value");
      }
      value = args[++i];
    }
    spec->apply(value, options);
  }
  if (!options.help && options.link.empty()) {
    throw CommandLineError("--link is required");
  }
  return options;
}

std::string CommandLineUsage() {
  return "usage: gw20sim --link PATH [--model NAME] [--firmware MAJOR.MINOR-YYYY/MM/DD]\n"
         "               [--eeprom FILE] [--transcript FILE] [--fifo N]\n"
         "Simulates a GW20 controller's serial console on a pseudo-terminal.\n"
         "  --link PATH        symbolic link to create to the pseudo-terminal device\n"
         "  --model NAME       model shown in the main prompt (default GW20M)\n"
         "  --firmware TEXT    firmware version and date (default 2.05-2006/03/07)\n"
         "  --eeprom FILE      keep the EEPROM in FILE (created when missing)\n"
         "  --transcript FILE  append every command line received to FILE\n"
         "  --fifo N           receive buffer size; characters beyond it in one burst\n"
         "                     are lost (default 8, 0 = no limit)\n"
         "  --help             show this text\n"
         "Stops on SIGINT or SIGTERM.\n";
}

}  // namespace gw20::sim
