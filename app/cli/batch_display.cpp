#include "app/cli/batch_display.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/cli/batch_command.h"

namespace gw20::cli {
namespace {

// Cursor up N lines, and the whole line erased.
std::string CursorUp(std::size_t lines) { return "\x1b[" + std::to_string(lines) + "A"; }
constexpr const char* kEraseLine = "\r\x1b[2K";

constexpr std::string_view kEllipsis = "\u2026";
// Below this many columns left for the message, it goes on lines of its own below the row.
constexpr std::size_t kNarrowestMessage = 30;
constexpr std::size_t kDetailIndent = 4;

bool Continues(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t Columns(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(text, [](char c) { return !Continues(c); }));
}

// The byte where the character numbered `column` starts (the size past the end).
std::size_t ByteOfColumn(std::string_view text, std::size_t column) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < text.size(); ++i) {
    if (Continues(text[i])) continue;
    if (seen++ == column) return i;
  }
  return text.size();
}

std::string Padded(std::string text, std::size_t width) {
  const std::size_t columns = Columns(text);
  if (columns < width) text.append(width - columns, ' ');
  return text;
}

// A port that succeeded is "ok" unless it was only checked or found matching.
std::string ResultName(const BatchPortResult& result) {
  const bool written = result.status != kPortMatches && result.status != kPortAlreadyMatches;
  return result.ok && written ? std::string(kPortOk) : result.status;
}

// `text` cut to `columns` characters, the last an ellipsis when anything was cut.
std::string CutAtEnd(const std::string& text, std::size_t columns) {
  if (Columns(text) <= columns) return text;
  if (columns == 0) return {};
  return text.substr(0, ByteOfColumn(text, columns - 1)) + std::string(kEllipsis);
}

// Lines of at most `width` characters, broken at blanks where there are any.
std::vector<std::string> Wrapped(std::string_view text, std::size_t width) {
  std::vector<std::string> lines;
  width = std::max<std::size_t>(width, 1);
  while (Columns(text) > width) {
    std::size_t cut = ByteOfColumn(text, width);
    const std::size_t blank = text.rfind(' ', cut);
    const bool atBlank = blank != std::string_view::npos && blank > 0;
    if (atBlank) cut = blank;
    lines.emplace_back(text.substr(0, cut));
    text.remove_prefix(atBlank ? cut + 1 : cut);
  }
  lines.emplace_back(text);
  return lines;
}

std::string Outcome(const BatchPortResult& result) {
  if (ResultName(result) == kPortOk) return "OK " + result.message;
  return result.message.empty() ? result.status : result.status + ": " + result.message;
}

}  // namespace

BatchDisplay::BatchDisplay(std::ostream& out, bool live, std::vector<std::string> labels, std::size_t columns)
    : out_(out), live_(live), labels_(std::move(labels)), columns_(columns) {
  for (const auto& label : labels_) labelWidth_ = std::max(labelWidth_, Columns(label));
  lines_.assign(labels_.size(), std::string(ApplyStageName(ApplyStage::Waiting)));
  stages_.assign(labels_.size(), ApplyStage::Waiting);
  if (live_) Redraw();
}

void BatchDisplay::Show(std::size_t port, const ApplyProgress& progress) {
  const bool newStage = progress.stage != stages_[port];
  stages_[port] = progress.stage;
  if (live_) {
    Set(port,
        Padded(std::string(ApplyStageName(progress.stage)), 10) + std::to_string(progress.percent) + "%");
  } else if (newStage) {
    out_ << labels_[port] << ": " << ApplyStageName(progress.stage) << std::endl;
  }
}

void BatchDisplay::Finish(std::size_t port, const BatchPortResult& result) {
  if (live_) {
    Set(port, Outcome(result));
  } else {
    out_ << labels_[port] << ": " << Outcome(result) << std::endl;
  }
}

void BatchDisplay::Note(const std::string& text) {
  if (!live_) {
    out_ << text << std::endl;
    return;
  }
  // Written over the first live line; the lines are drawn afresh below it.
  if (drawn_) out_ << CursorUp(lines_.size());
  out_ << kEraseLine << text << "\n";
  drawn_ = false;
  Redraw();
}

void BatchDisplay::Set(std::size_t port, std::string text) {
  if (lines_[port] == text) return;
  lines_[port] = std::move(text);
  Redraw();
}

void BatchDisplay::Redraw() {
  std::string frame = drawn_ ? CursorUp(lines_.size()) : std::string();
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string line = Padded(labels_[i], labelWidth_) + "  " + lines_[i];
    // The last column stays free: a line that fills it makes some terminals wrap.
    if (columns_ > 1) line = CutAtEnd(line, columns_ - 1);
    frame += kEraseLine + line + "\n";
  }
  drawn_ = true;
  out_ << frame << std::flush;
}

std::string ShortenedInTheMiddle(const std::string& text, std::size_t columns) {
  const std::size_t have = Columns(text);
  if (have <= columns) return text;
  if (columns <= kEllipsis.size()) return CutAtEnd(text, columns);
  // Most of it from the start, where the folder and the adapter's maker are;
  // the end keeps what tells the ports of one adapter apart, from a separator on where it has one.
  std::size_t tail = (columns - 1) / 4;
  const std::size_t tailStart = ByteOfColumn(text, have - tail);
  const std::size_t separator = text.find_first_of("-_/.", tailStart);
  if (separator != std::string::npos && separator > tailStart)
    tail -= Columns(text.substr(tailStart, separator - tailStart));
  const std::size_t head = columns - 1 - tail;
  return text.substr(0, ByteOfColumn(text, head)) + std::string(kEllipsis) +
         text.substr(ByteOfColumn(text, have - tail));
}

std::string BatchSummary(const std::vector<BatchPortResult>& results, int planNode, std::size_t columns) {
  std::vector<std::array<std::string, 4>> rows{{"port", "node", "result", "time (s)"}};
  for (const BatchPortResult& r : results) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    rows.push_back(
        {(r.label.empty() ? std::string() : r.label + " ") + ShortenedInTheMiddle(r.port, kPortColumns),
         std::to_string(r.node.value_or(planNode)), ResultName(r), seconds});
  }
  std::array<std::size_t, 4> widths{};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]));
  }
  std::size_t messageColumn = 0;
  for (const std::size_t width : widths) messageColumn += width + 2;
  // Narrow terminals get the message below the row, indented.
  const bool below = columns < messageColumn + kNarrowestMessage;
  const std::size_t indent = below ? kDetailIndent : messageColumn;
  const std::size_t messageWidth = columns > indent + 1 ? columns - indent - 1 : 1;
  std::string table;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::string line;
    for (std::size_t c = 0; c < widths.size(); ++c) line += Padded(rows[i][c], widths[c]) + "  ";
    std::vector<std::string> message;
    if (i == 0) {
      message.emplace_back("EDS file or message");
    } else {
      const BatchPortResult& r = results[i - 1];
      message = Wrapped(r.message, messageWidth);
      for (const auto& detail : r.details) {
        for (const auto& part : Wrapped(detail, messageWidth - 2)) message.push_back("  " + part);
      }
    }
    std::size_t first = 0;
    if (below) {
      while (!line.empty() && line.back() == ' ') line.pop_back();
    } else {
      line += message.front();
      first = 1;
    }
    table += line + "\n";
    for (std::size_t m = first; m < message.size(); ++m)
      table += std::string(indent, ' ') + message[m] + "\n";
  }
  return table;
}

}  // namespace gw20::cli
