// A window keeps its form's size in twips while that fits and may grow, but
// never past the screen's available area: then it shrinks, centred, and scrolls.

#include "platform/widgets/window_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <memory>

#include "platform/ui/form.h"
#include "platform/widgets/qt_form_host.h"

namespace gw20::qtui {
namespace {

// A form of the given size in twips, centred when it loads, as dialogs are.
class SizedForm : public ui::Form {
 public:
  SizedForm(ui::FormHost& host, int widthTwips, int heightTwips) : ui::Form("SizedForm", host) {
    SetSize(widthTwips, heightTwips);
  }

 protected:
  void Form_Load() override { CentreOnScreen(); }
};

class WindowFitTest : public ::testing::Test {
 protected:
  WindowFitTest() {
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
  static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
  static bool Scrolls(const QWidget& view) {
    const auto* scroller = view.findChild<QScrollArea*>();
    return scroller->horizontalScrollBar()->isVisible() || scroller->verticalScrollBar()->isVisible();
  }

  QtFormHost host;
  QSize need{10, 10};        // what the content needs, in pixels
  QWidget* block = nullptr;  // the content's one widget
};

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
