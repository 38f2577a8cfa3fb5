#pragma once
// Test implementations of the services: virtual time, a recorder of message
// boxes with scripted answers, a form host without windows.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/form.h"
#include "platform/ui/services.h"
#include "platform/ui/tabstrip.h"

namespace gw20::testing {

// Virtual milliseconds. Whatever waits advances it; scheduled actions (an
// operator's click, a controller's answer) run when their time has come.
class VirtualTime {
 public:
  std::uint32_t Now() const { return now_; }
  // Moves time forward, running due actions and tickers on the way.
  void Advance(std::chrono::milliseconds period);
  // Runs `action` once time has reached Now() + delay.
  void At(std::chrono::milliseconds delay, std::function<void()> action) {
    actions_.emplace(now_ + static_cast<std::uint32_t>(delay.count()), std::move(action));
  }
  // Runs `ticker(elapsed)` after every advance (in-process peers use it).
  void OnAdvance(std::function<void(std::chrono::milliseconds)> ticker) {
    tickers_.push_back(std::move(ticker));
  }
  // Runs actions that are due now.
  void RunDue();

 private:
  std::uint32_t now_ = 1000;
  std::multimap<std::uint32_t, std::function<void()>> actions_;
  std::vector<std::function<void(std::chrono::milliseconds)>> tickers_;
};

class VirtualTicks : public ui::TickCounter {
 public:
  explicit VirtualTicks(VirtualTime& time) : time_(time) {}
  std::uint32_t NowMs() const override { return time_.Now(); }

 private:
  VirtualTime& time_;
};

// Every pump costs one virtual millisecond, so a loop that only pumps still
// lets time pass and scheduled actions run.
class VirtualPump : public ui::EventPump {
 public:
  explicit VirtualPump(VirtualTime& time) : time_(time) {}
  void ProcessEvents() override { time_.Advance(std::chrono::milliseconds(1)); }
  void Pause(std::chrono::milliseconds period) override {
    time_.Advance(std::max(period, std::chrono::milliseconds(1)));
  }

 private:
  VirtualTime& time_;
};

struct ShownMessage {
  std::string text;
  std::string title;
  ui::MessageButtons buttons = ui::MessageButtons::Ok;
};

// Records every message box; answers from a script, else Ok / Yes.
class MessageRecorder : public ui::MessageBoxService {
 public:
  ui::MessageAnswer Show(const std::string& text, const std::string& title,
                         ui::MessageButtons buttons) override;
  void Note(const std::string& category, const std::string& text) override {
    notes_.push_back(category + ": " + text);
  }
  void Answer(ui::MessageAnswer answer) { script_.push_back(answer); }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  // Diagnostics noted so far, as "category: text".
  const std::vector<std::string>& Notes() const { return notes_; }
  void Clear() { messages_.clear(), notes_.clear(); }

 private:
  std::vector<ShownMessage> messages_;
  std::vector<std::string> notes_;
  std::deque<ui::MessageAnswer> script_;
};

// Keeps track of which forms are shown; a modal show returns at once.
class FormRecorder : public ui::FormHost {
 public:
  void Show(ui::Form& form, bool modal) override;
  void Hide(ui::Form& form) override { std::erase(visible_, &form); }
  void Unloaded(ui::Form& form) override { std::erase(visible_, &form); }
  int ScreenWidthTwips() const override { return 1920 * 15; }
  int ScreenHeightTwips() const override { return 1080 * 15; }
  bool IsShown(const ui::Form& form) const {
    return std::find(visible_.begin(), visible_.end(), &form) != visible_.end();
  }
  // Runs after every show, modal or not (e.g. to schedule the operator's answer).
  std::function<void(ui::Form&)> OnShow;
  std::vector<std::string> shows;  // names of forms shown, in order

 private:
  std::vector<const ui::Form*> visible_;
};

// The texts of one grid row.
inline std::vector<std::string> GridRow(const ui::Grid& grid, int row) {
  std::vector<std::string> cells;
  for (int col = 0; col < grid.Cols(); ++col) cells.push_back(grid.TextMatrix(row, col));
  return cells;
}

class FixedClock : public ui::CalendarClock {
 public:
  ui::DateTime now{2026, 12, 6, 9, 30, 15};
  ui::DateTime Now() const override { return now; }
};

class FixedFolder : public ui::ProgramFolder {
 public:
  std::filesystem::path path = std::filesystem::temp_directory_path();
  std::filesystem::path Path() const override { return path; }
};

// File dialogs answered from a script: each dialog takes the next path
// queued for its kind; nothing queued is a cancel.
class ScriptedFileDialogs : public ui::FileDialogService {
 public:
  std::optional<std::filesystem::path> OpenFile(const std::string& title,
                                                const std::string& filter) override {
    return Next(opens, title, filter);
  }
  std::optional<std::filesystem::path> SaveFile(const std::string& title,
                                                const std::string& filter) override {
    return Next(saves, title, filter);
  }
  std::deque<std::filesystem::path> opens, saves;
  std::vector<std::string> asked;  // "title|filter" of every dialog shown

 private:
  std::optional<std::filesystem::path> Next(std::deque<std::filesystem::path>& queue,
                                            const std::string& title, const std::string& filter) {
    asked.push_back(title + "|" + filter);
    if (queue.empty()) return std::nullopt;
    auto path = queue.front();
    queue.pop_front();
    return path;
  }
};

// A fresh, empty folder of its own under the system's temporary folder
// (mkdtemp, so tests running side by side never share one), readable by all
// as a folder the program writes into would be; removed with everything in
// it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "test");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// The message of the `Error` that `action` throws; "" when it throws none.
template <class Error, class Action>
std::string ThrownMessage(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}
// The names in `folder`, sorted.
std::vector<std::string> Listing(const std::filesystem::path& folder);
// Runs `action` with files limited to `bytes` (a full disk), SIGXFSZ ignored.
void WithFileSizeLimit(std::uint64_t bytes, const std::function<void()>& action);

}  // namespace gw20::testing
