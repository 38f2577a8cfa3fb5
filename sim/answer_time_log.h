#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace gw20::sim {

// When one command line was typed and answered, on the controller's clock.
struct AnswerTime {
  std::string line;                   // as kept (after FIFO loss), without the CR
  std::chrono::milliseconds typedAt;  // its first character arrived (the CR, for an empty line)
  std::chrono::milliseconds typing;   // from the first character to the CR
  // From the CR to the last character of the answer sent before the next
  // line began; nullopt when nothing was answered (a pulled cable).
  std::optional<std::chrono::milliseconds> answer;
};

// The timing of every command line, so that a session's time can be split
// into the PC's share (typing, and waiting between an answer and the next
// line) and the controller's (answering: a scan, a module query). Kept in
// memory and optionally written to a file, one line each:
//   TYPED_AT_MS <tab> TYPING_MS <tab> ANSWER_MS or - <tab> LINE
// A line is written once the next one begins, the last one on destruction.
class AnswerTimeLog {
 public:
  // Empty `file`: nothing is written. Throws std::runtime_error naming the file
  // when it cannot be opened for writing (it is replaced).
  explicit AnswerTimeLog(const std::filesystem::path& file);
  // Writes the last line; a failure there is not reported.
  ~AnswerTimeLog();
  AnswerTimeLog(const AnswerTimeLog&) = delete;
  AnswerTimeLog& operator=(const AnswerTimeLog&) = delete;

  // A character of a command line (not its CR) arrived at `now`. The first
  // one of a line closes the record of the line before.
  void CharacterReceived(std::chrono::milliseconds now);
  // The CR of `line` arrived at `now`.
  void LineCompleted(const std::string& line, std::chrono::milliseconds now);
  // Answer text goes out at `at`; counts for the last line until the next begins.
  void Answered(std::chrono::milliseconds at);

 private:
  // Writes the last record if it is complete and not written yet.
  // Throws std::runtime_error when the file cannot be written.
  void WriteLast();

  std::filesystem::path path_;
  std::ofstream file_;
  std::vector<AnswerTime> records_;
  std::chrono::milliseconds lineStart_{0};
  bool typing_ = false;    // a line has begun and its CR has not come yet
  bool lastOpen_ = false;  // the last record may still gain answer time
};

}  // namespace gw20::sim
