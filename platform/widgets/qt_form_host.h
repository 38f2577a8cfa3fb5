#pragma once
// The desktop program's FormHost: creates a form's Qt view from a registered
// factory the first time the form is shown, shows and hides it, runs a local
// event loop for a modal show, and deletes the view when the form unloads.
// The host binds each new view's window to its form (BindWindow: caption,
// size, closing by the frame); factories build and bind the controls only.

#include <functional>
#include <memory>
#include <typeindex>
#include <unordered_map>

#include "platform/ui/services.h"

class QWidget;

namespace gw20::qtui {

class QtFormHost : public ui::FormHost {
 public:
  using ViewFactory = std::function<std::unique_ptr<QWidget>(ui::Form&)>;

  QtFormHost();
  ~QtFormHost() override;

  // Views for forms of type F (the dynamic type) are made by `factory`.
  // Showing a form of a type without a factory throws std::logic_error.
  template <typename F>
  void Register(std::function<std::unique_ptr<QWidget>(F&)> factory) {
    factories_[std::type_index(typeid(F))] = [factory = std::move(factory)](ui::Form& form) {
      return factory(static_cast<F&>(form));
    };
  }

  void Show(ui::Form& form, bool modal) override;
  void Hide(ui::Form& form) override;
  void Unloaded(ui::Form& form) override;
  int ScreenWidthTwips() const override;
  int ScreenHeightTwips() const override;

  // The view currently showing `form`, or nullptr (used by the renderer).
  QWidget* ViewOf(const ui::Form& form) const;

 private:
  struct Impl;
  std::unordered_map<std::type_index, ViewFactory> factories_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace gw20::qtui
