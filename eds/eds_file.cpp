#include "eds/eds_file.h"

#include "platform/ui/number_text.h"

namespace gw20::eds {

std::string OneLineText(std::string text) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kDelete = 0x7F;
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < kFirstPrintable || byte == kDelete) c = ' ';
  }
  return text;
}

std::vector<std::string_view> EdsLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string EdsDateText(const ui::DateTime& now) {
  constexpr std::size_t kYearDigits = 4;
  std::string year = ui::Dec(now.year);
  while (year.size() < kYearDigits) year.insert(0, "0");
  return ui::D2(now.month) + "-" + ui::D2(now.day) + "-" + year;
}

}  // namespace gw20::eds
