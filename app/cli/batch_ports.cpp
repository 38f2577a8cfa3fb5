#include "app/cli/batch_ports.h"

#include <sys/stat.h>

#include <optional>
#include <string_view>
#include <tuple>

#include "platform/qt/qt_serial_port.h"
#include "platform/ui/console_address.h"

namespace gw20::cli {
namespace {

// The device behind a port as a batch names it; empty for a server.
std::string DeviceOf(const std::string& port, const ui::VariableLookup& lookup) {
  const auto parsed = ui::ParseConsoleAddress(port);
  if (!parsed.address) return port;
  const ui::ConsoleRoute route = ui::RouteOf(*parsed.address, lookup);
  if (!route.problem.empty() || route.target.kind != ui::AddressKind::Device) return {};
  return route.target.device;
}

std::string Named(const std::string& port, const std::string& device) {
  return port == device ? port : port + " (" + device + ")";
}

}  // namespace

std::vector<std::string> UnusablePorts(const std::vector<std::string>& ports, bool open,
                                       const ui::VariableLookup& lookup) {
  // A device node is the same device whatever the name: the inode it is
  // reached through and the device it stands for.
  using Identity = std::tuple<dev_t, ino_t, dev_t>;
  std::vector<std::pair<Identity, std::string>> seen;
  std::vector<std::string> problems;
  for (const std::string& port : ports) {
    // A server is checked when it is connected.
    const std::string device = DeviceOf(port, lookup);
    if (device.empty()) continue;
    struct stat status {};
    if (::stat(device.c_str(), &status) != 0) {
      problems.push_back(Named(port, device) + ": there is no such device");
      continue;
    }
    const Identity identity{status.st_dev, status.st_ino, status.st_rdev};
    std::optional<std::string> earlier;
    for (const auto& [known, name] : seen) {
      if (known == identity) earlier = name;
    }
    if (earlier) {
      problems.push_back(Named(port, device) + ": the same device as " + *earlier);
      continue;
    }
    seen.emplace_back(identity, port);
    if (!open) continue;
    qtui::QtSerialPort serial(device);
    const ui::OpenResult opened = serial.Open();
    if (opened.status != ui::OpenStatus::Opened) {
      problems.push_back(port + ": " +
                         (opened.description.empty() ? "cannot be opened" : opened.description));
    }
    serial.Close();
  }
  return problems;
}

}  // namespace gw20::cli
