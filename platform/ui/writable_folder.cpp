#include "platform/ui/writable_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <system_error>

namespace gw20::ui {

std::filesystem::path CurrentFolder() {
  std::error_code error;
  auto folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : folder;
}

bool CanCreateFilesIn(const std::filesystem::path& folder, std::string* reason) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    if (reason) *reason = "no such folder";
    return false;
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    if (reason) *reason = std::strerror(errno);
    return false;
  }
  return true;
}

bool IsSystemFolder(const std::filesystem::path& folder) {
  std::error_code error;
  auto resolved = std::filesystem::weakly_canonical(folder, error);
  if (error) resolved = folder.lexically_normal();
  const auto top =
      resolved.begin() == resolved.end() ? std::filesystem::path() : *std::next(resolved.begin());
  return resolved.is_absolute() && (top == "usr" || top == "opt" || top == "bin" || top == "sbin");
}

std::filesystem::path WritableFolderOr(const std::filesystem::path& own,
                                       const std::filesystem::path& working) {
  return !IsSystemFolder(own) && CanCreateFilesIn(own) ? own : working;
}

}  // namespace gw20::ui
