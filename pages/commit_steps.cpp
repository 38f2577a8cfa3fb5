#include "pages/commit_steps.h"

#include <string>

#include "link/console.h"
#include "link/eeprom_procedures.h"
#include "link/link_messages.h"
#include "link/open_console_port.h"
#include "pages/commit_messages.h"
#include "platform/ui/control.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"

namespace gw20::pages {

bool CommitSteps::StageFile(const std::filesystem::path& path, std::string_view text) {
  const eds::FileWriteResult staged = file_.Stage(path, text);
  if (staged.ok) return true;
  FileFailed(staged);
  return false;
}

bool CommitSteps::OpenPort() {
  const auto opened = link::OpenConsolePort(main_.MSComm1, main_.PortNumber);
  const ui::ConsoleAddress named = main_.MSComm1.Named();
  switch (opened.status) {
    case link::OpenPortStatus::Opened:
      return true;
    case link::OpenPortStatus::CannotOpen:
      Message(link::CantOpenComText(named), link::kWarningTitle);
      break;
    case link::OpenPortStatus::Denied:
      Message(link::CantOpenComText(named, opened.description), link::kWarningTitle);
      break;
    case link::OpenPortStatus::Occupied:
      Message(link::PortOccupiedText(named));
      break;
    case link::OpenPortStatus::Error:
      Message(opened.description);
      break;
  }
  commitBusy_ = false;
  return false;
}

bool CommitSteps::WriteImage(link::EepromImage& image, bool deviceNetBlock) {
  link::Console console(main_.MSComm1, services_.events, services_.ticks, console_);
  auto written = link::WriteConfigurationImage(console, console_, services_.events, image, deviceNetBlock,
                                               {.safeOrder = console_.SafeWriteOrder});
  if (written.Ok() && console_.VerifyWrites) {
    written = link::VerifyConfigurationImage(console, console_, image, deviceNetBlock);
  }
  if (written.Ok()) return true;
  if (written.status == link::EepromStatus::Timeout) {
    const std::string note = link::FailureNote(written.description, main_.MSComm1);
    if (!note.empty()) services_.messages.Note("gw20.console", note);
    Message(std::string(link::kTimeoutMessage));
    main_.CommunicationState.SetText(std::string(link::kTimeoutMessage));
    // "Timeout" stays the status; the note (an unplugged adapter above all)
    // is the tool tip, in place of an earlier commit's file.
    main_.CommunicationState.SetToolTip(note);
  } else {
    Message(written.description);
  }
  if (written.partlyWritten) Message(std::string(link::kPartlyWrittenMessage));
  ProcessError();
  return false;
}

void CommitSteps::ClosePort() { main_.MSComm1.Close(); }

bool CommitSteps::PlaceFile() {
  const eds::FileWriteResult placed = file_.Place();
  if (placed.ok) return true;
  FileFailed(placed);
  Message(std::string(pages::kEepromAlreadyWrittenMessage));
  return false;
}

void CommitSteps::FileFailed(const eds::FileWriteResult& failed) {
  // The system's message names the file only; the log says why.
  services_.messages.Note("gw20.eds", failed.path.string() + ": " + failed.reason);
  Message(pages::CantWriteEdsText(failed.path), link::kErrorTitle);
  main_.CommunicationState.SetText(std::string(pages::kEdsErrorStatus));
  commitBusy_ = false;
}

void CommitSteps::Succeeded() {
  main_.CommunicationState.SetText(std::string(pages::kEdsOkStatus));
  main_.CommunicationState.SetToolTip(file_.Target().string());
  commitBusy_ = false;
}

void CommitSteps::ProcessError() {
  if (main_.MSComm1.IsOpen()) main_.MSComm1.Close();
  commitBusy_ = false;
}

void CommitSteps::Message(const std::string& text, const std::string& title) {
  services_.messages.Show(text, title, ui::MessageButtons::Ok);
}

}  // namespace gw20::pages
