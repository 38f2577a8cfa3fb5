#pragma once
// Stands in for a profile's configuration page until that page exists: a
// caption, a note that the page is not available, and "Back", which closes it.

#include <functional>
#include <string>

#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::app {

inline constexpr int kPlaceholderWidth = 6000;   // twips
inline constexpr int kPlaceholderHeight = 2400;  // twips

class PlaceholderPage : public ui::Form {
 public:
  // `caption` names the page ("CANopen configuration").
  PlaceholderPage(std::string caption, ui::FormHost& host);

  ui::Label Notice;
  ui::Button Back;  // "Back"

  // Run after the page unloaded (Back, or closed by its frame); the main
  // window shows itself again here. Cleared by an owner that closes the page
  // for its own reasons.
  std::function<void()> OnClosed;

  void Back_Click();
  void Form_Unload(int& Cancel) override;
};

}  // namespace gw20::app
