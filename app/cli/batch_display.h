#pragma once
// What a batch shows while its applies run: on a terminal one line per port,
// redrawn in place; otherwise a plain line per port whenever its stage
// changes, so a log keeps every step without the percent's chatter. Then a
// summary table of every port.

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/batch_progress.h"

namespace gw20::cli {

struct BatchPortResult;

class BatchDisplay {
 public:
  // `labels`: "PORT node N" per port. `out` must outlive the display. Live
  // lines are cut to `columns` characters (0: not cut), ending in an
  // ellipsis, as a line the terminal wraps would no longer be redrawn in
  // place.
  BatchDisplay(std::ostream& out, bool live, std::vector<std::string> labels, std::size_t columns = 0);
  void Show(std::size_t port, const ApplyProgress& progress);
  void Finish(std::size_t port, const BatchPortResult& result);
  // A line of the batch's own ("stopping: ..."), above the live lines.
  void Note(const std::string& text);

 private:
  void Redraw();
  void Set(std::size_t port, std::string text);

  std::ostream& out_;
  bool live_;
  std::vector<std::string> labels_;
  std::vector<std::string> lines_;
  std::vector<ApplyStage> stages_;
  std::size_t columns_;
  std::size_t labelWidth_ = 0;
  bool drawn_ = false;
};

// The width a summary and live lines keep to when the terminal's is unknown.
inline constexpr std::size_t kTerminalColumns = 80;
// The widest a port name is shown; a longer one is shortened in the middle.
inline constexpr std::size_t kPortColumns = 32;

// `text` in at most `columns` characters (UTF-8 counted by character): the
// middle of a longer one replaced by an ellipsis, so a path keeps both its
// folder and the name that tells it apart.
std::string ShortenedInTheMiddle(const std::string& text, std::size_t columns);

// The table printed at the end: port, node, result, time in s and the EDS
// file or the first reason, each failed port's details (the differing slots
// of a chain mismatch) on lines of their own below it; `planNode` stands
// where a port has no node of its own. It keeps to `columns`: long port
// names are shortened in the middle and messages wrapped; the report has
// the whole texts.
std::string BatchSummary(const std::vector<BatchPortResult>& results, int planNode,
                         std::size_t columns = kTerminalColumns);

}  // namespace gw20::cli
