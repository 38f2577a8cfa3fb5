#include "app/cli/output_files.h"

#include <system_error>

#include "app/cli/cli_options.h"
#include "canopen/canopen_eds_writer.h"
#include "devicenet/dns_eds_writer.h"
#include "eds/staged_file.h"
#include "plans/plan.h"

namespace gw20::cli {
namespace {

namespace fs = std::filesystem;

// The most a record or a plan comes to, and a report for each port (its
// record and the apply's messages), with room to spare: they are a few
// kilobytes.
constexpr std::size_t kFileRoom = std::size_t{64} << 10;

// Where a file lands when written at `path`: its folder resolved (links,
// "..", a relative path), its own name as given, since no file is ever
// written through a link.
fs::path WrittenAt(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  fs::path folder = fs::weakly_canonical(absolute.parent_path(), error);
  if (error) folder = absolute.parent_path().lexically_normal();
  return folder / absolute.filename();
}

// Whether writing at `output` would replace the plan: its name, or the file
// its name links to.
bool ReplacesPlan(const fs::path& output, const fs::path& plan) {
  const fs::path at = WrittenAt(output);
  std::error_code error;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(plan, error), error);
  return at == WrittenAt(plan) || (!error && at == resolved);
}

std::string Refusal(const std::string& label, const fs::path& path, const std::string& reason) {
  return (label.empty() ? std::string() : label + " ") + path.string() + ": " + reason;
}

// The operator's message for a file that could not be reserved.
std::string ReserveRefusal(const std::string& label, const std::string& what,
                           const eds::FileWriteResult& failed) {
  std::string reason = failed.reason;
  if (failed.notRegular) reason += "; " + what + " is written only as a new or regular file";
  return Refusal(label, failed.path, reason);
}

}  // namespace

std::optional<std::string> OutputFile::Check() const {
  if (!Wanted()) return std::nullopt;
  eds::StagedFile probe;  // removed again at once
  const eds::FileWriteResult reserved = probe.Reserve(path, room);
  if (reserved.ok) return std::nullopt;
  return ReserveRefusal(label, what, reserved);
}

std::optional<std::string> OutputFile::Write(std::string_view text) const {
  eds::StagedFile file;
  eds::FileWriteResult written = file.Stage(path, text);
  if (written.ok) written = file.Place();
  if (written.ok) return std::nullopt;
  return "cannot write " + what + " " + path.string() + ": " + written.reason;
}

OutputFile OutputFileOf(const CliOptions& options) {
  if (options.command == Command::Apply) return {"--record", "the record", options.recordPath, kFileRoom};
  if (options.command == Command::Batch) {
    return {"--report", "the report", options.reportPath, kFileRoom * options.ports.size()};
  }
  if (options.command == Command::Save) return {"save", "the plan", options.planPath, kFileRoom};
  return {};
}

std::string PlanEdsFileName(const plans::Plan& plan, int node) {
  return plan.profile == plans::Profile::DeviceNet ? devicenet::DeviceNetEdsFileName(node)
                                                   : canopen::CanopenEdsFileName(node);
}

std::vector<std::filesystem::path> PlanEdsFiles(const CliOptions& options, const plans::Plan& plan) {
  const fs::path folder = options.outDir.empty() ? fs::path(".") : fs::path(options.outDir);
  std::vector<fs::path> files;
  if (options.command == Command::Batch && !options.nodes.empty()) {
    for (const int node : options.nodes) files.push_back(folder / PlanEdsFileName(plan, node));
  } else {
    files.push_back(folder / PlanEdsFileName(plan, plan.nodeId));
  }
  return files;
}

std::optional<std::string> CheckOutputFiles(const CliOptions& options, const plans::Plan* plan) {
  const OutputFile output = OutputFileOf(options);
  const std::vector<fs::path> edsFiles = plan ? PlanEdsFiles(options, *plan) : std::vector<fs::path>{};
  // Names first: refusing them touches nothing.
  for (const fs::path& eds : edsFiles) {
    if (ReplacesPlan(eds, options.planPath)) {
      return Refusal({}, eds, "the EDS file would replace the plan; give --out another folder");
    }
  }
  if (output.Wanted()) {
    const auto refused = [&output](std::string_view whose) {
      return Refusal(output.label, output.path,
                     "that is " + std::string(whose) + " name; " + output.what + " needs a name of its own");
    };
    for (const fs::path& eds : edsFiles) {
      if (WrittenAt(output.path) == WrittenAt(eds)) return refused("the EDS file's");
    }
    if (plan && ReplacesPlan(output.path, options.planPath)) return refused("the plan's");
  }
  for (const fs::path& eds : edsFiles) {
    if (auto refused = OutputFile{{}, "the EDS file", eds}.Check()) return refused;
  }
  return output.Check();
}

}  // namespace gw20::cli
