#include "sim/modules_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gw20::sim {
namespace {

TEST(ModulesFileTest, ReadsEveryKeyWithDefaultsForTheOptionalOnes) {
  const auto modules = ParseModulesJson(R"( [
    {"address": "0a", "model": "RA\u0034\"12", "typeCode": "40", "dataFormat": "0F",
     "baud": 115200, "checksum": true, "dSuffix": true},
    {"model": "RA850", "address": "00"}
  ] )");
  // Address, model, type code, data format, bit rate, checksum and "D".
  std::string read;
  for (const auto& m : modules) {
    for (const int n : {m.address, m.typeCode, m.dataFormat, m.baud, int{m.checksum}, int{m.dSuffix}})
      read += std::to_string(n) + " ";
    read += m.model + ";";
  }
  EXPECT_EQ(read, "10 64 15 115200 1 1 RA4\"12;0 0 0 9600 0 0 RA850;");
  EXPECT_TRUE(ParseModulesJson("[]").empty());
}

// Text that is not JSON: at the offending character. A module that cannot be
// used: at the start of its entry.
TEST(ModulesFileTest, RefusesAnythingElseSayingWhere) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"", "1:1: syntax error"},
      {"[\n  {\"address\": \"0A\", \"model\": RA412}\n]", "2:30: syntax error"},
      {"[{\"address\": \"01\", \"model\": \"X\"},]", "1:34: syntax error"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 1e999}]", "1:2: number overflow"},
      {" {}", "1:2: expected a \"[\""},
      {"[{\"address\": \"0A\"}]", "1:2: the module has no \"model\""},
      {"[{\"address\": \"0A\", \"model\": \"X\"},\n {\"address\": \"0a\", \"model\": \"Y\"}]",
       "2:2: module 0A: the address is used twice"},
      {"[{\"address\": \"01\", \"model\": \"X\"}, \n\n  3]", "3:3: expected a \"{\""},
      {"[{\"address\": \"0G\", \"model\": \"X\"}]", "1:2: \"address\": expected two hexadecimal digits"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"color\": 1}]", "1:2: unknown key \"color\""},
      {"[{\"address\": \"01\",\n  \"model\": \"X\", \"address\": \"02\"}]",
       "1:2: key \"address\" given twice"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 96.0}]", "1:2: \"baud\": expected a whole number"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"baud\": 9601}]", "1:2: module 01: bit rate 9601"},
      {"[{\"address\": \"01\", \"model\": \"X\", \"checksum\": 1}]",
       "1:2: \"checksum\": expected true or false"},
      {"[{\"address\": \"01\", \"model\": \"A B\"}]", "1:2: module 01: the model name"},
  };
  for (const auto& [text, message] : bad) {
    try {
      ParseModulesJson(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const ModulesFileError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(message, 0), 0u) << text << " gave " << error.what();
    }
  }
}

}  // namespace
}  // namespace gw20::sim
