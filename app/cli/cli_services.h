#pragma once
// The command-line tool's own services: message boxes printed instead of
// shown, and the current directory as the program's folder.

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/ui/services.h"

namespace gw20::cli {

// Prints every message box as one line, "Title: text" or the text alone when
// the box has no title, and answers OK or Yes, as the operator who started
// the tool has already said what should happen. The system's own message
// stays the last line: a "Timeout" is held back until the next message or
// the end, so the note that the EEPROM is only partly written comes first.
class PrintedMessages : public ui::MessageBoxService {
 public:
  // `out` (standard error in the tool) must outlive the service.
  explicit PrintedMessages(std::ostream& out) : out_(out) {}
  ~PrintedMessages() override { Flush(); }
  PrintedMessages(const PrintedMessages&) = delete;
  PrintedMessages& operator=(const PrintedMessages&) = delete;
  ui::MessageAnswer Show(const std::string& text, const std::string& title,
                         ui::MessageButtons buttons) override;
  // Printed at once as "gw20cli: text", before the message it explains.
  void Note(const std::string& category, const std::string& text) override;
  int Count() const { return count_; }
  // kPartlyWrittenMessage has been shown.
  bool PartlyWritten() const { return partlyWritten_; }
  // Nothing more is printed: a stopped command words its own end, and what
  // the windows make of the stop is no message of theirs.
  void Mute() {
    held_.clear();
    muted_ = true;
  }
  // Prints a held line now.
  void Flush();

 private:
  std::ostream& out_;
  std::string held_;
  int count_ = 0;
  bool partlyWritten_ = false;
  bool muted_ = false;
};

// The folder the tool was started in, fixed at construction: EDS files go
// where the operator is, not beside the executable, so the tool needs no
// fallback for an installed, read-only program folder.
class WorkingFolder : public ui::ProgramFolder {
 public:
  WorkingFolder();
  // `folder` instead (made absolute); empty means the current directory.
  explicit WorkingFolder(const std::filesystem::path& folder);
  std::filesystem::path Path() const override { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace gw20::cli
