#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/pty_server.h"

namespace gw20::sim {

// What gw20sim was asked to do.
struct SimOptions {
  bool help = false;
  bool version = false;
  std::filesystem::path link;
  ControllerOptions controller;
  LineOptions line;
};

// A command line gw20sim cannot use; the message is meant for the user.
class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses gw20sim's arguments (without the program name) with getopt_long:
// options take their value as the next argument or after "=", and an
// unambiguous abbreviation stands for the name. Checks syntax and required options;
// value ranges the controller checks itself (firmware month, ...) are left to it.
// Throws CommandLineError.
SimOptions ParseCommandLine(const std::vector<std::string>& args);

// The usage text, ending with a line end.
std::string CommandLineUsage();

}  // namespace gw20::sim
