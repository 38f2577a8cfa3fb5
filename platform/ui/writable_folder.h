#pragma once
// Where the program's files go. An installed program's own folder belongs to
// the system, not to the operator who runs it, so files written "beside the
// program" need somewhere else to land.

#include <filesystem>
#include <string>

namespace gw20::ui {

// The current directory, absolute; "." when it has been removed (writes
// there then fail with their own message).
std::filesystem::path CurrentFolder();

// Whether this user can create files in `folder`: an existing folder it may
// write into and enter (the EDS writer creates a temporary file and renames
// it into place). When not, `reason` (if given) says why: "no such folder" or
// the system's text.
bool CanCreateFilesIn(const std::filesystem::path& folder, std::string* reason = nullptr);

// Whether `folder` is where installed programs live (/bin, /sbin and every
// folder under /usr or /opt, links resolved): files are never written there,
// whoever runs the program; root could, and the files would outlive the
// package.
bool IsSystemFolder(const std::filesystem::path& folder);

// `own` (the program's folder) when it is no system folder and this user can
// create files in it, otherwise `working` (the current directory), whether or
// not that one can be written.
std::filesystem::path WritableFolderOr(const std::filesystem::path& own,
                                       const std::filesystem::path& working);

}  // namespace gw20::ui
