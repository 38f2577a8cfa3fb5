#include "platform/widgets/binding.h"

#include <QMetaObject>

#include "platform/ui/control.h"

namespace gw20::qtui {

Binding::Binding(QObject& owner, ui::Control& model, std::function<void()> sync)
    : QObject(&owner), model_(&model), lifetime_(model.Lifetime()), sync_(std::move(sync)) {
  sync_();
  observerId_ = model.Observe([this] { OnModelChanged(); });
}

Binding::~Binding() { Detach(); }

void Binding::Detach() {
  if (model_ == nullptr) return;
  // A model already destroyed has no observers left to remove.
  if (!lifetime_.expired()) model_->Unobserve(observerId_);
  model_ = nullptr;
}

void Binding::Resync() const {
  if (Model() != nullptr) sync_();
}

void Binding::OnModelChanged() {
  if (!deferred_) {
    sync_();
    return;
  }
  if (pending_) return;
  pending_ = true;
  // Queued on this object: dropped if the widget is deleted first.
  QMetaObject::invokeMethod(
      this,
      [this] {
        pending_ = false;
        Resync();
      },
      Qt::QueuedConnection);
}

void DetachBindings(QObject& root) {
  if (auto* own = dynamic_cast<Binding*>(&root)) own->Detach();
  // findChildren<Binding*> would need moc; the tree is small, so walk it.
  for (QObject* child : root.findChildren<QObject*>()) {
    if (auto* binding = dynamic_cast<Binding*>(child)) binding->Detach();
  }
}

}  // namespace gw20::qtui
