#pragma once
// The files a gw20cli run writes for the operator: the EDS file, and besides
// it the record (apply --record), the report (batch --report) or save's plan.
// Each is written as the EDS file is (eds::StagedFile): beside its name,
// never through a link, never over anything but a regular file, synced and
// placed only when complete. Each name is checked before anything is sent
// to a controller, so one that cannot be written is never found only after
// the controller was.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw20::plans {
struct Plan;
}

namespace gw20::cli {

struct CliOptions;

// The file a command writes besides the EDS file.
struct OutputFile {
  std::string label;           // how a message names it: "--record", "--report", "save"
  std::string what;            // what it holds: "the record"
  std::filesystem::path path;  // empty: the command writes none
  std::size_t room = 0;        // bytes the disk must have for it, at most what it can come to

  bool Wanted() const { return !path.empty(); }
  // Whether the file can be written: a new file is created beside the name,
  // `room` bytes set aside for it, and removed again. The message for the
  // operator when it cannot: "--record /dev/null: a device, not a regular
  // file; the record is written only as a new or regular file", or the
  // system's reason ("No space left on device").
  std::optional<std::string> Check() const;
  // Writes `text` as the file, whole or not at all. On failure (a full
  // disk) the message: "cannot write the record FILE: REASON".
  std::optional<std::string> Write(std::string_view text) const;
};

// The file `options`' command writes besides the EDS file: apply's
// --record, batch's --report, save's plan; none for the other commands.
OutputFile OutputFileOf(const CliOptions& options);

// The name of the EDS file `plan`'s commit writes for node `node`.
std::string PlanEdsFileName(const plans::Plan& plan, int node);

// The EDS files a plan command writes: in --out (else the current
// directory), named by the node: the plan's, --node's or each of --nodes'.
std::vector<std::filesystem::path> PlanEdsFiles(const CliOptions& options, const plans::Plan& plan);

// Checks every file the run writes before anything is sent to a controller:
// none may have the plan's name (or be the file the plan's name links to),
// the record or report not the EDS file's; each must be creatable in its
// folder, and nothing but a regular file or a link may stand at its name.
// `plan` is the plan read, --node applied (nullptr for a command without
// one). The message for the operator (exit status 2) when a file is
// refused; nullopt when all can be written.
std::optional<std::string> CheckOutputFiles(const CliOptions& options, const plans::Plan* plan);

}  // namespace gw20::cli
