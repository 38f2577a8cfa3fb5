// Measures what a console exchange costs: the wall time of typical exchanges
// against the simulated controller on a pseudo-terminal, and the CPU the
// program uses while it waits for a prompt that never comes. Prints figures;
// asserts nothing.

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "link/console.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/qt/qt_services.h"

extern char** environ;

namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("gw20bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string link = (dir / "com1").string();
  std::string sim = GW20SIM_PATH;
  char* args[] = {sim.data(), const_cast<char*>("--link"), const_cast<char*>(link.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, sim.c_str(), nullptr, nullptr, args, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", sim.c_str());
    return 1;
  }
  for (int i = 0; i < 200 && !fs::exists(link); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  setenv("GW20_COM1", link.c_str(), 1);

  gw20::qtui::QtSerialPort port;
  gw20::qtui::QtEventPump events;
  gw20::qtui::QtTickCounter ticks;
  gw20::link::ConsoleState state;
  gw20::link::Console console(port, events, ticks, state);
  port.SetPortNumber(1);
  port.SetSettings("115200,n,8,1");
  int status = 0;
  if (port.Open().status != gw20::ui::OpenStatus::Opened) {
    std::fprintf(stderr, "cannot open %s\n", link.c_str());
    status = 1;
  } else {
    using Clock = std::chrono::steady_clock;
    auto time = [&](const char* what, auto&& exchange) {
      const auto start = Clock::now();
      const double cpu = CpuSeconds();
      const bool ok = exchange();
      const double wall = std::chrono::duration<double>(Clock::now() - start).count();
      const double used = CpuSeconds() - cpu;
      std::printf("%-44s %s  wall %7.1f ms  cpu %6.1f ms  (%4.1f %% of one core)\n", what, ok ? "ok  " : "fail",
                  wall * 1e3, used * 1e3, wall > 0 ? 100.0 * used / wall : 0.0);
    };
    time("ConsoleExchange(\"\", \">\")", [&] { return console.ConsoleExchange("", ">"); });
    time("ConsoleExchange(\"use eeprom\", \"[EEPROM:]\")",
         [&] { return console.ConsoleExchange("use eeprom", "[EEPROM:]"); });
    time("ConsoleExchange(\"block 0\", \"[EEPROM:]\")", [&] { return console.ConsoleExchange("block 0", "[EEPROM:]"); });
    double value = 0;
    time("ConsoleReadValue(\"el 0\", \"Long(0)=\")", [&] { return console.ConsoleReadValue("el 0", "Long(0)=", value); });
    time("ConsoleExchange(\".\", \"[EEPROM:]\")", [&] { return console.ConsoleExchange(".", "[EEPROM:]"); });
    time("waiting out a 1000 ms time-out (empty prompt)", [&] { return !console.ConsoleExchange("exit", ""); });
    port.Close();
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  fs::remove_all(dir);
  return status;
}
