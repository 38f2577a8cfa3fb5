#pragma once
// Toolkit-free control models. A form's handlers change these models; a view
// (Qt, or none in tests) observes them and forwards the operator's actions to
// the event callbacks. Sizes are in twips (1/1440 inch).

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gw20::ui {

// Form and control sizes are in twips: 1440 to the inch.
inline constexpr int kTwipsPerInch = 1440;

// Red, green and blue, 0..255 each.
struct Rgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Base of every control: name, visibility, enabled state and change
// notification. Observers are called after any property changed.
class Control {
 public:
  using Observer = std::function<void()>;

  explicit Control(std::string name = {}) : name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Shown when the pointer rests on the control; empty: none.
  const std::string& ToolTip() const { return toolTip_; }
  void SetToolTip(std::string text) { Assign(toolTip_, std::move(text)); }

  // The frame that holds this control, or null. A control can be used by the
  // operator only while it and every frame around it are enabled and
  // visible, as in a real window.
  const Control* Container() const { return container_; }
  void SetContainer(const Control* container) { container_ = container; }
  bool Usable() const { return enabled_ && visible_ && (container_ == nullptr || container_->Usable()); }

  // Registers a callback run after every property change. Returns an id for
  // Unobserve; views unobserve when they are destroyed before the model.
  int Observe(Observer observer);
  void Unobserve(int id);
  // Expires when the control is destroyed, so a view that may outlive its
  // model (Qt deletes widgets later) can tell before touching it.
  std::weak_ptr<const void> Lifetime() const { return lifetime_; }

 protected:
  void NotifyChanged();
  template <typename T>
  void Assign(T& field, T value) {
    if (field == value) return;
    field = std::move(value);
    NotifyChanged();
  }

 private:
  std::string name_;
  const Control* container_ = nullptr;  // must outlive this control
  std::string toolTip_;
  bool visible_ = true;
  bool enabled_ = true;
  std::vector<std::pair<int, Observer>> observers_;
  int nextObserverId_ = 1;
  std::shared_ptr<const void> lifetime_ = std::make_shared<int>(0);
};

// A control with a caption: label, frame, button, option button, menu item.
class CaptionedControl : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { Assign(caption_, std::move(caption)); }

 private:
  std::string caption_;
};

class Label : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
};

// Names element i of a control array `name` + "(" + i + ")", as the
// system's control arrays are named (ComButton(0), EDSInfo(1)).
template <typename T, std::size_t N>
void NameArray(std::array<T, N>& controls, const std::string& name) {
  for (std::size_t i = 0; i < N; ++i) controls[i].SetName(name + "(" + std::to_string(i) + ")");
}

class Frame : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  // Makes this frame the container of each control; they must not outlive it.
  void Hold(std::initializer_list<Control*> controls) {
    for (Control* control : controls) control->SetContainer(this);
  }
};

// Mouse button numbers as the handlers receive them.
inline constexpr int kLeftButton = 1;

// A push button. The view calls Press() when the operator clicks it: mouse-up
// first, then click, as the handlers expect. Releasing any other mouse button
// over it is no click, but still a mouse-up: the view calls MouseUp().
class Button : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  std::function<void()> OnMouseUp;
  std::function<void()> OnClick;
  // Both do nothing while the button is disabled or hidden, like a real button.
  void Press();
  void MouseUp();
};

// A two-state toggle button with a back colour. Value true means "down".
class ToggleButton : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  bool Value() const { return value_; }
  void SetValue(bool down) { Assign(value_, down); }
  Rgb BackColor() const { return backColor_; }
  void SetBackColor(Rgb color) { Assign(backColor_, color); }
  // Mouse-up with button, shift state and position (twips), run after the
  // toggle has changed its own Value.
  std::function<void(int button, int shift, int x, int y)> OnMouseUp;
  // The operator clicks: flips Value, then runs OnMouseUp (left button, 330, 330).
  void Toggle();

 private:
  bool value_ = false;
  Rgb backColor_{192, 192, 192};
};

// An option (radio) button. Exclusivity is the handlers' job: the model
// never clears its siblings by itself.
class OptionButton : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  bool Value() const { return value_; }
  void SetValue(bool on) { Assign(value_, on); }
  std::function<void()> OnClick;
  // The operator clicks: sets Value, then runs OnClick.
  void Choose();

 private:
  bool value_ = false;
};

// A drop-down list. ListIndex -1 means no entry is selected.
class ComboBox : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& Items() const { return items_; }
  int ListCount() const { return static_cast<int>(items_.size()); }
  void AddItem(std::string item);
  void Clear();  // removes every entry and the selection
  int ListIndex() const { return listIndex_; }
  // An index outside the list selects nothing (ListIndex -1), never throws.
  void SetListIndex(int index);
  // The selected entry's text, empty when nothing is selected.
  std::string Text() const;
  // Run when the operator picks an entry (after ListIndex changed).
  std::function<void()> OnClick;
  void Pick(int index);

 private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

class TextBox : public Control {
 public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { Assign(text_, std::move(text)); }
  bool Locked() const { return locked_; }  // read-only for the operator
  void SetLocked(bool locked) { Assign(locked_, locked); }
  std::function<void()> OnChange;
  // The operator typed: sets Text, then runs OnChange.
  void Type(std::string text);

 private:
  std::string text_;
  bool locked_ = false;
};

// A picture; Source names an image resource of the program (for example
// ":/pictures/gw20m.svg"). Empty means no picture.
class Picture : public Control {
 public:
  using Control::Control;
  const std::string& Source() const { return source_; }
  void SetSource(std::string source) { Assign(source_, std::move(source)); }

 private:
  std::string source_;
};

// A menu or menu item; the view arranges menus, the model only holds the
// caption and the click.
class Menu : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  std::function<void()> OnClick;
  void Press();
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  void SetRange(int min, int max);
  // Values outside Min..Max are clamped, as a progress bar cannot show them.
  void SetValue(int value);

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
};

}  // namespace gw20::ui
