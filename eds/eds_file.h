#pragma once
// What the EDS files of both profiles share beyond the INI layer: the date
// they are stamped with and how an operator's text fits one line.

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/services.h"

namespace gw20::eds {

// An operator's text made fit for one line of an EDS file: control
// characters (line breaks and tabs among them) and DEL become blanks, so no
// typed text can start a line, a section or a key of its own.
std::string OneLineText(std::string text);

// The lines of an EDS file's text, without their CR LF (or LF) ends.
std::vector<std::string_view> EdsLines(std::string_view text);

// "MM-DD-YYYY", the year with at least four digits: 12-04-2026.
std::string EdsDateText(const ui::DateTime& now);

}  // namespace gw20::eds
