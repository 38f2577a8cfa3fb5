#pragma once
// Deriving the PDO mapping tables from the module table, and the rules that
// turn a table into the mapping objects of the object dictionary.

#include <cstdint>

#include "canopen/pdo_records.h"
#include "modules/modules_fwd.h"

namespace gw20::canopen {

// Fills OutputMap and InputMap, LastOutputMap, LastInputMap, NextFreeRxPdo and
// NextFreeTxPdo from the slots of table.ModuleList in use, in slot order
// (not ModuleOrder). Both tables are cleared first (ClearMapTables). PDO 0
// carries the first 8 digital bytes, PDOs 1..3 the first analog channels;
// further digital bytes go to PDOs 4.., analog ones follow from the next free
// PDO. Returns false, with the tables holding what fit, when the channels need
// more than 32 PDOs in a direction (no module set the catalog knows does).
bool BuildPdoMaps(const modules::ModuleTable& table, MapTables& tables);

enum class MappedKind { Digital, Analog };

// The kind of object PDO pdoIndex maps, chosen by its index, not by its
// EntryKind: PDO 0 digital, PDOs 1..3 analog, from PDO 4 digital below
// nextFreePdo and analog from it on (all analog when nextFreePdo is below 5).
MappedKind MappedKindOf(int pdoIndex, int nextFreePdo);

// The mapping word of one mapped object, or why there is none.
struct MappingWord {
  enum class Outcome {
    Value,    // `value` holds the word, e.g. 0x62000108
    NoValue,  // the digital sub-indexes are used up: the object gets no value
    End,      // the analog sub-indexes are used up: this direction's mapping ends
  };
  Outcome outcome = Outcome::Value;
  std::uint32_t value = 0;
};

// Hands out the mapping words of one direction in PDO index order: a digital
// and an analog sub-index counter, both from 1 up to 255, each mapped object
// taking the next value of its kind.
class MappingCounters {
 public:
  explicit MappingCounters(PdoDirection direction) : direction_(direction) {}

  // Word of the next mapped object of `kind`: object index, sub-index (one
  // byte), length in bits (one byte): 0x6200ss08 / 0x6411ss10 for outputs,
  // 0x6000ss08 / 0x6401ss10 for inputs. Once the analog counter is used up
  // every later call gives End.
  MappingWord Next(MappedKind kind);

 private:
  PdoDirection direction_;
  int digital_ = 1;
  int analog_ = 1;
  bool ended_ = false;
};

}  // namespace gw20::canopen
