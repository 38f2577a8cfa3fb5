#pragma once
// What both configuration pages are made of besides their own settings: the
// EDS information region, the module viewer, the message boxes and the
// commit steps, with the way a commit runs. A page derives from it and adds
// its profile's controls, viewers and image.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "eds/commit_steps.h"
#include "eds/eds_info.h"
#include "eds/main_window_link.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::ui {
struct Services;
}
namespace gw20::link {
struct ConsoleState;
}
namespace gw20::modules {
struct ModuleTable;
class ShowZelkInfo;
}  // namespace gw20::modules

namespace gw20::eds {

class EdsPage : public ui::Form {
 public:
  ~EdsPage() override;

  ui::Frame EDSRegion;                 // "EDS File Information"
  std::array<ui::TextBox, 2> EDSInfo;  // kEdsDescription, kEdsCreator
  ui::Label Label6, Label5;            // "Description:", "Created By:"

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

  // Names and captions of the EDS information region.
  void NameEdsRegion();
  void CaptionEdsRegion();
  // The operator's two texts, as typed.
  void TakeEdsInfo(EdsInfo& eds) const;
  void ShowZelkViewer();
  void CloseZelkViewer();
  // Runs the page's commit steps in order. A run-time error must not leave
  // the port open and every later commit refused: it is reported by its own
  // description, like a failed connect. A staged EDS file the steps did not
  // place is removed. On success the status says so.
  bool RunCommit(const std::function<bool()>& steps);
  void Message(const std::string& text, const std::string& title = {});

  ui::Services& services_;
  MainWindowLink main_;
  CommitSteps steps_;

 private:
  const modules::ModuleTable& modules_;
  std::unique_ptr<modules::ShowZelkInfo> zelk_;
};

}  // namespace gw20::eds
