#include "app/qt/placeholder_page_view.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/placeholder_page.h"
#include "app/qt/widget_factory.h"

namespace gw20::appqt {

PlaceholderPageView::PlaceholderPageView(app::PlaceholderPage& form) {
  setObjectName(QString::fromStdString(form.Name()));
  auto* column = new QVBoxLayout(this);
  auto& notice = MakeBound<QLabel>(*this, form.Notice);
  notice.setWordWrap(true);
  notice.setAlignment(Qt::AlignCenter);
  column->addWidget(&notice, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(&MakeBound<QPushButton>(*this, form.Back));
  column->addLayout(buttons);
  qtui::BindWindow(*this, form);
}

}  // namespace gw20::appqt
