#include "platform/widgets/binder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/tabstrip.h"  // the grid
#include "platform/widgets/binding.h"

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

}  // namespace
}  // namespace gw20::qtui
