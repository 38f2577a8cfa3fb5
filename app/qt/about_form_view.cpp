#include "app/qt/about_form_view.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "app/about_form.h"
#include "app/qt/widget_factory.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

constexpr int kPictureWidth = 1300;  // twips
constexpr int kPictureHeight = 1600;

}  // namespace

AboutFormView::AboutFormView(app::AboutForm& form) {
  setObjectName(QString::fromStdString(form.Name()));
  setWindowFlags(Qt::Dialog);
  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* column = new QVBoxLayout(&page);

  auto* top = new QHBoxLayout;
  top->addWidget(&MakePicture(page, form.Picture1, kPictureWidth, kPictureHeight), 1);
  auto* texts = new QVBoxLayout;
  auto& program = MakeBound<QLabel>(page, form.ProgramLabel);
  QFont bold = program.font();
  bold.setBold(true);
  program.setFont(bold);
  program.setWordWrap(true);
  texts->addStretch(1);
  texts->addWidget(&program);
  texts->addWidget(&MakeBound<QLabel>(page, form.VersionLabel));
  texts->addWidget(&MakeBound<QLabel>(page, form.DateLabel));
  texts->addStretch(1);
  top->addLayout(texts, 2);
  column->addLayout(top, 1);

  auto& support = MakeBound<QGroupBox>(page, form.Frame1);
  auto* supportLayout = new QVBoxLayout(&support);
  auto& supportText = MakeBound<QLabel>(support, form.SupportLabel);
  supportText.setWordWrap(true);
  supportLayout->addWidget(&supportText);
  column->addWidget(&support);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto& ok = MakeBound<QPushButton>(page, form.Command1);
  ok.setDefault(true);
  buttons->addWidget(&ok);
  column->addLayout(buttons);

  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
