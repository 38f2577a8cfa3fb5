#include "plans/plan_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "modules/module_table.h"
#include "plans/json_document.h"
#include "plans/plan.h"
#include "plans/plan_state.h"
#include "tests/support/test_services.h"

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
  EXPECT_EQ((std::vector{texts.items[0].text, texts.items[1].text, value->Member("n")->text,
                         value->Member("f")->text}),
            (std::vector<std::string>{"\xF0\x9F\x98\x80", "\b\f\n\r\t\"\\/", "-0", "1.5e-3"}));
  EXPECT_EQ((std::vector{value->Member("n")->at, value->keyAt[1]}),
            (std::vector<JsonPosition>{{2, 7}, {2, 2}}));
  EXPECT_EQ(std::tuple(value->Member("t")->boolean, value->Member("x")->kind, value->Member("o")->kind,
                       value->Member("missing")),
            std::tuple(true, JsonKind::Null, JsonKind::Object, nullptr));

  // Whatever JsonQuote writes reads back as the same text.
  std::string every;
  for (int c = 1; c < 0x80; ++c) every += static_cast<char>(c);
  every += "\xC3\xA9";
  const auto quoted = ParseJson(JsonQuote(every), error);
  ASSERT_TRUE(quoted) << error.reason;
  EXPECT_EQ(quoted->text, every);
}

// Every field away from its default, texts with quotes, escapes and Latin-1.
Plan GuardingPlan() {
  Plan plan;
  plan.nodeId = 127;
  plan.canBitRateKbps = 1000;
  plan.fieldPort = {115200, true, 32767};
  plan.scan = {1200, false, 0};
  plan.modules = {{0x01, "RA412", 0x40, 0x00}, {0xFF, "RB952", 0xAB, 0xCD}};
  plan.edsInfo = {"Gr\xFC\xDF \"line\" \\ 3\t\x01", "\xFF"};
  plan.errorControl = {ErrorControlProtocol::NodeGuarding, 65535, 255, 0, 0x83};
  return plan;
}

Plan HeartbeatPlan() {
  Plan plan;
  plan.errorControl = {ErrorControlProtocol::Heartbeat, 0, 0, 300, 0x01};
  plan.firmware = "2.05-2006/03/07";
  return plan;
}

// Fifteen modules, the most a chain holds, and a non-Poll default.
Plan DeviceNetPlan() {
  Plan plan;
  plan.profile = Profile::DeviceNet;
  plan.nodeId = 63;
  plan.canBitRateKbps = 250;
  for (int a = 1; a <= modules::kModuleSlots; ++a) plan.modules.push_back({a, "RA850", 0x08, a});
  plan.deviceNet.connections = {{{"INPUT  01(Assembly)", "OUTPUT 01(Assembly)"},
                                 {"INPUT  03(AI,App.01)", "None"},
                                 {"None", "OUTPUT 02(AO,App.15)"}}};
  plan.deviceNet.defaultConnection = "Cyclic";
  return plan;
}

// Columns count characters, not the bytes of their UTF-8 form.
std::pair<int, int> LineAndColumn(const std::string& text, std::size_t at) {
  const auto end = text.begin() + static_cast<std::ptrdiff_t>(at);
  const auto lineStart = std::find(std::make_reverse_iterator(end), text.rend(), '\n').base();
  return {1 + static_cast<int>(std::count(text.begin(), end, '\n')),
          1 + static_cast<int>(
                  std::count_if(lineStart, end, [](unsigned char c) { return (c & 0xC0) != 0x80; }))};
}

TEST(PlanFile, WrittenThenRead_GivesTheSamePlanAndText) {
  for (const Plan& plan : {GuardingPlan(), HeartbeatPlan(), DeviceNetPlan(), Plan{}}) {
    ASSERT_FALSE(CheckPlan(plan)) << CheckPlan(plan)->path;
    const std::string text = WritePlanText(plan);
    SCOPED_TRACE(text);
    EXPECT_TRUE(text.starts_with("{\n  \"format\": \"gw20-plan/2\",\n  \"profile\": \"")) << text;
    EXPECT_TRUE(text.ends_with("\n}\n"));
    const PlanReadResult read = ParsePlan(text, "plan.json");
    ASSERT_TRUE(read.Ok()) << read.error.Text();
    EXPECT_EQ(*read.plan, plan);
    EXPECT_EQ(WritePlanText(*read.plan), text);
  }
  // Latin-1 travels as UTF-8, control characters as escapes.
  const std::string text = WritePlanText(GuardingPlan());
  EXPECT_NE(text.find("\"Gr\xC3\xBC\xC3\x9F \\\"line\\\" \\\\ 3\\t\\u0001\""), std::string::npos);
  EXPECT_NE(text.find("\"address\": \"FF\",\n      \"model\": \"RB952\""), std::string::npos);
  EXPECT_NE(text.find("\"otherFlags\": \"83\"\n  }\n}"), std::string::npos);

  // Another writer's spelling of the same plan reads the same: keys in any
  // order, lower-case hex digits, \u escapes, no line breaks.
  std::string compact = WritePlanText(HeartbeatPlan());
  compact.erase(std::remove(compact.begin(), compact.end(), '\n'), compact.end());
  compact.replace(compact.find("\"createdBy\": \"\""), 15, "\"createdBy\": \"\\u00ff\\/\"");
  compact.replace(compact.find("\"otherFlags\": \"01\""), 18, "\"otherFlags\": \"0a\"");
  const PlanReadResult read = ParsePlan("\xEF\xBB\xBF" + compact, "compact.json");
  ASSERT_TRUE(read.Ok()) << read.error.Text();
  EXPECT_EQ(read.plan->edsInfo[eds::kEdsCreator], "\xFF/");
  EXPECT_EQ(read.plan->errorControl.otherFlags, 0x0A);
}

// Each way a plan can be bad: the reason, the key path, and the place of
// the value, key or character at fault (the first `marker` in the text).
TEST(PlanFile, BadPlan_IsRefusedWithReasonPathAndPosition) {
  const std::string canopen = WritePlanText(GuardingPlan());
  const std::string devicenet = WritePlanText(DeviceNetPlan());
  Plan tooMany = DeviceNetPlan();
  tooMany.modules.push_back({0x10, "RA394", 0, 0});
  const std::string longText(500000, 'k');
  Plan overflow;  // 13 modules of ten analog inputs: 260 bytes
  for (int a = 1; a <= 13; ++a) overflow.modules.push_back({a, "RA883Z", 0, 0});
  const struct {
    const std::string& base;
    std::string from, to;                   // first `from` replaced by `to`; `from` empty: `to` appended
    std::string path, reason, marker = {};  // marker empty: `to`
  } cases[] = {
      {canopen, "127,", "127", "", "expected ',' or '}', found '\"'", "\"canBitRateKbps\""},
      {canopen, "", "x", "", "text after the end of the document: found 'x'"},
      {canopen, "Gr\xC3\xBC", "Gr\xFC", "", "not UTF-8 text", "\xFC"},
      {canopen, "\\t", "\\ud800", "", "\\u escape of a lone surrogate"},
      {canopen, "\"nodeId\": 127", "\"nodeId\": 1, \"nodeId\": 127", "", "the key \"nodeId\" is given twice",
       "\"nodeId\": 127"},
      {canopen, "gw20-plan/2", "gw20-plan/3", "format",
       "\"gw20-plan/3\" is not a format this program reads; it reads \"gw20-plan/2\" and \"gw20-plan/1\"",
       "\"gw20-plan/3\""},
      {canopen, "\"canBitRateKbps\": 1000,", "\"canBitRateKbps\": 1000, \"firmware\": \"2.5\",", "firmware",
       "\"2.5\" is no firmware; write it as the main window shows it, like \"2.05-2006/03/07\"", "\"2.5\""},
      {canopen, "\"checksum\": true,\n", "", "fieldPort.checksum", "missing",
       "{\n    \"bitRateBps\": 115200"},
      {canopen, "32767\n", "32767, \"baud\": 1\n", "fieldPort.baud",
       "unknown key; here the keys are bitRateBps, checksum, timeoutMs", "\"baud\""},
      // A key or a text of any length is shown by its start, on one line.
      {canopen, "32767\n", "32767, \"" + longText + "\": 1\n", "fieldPort." + std::string(40, 'k') + "...",
       "unknown key; here the keys are bitRateBps, checksum, timeoutMs", "\"kkk"},
      {canopen, "\"canopen\",", "\"" + longText + "\",", "profile",
       "\"" + std::string(40, 'k') + "...\" is not a profile; use \"canopen\" or \"devicenet\"", "\"kkk"},
      {canopen, "\"canopen\": {", "\"deviceNet\": {", "deviceNet", "a CANopen plan has no DeviceNet part"},
      {canopen, "\"guardTimeMs\"", "\"heartbeatTimeMs\"", "canopen.heartbeatTimeMs",
       "goes with \"errorControl\": \"heartbeat\""},
      {canopen, "127,", "\"127\",", "nodeId", "must be a whole number"},
      {canopen, "127,", "12.5,", "nodeId", "must be a whole number"},
      {canopen, "true", "\"on\"", "fieldPort.checksum", "must be true or false"},
      {canopen, "127,", "128,", "nodeId", "Node ID is not supported!(1~127)"},
      {devicenet, "63,", "64,", "nodeId", "Node ID is not supported!(1~63)"},
      {canopen, "1000,", "1001,", "canBitRateKbps",
       "1001 kbit/s is not a CANopen bit rate; use 10, 20, 50, 125, 250, 500, 800 or 1000"},
      {devicenet, "250,", "1000,", "canBitRateKbps",
       "1000 kbit/s is not a DeviceNet bit rate; use 125, 250 or 500"},
      {canopen, "115200", "14400", "fieldPort.bitRateBps",
       "14400 bit/s is not a field-port bit rate; use 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200"},
      {canopen, "32767", "0", "fieldPort.timeoutMs", "Timeout value is out of range!(1ms~32767ms)", "0\n"},
      {canopen, "\"timeoutMs\": 0", "\"timeoutMs\": 99999999999999999999", "scan.timeoutMs",
       "the scan time-out is 0 to 32767 ms", "99999"},
      {canopen, "\"01\"", "\"0G\"", "modules[0].address", "must be two hexadecimal digits, like \"0A\""},
      {canopen, "\"01\"", "\"00\"", "modules[0].address",
       "address 00 is a module that is not configured yet; use 01 to FF"},
      {canopen, "\"FF\"", "\"01\"", "modules[1].address",
       "address 01 is also modules[0]'s; each module has its own", "\"01\",\n      \"model\": \"RB952\""},
      {canopen, "\"AB\"", "\"A\"", "modules[1].typeCode", "must be two hexadecimal digits, like \"0A\""},
      {canopen, "\"RB952\"", "\"rb952\"", "modules[1].model",
       "model \"rb952\" is not in the catalog (names are exact: \"RB952\")"},
      // Value errors give the range the page's message leaves out.
      {canopen, "65535,", "65536,", "canopen.guardTimeMs", "Guard Time is overflow (0 to 65535 ms)", "65536"},
      {canopen, "\"83\"", "\"84\"", "canopen.otherFlags",
       "bit 04 is the heartbeat bit; choose it with \"errorControl\": \"heartbeat\""},
      {devicenet, "\"Cyclic\"", "\"Pol\"", "deviceNet.defaultConnection",
       "\"Pol\" is not a default connection; use \"Poll \", \"Strobe\", \"COS\" or \"Cyclic\""},
      {devicenet, "\"None\"\n", "null\n", "deviceNet.strobe.consumed", "must be a text in double quotes"},
      {WritePlanText(tooMany), "", "", "modules", "16 modules; a controller masters at most 15", "[\n"},
      {WritePlanText(overflow), "", "", "modules[12]",
       "Overflow: TotalAIBytes would be 260 bytes (at most 255) with module RA883Z at address 13",
       "{\n      \"address\": \"0D\""},
  };
  // A line ends with LF, CR LF or a CR alone, and counts once either way.
  std::string badNode = canopen;
  badNode.replace(badNode.find("127,"), 3, "128");
  EXPECT_EQ(ParsePlan(badNode, "x").error.Text(), "x:4:13: nodeId: Node ID is not supported!(1~127)");
  for (const std::string end : {"\r\n", "\r"}) {
    std::string other;
    for (const char c : badNode) other += c == '\n' ? end : std::string(1, c);
    EXPECT_EQ(ParsePlan(other, "x").error.Text(), "x:4:13: nodeId: Node ID is not supported!(1~127)");
  }
  for (const auto& c : cases) {
    std::string text = c.base;
    if (c.from.empty()) {
      text += c.to;
    } else {
      ASSERT_NE(text.find(c.from), std::string::npos) << c.from;
      text.replace(text.find(c.from), c.from.size(), c.to);
    }
    SCOPED_TRACE(c.reason);
    const PlanReadResult read = ParsePlan(text, "line3.json");
    ASSERT_FALSE(read.Ok());
    EXPECT_EQ(read.error.path, c.path);
    EXPECT_EQ(read.error.reason, c.reason);
    const std::size_t at = text.find(c.marker.empty() ? c.to : c.marker);
    ASSERT_NE(at, std::string::npos);
    const auto [line, column] = LineAndColumn(text, at);
    EXPECT_EQ(std::pair(read.error.line, read.error.column), std::pair(line, column));
    EXPECT_EQ(read.error.Text(), "line3.json:" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                                     (c.path.empty() ? "" : c.path + ": ") + c.reason);
  }
  // A character outside Latin-1 is named, with its own column.
  std::string emoji = canopen;
  emoji.replace(emoji.find("\"\xC3\xBF\""), 4, "\"ab\xF0\x9F\x98\x80\"");
  const PlanReadResult outside = ParsePlan(emoji, "x");
  const auto [line, column] = LineAndColumn(emoji, emoji.find('\xF0'));
  EXPECT_EQ(std::pair(outside.error.line, outside.error.column), std::pair(line, column));
  EXPECT_EQ(outside.error.reason, "holds U+1F600 at column " + std::to_string(column) +
                                      ", a character outside Latin-1; the program's texts are 8-bit");
  // A problem found against the chain later stands where its value does.
  const PlanReadResult good = ParsePlan(devicenet, "x");
  ASSERT_TRUE(good.Ok());
  const PlanError later = good.ErrorAt("x", {"deviceNet.strobe.produced", "why"});
  const std::size_t strobe = devicenet.find("\"produced\"", devicenet.find("\"strobe\"")) + 12;
  EXPECT_EQ(std::pair(later.line, later.column), LineAndColumn(devicenet, strobe));
  // Blanks in connection and default texts: runs count as one, ends not at all.
  std::string blanks = devicenet;
  blanks.replace(blanks.find("\"Cyclic\""), 8, "\" Cyclic  \"");
  EXPECT_TRUE(ParsePlan(blanks, "x").Ok()) << ParsePlan(blanks, "x").error.Text();
  EXPECT_EQ(ParsePlan("[]", "x").error.reason, "a plan is one JSON object: { ... }");
  EXPECT_EQ(ParsePlan(std::string(kMaxJsonDepth + 1, '['), "x").error.reason, "nested deeper than 32 levels");
}

TEST(PlanFile, WritePlan_ReplacesWholeFileAndRefusesInvalidPlanWritingNothing) {
  testing::ScratchFolder folder("plans");
  const auto path = folder / "line3.json";
  ASSERT_FALSE(WritePlan(path, HeartbeatPlan()));
  ASSERT_FALSE(WritePlan(path, GuardingPlan()));
  EXPECT_EQ(ReadPlan(path).plan, GuardingPlan());

  Plan bad = DeviceNetPlan();
  bad.errorControl.guardTimeMs = 10;  // a CANopen setting in a DeviceNet plan would be lost on the way
  const auto refused = WritePlan(path, bad);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->Text(), path.string() + ": canopen: a DeviceNet plan has no CANopen part");
  EXPECT_EQ(testing::ReadFile(path), WritePlanText(GuardingPlan()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);

  EXPECT_EQ(ReadPlan(folder / "none.json").error.Text(),
            (folder / "none.json").string() + ": No such file or directory");
  EXPECT_EQ(ReadPlan(folder.Path()).error.reason, "a folder, not a regular file");
  // A FIFO is refused at once, never waited on; were it waited on, the
  // alarm would end the run rather than let it hang.
  const auto fifo = folder / "line3.fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  alarm(60);
  EXPECT_EQ(ReadPlan(fifo).error.reason, "a FIFO, not a regular file");
  alarm(0);
  EXPECT_EQ(WritePlan(folder / "no" / "x.json", Plan{})->reason, "No such file or directory");
}

// The documented examples load, are written as the writer writes them, and
// choose only entries their chain's DeviceNet lists offer.
TEST(PlanFile, DocumentedExamples_LoadAsWritten) {
  const std::filesystem::path dir = GW20_PLAN_EXAMPLES_DIR;
  for (const char* name : {"canopen-example.json", "devicenet-example.json"}) {
    SCOPED_TRACE(name);
    const PlanReadResult read = ReadPlan(dir / name);
    ASSERT_TRUE(read.Ok()) << read.error.Text();
    EXPECT_EQ(WritePlanText(*read.plan), testing::ReadFile(dir / name));
    EXPECT_EQ(CheckPlanAgainstChain(*read.plan), std::nullopt);
  }
}

}  // namespace
}  // namespace gw20::plans
