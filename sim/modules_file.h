#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/field_module.h"

namespace gw20::sim {

// A module chain file that cannot be used; what() starts with "LINE:COLUMN: "
// (both counted from 1, the column in bytes): for text that is not JSON the
// offending character, for a module that cannot be used the first character
// of its entry in the list.
class ModulesFileError : public std::runtime_error {
 public:
  ModulesFileError(int line, int column, const std::string& message);
  int Line() const { return line_; }
  int Column() const { return column_; }

 private:
  int line_;
  int column_;
};

// Parses a module chain written as strict JSON: an array of objects with the
// keys "address" (two hexadecimal digits, required), "model" (required),
// "typeCode" and "dataFormat" (two hexadecimal digits, default "00"), "baud"
// (a whole number, default 9600), "checksum" and "dSuffix" (true or false,
// default false). Unknown or repeated keys and a chain that CheckModules
// refuses are errors. Throws ModulesFileError.
std::vector<FieldModule> ParseModulesJson(std::string_view text);

// Reads and parses `file`, a regular file: a FIFO, a device or a folder is
// refused at once ("FILE: not a regular file"), never waited on. Throws
// std::runtime_error whose message starts with the file name (and
// ":LINE:COLUMN" for a content error).
std::vector<FieldModule> ReadModulesFile(const std::filesystem::path& file);

}  // namespace gw20::sim
