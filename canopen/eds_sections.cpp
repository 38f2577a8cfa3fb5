#include "canopen/eds_sections.h"

#include "platform/ui/number_text.h"

namespace gw20::canopen {

std::string Hex0x(std::uint64_t value) { return "0x" + ui::Hex(value); }

std::string Sub(const std::string& object, int sub) {
  return object + "sub" + ui::Hex(static_cast<std::uint64_t>(sub));
}

std::string PdoObject(std::string_view base, int pdoIndex) {
  constexpr int kHexIndexDigits = 16;  // PDO indexes below this get a leading "0"
  return std::string(base) + (pdoIndex < kHexIndexDigits ? "0" : "") +
         ui::Hex(static_cast<std::uint64_t>(pdoIndex));
}

void EdsText::Variable(const std::string& section, const ObjectLines& v) {
  ini.Section(section);
  ini.Key("ParameterName", v.name);
  ini.Key("ObjectType", "0x7");
  ini.Key("DataType", v.dataType);
  ini.Key("AccessType", v.access);
  if (v.defaultValue) ini.Key("DefaultValue", *v.defaultValue);
  ini.Key("PDOMapping", v.pdoMapping);
  ini.Blank();
}

void EdsText::Header(const std::string& section, int subNumber, std::string_view name,
                     std::string_view objectType) {
  ini.Section(section);
  if (subNumber >= 0) ini.Key("SubNumber", std::to_string(subNumber));
  ini.Key("ParameterName", name);
  ini.Key("ObjectType", objectType);
  ini.Blank();
}

ObjectPart VariablePart(const std::string& index, const ObjectLines& lines) {
  return {{index}, [index, lines](EdsText& eds) { eds.Variable(index, lines); }};
}

void WriteObjects(EdsText& eds, std::string_view listName, const ObjectParts& parts) {
  std::vector<std::string_view> list;
  for (const ObjectPart& part : parts) list.insert(list.end(), part.indexes.begin(), part.indexes.end());
  eds.ini.Section(listName);
  eds.ini.Key("SupportedObjects", std::to_string(list.size()));
  for (std::size_t n = 0; n < list.size(); ++n)
    eds.ini.Key(std::to_string(n + 1), "0x" + std::string(list[n]));
  eds.ini.Blank();
  for (const ObjectPart& part : parts) part.write(eds);
}

}  // namespace gw20::canopen
