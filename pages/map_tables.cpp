#include "pages/map_tables.h"

namespace gw20::pages {

void ClearMapTables(MapTables& tables) {
  for (auto* map : {&tables.OutputMap, &tables.InputMap}) {
    for (MapRecord& record : *map) {
      for (std::string& entry : record.Entries) entry.clear();
      record.EntryCount = 0;
      record.EntryKind = kDigitalEntries;
    }
  }
}

}  // namespace gw20::pages
