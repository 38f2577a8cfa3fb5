// Measures what a console exchange costs: the wall time of typical exchanges
// against the simulated controller on a pseudo-terminal, paced by the echo
// and by the fixed pause used before, and the CPU the program uses while it
// waits for a prompt that never comes. Prints a Markdown table; asserts
// nothing.

#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>

#include "bench/session_times.h"
#include "bench/sim_process.h"
#include "link/console.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"

namespace {

constexpr std::chrono::milliseconds kFixedPause{4};  // the pacing before echo pacing

void Time(const char* what, const char* pacing, const std::function<bool()>& exchange) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const double cpu = gw20::bench::CpuSeconds();
  const bool ok = exchange();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double used = gw20::bench::CpuSeconds() - cpu;
  std::printf("| %s | %s | %s | %.1f | %.1f | %.1f |\n", what, pacing, ok ? "ok" : "FAILED", wall * 1e3,
              used * 1e3, wall > 0 ? 100.0 * used / wall : 0.0);
}

// The exchanges of an EEPROM read, then a wait that runs out its time-out.
bool RunExchanges(std::chrono::milliseconds pause) {
  const char* pacing = pause.count() == 0 ? "echo" : "4 ms pause (before)";
  const gw20::bench::ScratchFolder folder;
  gw20::bench::SimProcess sim(folder.Path(), {});
  gw20::qtui::QtSerialPort port(sim.Link());
  gw20::qtui::QtEventPump events;
  gw20::qtui::QtTickCounter ticks;
  gw20::link::ConsoleState state;
  state.CharacterPause = pause;
  gw20::link::Console console(port, events, ticks, state);
  port.SetPortNumber(1);
  port.SetSettings("115200,n,8,1");
  if (port.Open().status != gw20::ui::OpenStatus::Opened) {
    std::fprintf(stderr, "cannot open %s\n", sim.Link().c_str());
    return false;
  }
  Time("ConsoleExchange(\"\", \">\")", pacing, [&] { return console.ConsoleExchange("", ">"); });
  Time("ConsoleExchange(\"use eeprom\", \"[EEPROM:]\")", pacing,
       [&] { return console.ConsoleExchange("use eeprom", "[EEPROM:]"); });
  Time("ConsoleExchange(\"block 0\", \"[EEPROM:]\")", pacing,
       [&] { return console.ConsoleExchange("block 0", "[EEPROM:]"); });
  std::uint32_t value = 0;
  Time("ConsoleReadValue(\"el 0\", \"Long(0)=\")", pacing,
       [&] { return console.ConsoleReadValue("el 0", "Long(0)=", value); });
  Time("ConsoleExchange(\".\", \"[EEPROM:]\")", pacing,
       [&] { return console.ConsoleExchange(".", "[EEPROM:]"); });
  Time("waiting out a 1000 ms time-out (empty prompt)", pacing,
       [&] { return !console.ConsoleExchange("exit", ""); });
  port.Close();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::printf(
      "### Console exchanges against gw20sim\n\n"
      "| exchange | pacing | result | wall ms | CPU ms | CPU %% of one core |\n"
      "|---|---|---|---:|---:|---:|\n");
  try {
    for (const auto pause : {std::chrono::milliseconds(0), kFixedPause}) {
      if (!RunExchanges(pause)) return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "console_wait_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
