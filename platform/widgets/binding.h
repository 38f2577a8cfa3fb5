#pragma once
// The link between one widget (or action) and one control model, owned by
// the widget as a Qt child. It observes the model while attached and stops
// when the widget goes or when the form's host detaches it: a form unloading
// in its destructor must not be called back by a view Qt deletes later.

#include <QObject>
#include <functional>
#include <memory>

namespace gw20::ui {
class Control;
}

namespace gw20::qtui {

class Binding : public QObject {
 public:
  // Runs `sync` now and after every change of `model`. The binding becomes a
  // child of `owner` and dies with it.
  Binding(QObject& owner, ui::Control& model, std::function<void()> sync);
  ~Binding() override;
  Binding(const Binding&) = delete;
  Binding& operator=(const Binding&) = delete;

  // The model, or nullptr once detached: handlers of operator actions check
  // it before calling the model.
  ui::Control* Model() const { return lifetime_.expired() ? nullptr : model_; }
  // Stops observing; the widget keeps its last state. Idempotent.
  void Detach();
  // Runs the sync now (used after an operator action the model rejected).
  void Resync() const;

  // Deferred: a burst of changes becomes one sync, run from the event loop
  // (grids change cell by cell; rebuilding on each cell would be quadratic).
  void SetDeferred(bool deferred) { deferred_ = deferred; }

 private:
  void OnModelChanged();

  ui::Control* model_;
  std::weak_ptr<const void> lifetime_;
  std::function<void()> sync_;
  int observerId_ = 0;
  bool deferred_ = false;
  bool pending_ = false;
};

// Detaches every binding in the object tree of `root`, including bindings of
// `root` itself.
void DetachBindings(QObject& root);

}  // namespace gw20::qtui
