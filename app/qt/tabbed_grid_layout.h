#pragma once
// The layout the CANopen viewers share: a frame filling the window, and in it
// a tab strip directly above its grid, both following the window's size.

class QGroupBox;
class QTabBar;
class QTableWidget;
class QWidget;

namespace gw20::appqt {

// Places `frame` (a child of `window`) to fill it, `tabs` and `grid` (children
// of `frame`) inside it. Call once, after the widgets are made.
void LayOutTabbedGrid(QWidget& window, QGroupBox& frame, QTabBar& tabs, QTableWidget& grid);

}  // namespace gw20::appqt
