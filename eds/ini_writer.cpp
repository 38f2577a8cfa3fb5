#include "eds/ini_writer.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace gw20::eds {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Kept beside the target so the final rename never crosses file systems.
constexpr std::string_view kTemporarySuffix = ".tmp";

FileWriteResult Failure(const std::filesystem::path& path, std::string reason) {
  return {false, path, std::move(reason)};
}

}  // namespace

void IniWriter::Section(std::string_view name) {
  text_ += '[';
  text_ += name;
  text_ += ']';
  text_ += kLineEnd;
}

void IniWriter::Key(std::string_view key, std::string_view value) {
  text_ += key;
  text_ += '=';
  text_ += value;
  text_ += kLineEnd;
}

void IniWriter::Line(std::string_view text) {
  text_ += text;
  text_ += kLineEnd;
}

void IniWriter::Blank() { text_ += kLineEnd; }

FileWriteResult IniWriter::Save(const std::filesystem::path& path) const {
  std::filesystem::path temporary = path;
  temporary += kTemporarySuffix;
  {
    // Binary, so the CR LF line ends reach the file unchanged on every system.
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return Failure(path, std::strerror(errno));
    file.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    file.close();
    if (!file) {
      const std::string reason = std::strerror(errno);
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return Failure(path, reason);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return Failure(path, error.message());
  }
  return {true, path, {}};
}

}  // namespace gw20::eds
