#include "app/logo.h"

#include <string>

#include "app/program_info.h"

namespace gw20::app {

Logo::Logo(ui::FormHost& host) : ui::Form("Logo", host) {
  MakerLabel.SetName("MakerLabel");
  ReleaseLabel.SetName("ReleaseLabel");
  ProgramLabel.SetName("ProgramLabel");
  LogoImage[0].SetName("LogoImage(0)");
  LogoImage[1].SetName("LogoImage(1)");
  MakerLabel.SetCaption(std::string(kMakerName) + "\n" + std::string(kProgramName));
  ReleaseLabel.SetCaption(std::string(kRelease));
  ProgramLabel.SetCaption(std::string(kProgramName));
  LogoImage[0].SetSource(std::string(kPictureGW20M));
  LogoImage[1].SetSource(std::string(kPictureModules));
  SetSize(kLogoWidth, kLogoHeight);
}

}  // namespace gw20::app
