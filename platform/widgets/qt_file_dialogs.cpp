#include "platform/widgets/qt_file_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QString>

#include "platform/qt/file_name.h"
#include "platform/qt/latin1.h"

namespace gw20::qtui {
namespace {

std::optional<std::filesystem::path> PathOf(const QString& picked) {
  if (picked.isEmpty()) return std::nullopt;
  return FromQtFileName(picked);
}

}  // namespace

std::optional<std::filesystem::path> QtFileDialogs::OpenFile(const std::string& title,
                                                             const std::string& filter) {
  return PathOf(QFileDialog::getOpenFileName(QApplication::activeWindow(), ToQString(title), QString(),
                                             ToQString(filter)));
}

std::optional<std::filesystem::path> QtFileDialogs::SaveFile(const std::string& title,
                                                             const std::string& filter) {
  return PathOf(QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQString(title), QString(),
                                             ToQString(filter)));
}

}  // namespace gw20::qtui
