#include "app/qt/tabbed_grid_layout.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QTabBar>
#include <QTableWidget>

namespace gw20::appqt {

void LayOutTabbedGrid(QWidget& page, QGroupBox& frame, QTabBar& tabs, QTableWidget& grid) {
  auto* column = new QVBoxLayout(&page);
  column->addWidget(&frame);
  auto* inside = new QVBoxLayout(&frame);
  // The grid hangs from the tabs, as the page of a tab strip does.
  inside->setSpacing(0);
  tabs.setExpanding(false);
  tabs.setDrawBase(true);
  inside->addWidget(&tabs);
  inside->addWidget(&grid, 1);
}

}  // namespace gw20::appqt
