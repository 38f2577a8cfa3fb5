#include "app/cli/cli_services.h"

#include <system_error>

#include "link/eeprom_procedures.h"
#include "link/link_messages.h"
#include "platform/ui/writable_folder.h"

namespace gw20::cli {

ui::MessageAnswer PrintedMessages::Show(const std::string& text, const std::string& title,
                                        ui::MessageButtons buttons) {
  const auto answer = buttons == ui::MessageButtons::YesNo ? ui::MessageAnswer::Yes : ui::MessageAnswer::Ok;
  if (muted_) return answer;
  ++count_;
  const std::string line = title.empty() ? text : title + ": " + text;
  if (line == link::kTimeoutMessage) {
    Flush();
    held_ = line;
  } else if (text == link::kPartlyWrittenMessage) {
    partlyWritten_ = true;
    out_ << line << std::endl;
    Flush();
  } else {
    Flush();
    out_ << line << std::endl;  // flushed: the line must be there even if the tool dies next
  }
  return answer;
}

void PrintedMessages::Note(const std::string& category, const std::string& text) {
  (void)category;
  if (muted_) return;
  out_ << "gw20cli: " << text << std::endl;
}

void PrintedMessages::Flush() {
  if (held_.empty()) return;
  out_ << held_ << std::endl;
  held_.clear();
}

WorkingFolder::WorkingFolder() : path_(ui::CurrentFolder()) {}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder) : WorkingFolder() {
  if (folder.empty()) return;
  std::error_code error;
  // "--out ." names the file /x/COP7.eds, not /x/./COP7.eds.
  const auto absolute = std::filesystem::absolute(folder, error).lexically_normal();
  path_ = error ? folder : absolute;
}

}  // namespace gw20::cli
