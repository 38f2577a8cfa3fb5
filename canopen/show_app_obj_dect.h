#pragma once
// The object dictionary viewer: the manufacturer objects 0x2000..0x2201 on
// one tab, the I/O profile objects 0x6000..0x6444 on the other, one column
// per object and one row per sub-index, each cell the default value and the
// module channel behind it. It only reads the module table, but its tab
// click also brings CounterModuleCount up to date for the EDS writer. The
// CANopen page opens it without blocking and closes it (Unload) before it
// commits.

#include "modules/modules_fwd.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"

namespace gw20::canopen {

inline constexpr int kShowAppObjDectWidth = 9100;   // twips
inline constexpr int kShowAppObjDectHeight = 4900;  // twips
inline constexpr int kManufacturerCols = 7;
inline constexpr int kStandardizedCols = 9;
inline constexpr int kDictionaryHeaderRows = 3;  // "Index", "Description", "Subindex0"

// Positions of ObjDictTableTag's tabs.
inline constexpr int kManufacturerTab = 0;  // "Manufacturer Specific Object Dictionary"
inline constexpr int kStandardizedTab = 1;  // "Standardized Device Object Dictionary"

class ShowAppObjDect : public ui::Form {
 public:
  // `table` and `CounterModuleCount` must outlive the form. Every tab click
  // sets CounterModuleCount to CountCounterModules(table), the count the EDS
  // writer reads.
  ShowAppObjDect(const modules::ModuleTable& table, int& CounterModuleCount, ui::FormHost& host);

  ui::Frame Frame6;              // "Setting Result"
  ui::TabStrip ObjDictTableTag;  // manufacturer / standardized objects
  ui::Grid ObjDectRecord;

  // Counts the counter modules and refills the grid for the selected tab.
  void ObjDictTableTag_Click();

 protected:
  // Sizes the window, takes the standardized tab's sub-index row count from
  // the totals and selects the manufacturer tab, which fills the grid.
  void Form_Load() override;

 private:
  void FillManufacturerTab();
  void FillStandardizedTab();

  const modules::ModuleTable& table_;
  int& counterModuleCount_;
  int standardRows_ = 0;  // the largest object's sub-index count, at load
};

}  // namespace gw20::canopen
