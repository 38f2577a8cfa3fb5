#pragma once
// The PDO viewer: the receive and transmit PDOs of the last derivation, one
// row per PDO with its communication parameters and its eight mapping
// entries. It only reads; the CANopen page opens it without blocking and
// closes it (Unload) before it commits.

#include "link/link_fwd.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/tabstrip.h"

namespace gw20::pages {
struct MapTables;
}

namespace gw20::canopen {

using pages::MapTables;

inline constexpr int kShowPdoWidth = 9100;   // twips
inline constexpr int kShowPdoHeight = 4500;  // twips
inline constexpr int kShowPdoCols = 13;
// The grid's default column width in twips, on which the column factors act;
// a column whose texts need more room gets it.
inline constexpr int kShowPdoBaseColWidth = 1000;

// Positions of PDOParaTableTag's tabs.
inline constexpr int kReceivePdoTab = 0;   // "Receive PDO": OutputMap
inline constexpr int kTransmitPdoTab = 1;  // "Transmit PDO": InputMap

class ShowPDO : public ui::Form {
 public:
  // `maps` and `params` (NodeId) must outlive the form; every tab click reads
  // them afresh.
  ShowPDO(const MapTables& maps, const link::GatewayParameters& params, ui::FormHost& host);

  ui::Frame Frame6;              // "Setting Result"
  ui::TabStrip PDOParaTableTag;  // "Receive PDO", "Transmit PDO"
  ui::Grid PDOParaRecord;        // header row, then PDO 1 .. last in use

  // Refills the grid for the selected tab.
  void PDOParaTableTag_Click();

 protected:
  // Sizes the window and selects the receive tab, which fills the grid.
  void Form_Load() override;

 private:
  const MapTables& maps_;
  const link::GatewayParameters& params_;
};

}  // namespace gw20::canopen
