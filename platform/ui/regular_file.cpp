#include "platform/ui/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <utility>

namespace gw20::ui {
namespace {

constexpr std::size_t kReadChunk = 1 << 14;

FileReadResult Failure(std::string reason) { return {false, {}, std::move(reason)}; }
FileReadResult SystemFailure(int error) { return Failure(std::system_category().message(error)); }

}  // namespace

std::string NotRegularFileText(mode_t mode) {
  const char* kind = nullptr;
  if (S_ISDIR(mode)) {
    kind = "a folder";
  } else if (S_ISCHR(mode) || S_ISBLK(mode)) {
    kind = "a device";
  } else if (S_ISFIFO(mode)) {
    kind = "a FIFO";
  } else if (S_ISSOCK(mode)) {
    kind = "a socket";
  } else if (S_ISLNK(mode)) {
    kind = "a symbolic link";
  } else {
    return "not a regular file";
  }
  return std::string(kind) + ", not a regular file";
}

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes) {
  // Opening a device can already do something (a serial port raises its
  // lines), so nothing but a regular file is opened at all.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return SystemFailure(errno);
  if (!S_ISREG(status.st_mode)) return Failure(NotRegularFileText(status.st_mode));
  // Swapped for a FIFO in between, the open must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return SystemFailure(errno);
  FileReadResult result;
  int error = 0;
  if (::fstat(fd, &status) != 0) {
    error = errno;
  } else if (!S_ISREG(status.st_mode)) {
    result.reason = NotRegularFileText(status.st_mode);
  } else {
    // Up to one byte past the limit: a growing file has no trustworthy size.
    std::array<char, kReadChunk> buffer{};
    while (result.text.size() <= maxBytes) {
      const ssize_t got = ::read(fd, buffer.data(), buffer.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) error = errno;
      if (got <= 0) break;
      result.text.append(buffer.data(), static_cast<std::size_t>(got));
    }
  }
  ::close(fd);
  if (error != 0) return SystemFailure(error);
  if (!result.reason.empty()) return Failure(std::move(result.reason));
  result.ok = true;
  return result;
}

}  // namespace gw20::ui
