// gw20sim: a simulated GW20 controller serving its console on a pseudo-terminal.

#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/command_line.h"
#include "sim/controller.h"
#include "sim/pty_server.h"
#include "sim/stop_signals.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;

}  // namespace

int main(int argc, char** argv) {
  using namespace gw20::sim;
  const std::vector<std::string> args(argv + 1, argv + argc);
  SimOptions options;
  try {
    options = ParseCommandLine(args);
  } catch (const CommandLineError& error) {
    std::cerr << "gw20sim: " << error.what() << "\nTry 'gw20sim --help' for the options.\n";
    return kExitBadInput;
  }
  if (options.help) {
    std::cout << CommandLineUsage();
    return kExitOk;
  }
  if (options.version) {
    std::cout << "gw20sim " << GW20_VERSION << "\n";
    return kExitOk;
  }
  try {
    // Before anything can fail half-way, so a stop signal always ends in a clean exit.
    StopSignals stopSignals;
    std::unique_ptr<Controller> controller;
    try {
      controller = std::make_unique<Controller>(options.controller);
    } catch (const std::exception& error) {  // bad EEPROM or transcript file, bad firmware numbers
      std::cerr << "gw20sim: " << error.what() << "\n";
      return kExitBadInput;
    }
    PtyServer server(*controller, options.link, options.line);
    std::cout << "gw20sim: serving " << options.controller.model << " on " << server.DeviceName() << " as "
              << options.link.string() << std::endl;
    if (server.Serve(stopSignals.Fd()) == PtyServer::Ending::kHungUp) {
      std::cout << "gw20sim: hung up after " << *options.controller.hangUpAfterLines << " command lines"
                << std::endl;
    }
  } catch (const std::exception& error) {
    std::cerr << "gw20sim: " << error.what() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}
