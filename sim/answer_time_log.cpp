#include "sim/answer_time_log.h"

#include <stdexcept>

namespace gw20::sim {

AnswerTimeLog::AnswerTimeLog(const std::filesystem::path& file) : path_(file) {
  if (path_.empty()) {
    return;
  }
  file_.open(path_, std::ios::trunc);
  if (!file_) {
    throw std::runtime_error(path_.string() + ": cannot open the answer-time log for writing");
  }
}

AnswerTimeLog::~AnswerTimeLog() {
  try {
    WriteLast();
  } catch (const std::runtime_error&) {
    // Nothing can be reported from here; the file ends one line short.
  }
}

void AnswerTimeLog::CharacterReceived(std::chrono::milliseconds now) {
  if (typing_) {
    return;
  }
  WriteLast();
  typing_ = true;
  lineStart_ = now;
}

void AnswerTimeLog::LineCompleted(const std::string& line, std::chrono::milliseconds now) {
  if (!typing_) {
    WriteLast();
    lineStart_ = now;
  }
  typing_ = false;
  records_.push_back({line, lineStart_, now - lineStart_, std::nullopt});
  lastOpen_ = true;
}

void AnswerTimeLog::Answered(std::chrono::milliseconds at) {
  if (typing_ || !lastOpen_) {
    return;
  }
  AnswerTime& last = records_.back();
  last.answer = at - (last.typedAt + last.typing);
}

void AnswerTimeLog::WriteLast() {
  if (!lastOpen_) {
    return;
  }
  lastOpen_ = false;
  if (!file_.is_open()) {
    return;
  }
  const AnswerTime& last = records_.back();
  file_ << last.typedAt.count() << '\t' << last.typing.count() << '\t'
        << (last.answer ? std::to_string(last.answer->count()) : std::string("-")) << '\t' << last.line
        << '\n'
        << std::flush;
  if (!file_) {
    throw std::runtime_error(path_.string() + ": cannot write the answer-time log");
  }
}

}  // namespace gw20::sim
