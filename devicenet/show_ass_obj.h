#pragma once
// The assembly object viewer: the assembly instances (class 0x04) of the last
// derivation with their instance ids, lengths and the mapping entry of every
// byte, the output assemblies on one tab and the input assemblies on the
// other. It only reads; the DeviceNet page opens it without blocking and
// closes it when the page closes.

#include <string_view>

#include "modules/modules_fwd.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"

namespace gw20::pages {
struct MapTables;
}

namespace gw20::devicenet {

// Widest window, in twips: narrower when both tabs' grids need less, the grid
// scrolls when they need more.
inline constexpr int kShowAssObjWidth = 10800;
inline constexpr int kShowAssObjHeight = 3600;  // twips
// "IO NO.", "Ins.ID (Hex)", "Ins Length"; mapping entry n is in column 3 + n.
inline constexpr int kAssemblyFixedCols = 3;

// Keys of AssObjParaTableTag's tabs; each is there only when the gateway has
// data of its direction, so the positions vary.
inline constexpr std::string_view kOutputInstanceKey = "R";  // "Output Instance": OutputMap
inline constexpr std::string_view kInputInstanceKey = "T";   // "Input Instance": InputMap

class ShowAssObj : public ui::Form {
 public:
  // `table` (the byte totals) and `maps` (the assemblies BuildAssemblyMaps
  // derived) must outlive the form; every load and tab click reads them
  // afresh.
  ShowAssObj(const modules::ModuleTable& table, const pages::MapTables& maps, ui::FormHost& host);

  ui::Frame Frame1;
  ui::TabStrip AssObjParaTableTag;  // "Output Instance", "Input Instance"
  // Header row, then one row per assembly of the selected direction. The
  // grid has as many mapping columns as its widest assembly has entries, at
  // least one; every entry shows, even past 247.
  ui::Grid AssObjParaRecord;

  // Refills the grid for the selected tab: the output assemblies on the
  // "Output Instance" tab, the input assemblies otherwise.
  void AssObjParaTableTag_Click();

 protected:
  // Adds the tabs of the directions that carry data, sizes and centres the
  // window and selects the first tab, which fills the grid.
  void Form_Load() override;

 private:
  void FillGrid(bool output);

  const modules::ModuleTable& table_;
  const pages::MapTables& maps_;
};

}  // namespace gw20::devicenet
