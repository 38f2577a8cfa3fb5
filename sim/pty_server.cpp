#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace gw20::sim {
namespace {

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PtyServer::PtyServer(Controller& controller, std::filesystem::path link, LineOptions line)
    : controller_(controller), link_(std::move(link)), line_(line) {
  OpenPseudoTerminal();
  CreateLink();
}

PtyServer::~PtyServer() { RemoveLink(); }

void PtyServer::RemoveLink() {
  std::error_code ec;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(link_, ec)) &&
      std::filesystem::read_symlink(link_, ec) == deviceName_) {
    std::filesystem::remove(link_, ec);
  }
}

void PtyServer::OpenPseudoTerminal() {
  master_ = UniqueFd(posix_openpt(O_RDWR | O_NOCTTY));
  if (!master_.Valid()) {
    throw SystemError("cannot open a pseudo-terminal");
  }
  if (grantpt(master_.Get()) != 0 || unlockpt(master_.Get()) != 0) {
    throw SystemError("cannot unlock the pseudo-terminal");
  }
  const char* name = ptsname(master_.Get());
  if (name == nullptr) {
    throw SystemError("cannot name the pseudo-terminal");
  }
  deviceName_ = name;
  // Held open for the server's lifetime: otherwise each close by the PC
  // would hang the terminal up and the next open would find it dead.
  slave_ = UniqueFd(open(deviceName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (!slave_.Valid()) {
    throw SystemError("cannot open " + deviceName_);
  }
  termios settings{};
  if (tcgetattr(slave_.Get(), &settings) != 0) {
    throw SystemError("cannot read the settings of " + deviceName_);
  }
  cfmakeraw(&settings);
  if (tcsetattr(slave_.Get(), TCSANOW, &settings) != 0) {
    throw SystemError("cannot make " + deviceName_ + " raw");
  }
  const int flags = fcntl(master_.Get(), F_GETFL);
  if (flags < 0 || fcntl(master_.Get(), F_SETFL, flags | O_NONBLOCK) != 0 ||
      fcntl(master_.Get(), F_SETFD, FD_CLOEXEC) != 0) {
    throw SystemError("cannot configure the pseudo-terminal");
  }
}

void PtyServer::CreateLink() {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(link_, ec);
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_symlink(status)) {
      throw std::runtime_error(link_.string() + " exists and is not a symbolic link; not replacing it");
    }
    std::filesystem::remove(link_, ec);
  }
  std::filesystem::create_symlink(deviceName_, link_, ec);
  if (ec) {
    throw std::runtime_error("cannot create the link " + link_.string() + ": " + ec.message());
  }
}

PtyServer::Ending PtyServer::Serve(int stopFd) {
  using Clock = std::chrono::steady_clock;
  auto lastTick = Clock::now();
  std::optional<Clock::time_point> hangUpBy;
  while (true) {
    // Wake up in time for an answer the latency fault holds back.
    auto wait = kServiceInterval;
    if (const auto due = controller_.NextOutputIn()) {
      wait = std::min(wait, *due);
    }
    if (const auto due = NextOnLine(Clock::now())) {
      wait = std::min(wait, *due);
    }
    std::array<pollfd, 2> fds{};
    fds[0] = {master_.Get(), static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT)), 0};
    fds[1] = {stopFd, POLLIN, 0};
    if (poll(fds.data(), fds.size(), static_cast<int>(wait.count())) < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw SystemError("cannot wait for the pseudo-terminal");
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastTick);
    lastTick += elapsed;
    controller_.Advance(elapsed);
    if ((fds[1].revents & POLLIN) != 0) {
      return Ending::kStopped;
    }
    bool idleTerminal = false;
    if ((fds[0].revents & POLLIN) != 0) {
      std::this_thread::sleep_for(kBusyTime);
      idleTerminal = !ReadBurst();
    } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
      idleTerminal = true;
    }
    if (idleTerminal) {
      // A terminal that keeps reporting without data would make poll spin.
      std::this_thread::sleep_for(kServiceInterval);
    }
    DeliverDue(Clock::now());
    TakeOutput(Clock::now());
    WritePending();
    if (controller_.HungUp()) {
      if (!hangUpBy) {
        hangUpBy = Clock::now() + kHangUpGrace;
      }
      if ((pending_.empty() && outbound_.empty() && !Unread()) || Clock::now() >= *hangUpBy) {
        // Gone from the file system first, as an unplugged adapter's device is.
        RemoveLink();
        slave_.Reset();
        master_.Reset();
        return Ending::kHungUp;
      }
    }
  }
}

bool PtyServer::Unread() const {
  // Polling the terminal side also pushes data still in the kernel's flip buffers to it.
  pollfd pfd{slave_.Get(), POLLIN, 0};
  return poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN) != 0;
}

bool PtyServer::ReadBurst() {
  std::array<char, kReadChunk> buffer{};
  const ssize_t count = read(master_.Get(), buffer.data(), buffer.size());
  if (count > 0) {
    inbound_.push_back({std::chrono::steady_clock::now() + line_.delay,
                        std::string(buffer.data(), static_cast<std::size_t>(count))});
    return true;
  }
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
    return true;
  }
  return false;
}

void PtyServer::DeliverDue(TimePoint now) {
  if (line_.bitsPerSecond <= 0) {
    while (!inbound_.empty() && inbound_.front().due <= now) {
      controller_.Receive(inbound_.front().text);
      inbound_.pop_front();
    }
    return;
  }
  // Ten bits a character: start bit, eight data bits, stop bit.
  constexpr std::int64_t kBitsPerCharacter = 10;
  const auto perCharacter = std::chrono::microseconds(kBitsPerCharacter * 1000000 / line_.bitsPerSecond);
  while (!inbound_.empty() && inbound_.front().due <= now) {
    auto& burst = inbound_.front();
    nextCharacterAt_ = std::max(nextCharacterAt_, burst.due);
    while (!burst.text.empty() && nextCharacterAt_ <= now) {
      controller_.Receive(std::string_view(burst.text.data(), 1));
      burst.text.erase(0, 1);
      nextCharacterAt_ += perCharacter;
    }
    if (!burst.text.empty()) return;
    inbound_.pop_front();
  }
}

void PtyServer::TakeOutput(TimePoint now) {
  std::string output = controller_.TakeOutput();
  if (line_.delay.count() == 0 && outbound_.empty()) {
    pending_ += output;
    return;
  }
  if (!output.empty()) outbound_.push_back({now + line_.delay, std::move(output)});
  while (!outbound_.empty() && outbound_.front().due <= now) {
    pending_ += outbound_.front().text;
    outbound_.pop_front();
  }
}

std::optional<std::chrono::milliseconds> PtyServer::NextOnLine(TimePoint now) const {
  std::optional<TimePoint> next;
  if (!inbound_.empty()) next = std::max(inbound_.front().due, nextCharacterAt_);
  if (!outbound_.empty()) next = next ? std::min(*next, outbound_.front().due) : outbound_.front().due;
  if (!next) return std::nullopt;
  // Rounded up, so the wake-up is not a moment early and the wait never 0 in a loop.
  const auto until = std::chrono::ceil<std::chrono::milliseconds>(*next - now);
  return std::max(until, std::chrono::milliseconds(0));
}

void PtyServer::WritePending() {
  if (pending_.empty()) {
    return;
  }
  const ssize_t written = write(master_.Get(), pending_.data(), pending_.size());
  if (written > 0) {
    pending_.erase(0, static_cast<std::size_t>(written));
  } else if (written < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
    throw SystemError("cannot write to the pseudo-terminal");
  }
}

}  // namespace gw20::sim
