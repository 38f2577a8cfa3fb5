#pragma once
// The operator's part of `gw20cli devicenet` after the connect: choose
// DeviceNet and set the parameter panels, open the DeviceNet page with
// "Build EDS File", pick its connections and default, type its texts and
// press Finish. Every check and message is the windows' own; this side only
// refuses list indexes the page's lists do not have, and a stored connection
// it should keep that no list entry gives.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/gateway_panels.h"
#include "devicenet/connections.h"
#include "link/link_fwd.h"

namespace gw20::app {
class Main_F;
}
namespace gw20::devicenet {
class DNSEdsSet;
}

namespace gw20::cli {

// The options of the connection slots, by slot (Poll, Strobe, COS/Cyclic).
inline constexpr std::array<std::string_view, devicenet::kConnectionSlots> kConnectionOptions{
    "--poll", "--strobe", "--cos"};

// List indexes to pick in one slot; a side not given keeps what is stored
// (KeepStoredChoices) or else the page's preset.
struct ConnectionAnswer {
  std::optional<int> produced;  // InpPut
  std::optional<int> consumed;  // OutPut
};

struct DeviceNetAnswers {
  std::array<ConnectionAnswer, devicenet::kConnectionSlots> connections;  // by slot
  std::optional<int> defaultConnection;  // IO_Info position, devicenet::kDefaultPoll..kDefaultCyclic
  bool list = false;                     // print the connection lists, pick and commit nothing
};

// Chooses DeviceNet, sets the panels and opens the page. Null when a Setting
// was rejected or the page did not open.
devicenet::DNSEdsSet* OpenDeviceNetPage(app::Main_F& form, const app::GatewayAnswers& gateway);

// The first index of `answers` beyond its list on `page`, said with its
// option, the index and the list's size; empty when every index fits.
std::string ConnectionIndexProblem(const devicenet::DNSEdsSet& page, const DeviceNetAnswers& answers);

// Fills what `answers` leave open with what the controller has stored, when
// the page took a stored configuration at load (valid at connect and
// plausible to the page): each side of a slot gets the entry of its list that
// a commit stores as the stored block 1 word, and the default the stored
// default. A controller without one keeps the page's presets. Returns the
// first stored connection no entry gives, said with its option and word;
// empty when everything was found or nothing is stored.
std::string KeepStoredChoices(const devicenet::DNSEdsSet& page, const link::EepromImage& image,
                              const pages::MapTables& maps, DeviceNetAnswers& answers);

// Picks the connections slot by slot, produced before consumed, clicks the
// default and types the EDS texts. False, before anything further is
// picked, when the page refused a pick (it has said why); `choices` are the
// page's, where a refused pick leaves the earlier choice.
bool SetDeviceNetPage(devicenet::DNSEdsSet& page, const devicenet::ConnectionChoices& choices,
                      const app::GatewayAnswers& gateway, const DeviceNetAnswers& answers);

// Presses Finish; true when the commit completed.
bool FinishDeviceNetPage(devicenet::DNSEdsSet& page);

// The produced and the consumed list with their indexes, as text:
//   "produced:\n  0  None\n  1  INPUT  01(Assembly)\n...consumed:\n..."
// or as one JSON object {"produced": [...], "consumed": [...]}, index =
// position. Both end with a line break.
//   Data items carry their length, and produced ones too long for Strobe say
//   so: "  2  INPUT  02(Assembly)  (12 bytes, not for Strobe)"; the JSON adds
//   "producedBytes", index = position.
std::string ConnectionListsText(const devicenet::DNSEdsSet& page);
// After a refused Strobe pick: the item and its length, e.g. `--strobe 2,:
// "INPUT  02(Assembly)" is 12 bytes; a Strobe connection carries at most 8`;
// empty when the Strobe pick was not too long.
std::string StrobeRefusalText(const devicenet::DNSEdsSet& page, const DeviceNetAnswers& answers);
std::string ConnectionListsJson(const devicenet::DNSEdsSet& page);

}  // namespace gw20::cli
