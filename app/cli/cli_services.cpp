#include "app/cli/cli_services.h"

#include <system_error>

namespace gw20::cli {

ui::MessageAnswer PrintedMessages::Show(const std::string& text, const std::string& title,
                                        ui::MessageButtons buttons) {
  ++count_;
  if (!title.empty()) out_ << title << ": ";
  out_ << text << std::endl;  // flushed: the line must be there even if the tool dies next
  return buttons == ui::MessageButtons::YesNo ? ui::MessageAnswer::Yes : ui::MessageAnswer::Ok;
}

WorkingFolder::WorkingFolder() {
  std::error_code error;
  path_ = std::filesystem::current_path(error);
  // A deleted working directory leaves "." : writes there fail with their own message.
  if (error) path_ = ".";
}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder) : WorkingFolder() {
  if (folder.empty()) return;
  std::error_code error;
  const auto absolute = std::filesystem::absolute(folder, error);
  path_ = error ? folder : absolute;
}

}  // namespace gw20::cli
