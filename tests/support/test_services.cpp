#include "tests/support/test_services.h"

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace gw20::testing {

void VirtualTime::Advance(std::chrono::milliseconds period) {
  // Step a millisecond at a time so peers see time pass as it would.
  for (auto i = period.count(); i > 0; --i) {
    ++now_;
    for (auto& ticker : tickers_) ticker(std::chrono::milliseconds(1));
    RunDue();
  }
}

void VirtualTime::RunDue() {
  while (!actions_.empty() && ui::TicksSince(actions_.begin()->first, now_) >= 0) {
    auto action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
}

ui::MessageAnswer MessageRecorder::Show(const std::string& text, const std::string& title,
                                        ui::MessageButtons buttons) {
  messages_.push_back({text, title, buttons});
  if (!script_.empty()) {
    const auto answer = script_.front();
    script_.pop_front();
    return answer;
  }
  return buttons == ui::MessageButtons::YesNo ? ui::MessageAnswer::Yes : ui::MessageAnswer::Ok;
}

void FormRecorder::Show(ui::Form& form, bool /*modal*/) {
  shows.push_back(form.Name());
  if (!IsShown(form)) visible_.push_back(&form);
  if (OnShow) OnShow(form);
}

ScratchFolder::ScratchFolder(const std::string& tag) {
  std::string pattern = (std::filesystem::temp_directory_path() / ("gw20-" + tag + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder like " + pattern);
  path_ = pattern;
  using std::filesystem::perms;
  std::filesystem::permissions(path_, perms::owner_all | perms::group_read | perms::group_exec |
                                          perms::others_read | perms::others_exec);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // A test may have taken the write permission away.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                               ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::vector<std::string> Listing(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WithFileSizeLimit(std::uint64_t bytes, const std::function<void()>& action) {
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit full = before;
  full.rlim_cur = bytes;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &full);
  action();
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
}

}  // namespace gw20::testing
