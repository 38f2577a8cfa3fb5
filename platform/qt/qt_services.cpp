#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <system_error>
#include <thread>

#include "platform/qt/file_name.h"
#include "platform/ui/writable_folder.h"

namespace gw20::qtui {

void QtEventPump::ProcessEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

void QtEventPump::Pause(std::chrono::milliseconds period) {
  if (QCoreApplication::instance() == nullptr) {
    std::this_thread::sleep_for(period);
    return;
  }
  QCoreApplication::processEvents();
  if (period <= std::chrono::milliseconds::zero()) return;
  // A local loop blocks in the event dispatcher until the timer fires, so
  // windows stay alive without spinning the processor.
  QEventLoop loop;
  QTimer::singleShot(period, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

QtTickCounter::QtTickCounter() { timer_.start(); }

std::uint32_t QtTickCounter::NowMs() const {
  // Truncation to 32 bits is the counter's wrap.
  return static_cast<std::uint32_t>(timer_.elapsed());
}

ui::DateTime QtCalendarClock::Now() const {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

std::filesystem::path QtProgramFolder::Path() const {
  const std::filesystem::path working = ui::CurrentFolder();
  if (QCoreApplication::instance() != nullptr) {
    return ui::WritableFolderOr(FromQtFileName(QCoreApplication::applicationDirPath()), working);
  }
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? working : ui::WritableFolderOr(executable.parent_path(), working);
}

}  // namespace gw20::qtui
