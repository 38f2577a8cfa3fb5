#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>

#include "platform/qt/latin1.h"
#include "platform/qt/qt_serial_port.h"

namespace gw20::qtui {
namespace {

// A port's own device is COMn's; a configured one is SerialEndToEnd's.
TEST(QtSerialPort, PortNamesAndSettings) {
  unsetenv("GW20_COM3");
  EXPECT_EQ(DeviceForPort(3), "/dev/ttyS2");
  QtSerialPort port;
  EXPECT_TRUE(port.SetSettings("115200,n,8,1"));  // the one form the program sets
  EXPECT_TRUE(port.SetSettings(ui::SerialSettings{9600, ui::Parity::Even, 7, ui::StopBits::Two}));
  EXPECT_FALSE(port.SetSettings("115200,n,8"));
  EXPECT_FALSE(port.SetSettings(ui::SerialSettings{115200, ui::Parity::None, 9, ui::StopBits::One}));
  EXPECT_FALSE(port.SetSettings(ui::SerialSettings{0, ui::Parity::None, 8, ui::StopBits::One}));
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
