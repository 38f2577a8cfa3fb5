#pragma once
// What both configuration pages are made of besides their own settings: the
// EDS information region, the module viewer, the message boxes and the
// commit run. A page derives from it and adds its profile's controls,
// viewers, image and file.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "eds/eds_info.h"
#include "modules/modules_fwd.h"
#include "pages/commit_steps.h"
#include "pages/main_window_link.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"

// Declared with the commit steps: ui::Services, link::ConsoleState, link::EepromImage.
namespace gw20::modules {
class ShowZelkInfo;
}  // namespace gw20::modules

namespace gw20::pages {

// What Finish would commit: the image is in the state, the file here.
struct PreparedCommit {
  std::string fileName;  // in the program's folder
  std::string fileText;
};

class EdsPage : public ui::Form {
 public:
  ~EdsPage() override;

  // What Finish would commit with the choices now made, built the way Finish
  // builds it, without sending anything or touching a file: the page takes
  // its boxes as Finish does, the EEPROM image goes into the state and the
  // EDS file's name and text come back. Nullopt when Finish would refuse
  // (the page has said why). The offline EDS file, a plan's apply and its
  // records use this, so a commit has one path.
  std::optional<PreparedCommit> PrepareCommit();

  ui::Frame EDSRegion{"EDSRegion"};              // "EDS File Information"
  std::array<ui::TextBox, 2> EDSInfo;            // eds::kEdsDescription, eds::kEdsCreator
  ui::Label Label6{"Label6"}, Label5{"Label5"};  // "Description:", "Created By:"

  // Closes the console port if it is open and clears CommitBusy.
  void ProcessError() { steps_.ProcessError(); }
  // The main window is going away: closing the page must not show it again.
  void DetachMainWindow() { main_.ShowMainWindow = nullptr; }
  // The module viewer, null until first opened.
  modules::ShowZelkInfo* ZelkViewer() const { return zelk_.get(); }

 protected:
  // Everything must outlive the page.
  EdsPage(std::string name, ui::Services& services, MainWindowLink main, const modules::ModuleTable& modules,
          link::ConsoleState& console, bool& CommitBusy);

  // Names of the EDS information texts, captions of the region.
  void NameEdsRegion();
  void CaptionEdsRegion();
  // The operator's two texts, as typed.
  void TakeEdsInfo(eds::EdsInfo& eds) const;
  void ShowZelkViewer();
  void CloseZelkViewer();

  // The commit: BuildImage, the EDS file staged in the program's folder (so
  // a folder that cannot take it stops the commit before anything is sent),
  // the port opened, `image` written (block 1 too with `deviceNetBlock`), the
  // port closed and the file put in place. A failed step has shown its
  // message; a run-time error is reported by its own description, like a
  // failed connect, and does not leave the port open. A staged file that
  // was not placed is removed. On success the status says so. CommitBusy
  // must be set by the caller.
  bool Commit(link::EepromImage& image, bool deviceNetBlock);
  // The profile's parts of it. TakeChoices takes what Finish takes from the
  // boxes (false, with the page's message, for a value it refuses).
  // BuildImage shows its message and clears CommitBusy when it fails.
  virtual bool TakeChoices() = 0;
  virtual bool BuildImage() = 0;
  // The EDS file's name in the program's folder and its whole text, from
  // the values BuildImage stored.
  virtual std::string EdsFileName() const = 0;
  virtual std::string EdsFileText() = 0;
  // A step failed that Finish may be pressed again after: the file could
  // not be staged (nothing was sent) or not be placed (the EEPROM holds
  // the new image, only the file is missing).
  virtual void CommitRetryable() {}

  void Message(const std::string& text, const std::string& title = {});

  ui::Services& services_;
  MainWindowLink main_;

 private:
  bool StageEdsFile();
  bool PlaceEdsFile();

  CommitSteps steps_;
  const modules::ModuleTable& modules_;
  std::unique_ptr<modules::ShowZelkInfo> zelk_;
};

}  // namespace gw20::pages
