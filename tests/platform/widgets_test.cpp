// The Qt Widgets side: bindings carry model changes to widgets and the
// operator's actions back; the form host's windows follow their forms. A
// window keeps its form's size in twips while that fits and may grow, but
// never past the screen's available area: then it shrinks, centred, and scrolls.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"  // the grid
#include "platform/widgets/binder.h"
#include "platform/widgets/binding.h"
#include "platform/widgets/qt_form_host.h"
#include "platform/widgets/window_fit.h"

namespace gw20::qtui {
namespace {

// Visibility, enabling, option buttons, locked boxes, refilled lists, tabs,
// grid cells and either side going first are pinned by the views' tests.
TEST(Binder, ModelChangesReachTheWidgets_AndOperatorActionsReachTheModels) {
  ui::Label label;
  ui::ComboBox combo;
  ui::TextBox text;
  ui::Grid grid;
  ui::Menu menu;
  int comboClicks = 0, menuClicks = 0;
  combo.OnClick = [&] { ++comboClicks; };
  menu.OnClick = [&] { ++menuClicks; };
  combo.AddItem("COM1");
  combo.AddItem("COM2");

  auto window = std::make_unique<QWidget>();
  auto* labelView = new QLabel(window.get());
  auto* comboView = new QComboBox(window.get());
  auto* textView = new QLineEdit(window.get());
  auto* gridView = new QTableWidget(window.get());
  auto* action = new QAction(window.get());
  Bind(*labelView, label);
  Bind(*comboView, combo);
  Bind(*textView, text);
  Bind(*gridView, grid);
  Bind(*action, menu);

  label.SetCaption("Status: <b>\xE9");  // plain Latin-1 text, not markup
  EXPECT_EQ(labelView->text(), QString::fromUtf8("Status: <b>\u00e9"));

  EXPECT_EQ(comboView->currentIndex(), -1);
  emit comboView->activated(1);
  EXPECT_EQ(combo.Text(), "COM2");
  EXPECT_EQ(comboClicks, 1);

  // Outside Latin-1: one "?" a character, as gw20cli converts its arguments.
  emit textView->textEdited(QString::fromUtf8("\u20ac \U0001F600"));
  EXPECT_EQ(text.Text(), "? ?");
  emit textView->textEdited(QString::fromUtf8("12\u00b0"));
  EXPECT_EQ(text.Text(), "12\xB0");
  text.SetLocked(true);
  emit textView->textEdited(QStringLiteral("99"));
  EXPECT_EQ(textView->text(), QString::fromUtf8("12\u00b0"));  // refused typing is undone

  action->trigger();
  EXPECT_EQ(menuClicks, 1);

  grid.SetRows(3);
  grid.SetTextMatrix(2, 1, "0x1800");
  QCoreApplication::processEvents();  // grid changes arrive together
  EXPECT_EQ(gridView->item(2, 1)->text(), QStringLiteral("0x1800"));
  EXPECT_FALSE(gridView->item(2, 1)->flags() & Qt::ItemIsEditable);
  window.reset();  // views go before their models, as forms release them
}

// Left: a click (mouse-up, then click). Any other button released over the
// button: its mouse-up only. Nothing while disabled or released elsewhere.
TEST(Binder, Button_AnyMouseButtonReleasedOverIt_RunsTheMouseUpHandler) {
  ui::Button model;
  std::vector<std::string> ran;
  model.OnMouseUp = [&] { ran.emplace_back("up"); };
  model.OnClick = [&] { ran.emplace_back("click"); };
  QPushButton view;
  view.resize(120, 40);
  Bind(view, model);

  QTest::mouseClick(&view, Qt::LeftButton);
  EXPECT_EQ(ran, (std::vector<std::string>{"up", "click"}));
  ran.clear();
  QTest::mouseClick(&view, Qt::RightButton);
  EXPECT_EQ(ran, std::vector<std::string>{"up"});
  ran.clear();
  QTest::mousePress(&view, Qt::RightButton);
  QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(-10, -10));
  model.SetEnabled(false);
  QTest::mouseClick(&view, Qt::RightButton);
  EXPECT_TRUE(ran.empty());
}

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
