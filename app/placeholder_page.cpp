#include "app/placeholder_page.h"

#include <utility>

namespace gw20::app {

PlaceholderPage::PlaceholderPage(std::string caption, ui::FormHost& host)
    : ui::Form("PlaceholderPage", host) {
  Notice.SetName("Notice");
  Back.SetName("Back");
  SetCaption(std::move(caption));
  Notice.SetCaption("This configuration page is not available in this version.");
  Back.SetCaption("Back");
  Back.OnClick = [this] { Back_Click(); };
  SetSize(kPlaceholderWidth, kPlaceholderHeight);
}

void PlaceholderPage::Back_Click() { Unload(); }

void PlaceholderPage::Form_Unload(int& Cancel) {
  (void)Cancel;
  if (OnClosed) OnClosed();
}

}  // namespace gw20::app
