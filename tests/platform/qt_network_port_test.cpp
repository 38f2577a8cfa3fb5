// The network console against the test's own server on 127.0.0.1 (a refused
// connection is ConsolePort's test).
#include "platform/qt/qt_network_port.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <chrono>
#include <memory>

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
  const milliseconds limit(1000);
  EXPECT_EQ(ConnectFailureText(QAbstractSocket::ConnectionRefusedError, "", server, limit),
            "connection to 10.0.0.7:4001 refused: check the device server");
  EXPECT_EQ(ConnectFailureText(QAbstractSocket::NetworkError, "Network unreachable", server, limit),
            "10.0.0.7:4001 cannot be reached (Network unreachable): check the network and the device server");
  EXPECT_EQ(ConnectFailureText(QAbstractSocket::SocketTimeoutError, "", server, limit),
            "no connection to 10.0.0.7:4001 within 1000 ms: check the network and the device server");
  EXPECT_EQ(ConnectFailureText(QAbstractSocket::HostNotFoundError, "", server, limit),
            "there is no host 10.0.0.7: check the address");
}

}  // namespace
}  // namespace gw20::qtui
