#pragma once
// Binds control models to Qt widgets: a model change updates the widget, an
// operator action on the widget calls the model's event. A form's Qt view is
// then only layout: create widgets, place them, Bind each to its model.
// A binding lives as long as the widget; the model must outlive the widget
// (forms release their views when they unload or are destroyed).
// Text crosses the edge as Latin-1, the models' 8-bit text (latin1.h).

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTableWidget;
class QWidget;

namespace gw20::ui {
class Button;
class ComboBox;
class Form;
class Frame;
class Grid;
class Label;
class Menu;
class OptionButton;
class Picture;
class ProgressBar;
class TabStrip;
class TextBox;
class ToggleButton;
}  // namespace gw20::ui

namespace gw20::qtui {

void Bind(QLabel& widget, ui::Label& model);
void Bind(QGroupBox& widget, ui::Frame& model);
void Bind(QPushButton& widget, ui::Button& model);
// A checkable push button whose palette shows the model's back colour.
void Bind(QPushButton& widget, ui::ToggleButton& model);
void Bind(QRadioButton& widget, ui::OptionButton& model);
void Bind(QComboBox& widget, ui::ComboBox& model);
void Bind(QLineEdit& widget, ui::TextBox& model);
// Shows the picture resource named by the model (SVG or bitmap), scaled to
// the label's size with its aspect ratio kept.
void BindPicture(QLabel& widget, ui::Picture& model);
void Bind(QProgressBar& widget, ui::ProgressBar& model);
void Bind(QAction& action, ui::Menu& model);
void Bind(QTabBar& widget, ui::TabStrip& model);
// Rows, columns, fixed rows as header rows, cell texts, column widths
// (twips) and alignments; read-only for the operator.
void Bind(QTableWidget& widget, ui::Grid& model);

// A top-level window: caption, size and position in twips, enabled state.
// Closing the window by its frame asks the model to Unload; a cancelled
// unload keeps it open.
void BindWindow(QWidget& window, ui::Form& model);

// Twips to pixels at the widget's logical DPI (twips x dpi / 1440).
int TwipsToPixels(int twips, const QWidget& widget);

}  // namespace gw20::qtui
