#include "pages/eds_page.h"

#include <exception>
#include <utility>

#include "modules/show_zelk_info.h"
#include "platform/ui/services.h"

namespace gw20::pages {

EdsPage::EdsPage(std::string name, ui::Services& services, MainWindowLink main,
                 const modules::ModuleTable& modules, link::ConsoleState& console, bool& CommitBusy)
    : ui::Form(std::move(name), services.forms),
      services_(services),
      main_(std::move(main)),
      steps_(main_, services_, console, CommitBusy),
      modules_(modules) {}

// Out of line: the viewer is an incomplete type in the header.
EdsPage::~EdsPage() = default;

void EdsPage::NameEdsRegion() { ui::NameArray(EDSInfo, "EDSInfo"); }

void EdsPage::CaptionEdsRegion() {
  EDSRegion.SetCaption("EDS File Information");
  Label6.SetCaption("Description:");
  Label5.SetCaption("Created By:");
}

void EdsPage::TakeEdsInfo(eds::EdsInfo& eds) const {
  eds[eds::kEdsDescription] = EDSInfo[eds::kEdsDescription].Text();
  eds[eds::kEdsCreator] = EDSInfo[eds::kEdsCreator].Text();
}

void EdsPage::ShowZelkViewer() {
  if (!zelk_) zelk_ = std::make_unique<modules::ShowZelkInfo>(modules_, services_.forms);
  zelk_->Show(false);
}

void EdsPage::CloseZelkViewer() {
  if (zelk_) zelk_->Unload();
}

std::optional<PreparedCommit> EdsPage::PrepareCommit() {
  if (!TakeChoices() || !BuildImage()) return std::nullopt;
  return PreparedCommit{EdsFileName(), EdsFileText()};
}

bool EdsPage::Commit(link::EepromImage& image, bool deviceNetBlock) {
  bool done = false;
  try {
    done = BuildImage() && StageEdsFile() && steps_.OpenPort() && steps_.WriteImage(image, deviceNetBlock) &&
           PlaceEdsFile();
  } catch (const std::exception& error) {
    Message(error.what());
    ProcessError();
  }
  // Whatever stopped the commit, no staged EDS file stays behind.
  steps_.DiscardFile();
  if (done) steps_.Succeeded();
  return done;
}

bool EdsPage::StageEdsFile() {
  if (steps_.StageFile(services_.folder.Path() / EdsFileName(), EdsFileText())) return true;
  CommitRetryable();
  return false;
}

bool EdsPage::PlaceEdsFile() {
  // The controller has its image by now.
  steps_.ClosePort();
  if (steps_.PlaceFile()) return true;
  CommitRetryable();
  return false;
}

void EdsPage::Message(const std::string& text, const std::string& title) {
  services_.messages.Show(text, title, ui::MessageButtons::Ok);
}

}  // namespace gw20::pages
