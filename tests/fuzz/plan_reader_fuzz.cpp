// The plan reader on any bytes: it never crashes, refuses with a reason or
// gives a valid plan, and a plan it gives is written and read back equal,
// with the same text the second time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plans/plan.h"
#include "plans/plan_file.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace gw20::plans;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const PlanReadResult read = ParsePlan(text, "input.json");
  if (!read.Ok()) {
    FUZZ_CHECK(!read.error.reason.empty());
    return 0;
  }
  FUZZ_CHECK(!CheckPlan(*read.plan));
  const std::string written = WritePlanText(*read.plan);
  const PlanReadResult again = ParsePlan(written, "written.json");
  FUZZ_CHECK(again.Ok());
  FUZZ_CHECK(*again.plan == *read.plan);
  FUZZ_CHECK(WritePlanText(*again.plan) == written);
  return 0;
}
