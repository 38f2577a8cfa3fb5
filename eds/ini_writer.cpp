#include "eds/ini_writer.h"

namespace gw20::eds {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

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

}  // namespace gw20::eds
