// The form host's windows follow their forms. A window keeps its form's size
// in twips while that fits and may grow, but never past the screen's
// available area: then it shrinks, centred, and scrolls.
#include "platform/widgets/qt_form_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/form.h"
#include "platform/widgets/window_fit.h"

namespace gw20::qtui {
namespace {

// A form of the given size in twips, centred when it loads, as dialogs are.
class SizedForm : public ui::Form {
 public:
  SizedForm(ui::FormHost& host, int widthTwips, int heightTwips, std::string name = "SizedForm")
      : ui::Form(std::move(name), host) {
    SetSize(widthTwips, heightTwips);
  }
  bool refuseUnload = false;

 protected:
  void Form_Load() override { CentreOnScreen(); }
  void Form_Unload(int& Cancel) override { Cancel = refuseUnload ? 1 : 0; }
};

class QtFormHostTest : public ::testing::Test {
 protected:
  QtFormHostTest() {
    host.Register<SizedForm>([this](SizedForm&) {
      auto view = std::make_unique<QWidget>();
      QWidget& content = MakeScrolledContent(*view);
      block = new QWidget(&content);  // owned by the content
      block->setMinimumSize(need);
      (new QVBoxLayout(&content))->addWidget(block);
      return view;
    });
  }

  static void Settle() {
    for (int pass = 0; pass < 3; ++pass) {
      QApplication::sendPostedEvents();
      QApplication::processEvents();
    }
  }
  static void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
  static bool Scrolls(const QWidget& view) {
    const auto* scroller = view.findChild<QScrollArea*>();
    return scroller->horizontalScrollBar()->isVisible() || scroller->verticalScrollBar()->isVisible();
  }

  QtFormHost host;
  QSize need{10, 10};        // what the content needs, in pixels
  QWidget* block = nullptr;  // the content's one widget
};
using WindowFitTest = QtFormHostTest;

TEST_F(QtFormHostTest, ShowCloseUnloadAndDestruction_FollowTheForm) {
  SizedForm form(host, 8240, 7130);
  form.Show();
  QPointer<QWidget> view = host.ViewOf(form);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->width(), 8240 * view->logicalDpiX() / 1440);

  form.refuseUnload = true;
  EXPECT_FALSE(view->close());
  EXPECT_TRUE(view->isVisible());
  form.refuseUnload = false;
  EXPECT_TRUE(view->close());
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(host.ViewOf(form), nullptr);
  RunDeferredDeletes();
  EXPECT_TRUE(view.isNull());

  form.Show();  // a fresh view after an unload
  view = host.ViewOf(form);
  ASSERT_NE(view, nullptr);
  QTimer::singleShot(0, [&] { form.Hide(); });
  form.Show(true);  // returns only because the hide ends the modal loop
  EXPECT_FALSE(view->isVisible());
  EXPECT_EQ(view->windowModality(), Qt::NonModal);

  // A form destroyed while shown releases its view.
  {
    SizedForm shortLived(host, 8240, 7130, "ShortLived");
    shortLived.Show();
    view = host.ViewOf(shortLived);
  }
  RunDeferredDeletes();
  EXPECT_TRUE(view.isNull());
}

TEST_F(WindowFitTest, FarLargerThanTheScreen_OpensInsideItCentredAndScrolls) {
  need = Available().size() * 2;
  SizedForm form(host, 200000, 150000);
  form.Show();
  Settle();
  const QWidget& view = *host.ViewOf(form);
  EXPECT_TRUE(Available().contains(view.frameGeometry())) << view.frameGeometry().width();
  EXPECT_LE((view.frameGeometry().center() - Available().center()).manhattanLength(), 2);
  EXPECT_TRUE(Scrolls(view));
}

TEST_F(WindowFitTest, RoomEnough_KeepsTheTwipsSize_GrowsOnlyUpToTheScreen) {
  SizedForm form(host, 2880, 1440);  // two inches by one
  form.Show();
  Settle();
  QWidget& view = *host.ViewOf(form);
  EXPECT_EQ(view.size(), QSize(2 * view.logicalDpiX(), view.logicalDpiY()));
  EXPECT_FALSE(Scrolls(view));

  // Panels shown after opening may grow it, but only up to the screen's
  // edges (growing to a long title is ScanDialogViewTest's).
  block->setMinimumSize(Available().size() * 2);
  Settle();
  EXPECT_TRUE(Available().contains(view.frameGeometry()));
  EXPECT_TRUE(Scrolls(view));
}

}  // namespace
}  // namespace gw20::qtui
