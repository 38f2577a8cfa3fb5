#pragma once
// What gw20cli prints after a completed connect: the controller, its
// firmware and parameters, and the modules found, as aligned text or as one
// JSON object. Only reads the state; the connect has filled it.

#include <string>

namespace gw20::app {
struct AppState;
class Main_F;
}  // namespace gw20::app

namespace gw20::cli {

// Lines of "name  value", then a table with one row per module in
// ModuleOrder order (slot counted from 1, address, model, DO/AO/DI/AI/counter
// channels, type code and data format; address and codes as a plan writes
// them, two hexadecimal digits).
// Ends with a line break.
std::string ScanReportText(const app::AppState& state, const app::Main_F& form);

// One JSON object with the keys ControllerPrompt, FirmwareVer,
// CommunicationState, ConfigMismatch, EepromConfigValid, ApplicationType,
// NodeId, CanBaudIndex, Com2BaudIndex, Com2Checksum, Com2Timeout, the four
// Total...Bytes, ModuleCount, CurrentModule and ModuleList (the used records
// in ModuleOrder order: Slot counted from 1, Address, ModelName, the five
// channel counts, TypeCode, DataFormat, Baud), keys in alphabetical order as
// QJsonObject keeps them. Address, TypeCode and DataFormat are texts of two
// hexadecimal digits, as a plan writes them; the other numbers are decimal;
// the 8-bit texts are read as Latin-1 and written as UTF-8. Ends with a line
// break.
std::string ScanReportJson(const app::AppState& state, const app::Main_F& form);

}  // namespace gw20::cli
