#include "app/cli/devicenet_script.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <sstream>

#include "app/main_f.h"
#include "devicenet/dnseds_set.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/gateway_parameters.h"
#include "pages/map_tables.h"
#include "platform/qt/latin1.h"

namespace gw20::cli {
namespace {

using devicenet::kConnectionSlots;

// Why the stored block 1 word `word` (`stored`) cannot be kept, with the
// option that replaces it.
std::string NotKeptText(int slot, bool consumed, std::size_t word, std::uint32_t stored) {
  const std::string option(kConnectionOptions[slot]);
  return option + ": the " + (consumed ? "consumed" : "produced") +
         " connection the controller has stored (block 1 word " + std::to_string(word) + ", " +
         std::to_string(stored) + ") is no entry of the list for the modules connected; choose one with " +
         option + (consumed ? " ,OUT" : " IN,") + " (devicenet --list shows the lists)";
}

// Every slot's lists hold the same items; the Poll slot's stand for all.
const ui::ComboBox& ProducedList(const devicenet::DNSEdsSet& page) { return page.InpPut[devicenet::kPoll]; }
const ui::ComboBox& ConsumedList(const devicenet::DNSEdsSet& page) { return page.OutPut[devicenet::kPoll]; }

std::string IndexProblem(std::string_view option, std::string_view side, int index,
                         const ui::ComboBox& list) {
  return std::string(option) + ": " + std::string(side) + " index " + std::to_string(index) +
         " is beyond the list of " + std::to_string(list.ListCount()) + " items (0 to " +
         std::to_string(list.ListCount() - 1) + "); devicenet --list shows them";
}

// Each data item's byte length (`length`), and in the produced list which
// items a Strobe connection may not take.
void ListText(std::ostream& out, std::string_view heading, const ui::ComboBox& list, bool produced,
              const std::function<int(int, const std::string&)>& length) {
  out << heading << ":\n";
  const int width = static_cast<int>(std::to_string(list.ListCount() - 1).size());
  for (int i = 0; i < list.ListCount(); ++i) {
    const std::string index = std::to_string(i);
    const std::string& item = list.Items()[static_cast<std::size_t>(i)];
    out << "  " << std::string(static_cast<std::size_t>(width) - index.size(), ' ') << index << "  " << item;
    const int bytes = length(i, item);
    if (bytes > 0) {
      out << "  (" << bytes << (bytes == 1 ? " byte" : " bytes")
          << (produced && bytes > devicenet::kMaxStrobeBytes ? ", not for Strobe)" : ")");
    }
    out << '\n';
  }
}

QJsonArray ListJson(const ui::ComboBox& list) {
  QJsonArray items;
  // Item texts are 8-bit text: one byte, one character.
  for (const auto& item : list.Items()) items.append(qtui::ToQString(item));
  return items;
}

}  // namespace

devicenet::DNSEdsSet* OpenDeviceNetPage(app::Main_F& form, const app::GatewayAnswers& gateway) {
  if (!app::SetGatewayPanels(form, link::kDeviceNet, gateway)) return nullptr;
  form.WriteEDS.Press();
  auto* page = form.DeviceNetPage();
  return page != nullptr && page->Loaded() ? page : nullptr;
}

std::string ConnectionIndexProblem(const devicenet::DNSEdsSet& page, const DeviceNetAnswers& answers) {
  for (int k = 0; k < kConnectionSlots; ++k) {
    const ConnectionAnswer& a = answers.connections[k];
    if (a.produced && *a.produced >= page.InpPut[k].ListCount()) {
      return IndexProblem(kConnectionOptions[k], "produced", *a.produced, page.InpPut[k]);
    }
    if (a.consumed && *a.consumed >= page.OutPut[k].ListCount()) {
      return IndexProblem(kConnectionOptions[k], "consumed", *a.consumed, page.OutPut[k]);
    }
  }
  return {};
}

std::string KeepStoredChoices(const devicenet::DNSEdsSet& page, const link::EepromImage& image,
                              const pages::MapTables& maps, DeviceNetAnswers& answers) {
  // The page's load sets ConfigMismatch for a stored default it cannot show:
  // then nothing counts as stored. A stored CANopen configuration leaves
  // block 1 as an earlier commit left it: nothing there counts either.
  const auto header = link::UnpackHeader(image.ConfigHeader);
  const auto stored = link::UnpackDeviceNetBlock(image.DeviceNetBlock);
  if (image.EepromConfigValid != 1 || image.ConfigMismatch || !header || !stored ||
      header->DeviceNetBlockBytes != link::kDeviceNetBlockBytes) {
    return {};
  }
  struct Side {
    std::optional<int>& answer;
    std::uint32_t word;
    bool consumed;
    const ui::ComboBox& list;
  };
  for (int k = 0; k < kConnectionSlots; ++k) {
    ConnectionAnswer& a = answers.connections[k];
    const auto slot = static_cast<std::size_t>(k);
    for (const Side& side : {Side{a.produced, stored->ProducedPath[slot], false, page.InpPut[k]},
                             Side{a.consumed, stored->ConsumedPath[slot], true, page.OutPut[k]}}) {
      if (side.answer) continue;
      side.answer = devicenet::StoredConnectionEntry(k, side.consumed, side.word, side.list.Items(), maps);
      // Block 1 word 0 is the default; then the produced, then the consumed paths.
      const std::size_t number = 1 + slot + (side.consumed ? link::kConnectionPathSlots : 0);
      if (!side.answer) return NotKeptText(k, side.consumed, number, side.word);
    }
  }
  if (!answers.defaultConnection && stored->DefaultIOInfo < devicenet::kDefaultConnections) {
    answers.defaultConnection = stored->DefaultIOInfo;
  }
  return {};
}

bool SetDeviceNetPage(devicenet::DNSEdsSet& page, const devicenet::ConnectionChoices& choices,
                      const app::GatewayAnswers& gateway, const DeviceNetAnswers& answers) {
  for (int k = 0; k < kConnectionSlots; ++k) {
    const ConnectionAnswer& a = answers.connections[k];
    if (a.produced) {
      page.InpPut[k].Pick(*a.produced);
      if (choices.ProducedChoice[k] != *a.produced) return false;
    }
    if (a.consumed) {
      page.OutPut[k].Pick(*a.consumed);
      if (choices.ConsumedChoice[k] != *a.consumed) return false;
    }
  }
  if (answers.defaultConnection) page.IO_Info[*answers.defaultConnection].Choose();
  app::TypeEdsTexts(page.EDSInfo, gateway);
  return true;
}

std::string StrobeRefusalText(const devicenet::DNSEdsSet& page, const DeviceNetAnswers& answers) {
  const auto& pick = answers.connections[devicenet::kStrobe].produced;
  const auto& items = page.InpPut[devicenet::kStrobe].Items();
  if (!pick || *pick < 0 || static_cast<std::size_t>(*pick) >= items.size()) return {};
  const std::string& item = items[static_cast<std::size_t>(*pick)];
  const int bytes = page.ProducedLengthOf(*pick, item);
  if (bytes <= devicenet::kMaxStrobeBytes) return {};
  return "--strobe " + std::to_string(*pick) + ",: \"" + item + "\" is " + std::to_string(bytes) +
         " bytes; a Strobe connection carries at most " + std::to_string(devicenet::kMaxStrobeBytes);
}

bool FinishDeviceNetPage(devicenet::DNSEdsSet& page) {
  page.FinishDeviceSet.Press();
  return page.Finished() && !page.Loaded();
}

std::string ConnectionListsText(const devicenet::DNSEdsSet& page) {
  std::ostringstream out;
  ListText(out, "produced", ProducedList(page), true,
           [&page](int i, const std::string& item) { return page.ProducedLengthOf(i, item); });
  ListText(out, "consumed", ConsumedList(page), false,
           [&page](int i, const std::string& item) { return page.ConsumedLengthOf(i, item); });
  return out.str();
}

std::string ConnectionListsJson(const devicenet::DNSEdsSet& page) {
  QJsonArray producedBytes;
  const auto& items = ProducedList(page).Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    producedBytes.append(page.ProducedLengthOf(static_cast<int>(i), items[i]));
  }
  const QJsonObject root{{"produced", ListJson(ProducedList(page))},
                         {"producedBytes", producedBytes},
                         {"consumed", ListJson(ConsumedList(page))}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
