#include "devicenet/show_app_obj_new.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "modules/grid_columns.h"
#include "modules/model_catalog.h"
#include "modules/module_table.h"
#include "modules/show_zelk_info.h"
#include "platform/ui/number_text.h"

namespace gw20::devicenet {
namespace {

// The window's own texts, spelling included.
constexpr std::array<std::string_view, kShowAppObjNewCols> kHeaders{
    "Instance No.",      "IO type(Att.1)",     "Name(Att.2)",      "Address(Att.3)",   "Baud(Att.4)",
    "TypeCod(Att.5)",    "DataFormate(Att.6)", "DO Length(Att.7)", "AO Length(Att.8)", "DI Length(Att.9)",
    "AI Length(Att.10)", "DO Num.(Att.11)",    "AO Num.(Att.12)",  "DI Num.(Att.13)",  "AI Num.(Att.14)"};

enum Col {
  kInstance,
  kIOType,
  kName,
  kAddress,
  kBaud,
  kTypeCode,
  kDataFormat,
  kDOL,
  kAOL,
  kDIL,
  kAIL,
  kDOC,
  kAOC,
  kDIC,
  kAIC
};

// The counter models' input words count in pairs: the master sees one
// channel per pair.
constexpr int kWordsPerCounterChannel = 2;

// The module viewer's type-code rule, applied to the object's own fields
// (filled at the scan) rather than the module record's.
std::string TypeCodeText(const modules::AppObjectRecord& object) {
  modules::ZelkModuleRecord codes;
  codes.TypeCodeCount = object.TypeCodeCount;
  codes.TypeCode = object.TypeCode;
  codes.TypeCode2 = object.TypeCode2;
  return modules::TypeCodeText(codes);
}

}  // namespace

ShowAppObjNew::ShowAppObjNew(const modules::ModuleTable& table, ui::FormHost& host)
    : Form("ShowAppObjNew", host), Frame1("Frame1"), AppObjRecord("AppObjRecord"), table_(table) {
  SetCaption("Application Object Information");
}

void ShowAppObjNew::Form_Load() {
  SetSize(kShowAppObjNewWidth, kShowAppObjNewHeight);
  CentreOnScreen();
  ui::Grid& grid = AppObjRecord;
  // Slots the scan went through, used or not.
  const int slots = std::clamp(table_.CurrentModule, 0, modules::kModuleSlots);
  grid.SetRows(0);
  grid.SetCols(kShowAppObjNewCols);
  grid.SetRows(slots + 1);
  grid.SetFixedRows(1);
  grid.SetFixedCols(0);
  for (int col = 0; col < kShowAppObjNewCols; ++col) {
    grid.SetColWidth(col, kShowAppObjNewColWidth);
    grid.SetColAlignment(col, ui::Alignment::Center);
    grid.SetTextMatrix(0, col, std::string(kHeaders[col]));
  }
  for (int slot = 0; slot < slots; ++slot) FillRow(slot + 1, table_.AppObjList[slot]);
  modules::FitColumnsToText(grid);
}

void ShowAppObjNew::FillRow(int row, const modules::AppObjectRecord& object) {
  ui::Grid& grid = AppObjRecord;
  grid.SetTextMatrix(row, kInstance, ui::Dec(row));
  grid.SetTextMatrix(row, kIOType, ui::Dec(object.IOType));
  grid.SetTextMatrix(row, kName, object.Name);
  grid.SetTextMatrix(row, kAddress, modules::TwoDigitHexText(object.Address));
  grid.SetTextMatrix(row, kBaud, ui::Dec(object.Baud));
  grid.SetTextMatrix(row, kTypeCode, TypeCodeText(object));
  grid.SetTextMatrix(row, kDataFormat, modules::TwoDigitHexText(object.DataFormat));
  grid.SetTextMatrix(row, kDOL, ui::Dec(object.DOL));
  grid.SetTextMatrix(row, kAOL, ui::Dec(object.AOL));
  grid.SetTextMatrix(row, kDIL, ui::Dec(object.DIL));
  grid.SetTextMatrix(row, kAIL, ui::Dec(object.AIL));
  grid.SetTextMatrix(row, kDOC, ui::Dec(object.DOC));
  grid.SetTextMatrix(row, kAOC, ui::Dec(object.AOC));
  grid.SetTextMatrix(row, kDIC, ui::Dec(object.DIC));
  grid.SetTextMatrix(
      row, kAIC,
      ui::Dec(modules::HasCounterWords(object.Name) ? object.AIC / kWordsPerCounterChannel : object.AIC));
}

}  // namespace gw20::devicenet
