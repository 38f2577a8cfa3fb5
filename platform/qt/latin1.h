#pragma once
// The logic's text is 8-bit (Latin-1) std::string, Qt's is QString; text
// crosses between them here, the same way everywhere.

#include <QString>
#include <string>
#include <string_view>

namespace gw20::qtui {

// Each byte one character (U+0000..U+00FF).
QString ToQString(std::string_view text);

// Each character one byte; a character outside Latin-1 becomes one "?"
// (QString::toLatin1 would give one per UTF-16 unit, two for an emoji).
std::string ToLatin1(const QString& text);

}  // namespace gw20::qtui
