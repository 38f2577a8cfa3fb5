#include "platform/qt/latin1.h"

#include <QList>

namespace gw20::qtui {

QString ToQString(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1(const QString& text) {
  constexpr char32_t kLastLatin1 = 0xFF;
  std::string latin1;
  for (const char32_t c : text.toUcs4()) latin1 += c <= kLastLatin1 ? static_cast<char>(c) : '?';
  return latin1;
}

}  // namespace gw20::qtui
