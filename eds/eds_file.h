#pragma once
// What the EDS files of both profiles share beyond the INI layer: the date
// they are stamped with and what the operator is told about writing them.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/services.h"

namespace gw20::eds {

// Status texts of a commit's last step.
inline constexpr std::string_view kEdsOkStatus = "Produce .EDS file is OK";
inline constexpr std::string_view kEdsErrorStatus = "EDS file error";

// An operator's text made fit for one line of an EDS file: control
// characters (line breaks and tabs among them) and DEL become blanks, so no
// typed text can start a line, a section or a key of its own.
std::string OneLineText(std::string text);

// The lines of an EDS file's text, without their CR LF (or LF) ends.
std::vector<std::string_view> EdsLines(std::string_view text);

// "MM-DD-YYYY", the year with at least four digits: 12-04-2026.
std::string EdsDateText(const ui::DateTime& now);

// Follows CantWriteEdsText when the file could not be put in place after the
// controller's EEPROM was written.
inline constexpr std::string_view kEepromAlreadyWrittenMessage =
    "The controller's EEPROM already holds the new configuration.";

// The operator's message for a failed write: "Can't write the EDS file " +
// the full path + "!" (shown with the title "Error").
std::string CantWriteEdsText(const std::filesystem::path& path);

}  // namespace gw20::eds
