#include "platform/widgets/binder.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <memory>

#include "platform/qt/latin1.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"
#include "platform/widgets/binding.h"
#include "platform/widgets/window_fit.h"

namespace gw20::qtui {
namespace {

// Header cells of a grid, as the classic fixed rows looked.
const QColor kFixedCellColor(192, 192, 192);

int TwipsToPixelsY(int twips, const QWidget& widget) {
  return static_cast<int>(static_cast<long long>(twips) * widget.logicalDpiY() / ui::kTwipsPerInch);
}

void SyncCommon(QWidget& widget, const ui::Control& model) {
  widget.setVisible(model.Visible());
  widget.setEnabled(model.Enabled());
  widget.setToolTip(ToQString(model.ToolTip()));
}

Qt::Alignment ToQt(ui::Alignment alignment) {
  switch (alignment) {
    case ui::Alignment::Center:
      return Qt::AlignCenter;
    case ui::Alignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ui::Alignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// Draws the model's picture into the label; redrawn when the label resizes,
// so the picture always fills it with its aspect ratio kept.
class PictureBinding : public Binding {
 public:
  PictureBinding(QLabel& label, ui::Picture& model)
      : Binding(label, model, [&label, &model] { Sync(label, model); }) {
    label.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) Resync();
    return QObject::eventFilter(watched, event);
  }

 private:
  static void Sync(QLabel& label, const ui::Picture& model) {
    SyncCommon(label, model);
    label.setAlignment(Qt::AlignCenter);
    label.setPixmap(Render(ToQString(model.Source()), label.size(), label.devicePixelRatioF()));
  }

  // Drawn at the screen's device pixels so pictures stay sharp on high-DPI
  // screens. An empty or unreadable source shows nothing rather than failing.
  static QPixmap Render(const QString& source, QSize area, qreal ratio) {
    if (source.isEmpty() || area.isEmpty()) return {};
    const QSize device = area * ratio;
    QPixmap pixmap;
    if (source.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
      QSvgRenderer renderer(source);
      if (!renderer.isValid()) return {};
      pixmap = QPixmap(renderer.defaultSize().scaled(device, Qt::KeepAspectRatio));
      pixmap.fill(Qt::transparent);
      QPainter painter(&pixmap);
      renderer.render(&painter);
    } else {
      const QPixmap bitmap(source);
      if (bitmap.isNull()) return {};
      pixmap = bitmap.scaled(device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
  }
};

// A left click is Qt's clicked signal; the release of any other mouse button
// over the button, which Qt ignores, reaches the model's mouse-up handler.
class ButtonBinding : public Binding {
 public:
  ButtonBinding(QPushButton& widget, ui::Button& model)
      : Binding(widget, model,
                [&widget, &model] {
                  SyncCommon(widget, model);
                  widget.setText(ToQString(model.Caption()));
                }),
        model_(model) {
    widget.installEventFilter(this);
    QObject::connect(&widget, &QPushButton::clicked, this, [this] {
      if (Model() != nullptr) model_.Press();
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonRelease || Model() == nullptr) {
      return QObject::eventFilter(watched, event);
    }
    const auto* release = static_cast<QMouseEvent*>(event);
    const auto& button = static_cast<QWidget&>(*watched);
    if (release->button() == Qt::LeftButton || !button.rect().contains(release->position().toPoint())) {
      return QObject::eventFilter(watched, event);
    }
    model_.MouseUp();
    return true;
  }

 private:
  ui::Button& model_;
};

// Size and position are applied only when the model's change, so a window
// the operator resized keeps its size while the caption changes.
struct AppliedGeometry {
  QSize size{-1, -1};
  QPoint position{-1, -1};
  bool centred = false;
};

// A centred form stays centred at the size its window really has, which the
// layout or the screen may have changed from the size in twips.
void PlaceWindow(QWidget& window, const ui::Form& model) {
  if (model.Centred()) {
    CentreOnScreen(window);
  } else {
    PlaceOnScreen(window, {TwipsToPixels(model.Left(), window), TwipsToPixelsY(model.Top(), window)});
  }
}

void SyncWindow(QWidget& window, const ui::Form& model, AppliedGeometry& applied) {
  window.setWindowTitle(ToQString(model.Caption()));
  window.setEnabled(model.Enabled());
  LimitMinimumSize(window);  // the caption may need a wider window
  const QSize size(model.Width(), model.Height());
  const QPoint position(model.Left(), model.Top());
  if (size == applied.size && position == applied.position && model.Centred() == applied.centred) return;
  if (size != applied.size) {
    window.resize(
        FitToScreen(window, {TwipsToPixels(model.Width(), window), TwipsToPixelsY(model.Height(), window)}));
  }
  applied = {size, position, model.Centred()};
  PlaceWindow(window, model);
}

// Turns a close by the window frame into Form::Unload; a cancelled unload
// swallows the close so the window stays. Keeps the window on its screen
// whenever it is shown or its content's needs change.
class WindowBinding : public Binding {
 public:
  WindowBinding(QWidget& window, ui::Form& model)
      : Binding(window, model,
                [&window, &model, applied = std::make_shared<AppliedGeometry>()] {
                  SyncWindow(window, model, *applied);
                }),
        window_(window) {
    window.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &window_ || Model() == nullptr) return QObject::eventFilter(watched, event);
    auto& form = static_cast<ui::Form&>(*Model());
    switch (event->type()) {
      case QEvent::Close:
        if (form.Unload()) return false;
        event->ignore();
        return true;
      case QEvent::LayoutRequest: {
        // A window grown for its content is moved back onto the screen.
        const QSize before = window_.size();
        LimitMinimumSize(window_);
        if (window_.isVisible() && window_.size() != before) PlaceOnScreen(window_, window_.pos());
        break;
      }
      case QEvent::Show:
        if (event->spontaneous()) break;  // restored by the window system: left where it was
        // The layout has its final say only now, with the style applied.
        LimitMinimumSize(window_);
        window_.resize(FitToScreen(window_, window_.size()));
        if (form.Centred()) {
          CentreOnScreen(window_);
        } else {
          PlaceOnScreen(window_, window_.pos());
        }
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget& window_;
};

void SyncGrid(QTableWidget& table, const ui::Grid& model) {
  SyncCommon(table, model);
  table.setRowCount(model.Rows());
  table.setColumnCount(model.Cols());
  for (int col = 0; col < model.Cols(); ++col) {
    table.setColumnWidth(col, TwipsToPixels(model.ColWidth(col), table));
  }
  for (int row = 0; row < model.Rows(); ++row) {
    for (int col = 0; col < model.Cols(); ++col) {
      const bool fixed = row < model.FixedRows() || col < model.FixedCols();
      QTableWidgetItem* item = table.item(row, col);
      if (item == nullptr) {
        item = new QTableWidgetItem();  // owned by the table
        item->setFlags(Qt::ItemIsEnabled);
        table.setItem(row, col, item);
      }
      const QString text = ToQString(model.TextMatrix(row, col));
      if (item->text() != text) item->setText(text);
      item->setTextAlignment(fixed ? Qt::AlignCenter : ToQt(model.ColAlignment(col)));
      QFont font = item->font();
      font.setBold(fixed);
      item->setFont(font);
      item->setBackground(fixed ? QBrush(kFixedCellColor) : QBrush());
    }
  }
}

}  // namespace

int TwipsToPixels(int twips, const QWidget& widget) {
  return static_cast<int>(static_cast<long long>(twips) * widget.logicalDpiX() / ui::kTwipsPerInch);
}

void Bind(QLabel& widget, ui::Label& model) {
  widget.setTextFormat(Qt::PlainText);
  new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setText(ToQString(model.Caption()));
  });
}

void Bind(QGroupBox& widget, ui::Frame& model) {
  new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setTitle(ToQString(model.Caption()));
  });
}

void Bind(QPushButton& widget, ui::Button& model) { new ButtonBinding(widget, model); }

void Bind(QPushButton& widget, ui::ToggleButton& model) {
  widget.setCheckable(true);
  auto* binding = new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setText(ToQString(model.Caption()));
    widget.setChecked(model.Value());
    const ui::Rgb back = model.BackColor();
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Button, QColor(back.red, back.green, back.blue));
    widget.setPalette(palette);
  });
  // Qt has already flipped its own check state; the model decides, so the
  // widget is set back from the model once the handler has run.
  QObject::connect(&widget, &QPushButton::clicked, binding, [binding, &model] {
    if (binding->Model() == nullptr) return;
    model.Toggle();
    binding->Resync();
  });
}

void Bind(QRadioButton& widget, ui::OptionButton& model) {
  // Exclusivity belongs to the form's handlers, not to Qt.
  widget.setAutoExclusive(false);
  auto* binding = new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setText(ToQString(model.Caption()));
    widget.setChecked(model.Value());
  });
  QObject::connect(&widget, &QRadioButton::clicked, binding, [binding, &model] {
    if (binding->Model() == nullptr) return;
    model.Choose();
    binding->Resync();
  });
}

void Bind(QComboBox& widget, ui::ComboBox& model) {
  auto* binding = new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    QStringList items;
    for (const std::string& item : model.Items()) items << ToQString(item);
    QStringList shown;
    for (int i = 0; i < widget.count(); ++i) shown << widget.itemText(i);
    if (items != shown) {
      widget.clear();
      widget.addItems(items);
    }
    widget.setCurrentIndex(model.ListIndex());
  });
  QObject::connect(&widget, &QComboBox::activated, binding, [binding, &model](int index) {
    if (binding->Model() == nullptr) return;
    model.Pick(index);
    binding->Resync();
  });
}

void Bind(QLineEdit& widget, ui::TextBox& model) {
  auto* binding = new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setReadOnly(model.Locked());
    const QString text = ToQString(model.Text());
    // Setting the same text again would move the operator's cursor.
    if (widget.text() != text) widget.setText(text);
  });
  QObject::connect(&widget, &QLineEdit::textEdited, binding, [binding, &model](const QString& text) {
    if (binding->Model() == nullptr) return;
    model.Type(ToLatin1(text));  // outside Latin-1: one "?" a character
    binding->Resync();
  });
}

void BindPicture(QLabel& widget, ui::Picture& model) { new PictureBinding(widget, model); }

void Bind(QProgressBar& widget, ui::ProgressBar& model) {
  new Binding(widget, model, [&widget, &model] {
    SyncCommon(widget, model);
    widget.setRange(model.Min(), model.Max());
    widget.setValue(model.Value());
  });
}

void Bind(QAction& action, ui::Menu& model) {
  auto* binding = new Binding(action, model, [&action, &model] {
    action.setText(ToQString(model.Caption()));
    action.setVisible(model.Visible());
    action.setEnabled(model.Enabled());
  });
  QObject::connect(&action, &QAction::triggered, binding, [binding, &model] {
    if (binding->Model() != nullptr) model.Press();
  });
}

void Bind(QTabBar& widget, ui::TabStrip& model) {
  // Set while the view follows the model, so Qt's own currentChanged from
  // that update is not taken for an operator's click.
  auto syncing = std::make_shared<bool>(false);
  auto* binding = new Binding(widget, model, [&widget, &model, syncing] {
    *syncing = true;
    SyncCommon(widget, model);
    const auto& tabs = model.Tabs();
    while (widget.count() > static_cast<int>(tabs.size())) widget.removeTab(widget.count() - 1);
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
      const QString caption = ToQString(tabs[i].caption);
      if (i < widget.count()) {
        widget.setTabText(i, caption);
      } else {
        widget.addTab(caption);
      }
    }
    if (model.SelectedIndex() >= 0) widget.setCurrentIndex(model.SelectedIndex());
    *syncing = false;
  });
  QObject::connect(&widget, &QTabBar::currentChanged, binding, [binding, &model, syncing](int index) {
    if (*syncing || binding->Model() == nullptr || index < 0) return;
    model.Click(index);
    binding->Resync();
  });
}

void Bind(QTableWidget& widget, ui::Grid& model) {
  widget.setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The grids only show results: no cell is "current", none can be selected.
  widget.setSelectionMode(QAbstractItemView::NoSelection);
  widget.setFocusPolicy(Qt::NoFocus);
  widget.horizontalHeader()->hide();
  widget.verticalHeader()->hide();
  auto* binding = new Binding(widget, model, [&widget, &model] { SyncGrid(widget, model); });
  binding->SetDeferred(true);
}

void BindWindow(QWidget& window, ui::Form& model) {
  // The host binds every view it shows; a factory that did so too must not
  // get a second close handler.
  static constexpr char kBoundProperty[] = "gw20BoundForm";
  const auto key = reinterpret_cast<qulonglong>(&model);
  if (window.property(kBoundProperty).toULongLong() == key) return;
  window.setProperty(kBoundProperty, key);
  new WindowBinding(window, model);
}

}  // namespace gw20::qtui
