// The main window's plan menu items: Open Plan, Close Plan and Save Plan, and
// what they add to a connect and to a configuration page opening and closing.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/gateway_panels.h"
#include "app/main_f.h"
#include "app/plan_choices.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "link/eeprom_layout.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "plans/plan_compare.h"
#include "plans/plan_file.h"
#include "plans/plan_state.h"
#include "platform/ui/services.h"

namespace gw20::app {
namespace {

using link::kErrorTitle;

constexpr char kOpenPlanTitle[] = "Open Plan";
constexpr char kSavePlanTitle[] = "Save Plan";
constexpr char kCheckPlanTitle[] = "Check Against Plan";
constexpr char kPlanExtension[] = ".json";
constexpr char kPlanPresetStatus[] = "Preset from the plan";

std::string ChainDifferenceText(const std::string& file, const std::vector<std::string>& differences) {
  std::string text =
      "The modules connected are not the chain of the plan " + file + "; nothing was taken from it:";
  for (const auto& line : differences) text += "\n" + line;
  return text;
}

// A longer file name gives way in the middle: the caption would widen the window.
constexpr std::size_t kPlanNameChars = 40;
constexpr char kElided[] = "...";

// "Plan press3.json": how the window names a loaded plan.
std::string PlanName(const std::string& file) {
  std::string name = std::filesystem::path(file).filename().string();
  if (name.size() > kPlanNameChars) {
    const std::size_t kept = (kPlanNameChars - (sizeof kElided - 1)) / 2;
    name = name.substr(0, kept) + kElided + name.substr(name.size() - kept);
  }
  return "Plan " + name;
}

std::string ModulesText(std::size_t count) {
  if (count == 0) return "no modules";
  return std::to_string(count) + (count == 1 ? " module" : " modules");
}

// What Open Plan confirms: what the plan sets, and when.
std::string PlanSummaryText(const std::string& file, const plans::Plan& plan, bool setNow) {
  const auto& application = link::kCanApplications[plans::ApplicationTypeOf(plan.profile)];
  std::string text = PlanName(file) + " sets:\n";
  text += std::string(application.Name) + ", node ID " + std::to_string(plan.nodeId) + ", " +
          std::to_string(plan.canBitRateKbps) + " kbit/s\n";
  text += "field port " + plans::SerialText(plan.fieldPort) + ", time-out " +
          std::to_string(plan.fieldPort.timeoutMs) + " ms\n";
  text += "for " + ModulesText(plan.modules.size()) + ", scanned at " + plans::SerialText(plan.scan) + "\n";
  text += setNow ? "The panels are set; the " + std::string(application.Name) +
                       " page presets the plan's choices."
                 : "The next connect scans with the plan's settings and sets the panels when it finds these "
                   "modules.";
  return text;
}

std::string ReplaceQuestion(const std::filesystem::path& path) {
  return path.string() + " already exists.\nDo you want to replace it?";
}

// True, after the busy message, while a conversation with the controller runs.
bool RefusedWhileBusy(const AppState& state, ui::Services& services) {
  if (!state.CommitBusy) return false;
  services.messages.Show(link::kBusyMessage, kErrorTitle, ui::MessageButtons::Ok);
  return true;
}

struct ChosenPlan {
  std::filesystem::path path;
  plans::PlanReadResult read;  // a valid plan
};

// The plan file the operator chooses, read; nothing when the dialog was
// cancelled or the file is no valid plan (its error has been shown).
std::optional<ChosenPlan> ChoosePlan(ui::Services& services, const char* title) {
  auto path = services.files.OpenFile(title, kPlanFileFilter);
  if (!path) return std::nullopt;
  auto read = plans::ReadPlan(*path);
  if (!read.Ok()) {
    services.messages.Show(read.error.Text(), kErrorTitle, ui::MessageButtons::Ok);
    return std::nullopt;
  }
  return ChosenPlan{std::move(*path), std::move(read)};
}

}  // namespace

void Main_F::OpenPlan_Click() {
  if (RefusedWhileBusy(state_, services_)) return;
  const auto chosen = ChoosePlan(services_, kOpenPlanTitle);
  if (!chosen) return;
  const auto& [path, read] = *chosen;
  // Choices the chain's lists cannot give would be refused only when the page
  // opens; a plan is refused whole, here.
  if (const auto problem = plans::CheckPlanAgainstChain(*read.plan)) {
    const plans::PlanError error = read.ErrorAt(path.string(), *problem);
    services_.messages.Show(error.Text(), kErrorTitle, ui::MessageButtons::Ok);
    return;
  }
  plans_->opened = *read.plan;
  plans_->openedFile = path.string();
  ShowLoadedPlan();
  if (Connected) {
    SetPanelsFromPlan();
    // A chain that differs has had its message, and nothing was set.
    if (plans_->presets) {
      services_.messages.Show(PlanSummaryText(plans_->openedFile, *plans_->opened, true), kOpenPlanTitle,
                              ui::MessageButtons::Ok);
    }
    return;
  }
  // The scan dialog of the next connect shows the plan's scan parameters.
  auto& params = state_.params;
  const auto& scan = read.plan->scan;
  params.ScanBaudIndex = plans::FieldBaudIndexOf(scan.bitRateBps).value_or(params.ScanBaudIndex);
  params.ScanChecksum = scan.checksum ? link::kChecksumOn : link::kChecksumOff;
  params.ScanTimeoutMs = scan.timeoutMs;
  plans_->presets = false;
  services_.messages.Show(PlanSummaryText(plans_->openedFile, *plans_->opened, false), kOpenPlanTitle,
                          ui::MessageButtons::Ok);
}

void Main_F::ClosePlan_Click() {
  plans_->opened.reset();
  plans_->openedFile.clear();
  plans_->presets = false;
  ShowLoadedPlan();
}

void Main_F::ShowLoadedPlan() {
  const bool loaded = plans_->opened.has_value();
  SetCaption(loaded ? std::string(kMainCaption) + " - " + PlanName(plans_->openedFile) : kMainCaption);
  ClosePlan.SetEnabled(loaded);
}

void Main_F::SavePlan_Click() {
  if (RefusedWhileBusy(state_, services_)) return;
  if (!Connected) {
    CommunicationState.SetText(kConnectFirstStatus);
    return;
  }
  // The profile is the option's, as Build EDS File opens the option's page.
  const bool canopen = ApplicationSelect[link::kCanOpen].Value();
  plans::Plan plan = PlanOfPanels(
      state_.params, canopen ? plans::Profile::CANopen : plans::Profile::DeviceNet, state_.modules);
  const auto& visitedCanopen = plans_->canopenVisited;
  const auto& visitedDeviceNet = plans_->deviceNetVisited;
  if (canopen && visitedCanopen) {
    plan.errorControl = visitedCanopen->errorControl;
    plan.edsInfo = visitedCanopen->edsInfo;
  } else if (!canopen && visitedDeviceNet) {
    plan.deviceNet = visitedDeviceNet->deviceNet;
    plan.edsInfo = visitedDeviceNet->edsInfo;
  } else {
    (void)TakeStoredChoices(state_.params, state_.eeprom, state_.modules, plan);
  }
  auto path = services_.files.SaveFile(kSavePlanTitle, kPlanFileFilter);
  if (!path) return;
  if (!path->has_extension()) {
    *path += kPlanExtension;
    // The dialog asked about the name typed, not about this one.
    std::error_code ignored;
    if (std::filesystem::exists(*path, ignored) &&
        services_.messages.Show(ReplaceQuestion(*path), kSavePlanTitle, ui::MessageButtons::YesNo) !=
            ui::MessageAnswer::Yes) {
      return;
    }
  }
  if (const auto error = plans::WritePlan(*path, plan)) {
    services_.messages.Show(error->Text(), kErrorTitle, ui::MessageButtons::Ok);
    return;
  }
  services_.messages.Show("The plan was written to " + path->string() + ".", kSavePlanTitle,
                          ui::MessageButtons::Ok);
}

void Main_F::CheckAgainstPlan_Click() {
  if (RefusedWhileBusy(state_, services_)) return;
  if (!Connected) {
    CommunicationState.SetText(kConnectFirstStatus);
    return;
  }
  const auto chosen = ChoosePlan(services_, kCheckPlanTitle);
  if (!chosen) return;
  const auto& [path, read] = *chosen;
  // The header's words, not the panels: a Setting since the connect has changed nothing stored.
  link::GatewayParameters storedParams = state_.params;
  if (const auto header = link::UnpackHeader(state_.eeprom.ConfigHeader)) {
    storedParams.NodeId = header->NodeId;
    storedParams.ApplicationType = header->ApplicationType;
    storedParams.CanBaudIndex = header->CanBaudIndex;
    storedParams.Com2Checksum = header->Com2Checksum;
    storedParams.Com2BaudIndex = header->Com2BaudIndex;
    storedParams.Com2Timeout = header->Com2Timeout;
  }
  const auto stored = plans::PlanOfStoredConfiguration(storedParams, state_.eeprom, state_.modules);
  const auto outcome = plans::CheckAgainstPlan(*read.plan, stored, plans::ChainOf(state_.modules));
  const std::string name = path.filename().string();
  std::string text;
  if (outcome.Holds()) {
    text = "The controller holds the plan " + name + ".";
  } else {
    text = "The controller differs from the plan " + name + ":";
    for (const std::string& line : plans::OutcomeLines(outcome, "plan", "controller")) text += "\n" + line;
  }
  services_.messages.Show(text, kCheckPlanTitle, ui::MessageButtons::Ok);
}

void Main_F::SetPanelsFromPlan() {
  plans_->presets = false;
  if (!plans_->opened) return;
  const plans::Plan& plan = *plans_->opened;
  const auto differences = plans::ChainDifferences(plan.modules, plans::ChainOf(state_.modules));
  if (!differences.empty()) {
    services_.messages.Show(ChainDifferenceText(plans_->openedFile, differences), link::kWarningTitle,
                            ui::MessageButtons::Ok);
    return;
  }
  plans_->presets = true;
  // A valid plan's values pass every Setting; the status line says where they
  // came from. It is short enough for any plan: the caption names the plan.
  if (SetGatewayPanels(*this, plans::ApplicationTypeOf(plan.profile), GatewayAnswersOf(plan))) {
    CommunicationState.SetText(kPlanPresetStatus);
    CommunicationState.SetToolTip(plans_->openedFile);
  }
}

void Main_F::PresetPageFromPlan(int applicationType) {
  if (!plans_->opened || !plans_->presets) return;
  const plans::Plan& plan = *plans_->opened;
  if (plans::ApplicationTypeOf(plan.profile) != applicationType) return;
  if (canopenPage_ && canopenPage_->Loaded()) {
    MakeCanopenChoices(*canopenPage_, state_.errorControl, plan);
    return;
  }
  if (!deviceNetPage_ || !deviceNetPage_->Loaded()) return;
  std::string problem;
  // A refused pick has shown the page's own message.
  if (MakeDeviceNetChoices(*deviceNetPage_, state_.choices, plan, problem) == ChoiceOutcome::NotInList) {
    services_.messages.Show(plans_->openedFile + ": " + problem, kErrorTitle, ui::MessageButtons::Ok);
  }
}

void Main_F::RememberPageChoices() {
  if (canopenPage_) plans_->canopenVisited = CanopenChoicesOf(*canopenPage_, state_.errorControl);
  if (!deviceNetPage_) return;
  // The page is closing: the mapping tables are still its assemblies.
  auto chosen = DeviceNetChoicesOf(*deviceNetPage_, state_.choices, state_.modules, state_.maps);
  // After a Finish the image is what it wrote, before it what was read at connect.
  plans::Plan stored;
  stored.profile = plans::Profile::DeviceNet;
  const bool hasStored = TakeStoredChoices(state_.params, state_.eeprom, state_.modules, stored);
  KeepUnpickedConsumed(*deviceNetPage_, plans_->consumedPicked,
                       hasStored ? std::optional(stored.deviceNet) : std::nullopt, chosen);
  plans_->deviceNetVisited = std::move(chosen);
}

}  // namespace gw20::app
