#pragma once
// A file's new content, written and synced beside it under a name of its own
// and moved into place only when told. Until then an older file of that name
// stays as it was, so a commit can find out that the folder takes the file
// before it touches the controller, and keep the old file when the
// controller's write fails. What is not placed is removed. Every file the
// program writes for the operator goes this way: the EDS file, a plan, a
// record, a report.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace gw20::eds {

// Outcome of writing a file. On failure `path` is the full path of the file
// that could not be written and `reason` the system's explanation.
struct FileWriteResult {
  bool ok = true;
  std::filesystem::path path;
  std::string reason;
  // The failure is what stands at the name: a folder, a device, a FIFO or a
  // socket, which is never replaced ("a FIFO, not a regular file").
  bool notRegular = false;
};

class StagedFile {
 public:
  StagedFile() = default;
  // Removes a staged file that was not placed.
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  // Writes `text` byte for byte to a new file in `target`'s folder, created
  // exclusively under a random name (never through a symbolic link, never
  // over anything that is there), with the permissions any new file gets,
  // and syncs it to the disk. A missing, full or read-only folder, a folder,
  // a device or a FIFO where the file should go (anything but a regular file
  // or a symbolic link) fails here and leaves nothing behind. A file staged
  // before and not placed is removed first.
  FileWriteResult Stage(const std::filesystem::path& target, std::string_view text);
  // Creates that new file, without content, and keeps it (until Discard, a
  // new Stage or the end), never to be placed: whether `target` can be
  // staged, found before its content is known. With `room`, that many bytes
  // of the disk are set aside for it, so a disk without them fails here
  // ("No space left on device"). Fails as Stage does otherwise.
  FileWriteResult Reserve(const std::filesystem::path& target, std::size_t room = 0);
  // Renames the staged file over the target (a symbolic link there is
  // replaced, not followed) and syncs the folder. Failure (nothing staged,
  // the folder gone meanwhile, something other than a regular file or a link
  // put at the name meanwhile): the staged file is removed and the target
  // stays as it was.
  FileWriteResult Place();
  // Removes the staged file; nothing when none is staged.
  void Discard();

  bool Staged() const { return !temporary_.empty(); }
  // The file Stage or Reserve was last asked for.
  const std::filesystem::path& Target() const { return target_; }

 private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;  // empty: nothing staged
  int fd_ = -1;                      // the file reserved, open until written (never placed empty)
};

}  // namespace gw20::eds
