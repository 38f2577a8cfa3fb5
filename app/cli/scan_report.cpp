#include "app/cli/scan_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <sstream>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/main_f.h"
#include "modules/module_table.h"
#include "platform/qt/latin1.h"
#include "platform/ui/number_text.h"

namespace gw20::cli {
namespace {

constexpr int kNameColumn = 16;  // width of the names in the text report
constexpr std::size_t kMinModelWidth = 5;
// Right-aligned columns of the module table, each as wide as its heading
// with the blanks before it.
constexpr std::size_t kSlotWidth = 4;     // "Slot"
constexpr std::size_t kAddressWidth = 7;  // "Address"
constexpr std::size_t kChannelWidth = 4;  // "  DO"
constexpr std::size_t kCounterWidth = 9;  // "  Counter"
constexpr std::size_t kTypeWidth = 6;     // "  Type"
constexpr std::size_t kFormatWidth = 8;   // "  Format"

// The records in use, in the order every module table of the program shows
// them. An order entry outside the table is skipped rather than read.
std::vector<int> UsedSlots(const modules::ModuleTable& table) {
  std::vector<int> used;
  modules::ForEachListedModule(table,
                               [&](int slot, const modules::ZelkModuleRecord&) { used.push_back(slot); });
  return used;
}

std::string Padded(std::string text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

void Line(std::ostringstream& out, std::string_view name, const std::string& value) {
  out << Padded(std::string(name), kNameColumn, false) << value << '\n';
}

std::string BaudText(const link::GatewayParameters& params, int index) {
  if (index < 0 || index >= link::kBaudCount || params.BaudText[index].empty()) {
    return "entry " + std::to_string(index);
  }
  return params.BaudText[index] + " bit/s";
}

}  // namespace

std::string ScanReportText(const app::AppState& state, const app::Main_F& form) {
  const auto& params = state.params;
  const auto& table = state.modules;
  std::ostringstream out;
  Line(out, "Controller", state.console.ControllerPrompt);
  Line(out, "Firmware", form.FirmwareVer.Text());
  Line(out, "Status", form.CommunicationState.Text());
  Line(out, "Application", params.ApplicationType == link::kCanOpen ? "CANopen" : "DeviceNet");
  Line(out, "Node ID", std::to_string(params.NodeId));
  // The list shows the application's CAN rates once the connect has opened the CAN panel.
  const std::string can(ui::TrimBlanks(form.CANBaudrate.Text()));
  Line(out, "CAN bit rate", can.empty() ? "entry " + std::to_string(params.CanBaudIndex) : can);
  Line(out, "COM2 bit rate", BaudText(params, params.Com2BaudIndex));
  Line(out, "COM2 checksum", params.Com2Checksum != 0 ? "on" : "off");
  Line(out, "COM2 time-out", std::to_string(params.Com2Timeout) + " ms");
  Line(out, "Stored config",
       state.eeprom.ConfigMismatch ? "does not match the modules (defaults shown)" : "matches the modules");
  Line(out, "Process image",
       "DO " + std::to_string(table.TotalDOBytes) + ", AO " + std::to_string(table.TotalAOBytes) + ", DI " +
           std::to_string(table.TotalDIBytes) + ", AI " + std::to_string(table.TotalAIBytes) + " bytes");
  const auto used = UsedSlots(table);
  Line(out, "Modules", std::to_string(used.size()));
  if (used.empty()) return out.str();

  std::size_t modelWidth = kMinModelWidth;
  for (const int slot : used) modelWidth = std::max(modelWidth, table.ModuleList[slot].ModelName.size());
  out << "\nSlot  Address  " << Padded("Model", modelWidth, false)
      << "  DO  AO  DI  AI  Counter  Type  Format\n";
  for (std::size_t position = 0; position < used.size(); ++position) {
    const auto& m = table.ModuleList[used[position]];
    std::string type = ui::H2(m.TypeCode);
    if (m.TypeCodeCount > 1) type += "/" + ui::H2(m.TypeCode2);
    out << Padded(std::to_string(position + 1), kSlotWidth, true) << "  "
        << Padded(ui::H2(modules::AddressValue(m)), kAddressWidth, true) << "  "
        << Padded(m.ModelName, modelWidth, false);
    for (const int channels : {m.DOChannels, m.AOChannels, m.DIChannels, m.AIChannels}) {
      out << Padded(std::to_string(channels), kChannelWidth, true);
    }
    out << Padded(std::to_string(m.CounterChannels), kCounterWidth, true) << Padded(type, kTypeWidth, true)
        << Padded(ui::H2(m.DataFormat), kFormatWidth, true) << '\n';
  }
  return out.str();
}

std::string ScanReportJson(const app::AppState& state, const app::Main_F& form) {
  const auto& params = state.params;
  const auto& table = state.modules;
  // The state's texts are 8-bit text: one byte, one character.
  const auto text = [](const std::string& bytes) { return qtui::ToQString(bytes); };
  const auto hex = [](int value) { return QString::fromStdString(ui::H2(value)); };
  QJsonArray list;
  const auto used = UsedSlots(table);
  for (std::size_t position = 0; position < used.size(); ++position) {
    const int slot = used[position];
    const auto& m = table.ModuleList[slot];
    list.append(QJsonObject{{"Slot", static_cast<int>(position + 1)},
                            {"Address", hex(modules::AddressValue(m))},
                            {"ModelName", text(m.ModelName)},
                            {"DOChannels", m.DOChannels},
                            {"AOChannels", m.AOChannels},
                            {"DIChannels", m.DIChannels},
                            {"AIChannels", m.AIChannels},
                            {"CounterChannels", m.CounterChannels},
                            {"TypeCode", hex(m.TypeCode)},
                            {"DataFormat", hex(m.DataFormat)},
                            {"Baud", table.AppObjList[slot].Baud}});
  }
  const QJsonObject report{{"ControllerPrompt", text(state.console.ControllerPrompt)},
                           {"FirmwareVer", text(form.FirmwareVer.Text())},
                           {"CommunicationState", text(form.CommunicationState.Text())},
                           {"ConfigMismatch", state.eeprom.ConfigMismatch},
                           {"EepromConfigValid", state.eeprom.EepromConfigValid},
                           {"ApplicationType", params.ApplicationType},
                           {"NodeId", params.NodeId},
                           {"CanBaudIndex", params.CanBaudIndex},
                           {"Com2BaudIndex", params.Com2BaudIndex},
                           {"Com2Checksum", params.Com2Checksum},
                           {"Com2Timeout", params.Com2Timeout},
                           {"TotalDOBytes", table.TotalDOBytes},
                           {"TotalAOBytes", table.TotalAOBytes},
                           {"TotalDIBytes", table.TotalDIBytes},
                           {"TotalAIBytes", table.TotalAIBytes},
                           {"ModuleCount", table.ModuleCount},
                           {"CurrentModule", table.CurrentModule},
                           {"ModuleList", list}};
  return QJsonDocument(report).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace gw20::cli
