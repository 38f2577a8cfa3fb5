#pragma once
// The application object viewer: the fourteen descriptive attributes of every
// application object instance (class 0x64), one row per slot the last scan
// went through, so the operator can check what the DeviceNet master will see
// before committing. It only reads; the DeviceNet page opens it without
// blocking and closes it when the page closes.

#include "modules/modules_fwd.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"

namespace gw20::modules {
struct AppObjectRecord;
}  // namespace gw20::modules

namespace gw20::devicenet {

inline constexpr int kShowAppObjNewWidth = 10800;  // twips
inline constexpr int kShowAppObjNewHeight = 4700;  // twips
inline constexpr int kShowAppObjNewCols = 15;      // instance number and attributes 1..14
// Width of every column as loaded, in twips; a column whose texts need more
// room gets it (FitColumnsToText).
inline constexpr int kShowAppObjNewColWidth = 1600;

class ShowAppObjNew : public ui::Form {
 public:
  // `table` must outlive the form; every load reads it afresh.
  ShowAppObjNew(const modules::ModuleTable& table, ui::FormHost& host);

  ui::Frame Frame1;
  ui::Grid AppObjRecord;  // header row, then AppObjList(0 .. CurrentModule - 1)

 protected:
  // Sizes and centres the window and rebuilds the grid from AppObjList.
  void Form_Load() override;

 private:
  void FillRow(int row, const modules::AppObjectRecord& object);

  const modules::ModuleTable& table_;
};

}  // namespace gw20::devicenet
