#include "platform/widgets/qt_message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

#include "platform/qt/latin1.h"
#include "platform/qt/qt_log.h"

namespace gw20::qtui {

void QtMessageBox::Note(const std::string& category, const std::string& text) { LogNote(category, text); }

ui::MessageAnswer QtMessageBox::Show(const std::string& text, const std::string& title,
                                     ui::MessageButtons buttons) {
  LogShownMessage(text, title);
  QMessageBox box;
  box.setWindowModality(Qt::ApplicationModal);
  box.setText(ToQString(text));
  box.setWindowTitle(title.empty() ? QGuiApplication::applicationDisplayName() : ToQString(title));
  if (buttons == ui::MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    // Closing the box by its frame is an answer too: the safe one.
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? ui::MessageAnswer::Yes : ui::MessageAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return ui::MessageAnswer::Ok;
}

}  // namespace gw20::qtui
