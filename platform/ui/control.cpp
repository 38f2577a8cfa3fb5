#include "platform/ui/control.h"

#include <algorithm>

namespace gw20::ui {

void Control::SetVisible(bool visible) { Assign(visible_, visible); }
void Control::SetEnabled(bool enabled) { Assign(enabled_, enabled); }

int Control::Observe(Observer observer) {
  const int id = nextObserverId_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void Control::Unobserve(int id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void Control::NotifyChanged() {
  // Copy first: an observer may unobserve while being notified.
  const auto observers = observers_;
  for (const auto& [id, observer] : observers) {
    if (observer) observer();
  }
}

void Button::Press() {
  if (!Usable()) return;
  if (OnMouseUp) OnMouseUp();
  if (OnClick) OnClick();
}

void Button::MouseUp() {
  if (Usable() && OnMouseUp) OnMouseUp();
}

void ToggleButton::Toggle() {
  if (!Usable()) return;
  SetValue(!Value());
  if (OnMouseUp) OnMouseUp(kLeftButton, 0, 330, 330);
}

void OptionButton::Choose() {
  if (!Usable()) return;
  SetValue(true);
  if (OnClick) OnClick();
}

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  NotifyChanged();
}

void ComboBox::Clear() {
  if (items_.empty() && listIndex_ == -1) return;
  items_.clear();
  listIndex_ = -1;
  NotifyChanged();
}

void ComboBox::SetListIndex(int index) { Assign(listIndex_, index >= 0 && index < ListCount() ? index : -1); }

std::string ComboBox::Text() const { return listIndex_ >= 0 ? items_[listIndex_] : std::string(); }

void ComboBox::Pick(int index) {
  if (!Usable()) return;
  SetListIndex(index);
  if (OnClick) OnClick();
}

void TextBox::Type(std::string text) {
  if (!Usable() || locked_) return;
  SetText(std::move(text));
  if (OnChange) OnChange();
}

void Menu::Press() {
  if (!Usable()) return;
  if (OnClick) OnClick();
}

void ProgressBar::SetRange(int min, int max) {
  if (min_ == min && max_ == max) return;
  min_ = min;
  max_ = std::max(min, max);
  value_ = std::clamp(value_, min_, max_);
  NotifyChanged();
}

void ProgressBar::SetValue(int value) { Assign(value_, std::clamp(value, min_, max_)); }

}  // namespace gw20::ui
