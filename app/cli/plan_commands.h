#pragma once
// What gw20cli's plan commands add to the operator's part: the answers a
// plan gives the windows, the plan's choices made on a loaded page, the EDS
// file a plan's commit would write (made without a controller), and the
// commissioning record of an apply.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/scripted_operator.h"
#include "app/gateway_panels.h"
#include "app/plan_choices.h"
#include "link/eeprom_layout.h"
#include "link/eeprom_procedures.h"
#include "link/link_fwd.h"
#include "pages/eds_page.h"
#include "plans/plan.h"

namespace gw20::ui {
struct Services;
}

namespace gw20::cli {

// What the operator answers in the scan dialog for `plan` (the panels' and
// the EDS texts' answers are app::GatewayAnswersOf).
ScanAnswers ScanAnswersOf(const plans::Plan& plan);

// The plan's choices made on a loaded page: shared with the desktop
// program's Open Plan.
using app::ChoiceOutcome;
using app::MakeCanopenChoices;
using app::MakeDeviceNetChoices;

// "MAJOR.MINOR-YYYY/MM/DD" as the main window shows the firmware; nullopt
// for anything else.
using plans::ParseFirmwareText;

// The words a commit wrote (link::CommitBlocks), by block number.
using WrittenBlock = link::CommitBlock;

// What a commit of `plan` would write, made without a controller as
// WritePlanEds makes it: the EDS file's name and text and the EEPROM words by
// block. exitCode as PlanEdsResult's when nothing could be prepared.
struct PlanCommit {
  std::optional<pages::PreparedCommit> prepared;
  std::vector<WrittenBlock> blocks;
  int exitCode = 0;
};
PlanCommit PreparePlanCommit(const plans::Plan& plan, const link::FirmwareFields& firmware,
                             ui::Services& services, std::ostream& err);

struct PlanEdsResult {
  std::optional<std::filesystem::path> path;  // the file written
  int exitCode = 0;                           // 0 written, 1 not written, 2 a choice the page refused
};
// Writes the EDS file a commit of `plan` writes, without a controller: the
// module table as a scan of the plan's chain leaves it, the gateway
// parameters, the profile's page loaded unseen with the plan's choices made,
// the image built and the file written by the commit's own writer into
// services.folder. `firmware` stands for what a connect reads. Problems go to
// services.messages or `err`.
PlanEdsResult WritePlanEds(const plans::Plan& plan, const link::FirmwareFields& firmware,
                           ui::Services& services, std::ostream& err);

// The EDS texts ("Description:", "Created By:") the EDS file at `path` was
// made with, read from a file of either profile's writer; a problem (the
// file cannot be read, or is no EDS file this program writes) otherwise.
struct EdsTextsResult {
  std::optional<eds::EdsInfo> info;
  std::string problem;  // set when info is not
};
EdsTextsResult ReadEdsTexts(const std::filesystem::path& path);

std::vector<WrittenBlock> WrittenBlocks(const link::EepromImage& image, bool deviceNet);

// Hexadecimal SHA-256 of a regular file's bytes, or why it cannot be read.
struct FileHash {
  std::string sha256;   // empty when the file cannot be read
  std::string problem;  // set when sha256 is not
};
FileHash FileSha256(const std::filesystem::path& path);

struct CommissioningRecord {
  std::string port;  // as --port took it
  int node = 0;
  std::string version;  // this program's
  std::string controllerPrompt;
  std::string firmware;
  std::string time;  // ISO 8601, local time with its offset
  std::filesystem::path planFile;
  std::string planSha256;
  std::vector<WrittenBlock> blocks;
  std::filesystem::path edsFile;
  std::string edsSha256;
  bool verified = false;  // every written word was read back and matched
};
// One block as the records write it, on one line:
// {"address":24,"block":0,"words":[1,2]}.
std::string BlockText(const WrittenBlock& block);
// The record as one indented JSON object.
std::string CommissioningRecordJson(const CommissioningRecord& record);
// The local time now, ISO 8601 with the offset: "2024-05-01T14:03:07+02:00".
std::string LocalTimeNow();

}  // namespace gw20::cli
