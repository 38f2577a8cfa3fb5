// The scan listing into the module table: whatever the controller lists, the
// scan ends with a result, fills at most the fifteen slots, and every module
// it accepts is a catalog model at a usable address.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/console.h"
#include "link/field_port_scan.h"
#include "link/gateway_parameters.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/console_bench.h"
#include "tests/support/scripted_port.h"

using namespace gw20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool checksum = (data[0] & 1) != 0;
  const std::string listing(reinterpret_cast<const char*>(data + 1), size - 1);

  // Every module query gets a well-formed answer, so the listing is read to its end.
  testing::ConsoleBench<testing::ScriptedPort> b;
  b.port.SetResponder([&listing](const std::string& line) {
    return testing::ScanFarEnd(
        line, listing, [](const std::string& query) { return "!" + query.substr(1, 2) + "300602"; },
        std::chrono::milliseconds(0));
  });
  b.state.ControllerPrompt = "GW20M>";
  link::GatewayParameters params;
  params.BaudText = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
  params.ScanChecksum = checksum ? 1 : 0;
  modules::ModuleTable table;
  modules::ResetModuleTable(table);

  const link::ScanResult result = link::ScanFieldPort(b.console, b.state, params, table, {});

  FUZZ_CHECK(table.ModuleCount >= 0 && table.ModuleCount <= modules::kModuleSlots);
  FUZZ_CHECK(table.CurrentModule >= 0 && table.CurrentModule <= modules::kModuleSlots);
  // Only the slot being filled and those before it can have been written.
  for (int slot = table.CurrentModule + 1; slot < modules::kModuleSlots; ++slot) {
    FUZZ_CHECK(!modules::InUse(table.ModuleList[slot]));
  }
  for (const int total : {table.TotalDOBytes, table.TotalAOBytes, table.TotalDIBytes, table.TotalAIBytes}) {
    FUZZ_CHECK(total >= 0 && total <= modules::kMaxTotalBytes);
  }
  if (!result.Ok()) return 0;

  int inUse = 0;
  for (int slot = 0; slot < modules::kModuleSlots; ++slot) {
    const auto& record = table.ModuleList[slot];
    if (!modules::InUse(record)) continue;
    FUZZ_CHECK(table.ModuleOrder[inUse] == slot);
    ++inUse;
    const auto address = modules::ParseModuleAddress(record.Address);
    FUZZ_CHECK(address && *address >= 1);
    FUZZ_CHECK(modules::FindModel(record.ModelName) != nullptr);
    FUZZ_CHECK(listing.find(record.ModelName) != std::string::npos);
  }
  FUZZ_CHECK(inUse == table.ModuleCount);
  return 0;
}
