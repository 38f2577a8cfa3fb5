#include "app/qt/widget_factory.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSizePolicy>

#include "pages/eds_page.h"

// The pictures are compiled into this static library and nothing refers to
// them by symbol, so they are registered by hand or the linker drops them.
// Q_INIT_RESOURCE must be used outside any namespace; registering again is
// harmless.
static void RegisterPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace gw20::appqt {
namespace {

// The binding redraws the picture at the label's size. A plain label would
// report that pixmap as its size hint and feed it back into the layout; this
// one always asks for its fixed minimum and takes whatever room is left.
class PictureLabel : public QLabel {
 public:
  PictureLabel(QWidget& parent, QSize least) : QLabel(&parent), least_(least) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(least);
  }
  QSize sizeHint() const override { return least_; }
  QSize minimumSizeHint() const override { return least_; }

 private:
  QSize least_;
};

}  // namespace

QLabel& MakePicture(QWidget& parent, ui::Picture& model, int minWidthTwips, int minHeightTwips) {
  const QSize least(qtui::TwipsToPixels(minWidthTwips, parent), qtui::TwipsToPixels(minHeightTwips, parent));
  RegisterPictureResources();
  auto* label = new PictureLabel(parent, least);  // owned by `parent`
  label->setObjectName(QString::fromStdString(model.Name()));
  qtui::BindPicture(*label, model);
  return *label;
}

void KeepPlaceWhenHidden(QWidget& widget) {
  QSizePolicy policy = widget.sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget.setSizePolicy(policy);
}

void UseFixedPitch(QWidget& widget) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSizeF(widget.font().pointSizeF());
  widget.setFont(font);
}

QGroupBox& MakeEdsRegion(QWidget& page, pages::EdsPage& form) {
  auto& region = MakeBound<QGroupBox>(page, form.EDSRegion);
  auto* grid = new QGridLayout(&region);
  grid->addWidget(&MakeBound<QLabel>(region, form.Label6), 0, 0);
  grid->addWidget(&MakeBound<QLineEdit>(region, form.EDSInfo[eds::kEdsDescription]), 0, 1);
  grid->addWidget(&MakeBound<QLabel>(region, form.Label5), 1, 0);
  grid->addWidget(&MakeBound<QLineEdit>(region, form.EDSInfo[eds::kEdsCreator]), 1, 1);
  grid->setColumnStretch(1, 1);
  return region;
}

void AddPageButtons(QBoxLayout& column, QWidget& page, std::initializer_list<ui::Button*> viewers,
                    ui::Button& back, ui::Button& finish) {
  auto* viewerRow = new QHBoxLayout;
  for (ui::Button* viewer : viewers) viewerRow->addWidget(&MakeBound<QPushButton>(page, *viewer));
  column.addLayout(viewerRow);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(&MakeBound<QPushButton>(page, back));
  auto& finishButton = MakeBound<QPushButton>(page, finish);
  finishButton.setDefault(true);
  buttons->addWidget(&finishButton);
  column.addLayout(buttons);
}

}  // namespace gw20::appqt
