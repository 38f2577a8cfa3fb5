#pragma once
// A file name is the system's bytes in the logic (std::filesystem::path) and
// a QString in Qt. Every name crosses between the two here, the one way Qt
// itself names files, so that a folder called "zoë" is still found after
// the crossing, whatever the name holds.

#include <QString>
#include <filesystem>

namespace gw20::qtui {

QString ToQtFileName(const std::filesystem::path& name);
std::filesystem::path FromQtFileName(const QString& name);

}  // namespace gw20::qtui
