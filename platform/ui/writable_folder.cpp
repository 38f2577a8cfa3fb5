#include "platform/ui/writable_folder.h"

#include <unistd.h>

#include <system_error>

namespace gw20::ui {

std::filesystem::path CurrentFolder() {
  std::error_code error;
  auto folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : folder;
}

std::filesystem::path WritableFolderOr(const std::filesystem::path& own,
                                       const std::filesystem::path& working) {
  std::error_code error;
  // Creating a file (the EDS writer's temporary one, renamed into place)
  // takes the rights to write the folder and to enter it.
  const bool writable = std::filesystem::is_directory(own, error) && access(own.c_str(), W_OK | X_OK) == 0;
  return writable ? own : working;
}

}  // namespace gw20::ui
