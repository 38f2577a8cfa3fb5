#include "devicenet/show_ass_obj.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "devicenet/assembly_records.h"
#include "modules/grid_columns.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"

namespace gw20::devicenet {
namespace {

enum Col { kNumberCol, kInstanceIdCol, kLengthCol };
constexpr std::array<std::string_view, kAssemblyFixedCols> kFixedHeaders{"IO NO.", "Ins.ID (Hex)",
                                                                         "Ins Length"};
constexpr int kFixedColTwips = 1500;
constexpr int kMappingColTwips = 1600;
// Window and frame borders, the tab strip's margins and a scroll bar.
constexpr int kShowAssObjFrameTwips = 900;

}  // namespace

ShowAssObj::ShowAssObj(const modules::ModuleTable& table, const pages::MapTables& maps, ui::FormHost& host)
    : Form("ShowAssObj", host),
      Frame1("Frame1"),
      AssObjParaTableTag("AssObjParaTableTag"),
      AssObjParaRecord("AssObjParaRecord"),
      table_(table),
      maps_(maps) {
  SetCaption("Assembly Object Information");
  AssObjParaTableTag.OnClick = [this] { AssObjParaTableTag_Click(); };
}

void ShowAssObj::Form_Load() {
  AssObjParaTableTag.ClearTabs();
  if (table_.TotalDOBytes + table_.TotalAOBytes != 0) {
    AssObjParaTableTag.AddTab("Output Instance", std::string(kOutputInstanceKey));
  }
  if (table_.TotalDIBytes + table_.TotalAIBytes != 0) {
    AssObjParaTableTag.AddTab("Input Instance", std::string(kInputInstanceKey));
  }
  // As wide as the wider tab needs, so switching tabs never resizes the window.
  int needed = 0;
  for (const ui::Tab& tab : AssObjParaTableTag.Tabs()) {
    FillGrid(tab.key == kOutputInstanceKey);
    needed = std::max(needed, modules::GridWidthTwips(AssObjParaRecord));
  }
  AssObjParaTableTag.Click(0);
  needed = std::max(needed, modules::GridWidthTwips(AssObjParaRecord));  // no tabs: the bare header
  SetSize(std::min(needed + kShowAssObjFrameTwips, kShowAssObjWidth), kShowAssObjHeight);
  CentreOnScreen();
}

void ShowAssObj::AssObjParaTableTag_Click() {
  const int selected = AssObjParaTableTag.SelectedIndex();
  FillGrid(selected >= 0 && AssObjParaTableTag.Tabs()[selected].key == kOutputInstanceKey);
}

void ShowAssObj::FillGrid(bool output) {
  const AssemblyTable assemblies(maps_, output ? AssemblyDirection::Output : AssemblyDirection::Input);
  const int last = assemblies.Last();
  const bool written = assemblies[0].Length() != 0;
  int widest = 1;
  for (int r = 0; written && r <= last; ++r) widest = std::max(widest, assemblies[r].Length());

  // Columns are made anew, so their widths start from the default each time.
  ui::Grid& grid = AssObjParaRecord;
  grid.SetRows(0);
  grid.SetCols(0);
  grid.SetCols(kAssemblyFixedCols + widest);
  grid.SetRows(written ? last + 2 : 1);
  grid.SetFixedRows(1);
  grid.SetFixedCols(0);
  for (int col = 0; col < grid.Cols(); ++col) {
    const bool fixed = col < kAssemblyFixedCols;
    grid.SetColWidth(col, fixed ? kFixedColTwips : kMappingColTwips);
    grid.SetColAlignment(col, ui::Alignment::Center);
    grid.SetTextMatrix(
        0, col, fixed ? std::string(kFixedHeaders[col]) : "Mapping " + ui::Str(col - kAssemblyFixedCols));
  }
  for (int r = 0; written && r <= last; ++r) {
    const int row = r + 1;
    const Assembly assembly = assemblies[r];
    grid.SetTextMatrix(row, kNumberCol, ui::Dec(row));
    grid.SetTextMatrix(
        row, kInstanceIdCol,
        ui::Hex(static_cast<std::uint64_t>(assemblies.FirstInstance()) + static_cast<std::uint64_t>(r)));
    grid.SetTextMatrix(row, kLengthCol, ui::Dec(assembly.Length()));
    int col = kAssemblyFixedCols;
    for (const std::string& entry : assembly.Entries()) grid.SetTextMatrix(row, col++, entry);
  }
  modules::FitColumnsToText(grid);
}

}  // namespace gw20::devicenet
