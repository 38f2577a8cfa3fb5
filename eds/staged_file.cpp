#include "eds/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <system_error>

#include "platform/ui/regular_file.h"

namespace gw20::eds {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNameCharacters = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr int kRandomCharacters = 12;
// A clash with a random name this long is a planted file; a few more tries
// get past a few of those.
constexpr int kNameAttempts = 16;
// As any new file: the umask decides who may read it (mkstemp's 0600 would
// hide the file from a CAN master's tool run by another user).
constexpr mode_t kNewFileMode = 0666;

FileWriteResult Failure(const fs::path& path, int error) {
  return {false, path, std::system_category().message(error)};
}

// A folder at the name would fail the rename only after the controller was
// written; a device or a FIFO would be replaced by the file (a record named
// /dev/null, as root). Either is refused before anything is written.
std::optional<FileWriteResult> InTheWay(const fs::path& target) {
  struct stat there {};
  if (::lstat(target.c_str(), &there) != 0 || S_ISREG(there.st_mode) || S_ISLNK(there.st_mode)) {
    return std::nullopt;
  }
  return FileWriteResult{false, target, ui::NotRegularFileText(there.st_mode), true};
}

fs::path FolderOf(const fs::path& target) { return target.has_parent_path() ? target.parent_path() : "."; }

// "<name>.<random>.tmp" beside the target: the rename never crosses file
// systems, and a file left by a crashed run says what it was.
fs::path RandomNameBeside(const fs::path& target, std::mt19937_64& random) {
  std::uniform_int_distribution<std::size_t> pick(0, kNameCharacters.size() - 1);
  std::string name = target.filename().string() + ".";
  for (int i = 0; i < kRandomCharacters; ++i) name += kNameCharacters[pick(random)];
  return FolderOf(target) / (name + ".tmp");
}

// errno after a failure, 0 on success.
int WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return ENOSPC;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Makes the rename itself survive a power cut; a folder that cannot be
// synced (some file systems refuse) still holds the file.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

StagedFile::~StagedFile() { Discard(); }

FileWriteResult StagedFile::Reserve(const fs::path& target, std::size_t room) {
  Discard();
  target_ = target;
  if (auto refused = InTheWay(target)) return *refused;

  std::random_device seed;
  std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
  fs::path name;
  int fd = -1;
  for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    name = RandomNameBeside(target, random);
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Failure(target, errno);
  fd_ = fd;
  temporary_ = name;
  if (room > 0) {
    const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(room));
    // A file system that cannot set space aside still takes the file.
    if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
      Discard();
      return Failure(target, error);
    }
  }
  return {true, target, {}};
}

FileWriteResult StagedFile::Stage(const fs::path& target, std::string_view text) {
  FileWriteResult reserved = Reserve(target);
  if (!reserved.ok) return reserved;
  int error = WriteAll(fd_, text);
  if (error == 0 && ::fsync(fd_) != 0) error = errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error != 0) {
    Discard();
    return Failure(target, error);
  }
  return reserved;
}

FileWriteResult StagedFile::Place() {
  // Reserved but never written: placing it would put an empty file there.
  if (!Staged() || fd_ >= 0) {
    Discard();
    return Failure(target_, ENOENT);
  }
  std::optional<FileWriteResult> refused = InTheWay(target_);
  if (refused || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    FileWriteResult failed = refused ? *refused : Failure(target_, errno);
    Discard();
    return failed;
  }
  temporary_.clear();
  SyncFolder(FolderOf(target_));
  return {true, target_, {}};
}

void StagedFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!Staged()) return;
  ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace gw20::eds
