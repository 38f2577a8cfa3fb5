#pragma once
// A small writer for 8-bit INI-style text files: section headers and
// key=value lines in the order given, CR LF line ends, no knowledge of what
// the keys mean. StagedFile puts the text on the disk.

#include <string>
#include <string_view>

namespace gw20::eds {

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

 private:
  std::string text_;
};

}  // namespace gw20::eds
