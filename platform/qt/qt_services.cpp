#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QTimer>
#include <system_error>
#include <thread>

#include "platform/ui/writable_folder.h"

namespace gw20::qtui {
namespace {

// Every message the operator was shown, so a field report can say what
// happened after the boxes are gone (QT_LOGGING_RULES="gw20.messages=false"
// silences it).
Q_LOGGING_CATEGORY(lcMessages, "gw20.messages")

}  // namespace

void QtMessageBox::Note(const std::string& category, const std::string& text) {
  // Categories live as long as the program; one per subject is enough.
  static QLoggingCategory console("gw20.console");
  static QLoggingCategory other("gw20.notes");
  const QLoggingCategory& target = category == "gw20.console" ? console : other;
  qCInfo(target).noquote() << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

ui::MessageAnswer QtMessageBox::Show(const std::string& text, const std::string& title,
                                     ui::MessageButtons buttons) {
  qCInfo(lcMessages).noquote() << (title.empty() ? QString() : QString::fromLatin1(title.c_str()) + ": ") +
                                      QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  QMessageBox box;
  box.setWindowModality(Qt::ApplicationModal);
  box.setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  box.setWindowTitle(title.empty() ? QGuiApplication::applicationDisplayName()
                                   : QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
  if (buttons == ui::MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    // Closing the box by its frame is an answer too: the safe one.
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? ui::MessageAnswer::Yes : ui::MessageAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return ui::MessageAnswer::Ok;
}

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
    return ui::WritableFolderOr(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
                                working);
  }
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? working : ui::WritableFolderOr(executable.parent_path(), working);
}

}  // namespace gw20::qtui
