#include "app/qt/logo_view.h"

#include <QBoxLayout>
#include <QLabel>

#include "app/logo.h"
#include "app/qt/widget_factory.h"
#include "platform/widgets/window_fit.h"

namespace gw20::appqt {
namespace {

constexpr int kControllerWidth = 1600;  // twips
constexpr int kControllerHeight = 2000;
constexpr int kModulesWidth = 2600;
constexpr int kModulesHeight = 800;
constexpr qreal kTitleScale = 1.5;
constexpr int kMargin = 14;  // pixels

void Emphasise(QLabel& label, qreal scale) {
  QFont font = label.font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * scale);
  label.setFont(font);
}

}  // namespace

LogoView::LogoView(app::Logo& form) {
  setObjectName(QString::fromStdString(form.Name()));
  // A splash has no frame of its own to close it by.
  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  setFrameShape(QFrame::Box);
  setLineWidth(2);
  setAutoFillBackground(true);

  QWidget& page = qtui::MakeScrolledContent(*this);
  auto* row = new QHBoxLayout(&page);
  // Clear of the border line, so no picture looks cut by it.
  row->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  row->addWidget(&MakePicture(page, form.LogoImage[0], kControllerWidth, kControllerHeight), 2);
  auto* texts = new QVBoxLayout;
  auto& maker = MakeBound<QLabel>(page, form.MakerLabel);
  maker.setAlignment(Qt::AlignCenter);
  auto& program = MakeBound<QLabel>(page, form.ProgramLabel);
  program.setAlignment(Qt::AlignCenter);
  program.setWordWrap(true);
  Emphasise(program, kTitleScale);
  auto& release = MakeBound<QLabel>(page, form.ReleaseLabel);
  release.setAlignment(Qt::AlignCenter);
  texts->addWidget(&maker);
  texts->addWidget(&program);
  texts->addWidget(&release);
  texts->addWidget(&MakePicture(page, form.LogoImage[1], kModulesWidth, kModulesHeight), 1);
  row->addLayout(texts, 3);

  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
