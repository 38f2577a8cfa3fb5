#pragma once
// ser2net, Debian's serial device server, in front of gw20sim's
// pseudo-terminals for the end-to-end tests: listening on 127.0.0.1 only,
// on free ports, with a configuration the test writes. Stopped (killed if
// it lingers) when the object goes, so none is left behind.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <vector>

#include "tests/support/test_services.h"

namespace gw20::testing {

class Ser2netProcess {
 public:
  enum class Accepter { RawTcp, Rfc2217 };
  struct Connection {
    Accepter accepter;
    QString device;  // what ser2net opens: a simulator's link
  };

  ~Ser2netProcess();
  // Starts ser2net serving each connection on a port of its own; returns
  // once every port takes connections. False, with Problem() saying why,
  // when ser2net is not installed, does not start or never listens.
  bool Start(const std::vector<Connection>& connections);
  // Stops it as an operator would (SIGTERM) and waits for it to end.
  void Stop();
  // The console address of connection `index`: "tcp://127.0.0.1:PORT" or
  // "rfc2217://127.0.0.1:PORT".
  QString Address(std::size_t index) const { return addresses_.at(index); }
  const QString& Problem() const { return problem_; }

 private:
  ScratchFolder dir_{"ser2net"};
  QProcess process_;
  QStringList addresses_;
  QString problem_;
};

}  // namespace gw20::testing
