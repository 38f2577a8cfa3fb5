#pragma once
// Files the operator names: a plan read, a record or a report written. Only
// a regular file is one; a FIFO, a device or a folder at such a name is
// refused at once, never waited on and never replaced.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace gw20::ui {

// Why what stands at a name is no regular file, for a message: "a FIFO, not
// a regular file", likewise "a folder", "a device", "a socket" and "a
// symbolic link" (as lstat sees one); "not a regular file" for anything else.
std::string NotRegularFileText(mode_t mode);

struct FileReadResult {
  bool ok = false;
  std::string text;    // the bytes read, at most maxBytes + 1
  std::string reason;  // failure: NotRegularFileText or the system's text
};

// Reads the file at `path` (a symbolic link is followed) when it is a
// regular file: looked at before it is opened, opened without blocking, and
// looked at again once open, so neither a FIFO nor a device is ever waited
// on or opened for reading. Reads at most `maxBytes` + 1 bytes, so the
// caller can tell a file beyond its limit.
FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace gw20::ui
