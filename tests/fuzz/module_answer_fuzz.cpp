// A module's answer to its configuration query ("$AA2"): the codes are taken
// from their places behind the "!" exactly when the answer holds them, and a
// failed query leaves the module's record as it was.

#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/console.h"
#include "link/field_port_scan.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/console_bench.h"
#include "tests/support/scripted_port.h"

namespace {

using namespace gw20;
using link::ScanStatus;

constexpr int kUntouched = -7;
constexpr std::string_view kPrompt = "[COM2:]";

// The two hex digits at `at`, as the query's contract reads a code.
std::optional<int> HexByteAt(const std::string& text, std::size_t at) {
  unsigned value = 0;  // unsigned: no sign is read
  if (at + 2 > text.size()) return std::nullopt;
  const char* end = text.data() + at + 2;
  return std::from_chars(text.data() + at, end, value, 16).ptr == end ? std::optional<int>(value)
                                                                      : std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  // A slot one beyond either end now and then, and now and then an address
  // the scan would never write.
  const int slot = in.ConsumeIntegralInRange(-1, modules::kModuleSlots);
  const std::string address =
      in.ConsumeBool() ? in.ConsumeRandomLengthString(6) : std::to_string(in.ConsumeIntegralInRange(0, 255));
  const std::string answer = in.ConsumeRemainingBytesAsString();

  testing::ConsoleBench<testing::ScriptedPort> b;
  auto& port = b.port;
  port.SetResponder([&answer](const std::string& line) -> std::vector<testing::TimedChunk> {
    return {{std::chrono::milliseconds(1), line + "\r\n" + answer + "\r\n" + std::string(kPrompt)}};
  });
  modules::ModuleTable table;
  table.CurrentModule = slot;
  for (auto& record : table.ModuleList) {
    record.Address = address;
    record.TypeCode = record.DataFormat = kUntouched;
  }
  for (auto& object : table.AppObjList) object.TypeCode = object.DataFormat = object.Baud = kUntouched;

  const link::ScanResult result = link::ModuleOtherInfo(b.console, b.state, table);

  // What the answer should give, from the query's contract.
  const auto number = modules::ParseModuleAddress(address);
  ScanStatus expected = ScanStatus::Ok;
  std::optional<int> typeCode, baudCode, dataFormat;
  if (slot < 0 || slot >= modules::kModuleSlots || !number) {
    expected = ScanStatus::Error;
    FUZZ_CHECK(port.Lines().empty());
  } else {
    const std::string query = "$" + ui::H2(*number) + "2";
    FUZZ_CHECK(port.Lines() == std::vector<std::string>{query});
    std::string reply = query + "\r\n" + answer + "\r\n";
    reply.resize(reply.find(kPrompt) == std::string::npos ? reply.size() : reply.find(kPrompt));
    const auto bang = reply.find('!');
    if (bang == std::string::npos || reply.find("Timeout") != std::string::npos) {
      expected = ScanStatus::ModuleNotSupported;
    } else {
      typeCode = HexByteAt(reply, bang + 3);
      baudCode = HexByteAt(reply, bang + 5);
      dataFormat = HexByteAt(reply, bang + 7);
      if (!typeCode || !baudCode || !dataFormat) expected = ScanStatus::Error;
    }
  }
  FUZZ_CHECK(result.status == expected);
  FUZZ_CHECK(result.Ok() == result.description.empty());

  for (int s = 0; s < modules::kModuleSlots; ++s) {
    const auto& record = table.ModuleList[s];
    const auto& object = table.AppObjList[s];
    const bool taken = s == slot && result.Ok();
    const int type = taken ? *typeCode : kUntouched;
    const int format = taken ? *dataFormat : kUntouched;
    FUZZ_CHECK(record.TypeCode == type && record.DataFormat == format && object.TypeCode == type);
    FUZZ_CHECK(object.Baud == (taken ? *baudCode : kUntouched) && (!taken || object.DataFormat == format));
  }
  return 0;
}
