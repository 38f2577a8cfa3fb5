// gw20sim as a process on a real pseudo-terminal, as a PC's port sees it. Its console across the
// connections each gw20cli run opens is CliEndToEnd's; its small receive buffer, Stalls' and
// ControllerTest's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/qt_serial_port.h"
#include "sim/field_module.h"
#include "tests/support/sim_process.h"

namespace gw20::testing {
namespace {

using Clock = std::chrono::steady_clock;
// Generous, so sanitizer builds on a busy machine don't fail; only an upper bound.
constexpr auto kPatience = std::chrono::seconds(15);
constexpr int kPatienceMs = static_cast<int>(std::chrono::milliseconds(kPatience).count());
constexpr int kPollStepMs = 20;

// Reads from the pty `fd` until `text` has arrived (returns all read) or patience runs out.
std::optional<std::string> ReadUntil(int fd, std::string_view text) {
  std::string received;
  for (const auto deadline = Clock::now() + kPatience; received.find(text) == std::string::npos;) {
    if (Clock::now() > deadline) {
      ADD_FAILURE() << "waited in vain for \"" << text << "\", got " << received.size() << " characters: \""
                    << received.substr(0, 200) << "\"";
      return std::nullopt;
    }
    pollfd pfd{fd, POLLIN, 0};
    char buffer[4096];
    if (poll(&pfd, 1, kPollStepMs) > 0) {
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

void Send(int fd, std::string_view text) {
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

// The link, even dangling, is still there.
bool LinkLeft(const QString& link) {
  return std::filesystem::exists(std::filesystem::symlink_status(link.toStdString()));
}

TEST(Gw20simPty, LongListingReachesAPcThatReadsLateWhole) {
  // A hundred entries of some 3 KiB: far more than the pseudo-terminal holds.
  constexpr int kModules = 100;
  constexpr std::size_t kModelLength = 3000;
  QStringList args;
  std::vector<std::string> entries;
  for (int address = 1; address <= kModules; ++address) {
    const std::string model(kModelLength, static_cast<char>('A' + address % 26));
    args << "--modules" << QString::fromStdString(sim::HexByte(address) + ":" + model);
    entries.push_back("!" + sim::HexByte(address) + model + "{addr=" + sim::HexByte(address));
  }
  SimProcess sim;
  ASSERT_TRUE(sim.Start(args));
  const int fd = OpenRaw(sim.Link());
  ASSERT_GE(fd, 0);
  Send(fd, "use com2\r/start 1\r/end " + std::to_string(kModules) + "\r");
  ASSERT_TRUE(ReadUntil(fd, "End address = " + std::to_string(kModules) + "\r\n[COM2:]"));
  Send(fd, "/scan\r");
  // The scan takes half a second of the controller's clock; the PC reads only afterwards.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const auto listing = ReadUntil(fd, "Modules found: " + std::to_string(kModules) + "\r\n[COM2:]");
  close(fd);
  ASSERT_TRUE(listing);
  std::string missing;
  for (const std::string& entry : entries) {
    if (listing->find(entry) == std::string::npos) missing += " " + entry.substr(1, 2);
  }
  EXPECT_EQ(missing, "") << "entries lost";
}

// A burst from a device server's network side, longer than the 8-character
// buffer: taken whole at the line's rate, cut to the buffer at once without
// it. Over a delayed line every character still arrives, in order.
TEST(Gw20simPty, LineRateFeedsABurstCharacterByCharacter_LineDelayKeepsEverything) {
  const std::string burst = "use eeprom\rblock 2\rexit\r";
  for (const QStringList& line : {QStringList{"--line-rate", "115200"}, QStringList{},
                                  QStringList{"--line-delay", "30", "--line-rate", "115200"}}) {
    SCOPED_TRACE(line.join(' ').toStdString());
    SimProcess sim;
    ASSERT_TRUE(sim.Start(QStringList{"--fifo", "8"} + line));
    const int fd = OpenRaw(sim.Link());
    ASSERT_GE(fd, 0);
    Send(fd, burst);
    if (line.isEmpty()) {
      EXPECT_TRUE(ReadUntil(fd, "use eepr"));
    } else {
      EXPECT_TRUE(ReadUntil(fd, "exit\r\nGW20M>"));
    }
    close(fd);
    EXPECT_EQ(sim.Transcript(),
              line.isEmpty() ? QStringList{} : QStringList({"use eeprom", "block 2", "exit"}));
  }
}

TEST(Gw20simPty, HangUpAfterTheLastAnswerClosesTheTerminalAndEnds) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start({"--fault-hangup-after", "2"}));
  const int fd = OpenRaw(sim.Link());
  ASSERT_GE(fd, 0);
  Send(fd, "use eeprom\r");
  EXPECT_TRUE(ReadUntil(fd, "use eeprom\r\n[EEPROM:]"));
  Send(fd, "block 0\r");
  EXPECT_TRUE(ReadUntil(fd, "block 0\r\n[EEPROM:]")) << "the last line is still answered";

  // Then the port reports a hang-up rather than going quiet.
  pollfd pfd{fd, POLLIN, 0};
  ASSERT_EQ(poll(&pfd, 1, kPatienceMs), 1);
  EXPECT_NE(pfd.revents & (POLLHUP | POLLERR), 0) << pfd.revents;
  char c = 0;
  EXPECT_LE(read(fd, &c, 1), 0);
  EXPECT_LT(write(fd, "\r", 1), 0);
  close(fd);
  // The simulator ends on its own with status 0 and takes its link along.
  ASSERT_TRUE(sim.process().waitForFinished(kPatienceMs));
  EXPECT_TRUE(sim.process().exitStatus() == QProcess::NormalExit && sim.process().exitCode() == 0);
  EXPECT_FALSE(LinkLeft(sim.Link()));
}

TEST(Gw20simProcess, BadInputExitsWithStatus2AndMessage) {
  SimProcess files;
  ASSERT_TRUE(files.WriteFile("bad.txt", "0:0=517\nnonsense\n") &&
              files.WriteFile("bad.json", "[\n  {\"address\": \"0A\", \"model\": RA412}\n]\n"));
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
    EXPECT_TRUE(sim.process().readAllStandardError().contains(message.toLocal8Bit()))
        << message.toStdString();
  }
  EXPECT_FALSE(LinkLeft(link));
}

TEST(SerialEndToEnd, AnOpenPortIsOccupiedUnderEitherName_UntilClosed) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start());
  const std::string link = sim.Link().toStdString();
  qtui::QtSerialPort first(link), second(link), byDeviceName(std::filesystem::canonical(link).string());
  ASSERT_EQ(first.Open().status, ui::OpenStatus::Opened);
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Occupied);
  EXPECT_EQ(byDeviceName.Open().status, ui::OpenStatus::Occupied);
  first.Close();  // released: the next holder gets it
  EXPECT_EQ(second.Open().status, ui::OpenStatus::Opened);
  second.Close();
}

}  // namespace
}  // namespace gw20::testing
