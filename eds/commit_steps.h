#pragma once
// The steps both configuration pages' Finish share once their image is
// built: open the console port, write the image through the console, close
// the port, and report the EDS file. Each step words its own failure to the
// operator and leaves CommitBusy cleared; the page decides what stays
// enabled.

#include <filesystem>

#include "eds/ini_writer.h"
#include "eds/main_window_link.h"

namespace gw20::ui {
struct Services;
}
namespace gw20::link {
struct ConsoleState;
struct EepromImage;
}  // namespace gw20::link

namespace gw20::eds {

class CommitSteps {
 public:
  // Everything must outlive the steps.
  CommitSteps(MainWindowLink& main, ui::Services& services, link::ConsoleState& console, bool& CommitBusy)
      : main_(main), services_(services), console_(console), commitBusy_(CommitBusy) {}

  // Opens the main window's COM port. Failure: "Can't open COM n!" (title
  // "Warning"), "COM n has been occupied" or the port's own description.
  bool OpenPort();
  // Writes blocks 0 and 2 (and block 1 with `deviceNetBlock`), in the safe
  // order and read back when the console state asks for it. Failure:
  // "Timeout" as message and status, followed by kPartlyWrittenMessage when
  // words were already typed; or the image's fault, or the verify's; the
  // port closes.
  bool WriteImage(link::EepromImage& image, bool deviceNetBlock);
  // Closes the port: the controller has its image by now.
  void ClosePort();
  // Reports a written EDS file. Failure: "Can't write the EDS file <path>!"
  // (title "Error") and the status "EDS file error".
  bool FileSaved(const FileWriteResult& saved);
  // The commit is complete: the status says so, its tool tip names the file
  // written (so the operator can read and copy the path), and CommitBusy is
  // cleared.
  void Succeeded();
  // Closes the port if it is open and clears CommitBusy.
  void ProcessError();

 private:
  void Message(const std::string& text, const std::string& title = {});

  MainWindowLink& main_;
  ui::Services& services_;
  link::ConsoleState& console_;
  bool& commitBusy_;
  std::filesystem::path written_;
};

}  // namespace gw20::eds
