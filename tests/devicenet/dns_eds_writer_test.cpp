#include "devicenet/dns_eds_writer.h"

#include <gtest/gtest.h>

#include <memory>

#include "devicenet/assembly_maps.h"
#include "devicenet/connections.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "modules/module_table.h"
#include "tests/support/test_services.h"

namespace gw20::devicenet {
namespace {

namespace fs = std::filesystem;

std::string Expected(const std::string& name) {
  return testing::ReadFile(fs::path(GW20_DEVICENET_EXPECTED_DIR) / name);
}

struct Module {
  std::string address, name;
  int DO, AO, DI, AI, IOType, TypeCode, DataFormat, Baud;
};

// The commit's state, with the module table as a scan leaves it and the
// assemblies derived from it.
class DnsEds : public ::testing::Test {
 protected:
  DnsEds() { image.FirmwareMajor = 2, image.FirmwareMinor = 5; }

  void Add(int slot, const Module& m) {
    modules::ZelkModuleRecord& r = table.ModuleList[static_cast<std::size_t>(slot)];
    r.ModelName = m.name, r.Address = m.address;
    r.DOChannels = m.DO, r.AOChannels = m.AO, r.DIChannels = m.DI, r.AIChannels = m.AI;
    modules::AppObjectRecord& a = table.AppObjList[static_cast<std::size_t>(slot)];
    a.Name = m.name, a.IOType = m.IOType, a.Address = std::stoi(m.address), a.Baud = m.Baud;
    a.TypeCode = m.TypeCode, a.DataFormat = m.DataFormat;
    a.DOL = (m.DO + 7) / 8, a.AOL = 2 * m.AO, a.DIL = (m.DI + 7) / 8, a.AIL = 2 * m.AI;
    a.DOC = m.DO, a.AOC = m.AO, a.DIC = m.DI, a.AIC = m.AI;
  }
  void PackingLine() {
    params.NodeId = 5;
    Add(0, {"1", "RA412", 4, 1, 1, 2, 6, 0x0D, 0x00, 3});
    Add(1, {"3", "RA850", 0, 0, 0, 8, 3, 0x08, 0x02, 3});
    Add(2, {"10", "RX12", 0, 0, 16, 0, 2, 0x41, 0x00, 5});
    Add(9, {"31", "RA517", 0, 0, 0, 6, 3, 0x50, 0x01, 3});
    Add(11, {"32", "RA690", 0, 1, 0, 0, 1, 0x21, 0x00, 3});
    table.CurrentModule = 12;
    table.TotalDOBytes = 1, table.TotalAOBytes = 4, table.TotalDIBytes = 3, table.TotalAIBytes = 32;
    choices.ProducedChoice = {1, 0, 3, 0};
    choices.ConsumedChoice = {2, 0, 0, 0};
    info = {"Packing line 4", "J. Smith"};
  }
  DeviceNetEdsState State() {
    BuildAssemblyMaps(table, *maps);
    return {table, *maps, params, image, choices, info};
  }

  modules::ModuleTable table;
  std::unique_ptr<pages::MapTables> maps = std::make_unique<pages::MapTables>();
  link::GatewayParameters params;
  link::EepromImage image;
  ConnectionChoices choices;
  eds::EdsInfo info;
};

TEST_F(DnsEds, NoModules_MatchesHandDerivedFile) {
  params.NodeId = 12;
  info = {"Spare gateway", "QA"};
  EXPECT_EQ(BuildDnsEds(State(), {2026, 12, 4, 9, 5, 7}), Expected("no_io.eds"));
}

TEST_F(DnsEds, PollAndCosWithBothDirections_MatchesHandDerivedFile) {
  PackingLine();
  EXPECT_EQ(BuildDnsEds(State(), {2026, 1, 31, 14, 3, 9}), Expected("poll_cos.eds"));
}

TEST_F(DnsEds, CosOnlyWithInputsOnly_MatchesHandDerivedFile) {
  params.NodeId = 63;
  image.FirmwareMajor = 3, image.FirmwareMinor = 10;
  Add(0, {"5", "RA850", 0, 0, 0, 8, 3, 0x08, 0x02, 3});
  Add(1, {"16", "RA952", 0, 0, 14, 0, 2, 0x40, 0x00, 3});
  table.CurrentModule = 2;
  table.TotalDIBytes = 2, table.TotalAIBytes = 16;
  choices.ProducedChoice = {0, 0, 2, 0};
  EXPECT_EQ(BuildDnsEds(State(), {2026, 7, 1, 0, 0, 0}), Expected("cos_only.eds"));
}

}  // namespace
}  // namespace gw20::devicenet
