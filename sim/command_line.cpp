#include "sim/command_line.h"

#include <getopt.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

#include "sim/field_module.h"
#include "sim/modules_file.h"

namespace gw20::sim {
namespace {

// The options so far, plus the module list whose common settings may still follow it.
struct ParseState {
  SimOptions options;
  std::vector<std::string> moduleLists;
  int fieldBaud = kDefaultFieldBaud;
  bool fieldChecksum = false;
};

// One option: its name, whether it takes a value, and what the value sets.
struct KnownOption {
  const char* name;
  bool takesValue;
  std::function<void(std::string_view value, ParseState& state)> apply;
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
void ApplyFirmware(std::string_view text, ParseState& state) {
  SimOptions& options = state.options;
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

void ApplyFifo(std::string_view text, ParseState& state) {
  std::size_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || text[0] == '-' || ec != std::errc() || ptr != end) {
    throw CommandLineError("bad --fifo \"" + std::string(text) +
                           "\": expected a number of characters, 0 for no limit");
  }
  state.options.controller.fifo = value;
}

std::string NonEmpty(std::string_view name, std::string_view value) {
  if (value.empty()) {
    throw CommandLineError("--" + std::string(name) + " needs a non-empty value");
  }
  return std::string(value);
}

void ApplyFieldBaud(std::string_view text, ParseState& state) {
  constexpr std::size_t kBaudDigits = 6;
  const auto baud = ParseDigits(text, kBaudDigits);
  if (!baud || !BaudCode(*baud)) {
    throw CommandLineError("bad --field-baud \"" + std::string(text) +
                           "\": expected 1200 2400 4800 9600 19200 38400 57600 or 115200");
  }
  state.fieldBaud = *baud;
}

void ApplyFieldChecksum(std::string_view text, ParseState& state) {
  if (text != "on" && text != "off") {
    throw CommandLineError("bad --field-checksum \"" + std::string(text) + "\": expected on or off");
  }
  state.fieldChecksum = text == "on";
}

void ApplyModulesFile(std::string_view text, ParseState& state) {
  try {
    const std::vector<FieldModule> modules = ReadModulesFile(NonEmpty("modules-file", text));
    auto& chain = state.options.controller.modules;
    chain.insert(chain.end(), modules.begin(), modules.end());
  } catch (const std::runtime_error& error) {
    throw CommandLineError("--modules-file " + std::string(error.what()));
  }
}

// A count of command lines, 0 or more (`min` 0) or 1 or more (`min` 1).
std::optional<int> ParseLineCount(std::string_view name, std::string_view text, int min) {
  constexpr std::size_t kCountDigits = 9;
  const auto count = ParseDigits(text, kCountDigits);
  if (!count || *count < min) {
    throw CommandLineError("bad --" + std::string(name) + " \"" + std::string(text) +
                           "\": expected a number of command lines, at least " + std::to_string(min));
  }
  return count;
}

// A probability written as a decimal fraction, 0 to 1.
void ApplyGarbleRate(std::string_view text, ParseState& state) {
  double rate = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, rate);
  // Written so that "nan" fails too.
  if (text.empty() || ec != std::errc() || ptr != end || !(rate >= 0 && rate <= 1)) {
    throw CommandLineError("bad --fault-garble \"" + std::string(text) +
                           "\": expected a probability from 0 to 1, e.g. 0.01");
  }
  state.options.controller.garbleRate = rate;
}

void ApplySeed(std::string_view text, ParseState& state) {
  std::uint32_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, seed);
  if (text.empty() || ec != std::errc() || ptr != end) {
    throw CommandLineError("bad --seed \"" + std::string(text) + "\": expected a number from 0 to " +
                           std::to_string(std::numeric_limits<std::uint32_t>::max()));
  }
  state.options.controller.garbleSeed = seed;
}

// A time in whole milliseconds, at most `digits` long and at least `least`;
// `expected` says so in the message.
std::chrono::milliseconds Milliseconds(std::string_view option, std::string_view text, std::size_t digits,
                                       int least, const char* expected) {
  const auto ms = ParseDigits(text, digits);
  if (!ms || *ms < least) {
    throw CommandLineError("bad --" + std::string(option) + " \"" + std::string(text) +
                           "\": expected a number of milliseconds, " + expected);
  }
  return std::chrono::milliseconds(*ms);
}

void ApplyLatency(std::string_view text, ParseState& state) {
  state.options.controller.latency = Milliseconds("fault-latency", text, 9, 0, "at least 0");
}

void ApplyStallTime(std::string_view text, ParseState& state) {
  state.options.controller.stallTime = Milliseconds("fault-stall-ms", text, 9, 1, "at least 1");
}

void ApplyLineDelay(std::string_view text, ParseState& state) {
  state.options.line.delay = Milliseconds("line-delay", text, 5, 0, "0 to 99999");
}

void ApplyLineRate(std::string_view text, ParseState& state) {
  constexpr std::size_t kRateDigits = 7;
  constexpr int kSlowestRate = 50;
  const auto bps = ParseDigits(text, kRateDigits);
  if (!bps || (*bps != 0 && *bps < kSlowestRate)) {
    throw CommandLineError("bad --line-rate \"" + std::string(text) +
                           "\": expected bits per second, 50 to 9999999, or 0 for a whole burst at once");
  }
  state.options.line.bitsPerSecond = static_cast<int>(*bps);
}

// getopt_long takes an abbreviation for the one option it starts; `given`
// ("--name") is none, or starts several.
CommandLineError UnknownLongOption(std::string_view given, const std::vector<KnownOption>& known) {
  std::string candidates;
  for (const KnownOption& entry : known) {
    if (("--" + std::string(entry.name)).starts_with(given)) candidates += " --" + std::string(entry.name);
  }
  return CommandLineError(candidates.empty()
                              ? "unknown option \"" + std::string(given) + "\""
                              : "ambiguous option \"" + std::string(given) + "\", one of" + candidates);
}

std::vector<KnownOption> KnownOptions() {
  return {
      {"help", false, [](std::string_view, ParseState& s) { s.options.help = true; }},
      {"version", false, [](std::string_view, ParseState& s) { s.options.version = true; }},
      {"link", true, [](std::string_view v, ParseState& s) { s.options.link = NonEmpty("link", v); }},
      {"model", true,
       [](std::string_view v, ParseState& s) { s.options.controller.model = NonEmpty("model", v); }},
      {"firmware", true, ApplyFirmware},
      {"eeprom", true,
       [](std::string_view v, ParseState& s) { s.options.controller.eepromFile = NonEmpty("eeprom", v); }},
      {"transcript", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.transcriptFile = NonEmpty("transcript", v);
       }},
      {"answer-times", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.answerTimesFile = NonEmpty("answer-times", v);
       }},
      {"fifo", true, ApplyFifo},
      {"modules", true, [](std::string_view v, ParseState& s) { s.moduleLists.emplace_back(v); }},
      {"modules-file", true, ApplyModulesFile},
      {"field-baud", true, ApplyFieldBaud},
      {"field-checksum", true, ApplyFieldChecksum},
      {"fault-silent-after", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.silentAfterLines = ParseLineCount("fault-silent-after", v, 0);
       }},
      {"fault-garble-line", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.garbleLine = ParseLineCount("fault-garble-line", v, 1);
       }},
      {"fault-hangup-after", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.hangUpAfterLines = ParseLineCount("fault-hangup-after", v, 1);
       }},
      {"fault-garble", true, ApplyGarbleRate},
      {"seed", true, ApplySeed},
      {"fault-latency", true, ApplyLatency},
      {"fault-stall-after", true,
       [](std::string_view v, ParseState& s) {
         s.options.controller.stallAfterLines = ParseLineCount("fault-stall-after", v, 1);
       }},
      {"fault-stall-ms", true, ApplyStallTime},
      {"line-delay", true, ApplyLineDelay},
      {"line-rate", true, ApplyLineRate},
  };
}

}  // namespace

SimOptions ParseCommandLine(const std::vector<std::string>& args) {
  const std::vector<KnownOption> known = KnownOptions();
  // getopt_long returns an option's index plus this, clear of any character
  // it returns for a short option or an error.
  constexpr int kFirstIndex = 256;
  std::vector<option> longOptions;
  for (std::size_t i = 0; i < known.size(); ++i) {
    longOptions.push_back({known[i].name, known[i].takesValue ? required_argument : no_argument, nullptr,
                           kFirstIndex + static_cast<int>(i)});
  }
  longOptions.push_back({});
  // getopt wants argv as it is given to main: writable, with a program name.
  std::vector<std::string> argvText{"gw20sim"};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(argvText.size() + 1);
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);

  ParseState state;
  optind = 0;  // starts getopt afresh, as for every parse
  opterr = 0;  // its messages are ours
  const int argc = static_cast<int>(argvText.size());
  int found = 0;
  // The leading ":" has a missing value reported as ':' rather than '?'.
  while ((found = getopt_long(argc, argv.data(), ":", longOptions.data(), nullptr)) != -1) {
    if (found != ':' && found != '?') {
      known[static_cast<std::size_t>(found - kFirstIndex)].apply(optarg == nullptr ? "" : optarg, state);
      continue;
    }
    // optopt: the option whose value is missing or unwanted, the letter of an
    // unknown short option, or 0 for an unknown long one.
    const int index = optopt - kFirstIndex;
    if (index >= 0 && static_cast<std::size_t>(index) < known.size()) {
      throw CommandLineError("--" + std::string(known[static_cast<std::size_t>(index)].name) +
                             (found == ':' ? " needs a value" : " takes no value"));
    }
    if (optopt != 0)
      throw CommandLineError("unknown option \"-" + std::string{static_cast<char>(optopt)} + "\"");
    const std::string_view given = argv[optind - 1];
    throw UnknownLongOption(given.substr(0, given.find('=')), known);
  }
  // getopt moved the arguments that are not options to the end.
  if (optind < argc) {
    throw CommandLineError("unexpected argument \"" + std::string(argv[optind]) + "\"");
  }
  SimOptions& options = state.options;
  // Only now are the common settings of --modules known, whatever the order of the options.
  try {
    for (const std::string& list : state.moduleLists) {
      const std::vector<FieldModule> modules = ParseModuleList(list, state.fieldBaud, state.fieldChecksum);
      options.controller.modules.insert(options.controller.modules.end(), modules.begin(), modules.end());
    }
    CheckModules(options.controller.modules);
  } catch (const std::invalid_argument& error) {
    throw CommandLineError(std::string("--modules: ") + error.what());
  }
  // A stall needs both its line and its length; neither means anything alone.
  const bool stallTimeGiven = options.controller.stallTime.count() > 0;
  if (options.controller.stallAfterLines && !stallTimeGiven) {
    throw CommandLineError("--fault-stall-after needs --fault-stall-ms MS as well");
  }
  if (stallTimeGiven && !options.controller.stallAfterLines) {
    throw CommandLineError("--fault-stall-ms needs --fault-stall-after N as well");
  }
  if (!options.help && !options.version && options.link.empty()) {
    throw CommandLineError("--link is required");
  }
  return options;
}

std::string CommandLineUsage() {
  return "usage: gw20sim --link PATH [--model NAME] [--firmware MAJOR.MINOR-YYYY/MM/DD]\n"
         "               [--eeprom FILE] [--transcript FILE] [--answer-times FILE] [--fifo N]\n"
         "               [--modules LIST] [--modules-file FILE] [--field-baud BPS] [--field-checksum "
         "on|off]\n"
         "               [--fault-silent-after N] [--fault-garble-line N] [--fault-hangup-after N]\n"
         "               [--fault-garble RATE [--seed S]] [--fault-latency MS]\n"
         "               [--fault-stall-after N --fault-stall-ms MS]\n"
         "               [--line-delay MS] [--line-rate BPS]\n"
         "Simulates a GW20 controller's serial console on a pseudo-terminal.\n"
         "  --link PATH        symbolic link to create to the pseudo-terminal device\n"
         "  --model NAME       model shown in the main prompt (default GW20M)\n"
         "  --firmware TEXT    firmware version and date (default 2.05-2006/03/07)\n"
         "  --eeprom FILE      keep the EEPROM in FILE (created when missing)\n"
         "  --transcript FILE  append every command line received to FILE\n"
         "  --answer-times FILE  write when each command line was typed and answered:\n"
         "                     ms since start, typing ms, answer ms (- for none), the line\n"
         "  --fifo N           receive buffer size; characters beyond it in one burst\n"
         "                     are lost (default 8, 0 = no limit)\n"
         "  --modules LIST     field-port modules, comma-separated AA:MODEL[:TT[:FF]]: address,\n"
         "                     model name, type code and data format, two hexadecimal\n"
         "                     digits each (TT and FF default 00), e.g. 01:RA412,0A:RA850:40\n"
         "  --field-baud BPS   bit rate of the --modules modules (default 9600)\n"
         "  --field-checksum on|off  checksum mode of the --modules modules (default off)\n"
         "  --modules-file FILE  more modules, each with its own settings, as a JSON array of\n"
         "                     {\"address\": \"0A\", \"model\": \"RA412\", \"typeCode\": \"40\",\n"
         "                      \"dataFormat\": \"00\", \"baud\": 9600, \"checksum\": false,\n"
         "                      \"dSuffix\": false} (address and model required)\n"
         "  --fault-silent-after N  after N command lines, stop receiving and answering\n"
         "                     (a pulled cable)\n"
         "  --fault-garble-line N  garble the answer to the N-th command line\n"
         "  --fault-hangup-after N  after answering N command lines, close the\n"
         "                     pseudo-terminal, remove the link and exit (an unplugged adapter)\n"
         "  --fault-garble RATE  replace each character sent by a random byte with\n"
         "                     probability RATE, 0 to 1 (line noise)\n"
         "  --seed S           seed of --fault-garble, so a run repeats (default 1)\n"
         "  --fault-latency MS  start every answer MS milliseconds late; the echo of\n"
         "                     typed characters stays immediate\n"
         "  --fault-stall-after N --fault-stall-ms MS  once the answer to the N-th\n"
         "                     command line (and a scan or query it started) is out,\n"
         "                     stop reading the console for MS milliseconds (a busy\n"
         "                     controller); what arrives meanwhile waits in the --fifo\n"
         "                     buffer, the excess is lost, and the rest is echoed and\n"
         "                     handled when the stall ends\n"
         "  --line-delay MS    delay every character both ways by MS milliseconds, as a\n"
         "                     network path or a USB adapter's latency timer does\n"
         "  --line-rate BPS    hand what arrives to the console one character at a time\n"
         "                     at BPS bit/s (10 bits a character), as a device server's\n"
         "                     serial side does with a burst from the network; 0 (the\n"
         "                     default) hands each burst over whole, as a local port\n"
         "  --help             show this text\n"
         "  --version          show the release\n"
         "After \"use com2\": /s1 /s0 /timeout MS /baud BPS /start N /end N set up /scan;\n"
         "$AA2 asks module AA for its configuration; /q leaves. Typing stops a scan.\n"
         "Every \"use com2\" starts with the checksum off; the other settings stay.\n"
         "Stops on SIGINT or SIGTERM, or once --fault-hangup-after strikes.\n";
}

}  // namespace gw20::sim
