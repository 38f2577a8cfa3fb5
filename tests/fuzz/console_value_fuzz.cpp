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

using Far = testing::ConsoleBench<testing::ScriptedPort>;

// The signed text typed back must name the same 32-bit word.
void CheckTypedBack(std::uint32_t value) {
  const std::string text = link::SignedLongText(value);
  FUZZ_CHECK(!text.empty() && (text.front() == ' ' || text.front() == '-'));
  FUZZ_CHECK(ui::LeadingNumber(text) == static_cast<std::int32_t>(value));
  FUZZ_CHECK(link::WordFromShown(ui::LeadingNumber(text)) == value);
}

// What the controller shows for word `w`: "Long(A)=" and the word signed.
void ReadShownWord(FuzzedDataProvider& in) {
  const auto word = in.ConsumeIntegral<std::uint32_t>();
  const int address = 4 * in.ConsumeIntegralInRange(0, 63);
  const auto shown = static_cast<std::int32_t>(word);
  const std::string command = "el " + std::to_string(address);
  const std::string key = "Long(" + std::to_string(address) + ")=";
  Far far;
  far.port.OnCarriageReturn(1, Chunks(in, command + "\r\n" + key + std::to_string(shown) + "\r\n-->"));

  std::uint32_t value = kSentinel;
  FUZZ_CHECK(far.console.ConsoleReadValue(command, key, value));
  FUZZ_CHECK(value == word);
  FUZZ_CHECK(link::SignedLongText(value) == (shown >= 0 ? " " : "") + std::to_string(shown));
  CheckTypedBack(value);
}

void ReadAnyReply(FuzzedDataProvider& in) {
  const std::string key = in.ConsumeRandomLengthString(16);
  const bool prompt = in.ConsumeBool();
  std::string reply = in.ConsumeRandomLengthString(512);
  if (prompt) reply += "-->";
  Far far;
  far.port.OnCarriageReturn(1, Chunks(in, reply));

  std::uint32_t value = kSentinel;
  if (!far.console.ConsoleReadValue("el 40", key, value)) {
    FUZZ_CHECK(value == kSentinel);
    return;
  }
  FUZZ_CHECK(!key.empty());
  CheckTypedBack(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    ReadShownWord(in);
  } else {
    ReadAnyReply(in);
  }
  return 0;
}
