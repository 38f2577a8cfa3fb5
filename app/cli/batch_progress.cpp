#include "app/cli/batch_progress.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>

#include "app/main_f.h"

namespace gw20::cli {
namespace {

constexpr std::array<std::string_view, 4> kStageNames{"waiting", "connect", "configure", "commit"};
// The connect takes about half an apply's time, the commit the rest.
constexpr int kConnectShare = 45;
constexpr int kCommitEnd = 99;  // 100 is the batch's to give, once the apply has ended well

}  // namespace

std::string_view ApplyStageName(ApplyStage stage) { return kStageNames[static_cast<std::size_t>(stage)]; }

std::string ProgressLine(const ApplyProgress& progress) {
  return std::string(kProgressLinePrefix) + std::string(ApplyStageName(progress.stage)) + " " +
         std::to_string(progress.percent) + "\n";
}

std::optional<ApplyProgress> ParseProgressLine(std::string_view line) {
  if (!line.starts_with(kProgressLinePrefix)) return std::nullopt;
  line.remove_prefix(kProgressLinePrefix.size());
  const auto blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const auto name = std::find(kStageNames.begin(), kStageNames.end(), line.substr(0, blank));
  if (name == kStageNames.end()) return std::nullopt;
  const std::string_view number = line.substr(blank + 1);
  int percent = -1;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), percent);
  if (number.empty() || error != std::errc{} || end != number.data() + number.size() || percent < 0 ||
      percent > 100) {
    return std::nullopt;
  }
  return ApplyProgress{static_cast<ApplyStage>(name - kStageNames.begin()), percent};
}

ProgressPort::ProgressPort(ui::SerialPort& port, int fd) : port_(port), fd_(fd) {}

void ProgressPort::Follow(app::Main_F& form, std::function<int()> commitLines) {
  // Followed without a batch too: an interrupt needs to know whether the EEPROM write runs.
  form_ = &form;
  commitLines_ = std::move(commitLines);
  form.ConnectProgress.Observe([this] { ConnectMoved(); });
}

void ProgressPort::ConnectMoved() {
  const ui::ProgressBar& bar = form_->ConnectProgress;
  if (form_->Connected) {
    Report(ApplyStage::Configuring, kConnectShare);
  } else if (bar.Visible() && bar.Max() > bar.Min()) {
    Report(ApplyStage::Connecting, kConnectShare * (bar.Value() - bar.Min()) / (bar.Max() - bar.Min()));
  }
}

ui::OpenResult ProgressPort::Open() {
  // The connect opens the port before it is connected; the commit after.
  if (form_ != nullptr && form_->Connected) {
    if (beforeCommit_) beforeCommit_();
    linesExpected_ = commitLines_ ? std::max(commitLines_(), 1) : 1;
    linesTyped_ = 0;
    Report(ApplyStage::Committing, kConnectShare);
  }
  return port_.Open();
}

void ProgressPort::Write(std::string_view text) {
  port_.Write(text);
  if (last_.stage != ApplyStage::Committing) return;
  linesTyped_ += static_cast<int>(std::count(text.begin(), text.end(), '\r'));
  const int typed = std::min(linesTyped_, linesExpected_);
  Report(ApplyStage::Committing, kConnectShare + (kCommitEnd - kConnectShare) * typed / linesExpected_);
}

void ProgressPort::Report(ApplyStage stage, int percent) {
  const ApplyProgress now{stage, percent};
  if (now == last_) return;
  last_ = now;
  if (fd_ < 0) return;
  const std::string line = ProgressLine(now);
  // A short line to a pipe is written whole; a batch that went away only
  // loses the display, never the commit.
  while (::write(fd_, line.data(), line.size()) < 0 && errno == EINTR) {
  }
}

}  // namespace gw20::cli
