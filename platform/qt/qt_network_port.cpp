#include "platform/qt/qt_network_port.h"

#include <netdb.h>
#include <sys/socket.h>

#include <QTcpSocket>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace gw20::qtui {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Closing waits this long at most for the socket to let go.
constexpr milliseconds kCloseLimit{100};

int Ms(milliseconds limit) { return static_cast<int>(std::max(limit, milliseconds(0)).count()); }

// Runs `lookup` on a thread of its own and waits for it `limit` at most: a
// resolver whose name server does not answer takes many seconds, which the
// program's one thread must not spend. A lookup that outlives the wait ends
// alone, its answer dropped.
std::optional<HostLookupResult> LookUpWithin(const HostLookup& lookup, const std::string& host,
                                             milliseconds limit) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<HostLookupResult> result;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, lookup, host] {
      HostLookupResult result = lookup(host);
      const std::lock_guard lock(shared->mutex);
      shared->result = std::move(result);
      shared->done.notify_one();
    }).detach();
  } catch (const std::system_error& error) {
    return HostLookupResult{{}, false, error.what()};
  }
  std::unique_lock lock(shared->mutex);
  shared->done.wait_for(lock, std::max(limit, milliseconds(0)),
                        [&shared] { return shared->result.has_value(); });
  return shared->result;
}

}  // namespace

HostLookupResult SystemHostLookup(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  HostLookupResult result;
  if (status == EAI_NONAME) {
    result.noSuchHost = true;
  } else if (status == EAI_SYSTEM) {
    result.error = std::system_category().message(errno);
  } else if (status != 0) {
    result.error = ::gai_strerror(status);
  } else {
    for (const addrinfo* at = found; at != nullptr; at = at->ai_next)
      result.addresses.emplace_back(at->ai_addr);
    ::freeaddrinfo(found);
  }
  return result;
}

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

QtNetworkPort::QtNetworkPort(ui::ConsoleAddress server, std::chrono::milliseconds connectLimit,
                             HostLookup lookup)
    : server_(std::move(server)), connectLimit_(connectLimit), lookup_(std::move(lookup)) {}

QtNetworkPort::~QtNetworkPort() { Close(); }

bool QtNetworkPort::ApplyToOpen() {
  if (telnet_) Send(telnet_->ChangeSettings(Settings()));
  return true;
}

ui::OpenResult QtNetworkPort::Open() {
  if (open_) return {ui::OpenStatus::Opened, {}};
  const auto start = Clock::now();
  if (ui::OpenResult connected = Connect(start); connected.status != ui::OpenStatus::Opened) return connected;
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

ui::OpenResult QtNetworkPort::Connect(Clock::time_point start) {
  // Qt would look a name up itself, with the system's unbounded wait.
  std::vector<QHostAddress> addresses;
  if (QHostAddress literal; literal.setAddress(QString::fromStdString(server_.host))) {
    addresses.push_back(literal);
  } else {
    const auto found = LookUpWithin(lookup_, server_.host, TimeLeft(start, connectLimit_));
    if (!found) {
      return {ui::OpenStatus::Missing, "no answer for the host name " + server_.host + " within " +
                                           std::to_string(connectLimit_.count()) +
                                           " ms: check the address and the network's name service"};
    }
    if (found->addresses.empty()) {
      return {ui::OpenStatus::Missing,
              found->noSuchHost
                  ? ConnectFailureText(QAbstractSocket::HostNotFoundError, {}, server_, connectLimit_)
                  : "the host name " + server_.host + " cannot be looked up (" + found->error +
                        "): check the network's name service"};
    }
    addresses = found->addresses;
  }
  // A name may stand for an IPv6 and an IPv4 address, the server listening
  // on one of them: each in turn, while the limit lasts.
  auto error = QAbstractSocket::SocketTimeoutError;
  std::string reason;
  for (const QHostAddress& address : addresses) {
    socket_ = std::make_unique<QTcpSocket>();
    // Each typed character leaves at once, not gathered with the next.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->connectToHost(address, static_cast<quint16>(server_.port));
    if (socket_->waitForConnected(Ms(TimeLeft(start, connectLimit_)))) return {ui::OpenStatus::Opened, {}};
    error = socket_->error();
    reason = Local8Bit(socket_->errorString());
    socket_->abort();
    socket_.reset();
    if (TimeLeft(start, connectLimit_) <= milliseconds(0)) break;
  }
  return {ui::OpenStatus::Missing, ConnectFailureText(error, reason, server_, connectLimit_)};
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
