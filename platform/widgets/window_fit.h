#pragma once
// How a top-level window fits the screen it opens on. A window takes the size
// its form asks for, grown to show its content and its title, as long as that
// fits the available area of its screen with the frame; otherwise it shrinks
// to fit and its content scrolls. Sizes and positions are in pixels.

class QPoint;
class QSize;
class QWidget;

namespace gw20::qtui {

// The widget a window's content goes in (give it the layout). It sits in a
// scroll area that fills the window, or is the central widget of a
// QMainWindow, so a window smaller than its content scrolls the content
// instead of squeezing it. The scroll area asks for the content's minimum
// size, so a window with room enough never shows scroll bars. The window
// must have no layout yet.
QWidget& MakeScrolledContent(QWidget& window);

// Sets the window's minimum size to what its layout and its title need, but
// no more than the available area of its screen less the frame. Qt grows a
// smaller window to it.
void LimitMinimumSize(QWidget& window);

// `size` (the window without its frame) bounded so the framed window fits
// the available area of the window's screen; unchanged when no screen is known.
QSize FitToScreen(const QWidget& window, QSize size);

// Moves the window so its frame's top-left is at `topLeft`, shifted as
// little as needed to keep the frame inside the available area.
void PlaceOnScreen(QWidget& window, QPoint topLeft);

// Centres the framed window, at the size it has now, on the available area.
void CentreOnScreen(QWidget& window);

// Width the window needs for its whole title in the title bar: the caption in
// the title-bar font and room for the icon and frame buttons (an estimate:
// the window manager draws them). 0 for a window without a frame.
int TitleBarWidth(const QWidget& window);

}  // namespace gw20::qtui
