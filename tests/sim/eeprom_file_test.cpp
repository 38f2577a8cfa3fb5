#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "sim/controller.h"
#include "tests/support/test_services.h"

namespace gw20::sim {
namespace {

void WriteAll(const std::filesystem::path& file, const std::string& text) { std::ofstream(file) << text; }

ControllerOptions WithFiles(const gw20::testing::ScratchFolder& dir) {
  ControllerOptions options;
  options.eepromFile = dir / "eeprom.txt";
  options.transcriptFile = dir / "transcript.txt";
  return options;
}

TEST(EepromFileTest, CreatedSavedAndReloaded) {
  const gw20::testing::ScratchFolder dir;
  {
    ControllerOptions options = WithFiles(dir);
    options.firmwareMajor = 1;
    options.firmwareMinor = 10;
    Controller controller(std::move(options));
    const std::string created = gw20::testing::ReadFile(dir / "eeprom.txt");
    EXPECT_EQ(created.substr(0, created.find("0:8=")), "0:0=266\n0:4=131465991\n");
    EXPECT_NE(created.find("\n2:252=4294967295\n"), std::string::npos);
    for (const char c : std::string("use eeprom\rblock 2\rel 100\r-2\r")) {
      controller.Receive(std::string_view(&c, 1));
    }
    controller.SetWord(1, 0, 42);
  }
  EXPECT_EQ(gw20::testing::ReadFile(dir / "transcript.txt"), "use eeprom\nblock 2\nel 100\n-2\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "eeprom.txt.tmp"));

  // The file wins over the firmware options once it exists.
  const Controller reloaded(WithFiles(dir));
  EXPECT_EQ(reloaded.Word(2, 100), 4294967294u);
  EXPECT_EQ(reloaded.Word(1, 0), 42u);
  EXPECT_EQ(reloaded.Word(0, 0), 266u);
  EXPECT_TRUE(reloaded.Transcript().empty());
}

TEST(EepromFileTest, BadFileIsRejectedNamingFileAndLine) {
  const gw20::testing::ScratchFolder dir;
  const std::filesystem::path file = dir / "eeprom.txt";
  { const Controller create(WithFiles(dir)); }
  const std::string good = gw20::testing::ReadFile(file);
  const std::size_t secondLine = good.find('\n') + 1;
  const std::size_t thirdLine = good.find('\n', secondLine) + 1;
  const std::string head = good.substr(0, secondLine);
  const std::string tail = good.substr(thirdLine);
  const std::pair<std::string, std::string> cases[] = {
      {head + "0:4 131465991\n" + tail, "eeprom.txt:2: expected"},
      {head + "3:4=0\n" + tail, "eeprom.txt:2: block"},
      {head + "0:5=0\n" + tail, "eeprom.txt:2: address"},
      {head + "0:4=4294967296\n" + tail, "eeprom.txt:2: value"},
      {head + "0:0=1\n" + tail, "eeprom.txt:2: word 0:0 is listed twice"},
      {head + tail, "word 0:4 is missing"},
  };
  for (const auto& [text, message] : cases) {
    WriteAll(file, text);
    try {
      const Controller controller(WithFiles(dir));
      ADD_FAILURE() << "accepted: " << message;
    } catch (const std::runtime_error& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
  WriteAll(file, good + "\n");  // a trailing blank line is harmless
  EXPECT_NO_THROW(Controller{WithFiles(dir)});
}

}  // namespace
}  // namespace gw20::sim
