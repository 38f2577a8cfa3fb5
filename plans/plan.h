#pragma once
// A plan: one gateway's whole configuration as an operator would type and
// pick it in the windows, kept so that it can be written into a controller
// later, again, or into many. Values are what the windows show (bit rates in
// their units, list entries as their texts), never list positions, so a plan
// stays readable and means the same when a list grows.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devicenet/connections.h"
#include "devicenet/dnseds_set.h"
#include "eds/eds_info.h"
#include "link/eeprom_layout.h"

namespace gw20::plans {

enum class Profile { CANopen, DeviceNet };

// One serial set-up of the field port: the panel's, or the scan's.
struct PlanSerial {
  int bitRateBps = 9600;  // one of link::kFieldBitRates
  bool checksum = false;
  int timeoutMs = 200;  // field port 1..32767; scan 0..32767
  friend bool operator==(const PlanSerial&, const PlanSerial&) = default;
};

// One module of the chain, as the scan finds it.
struct PlanModule {
  int address = 1;     // 1..255; two upper-case hexadecimal digits in the file
  std::string model;   // exact catalog name, e.g. "RA412"
  int typeCode = 0;    // 0..255, as the module reports it
  int dataFormat = 0;  // 0..255, as the module reports it
  friend bool operator==(const PlanModule&, const PlanModule&) = default;
};

enum class ErrorControlProtocol { NodeGuarding, Heartbeat };

// The CANopen page's error control. Only the chosen protocol's times hold
// values; the other protocol's stay 0, as the controller keeps only one.
struct PlanErrorControl {
  ErrorControlProtocol protocol = ErrorControlProtocol::NodeGuarding;
  int guardTimeMs = 0;      // node guarding: 0..65535
  int lifeTimeFactor = 0;   // node guarding: 0..255
  int heartbeatTimeMs = 0;  // heartbeat: 0..65535
  // The flag byte's bits other than the heartbeat bit (value 4, which
  // `protocol` stands for): a controller may hold them, and a commit carries
  // them along, so a clone keeps them. 0..255 with bit 4 clear; normally 0.
  int otherFlags = 0;
  friend bool operator==(const PlanErrorControl&, const PlanErrorControl&) = default;
};

// One DeviceNet connection: the entries picked in its produced (InpPut) and
// consumed (OutPut) list, as their texts, blanks included
// ("INPUT  03(DI,App.01)", "OUTPUT 01(Assembly)", "None").
struct PlanConnection {
  std::string produced = "None";
  std::string consumed = "None";
  friend bool operator==(const PlanConnection&, const PlanConnection&) = default;
};

// The DeviceNet page's texts of the default connection option buttons, by
// their position (devicenet::kDefaultPoll .. kDefaultCyclic), as shown.
using devicenet::kDefaultConnectionTexts;

// The keys of the connection slots in a plan file, by slot (Poll, Strobe, COS/Cyclic).
inline constexpr std::array<std::string_view, devicenet::kConnectionSlots> kSlotKeys{"poll", "strobe",
                                                                                     "cosCyclic"};

struct PlanDeviceNet {
  // By slot: devicenet::kPoll, kStrobe, kCosCyclic.
  std::array<PlanConnection, devicenet::kConnectionSlots> connections{};  // by kSlotKeys
  std::string defaultConnection{kDefaultConnectionTexts[0]};              // one of kDefaultConnectionTexts
  friend bool operator==(const PlanDeviceNet&, const PlanDeviceNet&) = default;
};

// The whole plan. Texts are the program's 8-bit (Latin-1) text. A
// default-made Plan is a valid CANopen plan without modules.
struct Plan {
  Profile profile = Profile::CANopen;
  int nodeId = 1;            // 1..127 CANopen, 1..63 DeviceNet
  int canBitRateKbps = 125;  // one of the profile's CAN bit rates
  // The firmware the controller reported when the plan was saved, as the
  // main window shows it ("2.05-2006/03/07"); the EDS file names it. Empty:
  // not known (a plan made before the hardware arrived).
  std::string firmware;
  PlanSerial fieldPort;             // the field-port panel
  PlanSerial scan;                  // the scan parameters dialog
  std::vector<PlanModule> modules;  // the chain in listing order, at most 15
  eds::EdsInfo edsInfo{};           // description and creator; "" = the writer's default
  // Only the profile's own part is used; the other keeps its defaults.
  PlanErrorControl errorControl;  // CANopen
  PlanDeviceNet deviceNet;        // DeviceNet
  friend bool operator==(const Plan&, const Plan&) = default;
};

// "canopen", "devicenet": the profile as the file names it.
std::string_view ProfileName(Profile profile);
// The profile's ApplicationType, which is also its ApplicationSelect position.
int ApplicationTypeOf(Profile profile);
// The CAN bit rates of the profile, kbit/s, by CanBaudIndex.
std::span<const int> CanBitRates(Profile profile);
// The list positions the gateway parameters store for a plan's bit rates;
// nullopt for a rate the list does not have.
std::optional<int> CanBaudIndexOf(Profile profile, int kbps);
std::optional<int> FieldBaudIndexOf(int bps);
// A connection or default text as plans compare it: every run of blanks
// made one, none at either end, so "Poll " is "Poll" and "INPUT  02(Assembly)"
// is "INPUT 02(Assembly)". Written plans keep the list's own text.
std::string ComparedText(std::string_view text);
// The IO_Info position of a default connection text (compared as
// ComparedText says); nullopt for another text.
std::optional<int> DefaultConnectionPosition(std::string_view text);

// "MAJOR.MINOR-YYYY/MM/DD" as the main window shows the firmware; nullopt
// for anything else.
std::optional<link::FirmwareFields> ParseFirmwareText(std::string_view text);

// "9600 bit/s, checksum off": a serial set-up as messages name it.
std::string SerialText(const PlanSerial& serial);

// A rule of a plan that does not hold: where (a key path such as
// "modules[2].address") and why.
struct PlanProblem {
  std::string path;
  std::string reason;
};

// The first rule `plan` breaks, in the order the file lists the keys;
// nullopt for a valid plan. Checks the ranges and lists of the values, the
// chain (at most 15 modules, addresses 1..255 and each once, catalog models,
// process-image totals that fit the controller's bytes), that the
// unchosen error-control times are 0, and that the other profile's part
// keeps its defaults. Connection texts are left to the check against the
// chain's lists.
std::optional<PlanProblem> CheckPlan(const Plan& plan);

// A plan that is valid but likely wrong: its fieldPort bit rate or checksum
// differs from its scan's, so the gateway will talk to the modules with
// settings they did not answer with. Nullopt when they agree.
std::optional<PlanProblem> FieldPortWarning(const Plan& plan);

}  // namespace gw20::plans
