#pragma once
// Small helpers the views share: make a widget under its parent, name it
// after its model (tests and style sheets find it by that name) and bind it.

#include <QLabel>
#include <QString>
#include <QWidget>
#include <initializer_list>

#include "platform/ui/control.h"
#include "platform/widgets/binder.h"

class QBoxLayout;
class QGroupBox;

namespace gw20::pages {
class EdsPage;
}

namespace gw20::appqt {

// Creates a W child of `parent`, named and bound to `model`. The widget is
// parented before it is bound, so a visible model never makes it a window.
template <typename W, typename M>
W& MakeBound(QWidget& parent, M& model) {
  auto* widget = new W(&parent);  // owned by `parent`
  widget->setObjectName(QString::fromStdString(model.Name()));
  qtui::Bind(*widget, model);
  return *widget;
}

// A picture label that takes the room its layout gives it (at least
// `minWidthTwips` x `minHeightTwips`) instead of growing with its pixmap.
QLabel& MakePicture(QWidget& parent, ui::Picture& model, int minWidthTwips, int minHeightTwips);

// Keeps the widget's place in its layout while it is hidden, so the panels
// do not jump when the form shows and hides fields.
void KeepPlaceWhenHidden(QWidget& widget);

// A fixed-pitch font, so list entries padded with blanks line up.
void UseFixedPitch(QWidget& widget);

// A configuration page's "EDS File Information" box: the two texts, each
// beside its label.
QGroupBox& MakeEdsRegion(QWidget& page, pages::EdsPage& form);

// A configuration page's foot: its viewer buttons in a row, then Back and
// Finish at the right, Finish the default button.
void AddPageButtons(QBoxLayout& column, QWidget& page, std::initializer_list<ui::Button*> viewers,
                    ui::Button& back, ui::Button& finish);

}  // namespace gw20::appqt
