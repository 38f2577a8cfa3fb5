#include <gtest/gtest.h>

#include <QString>
#include <chrono>
#include <optional>
#include <string>

#include "platform/qt/console_port.h"
#include "platform/qt/latin1.h"
#include "platform/qt/qt_serial_port.h"

namespace gw20::qtui {
namespace {

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
  ConsolePort port(routes, std::chrono::milliseconds(1000));
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
