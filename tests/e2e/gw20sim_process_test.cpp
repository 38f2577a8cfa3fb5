// gw20sim as a process: its banner, its console on the link across reopened
// connections, the scan listing on its own clock, and bad input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/sim_process.h"

namespace gw20::testing {
namespace {

using Clock = std::chrono::steady_clock;
// Generous, so sanitizer builds on a busy machine don't fail; only an upper bound.
constexpr auto kPatience = std::chrono::seconds(15);

// Reads from the pty `fd` until `text` has arrived (returns all read) or patience runs out.
std::optional<std::string> ReadUntil(int fd, std::string_view text) {
  std::string received;
  for (const auto deadline = Clock::now() + kPatience; received.find(text) == std::string::npos;) {
    if (Clock::now() > deadline) {
      ADD_FAILURE() << "waited in vain for \"" << text << "\", got \"" << received << "\"";
      return std::nullopt;
    }
    pollfd pfd{fd, POLLIN, 0};
    char buffer[256];
    if (poll(&pfd, 1, 50) > 0) {
      const ssize_t count = read(fd, buffer, sizeof buffer);
      if (count > 0) received.append(buffer, static_cast<std::size_t>(count));
    }
  }
  return received;
}

int OpenRaw(const QString& device) {
  const int fd = open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
  termios settings{};
  if (fd >= 0 && tcgetattr(fd, &settings) == 0) {
    cfmakeraw(&settings);
    tcsetattr(fd, TCSANOW, &settings);
  }
  return fd;
}

void TypeSlowly(int fd, std::string_view text) {
  for (const char c : text) {
    ASSERT_EQ(write(fd, &c, 1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
}

// The link, even dangling, is still there.
bool LinkLeft(const QString& link) {
  return std::filesystem::exists(std::filesystem::symlink_status(link.toStdString()));
}

TEST(Gw20simProcess, ServesConsoleOnLinkUntilTerminated) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--link", sim.Link(), "--transcript", sim.Path("transcript")}));
  QProcess& process = sim.process();
  while (!process.canReadLine() && process.waitForReadyRead(15000)) {
  }
  const QString banner = QString::fromLocal8Bit(process.readLine());
  EXPECT_TRUE(banner.startsWith("gw20sim: serving GW20M on /dev/pts/")) << banner.toStdString();
  EXPECT_TRUE(banner.endsWith(" as " + sim.Link() + "\n")) << banner.toStdString();

  // The program closes and reopens the port at every connect; the sim must survive that.
  for (int connect = 0; connect < 2; ++connect) {
    const int fd = OpenRaw(sim.Link());
    ASSERT_GE(fd, 0);
    TypeSlowly(fd, "use eeprom\r");
    EXPECT_TRUE(ReadUntil(fd, "use eeprom\r\n[EEPROM:]"));
    TypeSlowly(fd, "block 0\r");
    EXPECT_TRUE(ReadUntil(fd, "block 0\r\n[EEPROM:]"));
    TypeSlowly(fd, "el 0\r");
    EXPECT_TRUE(ReadUntil(fd, "Long(0)=517\r\n-->"));
    TypeSlowly(fd, ".\rexit\r");
    EXPECT_TRUE(ReadUntil(fd, "exit\r\nGW20M>"));
    close(fd);
  }
  ASSERT_FALSE(sim.Transcript().empty());
  EXPECT_EQ(sim.Transcript().front(), "use eeprom");

  process.terminate();
  ASSERT_TRUE(process.waitForFinished(15000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_FALSE(LinkLeft(sim.Link()));
}

TEST(Gw20simProcess, ScanListingArrivesAsTheControllerClockRuns) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--link", sim.Link(), "--fifo", "0", "--modules", "03:RA850:40"}));
  const int fd = OpenRaw(sim.Link());
  ASSERT_GE(fd, 0);
  TypeSlowly(fd, "use com2\r/timeout 100\r");
  ASSERT_TRUE(ReadUntil(fd, "100 ms\r\n[COM2:]"));
  TypeSlowly(fd, "/scan\r");
  const auto listing = ReadUntil(fd, "[COM2:]");
  ASSERT_TRUE(listing);
  EXPECT_NE(listing->find("!03RA850{"), std::string::npos) << *listing;
  // Sixteen addresses take 1.5 s of the controller's clock, so progress marks come in between.
  EXPECT_NE(listing->find('.'), std::string::npos) << *listing;
  TypeSlowly(fd, "$032\r");
  EXPECT_TRUE(ReadUntil(fd, "!03400600\r\n[COM2:]"));
  close(fd);
}

TEST(Gw20simProcess, BadInputExitsWithStatus2AndMessage) {
  SimProcess files;
  QFile eeprom(files.Path("bad.txt")), modules(files.Path("bad.json"));
  ASSERT_TRUE(eeprom.open(QIODevice::WriteOnly) && modules.open(QIODevice::WriteOnly));
  eeprom.write("0:0=517\nnonsense\n"), eeprom.close();
  modules.write("[\n  {\"address\": \"0A\", \"model\": RA412}\n]\n"), modules.close();
  const QString link = files.Link();
  const std::vector<std::pair<QStringList, QString>> cases = {
      {{"--link", link, "--eeprom", files.Path("bad.txt")}, "bad.txt:2:"},
      {{"--link", link, "--firmware", "2.05-2006/13/07"}, "month"},
      {{"--link", link, "--bogus"}, "--bogus"},
      {{"--model", "GW20A"}, "--link"},
      {{"--link", link, "--modules-file", files.Path("bad.json")}, "bad.json:2:30: syntax error"},
      {{"--link", link, "--modules", "0A:RA412,0a:RA850"}, "0A: the address is used twice"},
  };
  for (const auto& [args, message] : cases) {
    SimProcess sim;
    EXPECT_EQ(sim.RunToEnd(args), 2) << message.toStdString();
    EXPECT_TRUE(sim.process().readAllStandardError().contains(message.toLocal8Bit())) << message.toStdString();
  }
  EXPECT_FALSE(LinkLeft(link));
}

}  // namespace
}  // namespace gw20::testing
