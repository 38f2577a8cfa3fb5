#pragma once
// The layout the tabbed viewers share: a frame filling the window's content,
// and in it a tab strip directly above its grid, both following its size.

class QGroupBox;
class QTabBar;
class QTableWidget;
class QWidget;

namespace gw20::appqt {

// Places `frame` (a child of `page`, the window's content) to fill it, `tabs`
// and `grid` (children of `frame`) inside it. Call once, after the widgets
// are made.
void LayOutTabbedGrid(QWidget& page, QGroupBox& frame, QTabBar& tabs, QTableWidget& grid);

}  // namespace gw20::appqt
