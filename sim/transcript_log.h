#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace gw20::sim {

// Every command line the console received, kept in memory and optionally
// appended to a file, one line each, flushed at once so that a test can read
// it while the simulator runs.
class TranscriptLog {
 public:
  // Empty `file` = memory only. Throws std::runtime_error naming the file
  // when it cannot be opened for appending.
  explicit TranscriptLog(const std::filesystem::path& file);

  // Throws std::runtime_error when the file cannot be written.
  void Append(const std::string& line);
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::filesystem::path path_;
  std::ofstream file_;
  std::vector<std::string> lines_;
};

}  // namespace gw20::sim
