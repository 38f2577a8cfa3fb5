#pragma once
// gw20sim as a separate process for the end-to-end tests, serving its console
// on a link in a fresh temporary folder; and gw20cli run to its end.

#include <QByteArray>
#include <QByteArrayList>
#include <QMap>
#include <QProcess>
#include <QStringList>

#include "tests/support/test_services.h"

namespace gw20::testing {

class SimProcess {
 public:
  // Terminates the simulator (killing it if it lingers), so none is left behind.
  ~SimProcess();
  // Starts gw20sim serving Link() with its transcript in Path("transcript"),
  // without the receive buffer's limit unless `args` give --fifo; returns
  // once it serves its link (false if it never does or ends first).
  bool Start(const QStringList& args = {});
  // Starts gw20sim with `args` alone and returns its exit code (-1: it did not end).
  int RunToEnd(const QStringList& args);

  QString Dir() const { return QString::fromStdString(dir_.Path().string()); }
  QString Path(const QString& name) const { return Dir() + "/" + name; }
  QString Link() const { return Path(QStringLiteral("com1")); }
  QByteArray ReadFile(const QString& name) const;
  bool WriteFile(const QString& name, const QByteArray& data) const;
  // Ends the simulator, as a pulled plug would; true once it has ended.
  bool Stop() {
    sim_.terminate();
    return sim_.waitForFinished(5000);
  }
  // Path("transcript"), line by line.
  QStringList Transcript() const {
    return QString::fromLatin1(ReadFile("transcript")).split('\n', Qt::SkipEmptyParts);
  }
  QProcess& process() { return sim_; }

 private:
  ScratchFolder dir_{"sim"};
  QProcess sim_;
};

struct CliRun {
  int exitCode = -1;
  QByteArray out;  // trimmed
  QByteArray err;  // trimmed
};
CliRun RunCli(const QStringList& args);

// The last line of a program's trimmed output.
inline QByteArray LastLine(const QByteArray& text) { return text.split('\n').back(); }
// Every EEPROM word of a simulator's file, "block:address" -> value; with
// `butTime`, without the commit's time stamp (block 0 Long(52) and Long(56)).
QMap<QByteArray, QByteArray> EepromFileWords(const QByteArray& file, bool butTime = false);
// An EDS file's lines without those of its creation and modification date and time.
QByteArrayList EdsButDateAndTime(const QByteArray& file);

}  // namespace gw20::testing
