#include "canopen/show_app_obj_dect.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "canopen/object_dictionary.h"
#include "modules/grid_columns.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::canopen {
namespace {

using Cells = std::vector<std::string>;

enum HeaderRow { kIndexRow, kDescriptionRow, kSubIndex0Row };
static_assert(kSubIndex0Row + 1 == kDictionaryHeaderRows);
constexpr int kChannelsPerGroup = 8;
constexpr int kAnalogBytesPerChannel = 2;

constexpr std::array<std::string_view, kManufacturerCols> kManufacturerIndex{
    "Index", "0x2000", "0x2001", "0x2002", "0x2003", "0x2200", "0x2201"};
// The descriptions keep their blanks: they are the window's own texts.
constexpr std::array<std::string_view, kManufacturerCols> kManufacturerDescription{
    "Description",      "Module W/R Error Count", "Module WDT Enable/Disable",
    "Module WDT Timer", " Module WDT Status",     " Count/Frequence ",
    " Reset_Count"};

constexpr std::array<std::string_view, kStandardizedCols> kStandardizedIndex{
    "Index", "0x6000", "0x6200", "0x6206", "0x6207", "0x6401", "0x6411", "0x6443", "0x6444"};
// The descriptions keep their leading blanks: they are the window's own texts.
constexpr std::array<std::string_view, kStandardizedCols> kStandardizedDescription{
    "Description",
    "                   Read DI (8-bit)",
    "                  Write DO (8-bit)",
    "            DO Err Mode (8-bit)",
    "          DO Err Output (8-bit)",
    "               Read AI (16-bit)",
    "               Read AO (16-bit)",
    "                AO Err Mode",
    " AO Err Output (16-bit)"};

// "0x" + address in hex + "-" + model name: how every cell names its module.
std::string ModuleTag(const modules::ZelkModuleRecord& module) {
  return "0x" + ui::Hex(static_cast<std::uint64_t>(modules::AddressValue(module))) + "-" + module.ModelName;
}

template <typename Visit>
void ForEachModule(const modules::ModuleTable& table, Visit visit) {
  modules::ForEachListedModule(table, [&](int, const modules::ZelkModuleRecord& module) { visit(module); });
}

// One cell per group of 8 channels: "0x00 (0xA-RA412:00-03)".
Cells DigitalGroupCells(const modules::ModuleTable& table, int modules::ZelkModuleRecord::*channels,
                        std::string_view value) {
  Cells cells;
  ForEachModule(table, [&](const modules::ZelkModuleRecord& module) {
    const int count = module.*channels;
    for (int first = 0; first < count; first += kChannelsPerGroup) {
      const int last = std::min(first + kChannelsPerGroup, count) - 1;
      cells.push_back(std::string(value) + "(" + ModuleTag(module) + ":" + ui::D2(first) + "-" +
                      ui::D2(last) + ")");
    }
  });
  return cells;
}

// One cell per channel, counted from 1: "0x0000 (0x3-RA394:1)".
Cells AnalogChannelCells(const modules::ModuleTable& table, int modules::ZelkModuleRecord::*channels,
                         std::string_view value) {
  Cells cells;
  ForEachModule(table, [&](const modules::ZelkModuleRecord& module) {
    for (int channel = 1; channel <= module.*channels; ++channel) {
      cells.push_back(std::string(value) + "(" + ModuleTag(module) + ":" + std::to_string(channel) + ")");
    }
  });
  return cells;
}

// Writes the header rows, the sub-index labels and each column's cells from
// row kDictionaryHeaderRows down; the grid gets as many rows as needed.
void FillDictionary(ui::Grid& grid, std::span<const std::string_view> index,
                    std::span<const std::string_view> description, std::span<const std::string> subIndex0,
                    std::span<const Cells> columns, int minimumRows) {
  std::size_t longest = static_cast<std::size_t>(std::max(minimumRows, 0));
  for (const Cells& cells : columns) longest = std::max(longest, cells.size());
  const int cols = static_cast<int>(index.size());
  // Columns made anew start narrow; the texts then widen them.
  grid.SetRows(0);
  grid.SetCols(0);
  grid.SetCols(cols);
  grid.SetRows(kDictionaryHeaderRows + static_cast<int>(longest));
  grid.SetFixedRows(1);
  grid.SetFixedCols(1);
  for (int col = 0; col < cols; ++col) {
    grid.SetColWidth(col, 0);
    grid.SetColAlignment(col, ui::Alignment::Left);
    grid.SetTextMatrix(kIndexRow, col, std::string(index[col]));
    grid.SetTextMatrix(kDescriptionRow, col, std::string(description[col]));
    grid.SetTextMatrix(kSubIndex0Row, col, col == 0 ? "Subindex0" : subIndex0[col - 1]);
  }
  for (std::size_t j = 0; j < longest; ++j) {
    grid.SetTextMatrix(kDictionaryHeaderRows + static_cast<int>(j), 0, "Subindex" + std::to_string(j + 1));
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    for (std::size_t j = 0; j < columns[c].size(); ++j) {
      grid.SetTextMatrix(kDictionaryHeaderRows + static_cast<int>(j), static_cast<int>(c) + 1, columns[c][j]);
    }
  }
}

}  // namespace

ShowAppObjDect::ShowAppObjDect(const modules::ModuleTable& table, int& CounterModuleCount, ui::FormHost& host)
    : Form("ShowAppObjDect", host),
      Frame6("Frame6"),
      ObjDictTableTag("ObjDictTableTag"),
      ObjDectRecord("ObjDectRecord"),
      table_(table),
      counterModuleCount_(CounterModuleCount) {
  SetCaption("Manufacturer Specific/Standardized Device Object Dictionary");
  Frame6.SetCaption("Setting Result");
  ObjDictTableTag.AddTab("Manufacturer Specific Object Dictionary", "Manufacturer");
  ObjDictTableTag.AddTab("Standardized Device Object Dictionary", "Standardized");
  ObjDictTableTag.OnClick = [this] { ObjDictTableTag_Click(); };
}

void ShowAppObjDect::Form_Load() {
  SetSize(kShowAppObjDectWidth, kShowAppObjDectHeight);
  standardRows_ =
      std::max({table_.TotalDIBytes, table_.TotalDOBytes, table_.TotalAIBytes / kAnalogBytesPerChannel,
                table_.TotalAOBytes / kAnalogBytesPerChannel});
  ObjDictTableTag.Click(kManufacturerTab);
}

void ShowAppObjDect::ObjDictTableTag_Click() {
  counterModuleCount_ = CountCounterModules(table_);
  if (ObjDictTableTag.SelectedIndex() == kManufacturerTab) {
    FillManufacturerTab();
  } else {
    FillStandardizedTab();
  }
  modules::FitColumnsToText(ObjDectRecord);
}

void ShowAppObjDect::FillManufacturerTab() {
  Cells perModule;
  Cells counters;
  ForEachModule(table_, [&](const modules::ZelkModuleRecord& module) {
    const std::string cell = "0 (" + ModuleTag(module) + ")";
    perModule.push_back(cell);
    if (!IsCounterModule(module.ModelName)) return;
    for (int channel = 0; channel < kCounterModuleChannels; ++channel) {
      counters.push_back(cell + "_Ch" + std::to_string(channel));
    }
  });
  // 0x2000..0x2003 list every module; 0x2200 and 0x2201 the counter channels.
  const std::string moduleCount = std::to_string(table_.ModuleCount);
  const std::string counterChannels = std::to_string(kCounterModuleChannels * counterModuleCount_);
  const std::array<std::string, kManufacturerCols - 1> subIndex0{
      moduleCount, moduleCount, moduleCount, moduleCount, counterChannels, counterChannels};
  const std::array<Cells, kManufacturerCols - 1> columns{perModule, perModule, perModule,
                                                         perModule, counters,  counters};
  FillDictionary(ObjDectRecord, kManufacturerIndex, kManufacturerDescription, subIndex0, columns, 0);
}

void ShowAppObjDect::FillStandardizedTab() {
  using Record = modules::ZelkModuleRecord;
  const std::string di = std::to_string(table_.TotalDIBytes);
  const std::string dout = std::to_string(table_.TotalDOBytes);
  const std::string ai = std::to_string(table_.TotalAIBytes / kAnalogBytesPerChannel);
  const std::string ao = std::to_string(table_.TotalAOBytes / kAnalogBytesPerChannel);
  const std::array<std::string, kStandardizedCols - 1> subIndex0{di, dout, dout, dout, ai, ao, ao, ao};
  const std::array<Cells, kStandardizedCols - 1> columns{
      DigitalGroupCells(table_, &Record::DIChannels, "0x00 "),
      DigitalGroupCells(table_, &Record::DOChannels, "0x00 "),
      DigitalGroupCells(table_, &Record::DOChannels, "0xFF "),
      DigitalGroupCells(table_, &Record::DOChannels, "0x00 "),
      AnalogChannelCells(table_, &Record::AIChannels, "0x0000 "),
      AnalogChannelCells(table_, &Record::AOChannels, "0x0000 "),
      AnalogChannelCells(table_, &Record::AOChannels, "1 "),
      AnalogChannelCells(table_, &Record::AOChannels, "0 "),
  };
  FillDictionary(ObjDectRecord, kStandardizedIndex, kStandardizedDescription, subIndex0, columns,
                 standardRows_);
}

}  // namespace gw20::canopen
