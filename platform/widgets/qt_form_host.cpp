#include "platform/widgets/qt_form_host.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui/form.h"
#include "platform/widgets/binder.h"
#include "platform/widgets/binding.h"

namespace gw20::qtui {
namespace {

// Used when no screen is known (a program started without a display).
constexpr int kFallbackScreenWidthTwips = 1024 * 15;
constexpr int kFallbackScreenHeightTwips = 768 * 15;

int PixelsToTwips(int pixels, qreal dpi) { return static_cast<int>(pixels * ui::kTwipsPerInch / dpi); }

}  // namespace

struct QtFormHost::Impl {
  std::map<const ui::Form*, std::unique_ptr<QWidget>> views;
  // Modal loops now running, innermost last.
  std::vector<std::pair<const ui::Form*, QPointer<QEventLoop>>> modalLoops;

  void EndModal(const ui::Form& form) {
    for (auto& [shown, loop] : modalLoops) {
      if (shown == &form && loop) loop->quit();
    }
  }
};

QtFormHost::QtFormHost() : impl_(std::make_unique<Impl>()) {}

QtFormHost::~QtFormHost() {
  // Forms may outlive the host; their controls must not call into deleted views.
  for (auto& [form, view] : impl_->views) DetachBindings(*view);
}

void QtFormHost::Show(ui::Form& form, bool modal) {
  QWidget* window = ViewOf(form);
  if (window == nullptr) {
    const auto factory = factories_.find(std::type_index(typeid(form)));
    if (factory == factories_.end()) {
      throw std::logic_error("No view is registered for the form " + form.Name());
    }
    std::unique_ptr<QWidget> view = factory->second(form);
    if (!view) throw std::logic_error("The view factory of the form " + form.Name() + " made no view");
    BindWindow(*view, form);
    window = view.get();
    impl_->views.emplace(&form, std::move(view));
  }
  const bool alreadyModal = std::any_of(impl_->modalLoops.begin(), impl_->modalLoops.end(),
                                        [&form](const auto& entry) { return entry.first == &form; });
  if (modal && !alreadyModal) window->setWindowModality(Qt::ApplicationModal);
  window->show();
  window->raise();
  window->activateWindow();
  if (!modal || alreadyModal || !form.Visible()) return;

  QEventLoop loop;
  impl_->modalLoops.emplace_back(&form, &loop);
  loop.exec();
  impl_->modalLoops.pop_back();
  // The view is gone when the form unloaded during the loop.
  const auto remaining = impl_->views.find(&form);
  if (remaining != impl_->views.end()) remaining->second->setWindowModality(Qt::NonModal);
}

void QtFormHost::Hide(ui::Form& form) {
  const auto found = impl_->views.find(&form);
  if (found != impl_->views.end()) found->second->hide();
  impl_->EndModal(form);
}

void QtFormHost::Unloaded(ui::Form& form) {
  impl_->EndModal(form);
  const auto found = impl_->views.find(&form);
  if (found == impl_->views.end()) return;
  std::unique_ptr<QWidget> view = std::move(found->second);
  impl_->views.erase(found);
  // The form may be in its destructor: its controls die before Qt deletes
  // the view, so nothing may observe them from now on.
  DetachBindings(*view);
  view->hide();
  // Deleted later: we may be inside one of the view's own event handlers
  // (a close by the frame, a button's click).
  view.release()->deleteLater();
}

int QtFormHost::ScreenWidthTwips() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return kFallbackScreenWidthTwips;
  return PixelsToTwips(screen->availableGeometry().width(), screen->logicalDotsPerInchX());
}

int QtFormHost::ScreenHeightTwips() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return kFallbackScreenHeightTwips;
  return PixelsToTwips(screen->availableGeometry().height(), screen->logicalDotsPerInchY());
}

QWidget* QtFormHost::ViewOf(const ui::Form& form) const {
  const auto found = impl_->views.find(&form);
  return found == impl_->views.end() ? nullptr : found->second.get();
}

}  // namespace gw20::qtui
