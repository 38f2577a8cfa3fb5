#include "platform/qt/qt_log.h"

#include <QLoggingCategory>

#include "platform/qt/latin1.h"

namespace gw20::qtui {
namespace {

Q_LOGGING_CATEGORY(lcMessages, "gw20.messages")
Q_LOGGING_CATEGORY(lcConsole, "gw20.console")
Q_LOGGING_CATEGORY(lcNotes, "gw20.notes")

}  // namespace

void LogNote(const std::string& category, const std::string& text) {
  if (category == "gw20.console") {
    qCInfo(lcConsole).noquote() << ToQString(text);
  } else {
    qCInfo(lcNotes).noquote() << ToQString(text);
  }
}

void LogShownMessage(const std::string& text, const std::string& title) {
  qCInfo(lcMessages).noquote() << (title.empty() ? QString() : ToQString(title) + ": ") + ToQString(text);
}

}  // namespace gw20::qtui
