#include "platform/qt/qt_network_port.h"

#include <QTcpSocket>
#include <algorithm>
#include <utility>

namespace gw20::qtui {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Closing waits this long at most for the socket to let go.
constexpr milliseconds kCloseLimit{100};

int Ms(milliseconds limit) { return static_cast<int>(std::max(limit, milliseconds(0)).count()); }

}  // namespace

std::string ConnectFailureText(QAbstractSocket::SocketError error, const std::string& reason,
                               const ui::ConsoleAddress& server, std::chrono::milliseconds limit) {
  const std::string where = server.HostAndPort();
  const std::string hint = ": " + std::string(ui::kDeviceServerHint);
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      return "connection to " + where + " refused" + hint;
    case QAbstractSocket::HostNotFoundError:
      return "there is no host " + server.host + ": check the address";
    case QAbstractSocket::NetworkError:
      return where + " cannot be reached (" + reason + "): check the network and the device server";
    case QAbstractSocket::SocketTimeoutError:
      return "no connection to " + where + " within " + std::to_string(limit.count()) +
             " ms: check the network and the device server";
    default:
      return "no connection to " + where + " (" + reason + ")" + hint;
  }
}

QtNetworkPort::QtNetworkPort(ui::ConsoleAddress server, std::chrono::milliseconds connectLimit)
    : server_(std::move(server)), connectLimit_(connectLimit) {}

QtNetworkPort::~QtNetworkPort() { Close(); }

bool QtNetworkPort::ApplyToOpen() {
  if (telnet_) Send(telnet_->ChangeSettings(Settings()));
  return true;
}

ui::OpenResult QtNetworkPort::Open() {
  if (open_) return {ui::OpenStatus::Opened, {}};
  const auto start = Clock::now();
  socket_ = std::make_unique<QTcpSocket>();
  // Each typed character leaves at once, not gathered with the next.
  socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  socket_->connectToHost(QString::fromStdString(server_.host), static_cast<quint16>(server_.port));
  if (!socket_->waitForConnected(Ms(TimeLeft(start, connectLimit_)))) {
    const std::string text =
        ConnectFailureText(socket_->error(), Local8Bit(socket_->errorString()), server_, connectLimit_);
    socket_->abort();
    socket_.reset();
    return {ui::OpenStatus::Missing, text};
  }
  Received().clear();
  lost_.clear();
  heard_ = false;
  telnet_.reset();
  if (server_.kind == ui::AddressKind::Rfc2217) {
    telnet_.emplace(Settings());
    Send(telnet_->Offer());
    // The console's first Enter must not go out before the server knows
    // whether the line is binary; a server that never settles is no RFC
    // 2217 server (or none at all).
    for (milliseconds left = TimeLeft(start, connectLimit_); !telnet_->Settled() && left > milliseconds(0);
         left = TimeLeft(start, connectLimit_)) {
      if (!Receive(left)) break;
    }
    if (!telnet_->Settled()) {
      const std::string why = lost_.empty() ? " did not answer the Telnet negotiation within " +
                                                  std::to_string(connectLimit_.count()) + " ms"
                                            : " closed the connection during the Telnet negotiation";
      socket_->abort();
      socket_.reset();
      telnet_.reset();
      return {ui::OpenStatus::Missing,
              server_.HostAndPort() + why + ": check that the device server speaks RFC 2217 there"};
    }
  }
  open_ = true;
  return {ui::OpenStatus::Opened, {}};
}

void QtNetworkPort::Close() {
  open_ = false;
  if (!socket_) return;
  // What was typed has drained (the console checks); leave politely.
  socket_->flush();
  socket_->disconnectFromHost();
  if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->waitForDisconnected(Ms(kCloseLimit));
  socket_->abort();
  socket_.reset();
  telnet_.reset();
  lost_.clear();
}

void QtNetworkPort::NoteLoss() {
  if (!lost_.empty()) return;
  const bool closed = socket_->error() == QAbstractSocket::RemoteHostClosedError;
  lost_ = "connection to " + server_.HostAndPort() +
          (closed ? " closed" : " lost (" + Local8Bit(socket_->errorString()) + ")");
}

bool QtNetworkPort::Receive(milliseconds limit) {
  if (!socket_) return false;
  if (socket_->state() == QAbstractSocket::ConnectedState && socket_->bytesAvailable() == 0) {
    // Without an event loop the socket only reads when asked to wait.
    socket_->waitForReadyRead(Ms(limit));
  }
  const QByteArray bytes = socket_->readAll();
  if (!bytes.isEmpty()) {
    const std::string_view received(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::string text;
    if (telnet_) {
      std::string answers;
      text = telnet_->Decode(received, answers);
      Send(answers);
    } else {
      text = std::string(received);
    }
    heard_ = heard_ || !text.empty();
    Received() += text;
  }
  if (socket_->state() != QAbstractSocket::ConnectedState) NoteLoss();
  return lost_.empty();
}

void QtNetworkPort::Send(const std::string& bytes) {
  if (!socket_ || bytes.empty() || socket_->state() != QAbstractSocket::ConnectedState) return;
  socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_->flush();
}

void QtNetworkPort::Write(std::string_view text) {
  if (!open_ || text.empty()) return;
  Send(telnet_ ? telnet_->Encode(text) : std::string(text));
}

int QtNetworkPort::OutBufferCount() {
  if (!open_ || !socket_) return 0;
  if (socket_->bytesToWrite() > 0) socket_->flush();
  return static_cast<int>(socket_->bytesToWrite());
}

std::string QtNetworkPort::DeviceFault() const {
  if (!open_) return {};
  if (!lost_.empty()) return lost_;
  if (!heard_) return "no answer from " + server_.HostAndPort() + " since the connection opened";
  return {};
}

}  // namespace gw20::qtui
