#pragma once
// The CANopen layer of the EDS file over the INI writer: the section of an
// object or sub-entry, the header of a record or array, and a list section
// ([MandatoryObjects], [OptionalObjects]) written from the same parts as the
// objects it names.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "eds/ini_writer.h"

namespace gw20::canopen {

// "0x" + value in hexadecimal: 0x191.
std::string Hex0x(std::uint64_t value);

// The section name of sub-entry `sub` of `object`: ("1018", 1) gives "1018sub1".
std::string Sub(const std::string& object, int sub);

// Object index of PDO pdoIndex in a PDO range: ("14", 10) gives "140A", ("14", 31) "141F".
std::string PdoObject(std::string_view base, int pdoIndex);

// One object or sub-entry section.
struct ObjectLines {
  std::string_view name;
  std::string_view dataType;
  std::string_view access;
  std::optional<std::string> defaultValue;  // nullopt: no DefaultValue line
  std::string_view pdoMapping = "0";
};

class EdsText {
 public:
  void Variable(const std::string& section, const ObjectLines& v);
  // A record or array header; subNumber < 0: no SubNumber line.
  void Header(const std::string& section, int subNumber, std::string_view name, std::string_view objectType);

  eds::IniWriter ini;
};

// Objects of one list section with what writes their sections. The list and
// the sections are written from the same parts, so a condition that drops an
// object drops it from both.
struct ObjectPart {
  std::vector<std::string> indexes;  // "1003", "140A": as the list names them
  std::function<void(EdsText&)> write;
};
using ObjectParts = std::vector<ObjectPart>;

// A part of one variable object.
ObjectPart VariablePart(const std::string& index, const ObjectLines& lines);

// The list section `listName` ("SupportedObjects" and one "n=0x<index>" per
// object), then every part's sections in the list's order.
void WriteObjects(EdsText& eds, std::string_view listName, const ObjectParts& parts);

}  // namespace gw20::canopen
