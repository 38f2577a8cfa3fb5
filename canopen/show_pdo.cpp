#include "canopen/show_pdo.h"

#include <array>
#include <cmath>
#include <string>
#include <string_view>

#include "canopen/object_dictionary.h"
#include "canopen/pdo_records.h"
#include "link/gateway_parameters.h"
#include "modules/grid_columns.h"
#include "platform/ui/number_text.h"

namespace gw20::canopen {
namespace {

constexpr int kMappingCol = 5;  // "Mapping 0"; the next seven follow
constexpr std::array<std::string_view, kMappingCol> kParameterHeaders{
    "PDO NO.", "COB-ID (Hex)", "Transmission Type", "Inhibit Time", "Event Timer"};
constexpr std::array<double, kMappingCol> kParameterFactors{0.8, 1.2, 1.6, 1.0, 1.0};
constexpr double kMappingFactor = 1.6;
static_assert(kMappingCol + kPdoDataBytes == kShowPdoCols);

enum Col { kNumberCol, kCobIdCol, kTransmissionTypeCol, kInhibitTimeCol, kEventTimerCol };

constexpr std::string_view kTransmissionType = "255";
// The receive PDOs have no inhibit time or event timer; the window has
// always spelled it this way.
constexpr std::string_view kReceiveAbsent = "Reversed";
constexpr std::string_view kTransmitZero = "0";
// Disabled PDOs show this COB-ID in both directions (the file gives the
// receive ones as C0000000).
constexpr std::string_view kDisabledCobIdText = "80000000";

int ColumnTwips(double factor) { return static_cast<int>(std::lround(factor * kShowPdoBaseColWidth)); }

}  // namespace

ShowPDO::ShowPDO(const MapTables& maps, const link::GatewayParameters& params, ui::FormHost& host)
    : Form("ShowPDO", host),
      Frame6("Frame6"),
      PDOParaTableTag("PDOParaTableTag"),
      PDOParaRecord("PDOParaRecord"),
      maps_(maps),
      params_(params) {
  SetCaption("Rx/Tx PDO Parameters");
  Frame6.SetCaption("Setting Result");
  PDOParaTableTag.AddTab("Receive PDO", "Receive");
  PDOParaTableTag.AddTab("Transmit PDO", "Transmit");
  PDOParaTableTag.OnClick = [this] { PDOParaTableTag_Click(); };
}

void ShowPDO::Form_Load() {
  SetSize(kShowPdoWidth, kShowPdoHeight);
  PDOParaTableTag.Click(kReceivePdoTab);
}

void ShowPDO::PDOParaTableTag_Click() {
  const bool receive = PDOParaTableTag.SelectedIndex() != kTransmitPdoTab;
  const PdoTable pdos(maps_, receive ? PdoDirection::Receive : PdoDirection::Transmit);
  const int last = pdos.Last();

  // Columns are made anew, so their widths start from the default each time.
  ui::Grid& grid = PDOParaRecord;
  grid.SetRows(0);
  grid.SetCols(0);
  grid.SetCols(kShowPdoCols);
  grid.SetRows(last + 2);
  grid.SetFixedRows(1);
  grid.SetFixedCols(0);
  for (int col = 0; col < kMappingCol; ++col) {
    grid.SetTextMatrix(0, col, std::string(kParameterHeaders[col]));
    grid.SetColWidth(col, ColumnTwips(kParameterFactors[col]));
    grid.SetColAlignment(col, ui::Alignment::Center);
  }
  for (int entry = 0; entry < kPdoDataBytes; ++entry) {
    const int col = kMappingCol + entry;
    grid.SetTextMatrix(0, col, "Mapping " + std::to_string(entry));
    grid.SetColWidth(col, ColumnTwips(kMappingFactor));
    grid.SetColAlignment(col, ui::Alignment::Left);
  }

  for (int pdo = 0; pdo <= last; ++pdo) {
    const int row = pdo + 1;
    grid.SetTextMatrix(row, kNumberCol, std::to_string(pdo + 1));
    grid.SetTextMatrix(row, kCobIdCol,
                       pdo < kFirstDisabledPdo ? ui::Hex(PdoCobId(pdos.Direction(), pdo, params_.NodeId))
                                               : std::string(kDisabledCobIdText));
    grid.SetTextMatrix(row, kTransmissionTypeCol, std::string(kTransmissionType));
    const std::string_view timing = receive ? kReceiveAbsent : kTransmitZero;
    grid.SetTextMatrix(row, kInhibitTimeCol, std::string(timing));
    grid.SetTextMatrix(row, kEventTimerCol, std::string(timing));
    for (int entry = 0; entry < kPdoDataBytes; ++entry) {
      grid.SetTextMatrix(row, kMappingCol + entry, pdos[pdo].Entry(entry));
    }
  }
  modules::FitColumnsToText(grid);
}

}  // namespace gw20::canopen
