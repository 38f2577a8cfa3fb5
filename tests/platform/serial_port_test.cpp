#include "platform/ui/serial_port.h"

#include <gtest/gtest.h>

namespace gw20::ui {
namespace {

TEST(SerialSettings, ParsedFromTheirTextAndWrittenBack) {
  EXPECT_EQ(ParseSerialSettings("115200,n,8,1"), SerialSettings{});
  EXPECT_EQ(ParseSerialSettings(" 9600 ,E, 7 ,1.5"),
            (SerialSettings{9600, Parity::Even, 7, StopBits::OneAndHalf}));
  EXPECT_EQ(ParseSerialSettings("300,s,5,2"), (SerialSettings{300, Parity::Space, 5, StopBits::Two}));
  EXPECT_EQ(SerialSettingsText({19200, Parity::Mark, 6, StopBits::OneAndHalf}), "19200,m,6,1.5");
  EXPECT_EQ(SerialSettingsText(*ParseSerialSettings("57600,O,8,2")), "57600,o,8,2");

  for (const char* text :
       {"", "115200", "115200,n,8", "115200,n,8,1,", "115200,n,8,1,x", ",n,8,1", "0,n,8,1", "-9600,n,8,1",
        "96OO,n,8,1", "115200,x,8,1", "115200,no,8,1", "115200,,8,1", "115200,n,4,1", "115200,n,9,1",
        "115200,n,8,0", "115200,n,8,3", "115200,n,8,1.0"}) {
    EXPECT_EQ(ParseSerialSettings(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace gw20::ui
