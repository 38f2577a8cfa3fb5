#include "sim/transcript_log.h"

#include <stdexcept>

namespace gw20::sim {

TranscriptLog::TranscriptLog(const std::filesystem::path& file) : path_(file) {
  if (path_.empty()) {
    return;
  }
  file_.open(path_, std::ios::app);
  if (!file_) {
    throw std::runtime_error(path_.string() + ": cannot open the transcript for appending");
  }
}

void TranscriptLog::Append(const std::string& line) {
  lines_.push_back(line);
  if (!file_.is_open()) {
    return;
  }
  file_ << line << '\n' << std::flush;
  if (!file_) {
    throw std::runtime_error(path_.string() + ": cannot write the transcript");
  }
}

}  // namespace gw20::sim
