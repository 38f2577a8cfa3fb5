#include "platform/ui/writable_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
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

std::filesystem::path WritableFolderOr(const std::filesystem::path& own,
                                       const std::filesystem::path& working) {
  return CanCreateFilesIn(own) ? own : working;
}

}  // namespace gw20::ui
