#include "platform/qt/file_name.h"

#include <QByteArray>
#include <QFile>

namespace gw20::qtui {

QString ToQtFileName(const std::filesystem::path& name) {
#ifdef Q_OS_WIN
  return QString::fromStdWString(name.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(name.native()));
#endif
}

std::filesystem::path FromQtFileName(const QString& name) {
#ifdef Q_OS_WIN
  return std::filesystem::path(name.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

}  // namespace gw20::qtui
