#include "modules/show_zelk_info.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "modules/grid_columns.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::modules {
namespace {

struct Column {
  std::string_view header;
  double factor;  // on the width as loaded
  int extraTwips;
};

// Header texts keep their leading blanks: they are the window's own texts.
constexpr std::array<Column, kZelkInfoCols> kColumns{{
    {"No.", 0.4, 0},
    {"Address", 0.7, 0},
    {"   Name", 0.9, 0},
    {"Type Code", 1.2, 0},
    {"Data Format", 1.0, 0},
    {"DO Ch Num", 1.0, 0},
    {"AO Ch Num", 1.0, 0},
    {" DI Ch Num", 1.0, 0},
    {" AI Ch Num", 1.0, 0},
    {"Count/Frequency Ch Num", 2.0, 100},
}};

enum Col { kNo, kAddress, kName, kTypeCode, kDataFormat, kDO, kAO, kDI, kAI, kCounter };

// Window and frame borders and a vertical scroll bar around the grid.
constexpr int kZelkInfoFrameTwips = 900;

// Only the counter modules report counter channels in this column.

}  // namespace

std::string TwoDigitHexText(int value) { return "0x" + ui::H2(value); }

std::string TypeCodeText(const ZelkModuleRecord& module) {
  if (module.TypeCodeCount == 1) return TwoDigitHexText(module.TypeCode);
  return "Ch0:" + ui::Hex(static_cast<std::uint64_t>(std::max(module.TypeCode, 0))) + "--" +
         "Ch1:" + ui::Hex(static_cast<std::uint64_t>(std::max(module.TypeCode2, 0)));
}

ShowZelkInfo::ShowZelkInfo(const ModuleTable& table, ui::FormHost& host)
    : Form("ShowZelkInfo", host), Frame1("Frame1"), ZelkInfoRecord("ZelkInfoRecord"), table_(table) {
  SetCaption("ZELK Information");
  Frame1.SetCaption("ZELK Information");
}

void ShowZelkInfo::Form_Load() {
  ZelkInfoRecord.SetRows(0);
  ZelkInfoRecord.SetCols(kZelkInfoCols);
  ZelkInfoRecord.SetFixedRows(1);
  ZelkInfoRecord.SetFixedCols(0);
  const int count = std::clamp(table_.ModuleCount, 0, kModuleSlots);
  ZelkInfoRecord.SetRows(count + 1);
  for (int col = 0; col < kZelkInfoCols; ++col) {
    const Column& column = kColumns[col];
    ZelkInfoRecord.SetColAlignment(col, ui::Alignment::Center);
    ZelkInfoRecord.SetColWidth(
        col, static_cast<int>(std::lround(column.factor * kZelkInfoBaseColWidth)) + column.extraTwips);
    ZelkInfoRecord.SetTextMatrix(0, col, std::string(column.header));
  }
  int row = 0;
  ForEachListedModule(table_, [&](int, const ZelkModuleRecord& module) { FillRow(++row, module); });
  FitColumnsToText(ZelkInfoRecord);
  // Ten columns are meant to be seen at once: the window grows with them.
  SetSize(std::max(kZelkInfoWidth, GridWidthTwips(ZelkInfoRecord) + kZelkInfoFrameTwips), kZelkInfoHeight);
  CentreOnScreen();
}

void ShowZelkInfo::FillRow(int row, const ZelkModuleRecord& module) {
  ui::Grid& grid = ZelkInfoRecord;
  grid.SetTextMatrix(row, kNo, std::to_string(row));
  grid.SetTextMatrix(row, kAddress, TwoDigitHexText(AddressValue(module)));
  grid.SetTextMatrix(row, kName, module.ModelName);
  grid.SetTextMatrix(row, kTypeCode, TypeCodeText(module));
  grid.SetTextMatrix(row, kDataFormat, TwoDigitHexText(module.DataFormat));
  grid.SetTextMatrix(row, kDO, std::to_string(module.DOChannels));
  grid.SetTextMatrix(row, kAO, std::to_string(module.AOChannels));
  grid.SetTextMatrix(row, kDI, std::to_string(module.DIChannels));
  grid.SetTextMatrix(row, kAI, std::to_string(module.AIChannels));
  grid.SetTextMatrix(row, kCounter,
                     HasCounterChannels(module.ModelName) ? std::to_string(module.CounterChannels) : "0");
}

}  // namespace gw20::modules
