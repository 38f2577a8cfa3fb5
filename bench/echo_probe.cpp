#include "bench/echo_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace gw20::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEchoLimitMs = 1000;
// Characters per line: well inside the console's line buffer.
constexpr int kLineLength = 32;
constexpr char kTyped = 'a';

// Reads until `text` has grown by `wanted` characters or ends with `end`
// (when given); false when nothing comes for kEchoLimitMs.
bool ReadUntil(int fd, std::string& text, std::size_t wanted, char end) {
  const std::size_t from = text.size();
  while (text.size() < from + wanted || (end != '\0' && (text.empty() || text.back() != end))) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, kEchoLimitMs) <= 0) return false;
    char buffer[256];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

double MedianEchoRoundTripMs(const std::string& device, int count) {
  const Fd fd(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) throw std::runtime_error("cannot open " + device);
  termios settings{};
  if (tcgetattr(fd.Get(), &settings) != 0) throw std::runtime_error("cannot read the settings of " + device);
  cfmakeraw(&settings);
  if (tcsetattr(fd.Get(), TCSANOW, &settings) != 0)
    throw std::runtime_error("cannot make " + device + " raw");
  std::vector<double> trips;
  std::string received;
  for (int i = 1; i <= count; ++i) {
    const auto start = Clock::now();
    if (write(fd.Get(), &kTyped, 1) != 1 || !ReadUntil(fd.Get(), received, 1, '\0')) {
      throw std::runtime_error("no echo from " + device);
    }
    trips.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (i % kLineLength == 0 || i == count) {
      // The controller answers the line with its main prompt, ending in '>'.
      const char lineEnd = '\r';
      if (write(fd.Get(), &lineEnd, 1) != 1 || !ReadUntil(fd.Get(), received, 1, '>')) {
        throw std::runtime_error("no prompt from " + device);
      }
    }
  }
  std::sort(trips.begin(), trips.end());
  return trips[trips.size() / 2];
}

}  // namespace gw20::bench
