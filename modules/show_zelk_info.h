#pragma once
// The module viewer: one row per module the last scan found, with address,
// model name, type code, data format and channel counts. It only reads the
// module table; the configuration pages open it without blocking and close
// it (Unload) before they commit.

#include <string>

#include "modules/modules_fwd.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"

namespace gw20::modules {

struct ZelkModuleRecord;

// Narrowest window width, in twips: the window widens until every column shows.
inline constexpr int kZelkInfoWidth = 8500;
inline constexpr int kZelkInfoHeight = 4300;  // twips
inline constexpr int kZelkInfoCols = 10;
// The grid's column width as loaded, in twips, on which the column factors
// act; a column whose texts need more room gets it (FitColumnsToText).
inline constexpr int kZelkInfoBaseColWidth = 1000;

class ShowZelkInfo : public ui::Form {
 public:
  // `table` must outlive the form; every load reads it afresh.
  ShowZelkInfo(const ModuleTable& table, ui::FormHost& host);

  ui::Frame Frame1;         // "ZELK Information"
  ui::Grid ZelkInfoRecord;  // header row, then one row per module in ModuleOrder

 protected:
  // Rebuilds the grid from the table, then sizes and centres the window.
  void Form_Load() override;

 private:
  void FillRow(int row, const ZelkModuleRecord& module);

  const ModuleTable& table_;
};

// "0x" + upper-case hexadecimal with at least two digits: 1 -> "0x01",
// 26 -> "0x1A", 255 -> "0xFF". Negative values show as 0x00.
std::string TwoDigitHexText(int value);

// The type-code cell: "0x0D" for a module with one type code, otherwise
// "Ch0:" + hex + "--" + "Ch1:" + hex without leading zeros ("Ch0:D--Ch1:0").
std::string TypeCodeText(const ZelkModuleRecord& module);

}  // namespace gw20::modules
