#include "plans/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace gw20::plans {
namespace {

TEST(ParseJson, TextOutsideTheGrammarOrUtf8_IsRefusedAtItsPlace) {
  const struct {
    std::string text, reason;
    int line, column;
  } cases[] = {
      {"", "expected a value, found the end of the file", 1, 1},
      {"{\"a\": 01}", "expected ',' or '}', found '1'", 1, 8},
      {"{\"a\": -}", "a number needs a digit here, found '}'", 1, 8},
      {"{\"a\": 1.}", "a number needs a digit here, found '}'", 1, 9},
      {"{\"a\": 1e+}", "a number needs a digit here, found '}'", 1, 10},
      {"{\"a\": tru}", "expected a value, found 't'", 1, 7},
      {"{\"a\" 1}", "expected ':' after the key, found '1'", 1, 6},
      {"{,}", "expected a key in double quotes, found ','", 1, 2},
      {"[1,]", "expected a value, found ']'", 1, 4},
      {"{\"a\": \"x\\qy\"}", "unknown escape \\q in a text", 1, 10},
      {"{\"a\": \"\\u12\"}", "\\u needs four hexadecimal digits", 1, 12},
      {"{\"a\": \"\\udc00\"}", "\\u escape of a lone surrogate", 1, 8},
      {"{\"a\": \"x\ny\"}", "a control character inside a text must be written as an escape, like \\n", 1, 9},
      {"{\"a\": \"x", "the file ends inside a text; its closing '\"' is missing", 1, 9},
      {"\"\xC0\x80\"", "not UTF-8 text", 1, 2},          // an overlong form
      {"\"\xED\xA0\x80\"", "not UTF-8 text", 1, 2},      // a surrogate
      {"\"\xF4\x90\x80\x80\"", "not UTF-8 text", 1, 2},  // past U+10FFFF
      {"\"\xC3\"", "not UTF-8 text", 1, 2},              // cut short
      {"\n\t \"\xC3\xA9\xE2\x82\xAC\" x", "text after the end of the document: found 'x'", 2, 8},
      {"{\"a\": 1, \"b\": {\"a\": 2, \"a\": 3}}", "the key \"a\" is given twice", 1, 24},
      // A CR alone ends a line; CR LF ends one.
      {"{\r\"a\":\r\n 1,\r\r x}", "expected a key in double quotes, found 'x'", 5, 2},
      {"{\"" + std::string(45, 'k') + "\": 1, \"" + std::string(45, 'k') + "\": 2}",
       "the key \"" + std::string(40, 'k') + "...\" is given twice", 1, 54},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    JsonSyntaxError error;
    EXPECT_FALSE(ParseJson(c.text, error));
    EXPECT_EQ(error.reason, c.reason);
    EXPECT_EQ(error.at, (JsonPosition{c.line, c.column}));
  }
}

TEST(ParseJson, EveryKindOfValue_IsReadWithItsPlace) {
  JsonSyntaxError error;
  const auto value = ParseJson(
      "{\"s\": [\"\\ud83d\\ude00\", \"\\b\\f\\n\\r\\t\\\"\\\\\\/\"],\n \"n\": -0, \"f\": 1.5e-3, "
      "\"t\": true, \"x\": null, \"o\": {}}",
      error);
  ASSERT_TRUE(value) << error.reason;
  ASSERT_EQ(value->keys, (std::vector<std::string>{"s", "n", "f", "t", "x", "o"}));
  const JsonValue& texts = *value->Member("s");
  EXPECT_EQ(texts.items[0].text, "\xF0\x9F\x98\x80");
  EXPECT_EQ(texts.items[1].text, "\b\f\n\r\t\"\\/");
  EXPECT_EQ(value->Member("n")->text, "-0");
  EXPECT_EQ(value->Member("f")->text, "1.5e-3");
  EXPECT_EQ(value->Member("n")->at, (JsonPosition{2, 7}));
  EXPECT_EQ(value->keyAt[1], (JsonPosition{2, 2}));
  EXPECT_TRUE(value->Member("t")->boolean);
  EXPECT_EQ(value->Member("x")->kind, JsonKind::Null);
  EXPECT_EQ(value->Member("o")->kind, JsonKind::Object);
  EXPECT_EQ(value->Member("missing"), nullptr);

  // Whatever JsonQuote writes reads back as the same text.
  std::string every;
  for (int c = 1; c < 0x80; ++c) every += static_cast<char>(c);
  every += "\xC3\xA9";
  const auto quoted = ParseJson(JsonQuote(every), error);
  ASSERT_TRUE(quoted) << error.reason;
  EXPECT_EQ(quoted->text, every);
}

}  // namespace
}  // namespace gw20::plans
