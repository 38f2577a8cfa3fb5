#include "app/cli/interrupts.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace gw20::cli {
namespace {

volatile sig_atomic_t received = 0;
pid_t parentAtStart = 0;
bool watchingParent = false;

void Counted(int) {
  if (received < 2) received = received + 1;
}

}  // namespace

void Interrupts::Install(bool watchParent) {
  struct sigaction action {};
  action.sa_handler = Counted;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  if (!watchParent) return;
  parentAtStart = ::getppid();
  watchingParent = true;
  // The signal comes when the batch dies; a batch that died before this line
  // is seen by getppid() in Count().
  ::prctl(PR_SET_PDEATHSIG, SIGHUP);
}

int Interrupts::Count() {
  const int count = received;
  if (count == 0 && watchingParent && ::getppid() != parentAtStart) return 1;
  return count;
}

StoppingEventPump::StoppingEventPump(ui::EventPump& inner, std::function<bool()> writing,
                                     std::function<bool()> typed, std::function<void()> stopping)
    : inner_(inner), writing_(std::move(writing)), typed_(std::move(typed)), stopping_(std::move(stopping)) {}

void StoppingEventPump::ProcessEvents() {
  Check();
  inner_.ProcessEvents();
}

void StoppingEventPump::Pause(std::chrono::milliseconds period) {
  Check();
  inner_.Pause(period);
}

void StoppingEventPump::Check() {
  const int count = Interrupts::Count();
  if (count == 0) return;
  const bool writing = writing_ && writing_();
  if (writing && count < 2) return;
  const bool partly = writing && typed_ && typed_();
  stopped_ = true;
  if (stopping_) stopping_();
  throw CommandStopped{partly};
}

}  // namespace gw20::cli
