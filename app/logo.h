#pragma once
// The splash window shown for a second at start-up. No buttons.

#include <array>

#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::app {

inline constexpr int kLogoWidth = 6000;   // twips
inline constexpr int kLogoHeight = 3600;  // twips

class Logo : public ui::Form {
 public:
  explicit Logo(ui::FormHost& host);

  ui::Label MakerLabel;                  // maker's name and program name
  ui::Label ReleaseLabel;                // "Release revision: ver 2.1"
  ui::Label ProgramLabel;                // program name
  std::array<ui::Picture, 2> LogoImage;  // controller, modules
};

}  // namespace gw20::app
