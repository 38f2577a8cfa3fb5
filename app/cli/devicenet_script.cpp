#include "app/cli/devicenet_script.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <sstream>

#include "app/main_f.h"
#include "devicenet/dnseds_set.h"
#include "link/gateway_parameters.h"

namespace gw20::cli {
namespace {

using devicenet::kConnectionSlots;

// Every slot's lists hold the same items; the Poll slot's stand for all.
const ui::ComboBox& ProducedList(const devicenet::DNSEdsSet& page) { return page.InpPut[devicenet::kPoll]; }
const ui::ComboBox& ConsumedList(const devicenet::DNSEdsSet& page) { return page.OutPut[devicenet::kPoll]; }

std::string IndexProblem(std::string_view option, std::string_view side, int index,
                         const ui::ComboBox& list) {
  return std::string(option) + ": " + std::string(side) + " index " + std::to_string(index) +
         " is beyond the list of " + std::to_string(list.ListCount()) + " items (0 to " +
         std::to_string(list.ListCount() - 1) + "); devicenet --list shows them";
}

void ListText(std::ostream& out, std::string_view heading, const ui::ComboBox& list) {
  out << heading << ":\n";
  const int width = static_cast<int>(std::to_string(list.ListCount() - 1).size());
  for (int i = 0; i < list.ListCount(); ++i) {
    const std::string index = std::to_string(i);
    out << "  " << std::string(static_cast<std::size_t>(width) - index.size(), ' ') << index << "  "
        << list.Items()[static_cast<std::size_t>(i)] << '\n';
  }
}

QJsonArray ListJson(const ui::ComboBox& list) {
  QJsonArray items;
  // Item texts are 8-bit text: one byte, one character.
  for (const auto& item : list.Items())
    items.append(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
  return items;
}

}  // namespace

devicenet::DNSEdsSet* OpenDeviceNetPage(app::Main_F& form, const GatewayAnswers& gateway) {
  if (!SetGatewayPanels(form, link::kDeviceNet, gateway)) return nullptr;
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

bool SetDeviceNetPage(devicenet::DNSEdsSet& page, const devicenet::ConnectionChoices& choices,
                      const GatewayAnswers& gateway, const DeviceNetAnswers& answers) {
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
  TypeEdsTexts(page.EDSInfo, gateway);
  return true;
}

bool FinishDeviceNetPage(devicenet::DNSEdsSet& page) {
  page.FinishDeviceSet.Press();
  return page.Finished() && !page.Loaded();
}

std::string ConnectionListsText(const devicenet::DNSEdsSet& page) {
  std::ostringstream out;
  ListText(out, "produced", ProducedList(page));
  ListText(out, "consumed", ConsumedList(page));
  return out.str();
}

std::string ConnectionListsJson(const devicenet::DNSEdsSet& page) {
  const QJsonObject root{{"produced", ListJson(ProducedList(page))},
                         {"consumed", ListJson(ConsumedList(page))}};
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
