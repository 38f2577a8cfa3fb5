#pragma once
// A small writer for 8-bit INI-style text files: section headers and
// key=value lines in the order given, CR LF line ends, no knowledge of what
// the keys mean. The file is replaced atomically, so a failed write never
// leaves half a file behind.

#include <filesystem>
#include <string>
#include <string_view>

namespace gw20::eds {

// Outcome of writing a file. On failure `path` is the full path of the file
// that could not be written and `reason` the system's explanation.
struct FileWriteResult {
  bool ok = true;
  std::filesystem::path path;
  std::string reason;
};

class IniWriter {
 public:
  // "[" + name + "]".
  void Section(std::string_view name);
  // key + "=" + value; the value is taken as is, leading blanks included.
  void Key(std::string_view key, std::string_view value);
  // A line taken as is.
  void Line(std::string_view text);
  void Blank();

  // Everything written so far, each line ended by CR LF.
  const std::string& Text() const { return text_; }

  // Writes Text() to a temporary file in path's folder and renames it over
  // `path`, replacing an existing file. On failure the temporary file is
  // removed and the old file, if any, is untouched.
  FileWriteResult Save(const std::filesystem::path& path) const;

 private:
  std::string text_;
};

}  // namespace gw20::eds
