#include "canopen/canopen_eds_writer.h"

#include <gtest/gtest.h>

#include <memory>

#include "canopen/object_dictionary.h"
#include "canopen/pdo_mapping.h"
#include "canopen/pdo_records.h"
#include "link/eeprom_image.h"
#include "link/gateway_parameters.h"
#include "tests/support/module_tables.h"
#include "tests/support/test_services.h"

namespace gw20::canopen {
namespace {

namespace fs = std::filesystem;
using testing::AddModule;

std::string Expected(const std::string& name) {
  return testing::ReadFile(fs::path(GW20_CANOPEN_EXPECTED_DIR) / name);
}

// The commit's state for one configuration, derived as the page derives it.
class EdsConfiguration : public ::testing::Test {
 protected:
  EdsConfiguration() {
    image.FirmwareMajor = 2, image.FirmwareMinor = 5;
    image.FirmwareYear = 2006, image.FirmwareMonth = 3, image.FirmwareDay = 7;
  }
  std::string Build(const ui::DateTime& now) {
    modules::BuildModuleOrder(table);
    EXPECT_TRUE(BuildPdoMaps(table, *maps));
    return BuildCanopenEds(State(), now);
  }
  CanopenEdsState State() {
    return {table, *maps, params, image, errorControl, info, CountCounterModules(table)};
  }

  modules::ModuleTable table;
  std::unique_ptr<MapTables> maps = std::make_unique<MapTables>();
  link::GatewayParameters params;
  link::EepromImage image;
  ErrorControlSettings errorControl;
  eds::EdsInfo info;
};

TEST_F(EdsConfiguration, AnalogHeartbeatCountersAndOwnTexts_MatchesHandDerivedFile) {
  params.NodeId = 127;
  params.CanBaudIndex = 7;
  errorControl = UnpackErrorControlWord(0x04012C00);
  info = {"Line 4 gateway", "J. Smith"};
  AddModule(table, 0, "RA917", "1", {.DO = 64});
  AddModule(table, 1, "RA952", "2", {.AO = 14});
  AddModule(table, 2, "RA495", "3", {.AI = 4});
  AddModule(table, 3, "RA502", "4", {}, kCounterResetTypeCode);
  AddModule(table, 4, "RA502B", "5", {}, 0x40);
  EXPECT_EQ(Build({2027, 1, 9, 0, 5, 59}), Expected("analog_heartbeat.eds"));
}

TEST_F(EdsConfiguration, NoModules_MatchesHandDerivedFile) {
  EXPECT_EQ(Build({2026, 6, 30, 12, 30, 0}), Expected("no_modules.eds"));
}

// The file's name and its replacing an older one are CanopenCommit's and the save's (eds_file_test).
TEST_F(EdsConfiguration, DigitalGuarding_MatchesHandDerivedFile) {
  // Node guarding, 1000 ms x 3; three modules with 3 DO bytes and 2 DI bytes.
  params.NodeId = 5;
  params.CanBaudIndex = 3;
  errorControl = UnpackErrorControlWord(0x0003E803);
  AddModule(table, 0, "RA387", "1", {.DO = 13});
  AddModule(table, 2, "RA690", "3", {.DI = 12});
  AddModule(table, 4, "RA874", "10", {.DO = 8});
  EXPECT_EQ(Build({2026, 12, 4, 15, 7, 0}), Expected("digital_guarding.eds"));
}

}  // namespace
}  // namespace gw20::canopen
