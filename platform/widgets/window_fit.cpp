#include "platform/widgets/window_fit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMargins>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace gw20::qtui {
namespace {

// Icon, minimise, maximise and close, each about a title bar's height wide.
constexpr int kTitleBarButtons = 4;

// Asks for the content's own minimum and preferred size, so it decides the
// window's size while there is room; and tells the window's layout whenever
// the content's needs change (panels shown or hidden).
class ContentScroller : public QScrollArea {
 public:
  explicit ContentScroller(QWidget& parent) : QScrollArea(&parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // Only the content's own controls take part in the focus chain.
    setFocusPolicy(Qt::NoFocus);
  }

  QSize minimumSizeHint() const override {
    return widget() != nullptr ? WithFrame(widget()->minimumSizeHint()) : QScrollArea::minimumSizeHint();
  }
  QSize sizeHint() const override {
    return widget() != nullptr ? WithFrame(widget()->sizeHint()) : QScrollArea::sizeHint();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::eventFilter(watched, event);
  }

 private:
  QSize WithFrame(QSize content) const {
    const int frame = 2 * frameWidth();
    return content + QSize(frame, frame);
  }
};

QRect AvailableArea(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen == nullptr ? QRect() : screen->availableGeometry();
}

// The frame the window manager adds; estimated from the style until the
// window is shown and decorated.
QMargins FrameMargins(const QWidget& window) {
  if (window.windowFlags().testFlag(Qt::FramelessWindowHint)) return {};
  if (const QWindow* handle = window.windowHandle(); handle != nullptr && handle->isVisible()) {
    const QMargins real = handle->frameMargins();
    if (!real.isNull()) return real;
  }
  const QStyle* style = window.style();
  const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
  const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
  return {border, title, border, border};
}

// The room the window itself may take: the available area less the frame.
QSize Room(const QWidget& window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return {};
  return area.size().shrunkBy(FrameMargins(window)).expandedTo(QSize(1, 1));
}

// Where the frame's top-left may go along one axis so the frame stays inside
// [first, first + length); the start of the area when it is too long.
int Clamp(int wanted, int extent, int first, int length) {
  return std::max(first, std::min(wanted, first + length - extent));
}

}  // namespace

QWidget& MakeScrolledContent(QWidget& window) {
  auto* scroller = new ContentScroller(window);  // owned by the window
  auto* content = new QWidget;                   // owned by the scroller once set
  scroller->setWidget(content);
  if (auto* main = qobject_cast<QMainWindow*>(&window)) {
    main->setCentralWidget(scroller);
  } else {
    auto* fill = new QVBoxLayout(&window);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroller);
  }
  return *content;
}

void LimitMinimumSize(QWidget& window) {
  QSize least = window.minimumSizeHint().expandedTo(QSize(0, 0));  // invalid without a layout
  least.setWidth(std::max(least.width(), TitleBarWidth(window)));
  const QSize room = Room(window);
  if (room.isValid()) {
    // Content scrolled one way needs the other way's room for the scroll bar.
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
    const QSize content = least;
    if (content.height() > room.height()) least.rwidth() += bar;
    if (content.width() > room.width()) least.rheight() += bar;
    least = least.boundedTo(room);
  }
  // Both directions are set, so the layout keeps this minimum rather than its own.
  if (window.minimumSize() != least) window.setMinimumSize(least);
}

QSize FitToScreen(const QWidget& window, QSize size) {
  const QSize room = Room(window);
  return room.isValid() ? size.boundedTo(room) : size;
}

void PlaceOnScreen(QWidget& window, QPoint topLeft) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) {
    window.move(topLeft);
    return;
  }
  const QSize framed = window.size().grownBy(FrameMargins(window));
  window.move(Clamp(topLeft.x(), framed.width(), area.left(), area.width()),
              Clamp(topLeft.y(), framed.height(), area.top(), area.height()));
}

void CentreOnScreen(QWidget& window) {
  const QRect area = AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize framed = window.size().grownBy(FrameMargins(window));
  PlaceOnScreen(window, {area.left() + (area.width() - framed.width()) / 2,
                         area.top() + (area.height() - framed.height()) / 2});
}

int TitleBarWidth(const QWidget& window) {
  if (window.windowFlags().testFlag(Qt::FramelessWindowHint)) return 0;
  // The platform's title font where it tells one (else the program's font),
  // bold as most window managers draw titles.
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const int buttons =
      kTitleBarButtons * window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
  return QFontMetrics(font, &window).horizontalAdvance(window.windowTitle()) + buttons;
}

}  // namespace gw20::qtui
