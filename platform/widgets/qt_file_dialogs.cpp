#include "platform/widgets/qt_file_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QString>

#include "platform/qt/latin1.h"

namespace gw20::qtui {
namespace {

// The name as the file system spells it: UTF-16 on Windows, the local 8-bit
// encoding elsewhere, so a name with any character reaches the same file.
std::optional<std::filesystem::path> PathOf(const QString& picked) {
  if (picked.isEmpty()) return std::nullopt;
#ifdef Q_OS_WIN
  return std::filesystem::path(picked.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(picked).toStdString());
#endif
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
