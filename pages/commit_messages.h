#pragma once
// What the operator is told at the end of a commit: the status texts of its
// last step and the messages about the EDS file.

#include <filesystem>
#include <string>
#include <string_view>

namespace gw20::pages {

// Status texts of a commit's last step.
inline constexpr std::string_view kEdsOkStatus = "Produce .EDS file is OK";
inline constexpr std::string_view kEdsErrorStatus = "EDS file error";

// Follows CantWriteEdsText when the file could not be put in place after the
// controller's EEPROM was written.
inline constexpr std::string_view kEepromAlreadyWrittenMessage =
    "The controller's EEPROM already holds the new configuration.";

// The operator's message for a failed write: "Can't write the EDS file " +
// the full path + "!" (shown with the title "Error").
inline std::string CantWriteEdsText(const std::filesystem::path& path) {
  return "Can't write the EDS file " + path.string() + "!";
}

}  // namespace gw20::pages
