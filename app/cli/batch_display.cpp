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

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

// A port that succeeded is "ok" unless it was only checked or found matching.
std::string ResultName(const BatchPortResult& result) {
  const bool written = result.status != kPortMatches && result.status != kPortAlreadyMatches;
  return result.ok && written ? std::string(kPortOk) : result.status;
}

std::string Outcome(const BatchPortResult& result) {
  if (ResultName(result) == kPortOk) return "OK " + result.message;
  return result.message.empty() ? result.status : result.status + ": " + result.message;
}

}  // namespace

BatchDisplay::BatchDisplay(std::ostream& out, bool live, std::vector<std::string> labels, std::size_t columns)
    : out_(out), live_(live), labels_(std::move(labels)), columns_(columns) {
  for (const auto& label : labels_) labelWidth_ = std::max(labelWidth_, label.size());
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
    if (columns_ > 1 && line.size() >= columns_) line.resize(columns_ - 1);
    frame += kEraseLine + line + "\n";
  }
  drawn_ = true;
  out_ << frame << std::flush;
}

std::string BatchSummary(const std::vector<BatchPortResult>& results, int planNode) {
  std::vector<std::array<std::string, 5>> rows{{"port", "node", "result", "time (s)", "EDS file or message"}};
  for (const BatchPortResult& r : results) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    rows.push_back({r.label.empty() ? r.port : r.label + " " + r.port,
                    std::to_string(r.node.value_or(planNode)), ResultName(r), seconds, r.message});
  }
  std::array<std::size_t, 4> widths{};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  std::string table;
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < widths.size(); ++c) table += Padded(row[c], widths[c]) + "  ";
    table += row[4] + "\n";
  }
  return table;
}

}  // namespace gw20::cli
