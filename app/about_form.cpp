#include "app/about_form.h"

#include <string>

#include "app/program_info.h"

namespace gw20::app {

AboutForm::AboutForm(ui::FormHost& host) : ui::Form("AboutForm", host) {
  Frame1.SetName("Frame1");
  SupportLabel.SetName("SupportLabel");
  ProgramLabel.SetName("ProgramLabel");
  VersionLabel.SetName("VersionLabel");
  DateLabel.SetName("DateLabel");
  Picture1.SetName("Picture1");
  Command1.SetName("Command1");
  SetCaption(std::string(kProgramName));
  Frame1.SetCaption("Support");
  SupportLabel.SetCaption(std::string(kSupportText));
  ProgramLabel.SetCaption(std::string(kProgramName));
  VersionLabel.SetCaption(std::string(kAboutVersion));
  DateLabel.SetCaption(std::string(kAboutDate));
  Picture1.SetSource(std::string(kPictureGW20M));
  Command1.SetCaption("OK");
  Command1.OnClick = [this] { Command1_Click(); };
  SetSize(kAboutWidth, kAboutHeight);
}

void AboutForm::Command1_Click() { Unload(); }

}  // namespace gw20::app
