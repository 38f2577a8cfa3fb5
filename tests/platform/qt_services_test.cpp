// The Qt services of a program without windows: serial settings, the COM
// port routes, Latin-1 texts, and the network console against the test's own
// server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/qt/console_port.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_network_port.h"
#include "platform/qt/qt_serial_port.h"

namespace gw20::qtui {
namespace {

using std::chrono::milliseconds;

// Generous for a loaded machine; nothing asserts a duration.
constexpr int kPatienceMs = 5000;
constexpr milliseconds kWait{kPatienceMs};

ui::ConsoleAddress Server(const QTcpServer& server, const char* scheme) {
  return *ui::ParseConsoleAddress(std::string(scheme) + "://127.0.0.1:" + std::to_string(server.serverPort()))
              .address;
}

TEST(QtNetworkPort, RawTcp_PassesBytesAsTheyAre_ThenSaysTheServerClosed) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const ui::ConsoleAddress address = Server(server, "tcp");
  QtNetworkPort port(address, kWait);
  ASSERT_EQ(port.Open().status, ui::OpenStatus::Opened);
  ASSERT_TRUE(server.waitForNewConnection(kPatienceMs));
  std::unique_ptr<QTcpSocket> peer(server.nextPendingConnection());
  const std::string where = address.HostAndPort();
  // Accepted, nothing said yet: the note blames the silence.
  EXPECT_FALSE(port.WaitForInput(milliseconds(20)));
  EXPECT_EQ(port.DeviceFault(), "no answer from " + where + " since the connection opened");

  peer->write("\r\nGW20M>\xFF", 9);
  ASSERT_TRUE(peer->waitForBytesWritten(kPatienceMs));
  ASSERT_TRUE(port.WaitForInput(kWait));
  std::string received;
  while (received.size() < 9 && port.WaitForInput(kWait)) received += port.ReadAll();
  EXPECT_EQ(received, std::string("\r\nGW20M>\xFF", 9));
  EXPECT_EQ(port.DeviceFault(), "");

  port.Write(std::string("el 0\r\xFF", 6));
  EXPECT_EQ(port.OutBufferCount(), 0);
  QByteArray typed;
  while (typed.size() < 6 && peer->waitForReadyRead(kPatienceMs)) typed += peer->readAll();
  EXPECT_EQ(typed, QByteArray("el 0\r\xFF", 6));

  peer->disconnectFromHost();
  EXPECT_FALSE(port.WaitForInput(milliseconds(200)));
  EXPECT_EQ(port.DeviceFault(), "connection to " + where + " closed");
  EXPECT_EQ(port.FaultHint(), ui::kDeviceServerHint);
  EXPECT_TRUE(port.IsOpen());  // until the console closes it, as a serial port whose adapter went
  port.Write("x");             // goes nowhere, harmlessly
  EXPECT_EQ(port.InBufferCount(), 0);
  port.Close();
  EXPECT_EQ(port.DeviceFault(), "");
}

TEST(QtNetworkPort, Rfc2217ServerThatNeverNegotiates_DoesNotOpen) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const ui::ConsoleAddress address = Server(server, "rfc2217");
  QtNetworkPort port(address, milliseconds(200));
  const ui::OpenResult result = port.Open();
  EXPECT_EQ(result.status, ui::OpenStatus::Missing);
  EXPECT_EQ(result.description,
            address.HostAndPort() +
                " did not answer the Telnet negotiation within 200 ms: check that the device "
                "server speaks RFC 2217 there");
  EXPECT_FALSE(port.IsOpen());
}

TEST(QtNetworkPort, ConnectFailures_SayWhatHappened) {
  const ui::ConsoleAddress server = *ui::ParseConsoleAddress("rfc2217://10.0.0.7:4001").address;
  const std::vector<std::tuple<QAbstractSocket::SocketError, std::string, std::string>> failures{
      {QAbstractSocket::ConnectionRefusedError, "",
       "connection to 10.0.0.7:4001 refused: check the device server"},
      {QAbstractSocket::NetworkError, "Network unreachable",
       "10.0.0.7:4001 cannot be reached (Network unreachable): check the network and the device server"},
      {QAbstractSocket::SocketTimeoutError, "",
       "no connection to 10.0.0.7:4001 within 1000 ms: check the network and the device server"},
      {QAbstractSocket::HostNotFoundError, "", "there is no host 10.0.0.7: check the address"}};
  for (const auto& [error, detail, text] : failures) {
    EXPECT_EQ(ConnectFailureText(error, detail, server, milliseconds(1000)), text);
  }
}

// A name is looked up within the connect's limit, on its own thread; each of
// its addresses is tried in turn.
TEST(QtNetworkPort, HostName_LookedUpWithinTheLimit_EachAddressTried) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const ui::ConsoleAddress address =
      *ui::ParseConsoleAddress("tcp://gateway-3:" + std::to_string(server.serverPort())).address;
  const auto answer = [](const HostLookupResult& result, milliseconds after = milliseconds(0)) {
    return [result, after](const std::string& host) {
      std::this_thread::sleep_for(after);
      return host == "gateway-3" ? result : HostLookupResult{};
    };
  };
  const std::vector<QHostAddress> both{QHostAddress(QHostAddress::LocalHostIPv6),
                                       QHostAddress(QHostAddress::LocalHost)};
  const std::vector<std::tuple<HostLookup, milliseconds, std::string>> failures{
      {answer({both, false, {}}, milliseconds(1500)), milliseconds(200),
       "no answer for the host name gateway-3 within 200 ms: check the address and the network's name "
       "service"},
      {answer({{}, true, {}}), kWait, "there is no host gateway-3: check the address"},
      {answer({{}, false, "Temporary failure in name resolution"}), kWait,
       "the host name gateway-3 cannot be looked up (Temporary failure in name resolution): check the "
       "network's name service"}};
  for (const auto& [lookup, limit, text] : failures) {
    QtNetworkPort port(address, limit, lookup);
    const ui::OpenResult result = port.Open();
    EXPECT_EQ(std::pair(result.status, result.description), std::pair(ui::OpenStatus::Missing, text));
  }
  // The server listens on IPv4 only: ::1 refuses (or is absent), 127.0.0.1 takes it.
  QtNetworkPort port(address, kWait, answer({both, false, {}}));
  EXPECT_EQ(port.Open().status, ui::OpenStatus::Opened);
  EXPECT_TRUE(server.waitForNewConnection(kPatienceMs));
  const auto local = SystemHostLookup("localhost").addresses;
  EXPECT_NE(std::find(local.begin(), local.end(), QHostAddress(QHostAddress::LocalHost)), local.end());
}

// Settings a port takes; what a route that leads nowhere says when opened.
TEST(ConsolePort, SettingsAndRoutes) {
  QtSerialPort serial("/dev/gw20-none");
  EXPECT_TRUE(serial.SetSettings("115200,n,8,1"));  // the one form the program sets
  EXPECT_TRUE(serial.SetSettings(ui::SerialSettings{9600, ui::Parity::Even, 7, ui::StopBits::Two}));
  EXPECT_FALSE(serial.SetSettings("115200,n,8"));
  EXPECT_FALSE(serial.SetSettings(ui::SerialSettings{115200, ui::Parity::None, 9, ui::StopBits::One}));
  EXPECT_FALSE(serial.SetSettings(ui::SerialSettings{0, ui::Parity::None, 8, ui::StopBits::One}));

  const auto routes = ComPortRoutes([](const std::string& name) -> std::optional<std::string> {
    if (name == "GW20_COM2") return "ftp://10.0.0.7:21";
    if (name == "GW20_COM3") return "rfc2217://127.0.0.1:1";
    return std::nullopt;
  });
  ConsolePort port(routes, milliseconds(1000));
  port.SetPortNumber(2);
  EXPECT_EQ(port.Named().text, "COM2");
  const ui::OpenResult bad = port.Open();
  EXPECT_EQ(bad.status, ui::OpenStatus::Missing);
  EXPECT_EQ(bad.description.rfind("GW20_COM2=ftp://10.0.0.7:21: not an address", 0), 0u) << bad.description;
  EXPECT_FALSE(port.IsOpen());
  port.SetPortNumber(3);
  EXPECT_EQ(port.Named().text, "COM3");
  EXPECT_EQ(port.Open().description, "connection to 127.0.0.1:1 refused: check the device server");
  port.SetPortNumber(4);
  EXPECT_EQ(port.Open().description, "There is no /dev/ttyS3.");
}

TEST(Latin1, EveryByteIsOneCharacter_AndACharacterOutsideLatin1OneQuestionMark) {
  const std::string bytes("A\0\xE9\xFF", 4);
  const QString text = ToQString(bytes);
  EXPECT_EQ(text, QStringLiteral("A") + QChar(0) + QChar(0xE9) + QChar(0xFF));
  EXPECT_EQ(ToLatin1(text), bytes);
  // The euro sign is one UTF-16 unit, the emoji two: each one "?".
  EXPECT_EQ(ToLatin1(QString::fromUtf8("\u20ac \U0001F600")), "? ?");
}

}  // namespace
}  // namespace gw20::qtui
