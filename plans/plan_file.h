#pragma once
// A plan as a file: one JSON object, "format": "gw20-plan/2" first, every key
// but "firmware" required, keys in a fixed order, two-space indent, UTF-8, a final line
// break. docs/PLANS.md describes every key. Reading refuses anything that is
// not exactly a valid plan and says where; writing puts the whole file in
// place or nothing.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "plans/json_document.h"
#include "plans/plan.h"

namespace gw20::plans {

// What plans are written as; the first format, without "firmware", is still read.
inline constexpr std::string_view kPlanFormat = "gw20-plan/2";
inline constexpr std::string_view kPlanFormatFirst = "gw20-plan/1";
// Larger files are refused unread: a plan is a few kilobytes.
inline constexpr std::size_t kMaxPlanFileBytes = 1 << 20;

// Why a plan was refused, and where.
struct PlanError {
  std::string file;  // the file's name as given
  int line = 0;      // from 1; 0 when no place in the text applies
  int column = 0;    // from 1, in characters
  std::string path;  // key path, e.g. "modules[2].typeCode"; empty for the whole file
  std::string reason;
  // "FILE:LINE:COLUMN: PATH: REASON", leaving out what is not known.
  std::string Text() const;
};

struct PlanReadResult {
  std::optional<Plan> plan;  // set when the text is a valid plan
  PlanError error;           // set (reason not empty) otherwise
  bool Ok() const { return plan.has_value(); }
  // A problem found later (against the chain) as an error of `file`, at the
  // line and column of its value, or of the nearest value around it.
  PlanError ErrorAt(const std::string& file, const PlanProblem& problem) const;
  // Where each key path's value stands; filled for a valid plan.
  std::map<std::string, JsonPosition> places;
};

// Reads `text` as a plan; `fileName` only names it in an error. Refuses:
// malformed JSON or text that is not UTF-8 (line and column); a missing or
// unknown key at any level, a key given twice, a value of the wrong type, a
// format other than gw20-plan/2 or /1 ("firmware" in a /1 plan), and every rule CheckPlan states (key path,
// and the line and column of the value); a text with a character outside
// Latin-1 (the program's texts are 8-bit). Never throws.
PlanReadResult ParsePlan(std::string_view text, const std::string& fileName);

// Reads the file at `path` as ParsePlan does; a file that cannot be read, or
// is larger than kMaxPlanFileBytes, is refused with the system's reason, and
// a name that is no regular file (a FIFO, a device, a folder) at once,
// without waiting: "a FIFO, not a regular file".
PlanReadResult ReadPlan(const std::filesystem::path& path);

// The plan's file text. For a plan CheckPlan accepts, ParsePlan gives back
// an equal plan; the text depends on nothing but the plan.
std::string WritePlanText(const Plan& plan);

// Writes the plan's text to `path` atomically: a file beside it, synced and
// renamed over it (eds::StagedFile), so an old plan stays whole until the new
// one is complete; a folder, a device or a FIFO at the name is refused.
// Refuses, writing nothing, a plan CheckPlan does not accept. Nullopt when
// written.
std::optional<PlanError> WritePlan(const std::filesystem::path& path, const Plan& plan);

}  // namespace gw20::plans
