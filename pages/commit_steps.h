#pragma once
// The steps both configuration pages' Finish share once their image is
// built: stage the EDS file, open the console port, write the image through
// the console, close the port, and put the EDS file in place. Each step
// words its own failure to the operator and leaves CommitBusy cleared; the
// page decides what stays enabled.

#include <filesystem>
#include <string_view>

#include "eds/staged_file.h"
#include "link/link_fwd.h"
#include "pages/main_window_link.h"

namespace gw20::ui {
struct Services;
}

namespace gw20::pages {

class CommitSteps {
 public:
  // Everything must outlive the steps.
  CommitSteps(MainWindowLink& main, ui::Services& services, link::ConsoleState& console, bool& CommitBusy)
      : main_(main), services_(services), console_(console), commitBusy_(CommitBusy) {}

  // Writes the EDS text beside `path` before anything is sent, so a folder
  // that cannot take the file stops the commit while the controller is
  // untouched. Failure: "Can't write the EDS file <path>!" (title "Error")
  // and the status "EDS file error"; the system's reason goes to the log.
  bool StageFile(const std::filesystem::path& path, std::string_view text);
  // Opens the main window's COM port. Failure: "Can't open COM n!" (title
  // "Warning"), "COM n has been occupied" or the port's own description;
  // a port named by its device or server is called by that name.
  bool OpenPort();
  // Writes blocks 0 and 2 (and block 1 with `deviceNetBlock`), in the safe
  // order and read back when the console state asks for it. Failure:
  // "Timeout" as message and status, with the note the log has as the
  // status's tool tip, or the image's fault, or the verify's, followed by
  // kPartlyWrittenMessage when words were already typed or the read-back
  // failed; the port closes.
  bool WriteImage(link::EepromImage& image, bool deviceNetBlock);
  // Closes the port: the controller has its image by now.
  void ClosePort();
  // Puts the staged EDS file in place, over an older one. Failure (the
  // folder went away meanwhile): StageFile's message and status, followed
  // by kEepromAlreadyWrittenMessage.
  bool PlaceFile();
  // Removes a staged file that was not placed: whatever ended the commit,
  // no temporary file stays and an older EDS file stays as it was.
  void DiscardFile() { file_.Discard(); }
  // The commit is complete: the status says so, its tool tip names the file
  // written (so the operator can read and copy the path), and CommitBusy is
  // cleared.
  void Succeeded();
  // Closes the port if it is open and clears CommitBusy.
  void ProcessError();

 private:
  void Message(const std::string& text, const std::string& title = {});
  void FileFailed(const eds::FileWriteResult& failed);

  MainWindowLink& main_;
  ui::Services& services_;
  link::ConsoleState& console_;
  bool& commitBusy_;
  eds::StagedFile file_;
};

}  // namespace gw20::pages
