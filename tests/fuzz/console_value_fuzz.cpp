// Reading an EEPROM word from the console's edit prompt. A word the
// controller shows, however its reply is cut into chunks, reads back as that
// word and types back as the same signed text, so reading leaves the EEPROM
// unchanged; any other reply never crashes and leaves the value alone.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/console.h"
#include "platform/ui/numbers.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/console_bench.h"
#include "tests/support/scripted_port.h"

namespace {

using namespace gw20;
using std::chrono::milliseconds;

constexpr std::uint32_t kSentinel = 7;

// `text` cut at up to four places the input picks, the pieces arriving in
// order, each a little later.
std::vector<testing::TimedChunk> Chunks(FuzzedDataProvider& in, const std::string& text) {
  std::vector<testing::TimedChunk> chunks;
  std::size_t from = 0;
  milliseconds at{in.ConsumeIntegralInRange(0, 20)};
  for (int cut = 0; cut < 4 && from < text.size() && in.ConsumeBool(); ++cut) {
    const std::size_t to = in.ConsumeIntegralInRange<std::size_t>(from, text.size());
    chunks.push_back({at, text.substr(from, to - from)});
    at += milliseconds(in.ConsumeIntegralInRange(0, 20));
    from = to;
  }
  chunks.push_back({at, text.substr(from)});
  return chunks;
}

// The signed text typed back must name the same 32-bit word.
void CheckTypedBack(std::uint32_t value) {
  const std::string text = link::SignedLongText(value);
  FUZZ_CHECK(!text.empty() && (text.front() == ' ' || text.front() == '-'));
  FUZZ_CHECK(ui::LeadingNumber(text) == static_cast<std::int32_t>(value));
  FUZZ_CHECK(link::WordFromShown(ui::LeadingNumber(text)) == value);
}

// Reads `key`'s value, kSentinel before, from `reply` to `command` cut into chunks.
bool Read(FuzzedDataProvider& in, const std::string& command, const std::string& key,
          const std::string& reply, std::uint32_t& value) {
  testing::ConsoleBench<testing::ScriptedPort> far;
  far.port.OnCarriageReturn(1, Chunks(in, reply));
  value = kSentinel;
  return far.console.ConsoleReadValue(command, key, value);
}

// What the controller shows for word `w`: "Long(A)=" and the word signed.
void ReadShownWord(FuzzedDataProvider& in) {
  const auto word = in.ConsumeIntegral<std::uint32_t>();
  const std::string address = std::to_string(4 * in.ConsumeIntegralInRange(0, 63));
  const std::string shown = std::to_string(static_cast<std::int32_t>(word));
  const std::string command = "el " + address;
  const std::string key = "Long(" + address + ")=";
  std::uint32_t value = 0;
  FUZZ_CHECK(Read(in, command, key, command + "\r\n" + key + shown + "\r\n-->", value));
  FUZZ_CHECK(value == word);
  FUZZ_CHECK(link::SignedLongText(value) == (shown.starts_with('-') ? "" : " ") + shown);
  CheckTypedBack(value);
}

void ReadAnyReply(FuzzedDataProvider& in) {
  const std::string key = in.ConsumeRandomLengthString(16);
  const bool prompt = in.ConsumeBool();
  const std::string reply = in.ConsumeRandomLengthString(512) + (prompt ? "-->" : "");
  std::uint32_t value = 0;
  if (!Read(in, "el 40", key, reply, value)) {
    FUZZ_CHECK(value == kSentinel);
    return;
  }
  FUZZ_CHECK(!key.empty());
  CheckTypedBack(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  in.ConsumeBool() ? ReadShownWord(in) : ReadAnyReply(in);
  return 0;
}
