#include "app/connect_sequence.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

#include "app/app_state.h"
#include "app/main_f.h"
#include "link/com_para_setting_f.h"
#include "link/console.h"
#include "link/eeprom_procedures.h"
#include "link/eeprom_words.h"
#include "link/field_port_scan.h"
#include "link/link_messages.h"
#include "link/open_console_port.h"
#include "modules/module_table.h"
#include "platform/ui/number_text.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"

namespace gw20::app {

namespace {

using link::kErrorTitle;
using link::kMismatchTitle;
using link::kNoTitle;

constexpr const char* kTimeoutStatus = "Timeout";
constexpr const char* kNoPortSelected = "No COM port is selected!";
// Only for something that is not even a std::exception.
constexpr const char* kUnexpectedError = "The connection stopped on an unexpected error.";
using link::kEepromPrompt;
using link::kMainPromptEnd;
constexpr int kWakeUpLines = 3;
constexpr int kPictureGW20M = 0;
constexpr int kPictureGW20A = 1;
constexpr int kUnknownPicture = -1;
// The position the sequence "clicks" the CAN toggle at, in twips.
constexpr int kTogglePoint = 330;
// How long one wait for the scan-parameters dialog lasts before the flag is
// looked at again; events are pumped meanwhile.
constexpr std::chrono::milliseconds kDialogPoll{10};
// While the listing arrives the bar moves on once per this much of its budget.
constexpr std::chrono::milliseconds kListingStep{500};

// Clears CommitBusy however the sequence ends, thrown errors included.
class BusyGuard {
 public:
  explicit BusyGuard(bool& busy) : busy_(busy) {}
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  ~BusyGuard() { busy_ = false; }

 private:
  bool& busy_;
};

}  // namespace

// The console's event pump during the connect. It passes every pump on; while
// the scan listing arrives (which can take minutes) it also moves the bar from
// the scan's start towards its end, one step per kListingStep of the listing's
// time budget, stopping a step short of the end until the listing is in.
class ListingProgress : public ui::EventPump {
 public:
  ListingProgress(ui::EventPump& events, const ui::TickCounter& ticks, ui::ProgressBar& bar)
      : events_(events), ticks_(ticks), bar_(bar) {}

  void Start(std::chrono::milliseconds budget) {
    running_ = true;
    start_ = ticks_.NowMs();
    steps_ = std::max<std::int64_t>(1, budget / kListingStep);
  }
  void Stop() { running_ = false; }

  void ProcessEvents() override {
    Advance();
    events_.ProcessEvents();
  }
  void Pause(std::chrono::milliseconds period) override {
    Advance();
    events_.Pause(period);
  }

 private:
  void Advance() {
    if (!running_) return;
    const std::int64_t elapsed = std::max(0, ui::TicksSince(start_, ticks_.NowMs()));
    const std::int64_t done = std::min(elapsed / kListingStep.count(), steps_ - 1);
    constexpr int kFrom = link::kProgressScanStarted * kProgressPerStage;
    constexpr int kTo = link::kProgressScanned * kProgressPerStage;
    bar_.SetValue(kFrom + static_cast<int>((kTo - kFrom) * done / steps_));
  }

  ui::EventPump& events_;
  const ui::TickCounter& ticks_;
  ui::ProgressBar& bar_;
  bool running_ = false;
  std::uint32_t start_ = 0;
  std::int64_t steps_ = 1;
};

ConnectSequence::ConnectSequence(Main_F& form, AppState& state, ui::Services& services)
    : form_(form), state_(state), services_(services) {}

void ConnectSequence::Run() {
  if (state_.CommitBusy) return;
  const int entry = form_.ComPort.ListIndex();
  if (entry < 0 || entry >= link::kPortCount) {
    services_.messages.Show(kNoPortSelected, kErrorTitle, ui::MessageButtons::Ok);
    return;
  }
  const BusyGuard guard(state_.CommitBusy);
  // Any run-time error is reported by its own description and ends the
  // session, as the port may already be open.
  try {
    (void)Connect(state_.params.PortNumber[entry]);
  } catch (const std::exception& error) {
    // The error may have come while the scan dialog had the window disabled.
    form_.SetEnabled(true);
    Fail(error.what(), kNoTitle, "");
  } catch (...) {
    form_.SetEnabled(true);
    Fail(kUnexpectedError, kNoTitle, "");
  }
}

bool ConnectSequence::Connect(int portNumber) {
  if (!OpenPort(portNumber)) return false;
  Prepare();
  ListingProgress listing(services_.events, services_.ticks, form_.ConnectProgress);
  link::Console console(services_.port, listing, services_.ticks, state_.console);
  if (!WakeConsole(console)) return FailTimeout("no \"" + std::string(kMainPromptEnd) + "\" after \"exit\"");
  const int picture = Identify();
  if (picture == kUnknownPicture) {
    return Fail(std::string(link::kUnknownControllerMessage), kErrorTitle, kTimeoutStatus);
  }

  const auto read = link::ReadStoredConfiguration(console, state_.console, state_.eeprom);
  if (!read.Ok()) return FailEeprom(read);

  ChooseScanParameters();
  if (!ScanFieldPort(console, listing)) return false;

  // A value half-typed by a conversation cut inside the editor has just
  // been stored by the wake-up's first Enter: nothing stored can be trusted.
  if (interruptedEdit_) state_.eeprom.ConfigMismatch = true;
  const auto check = link::CheckStoredConfiguration(console, state_.console, state_.eeprom, state_.params,
                                                    state_.modules, [this](int stage) { ShowStage(stage); });
  if (!check.Ok()) return FailEeprom(check);

  Finish(picture);
  return true;
}

bool ConnectSequence::FailEeprom(const link::EepromResult& failed) {
  if (failed.status == link::EepromStatus::Timeout) {
    FailTimeout(failed.description);
  } else {
    Fail(failed.description, kErrorTitle, "");
  }
  if (failed.partlyWritten) {
    services_.messages.Show(std::string(link::kPartlyWrittenMessage), kNoTitle, ui::MessageButtons::Ok);
  }
  return false;
}

bool ConnectSequence::OpenPort(int number) {
  const auto result = link::OpenConsolePort(form_.MSComm1, number);
  const ui::ConsoleAddress named = form_.MSComm1.Named();
  switch (result.status) {
    case link::OpenPortStatus::Opened:
      return true;
    case link::OpenPortStatus::Occupied: {
      const std::string text = link::PortOccupiedText(named);
      return Fail(text, kErrorTitle, text);
    }
    case link::OpenPortStatus::Error:
      return Fail(result.description, kNoTitle, "");
    case link::OpenPortStatus::Denied:
    case link::OpenPortStatus::CannotOpen:
      break;
  }
  // Nothing has been changed yet: the window stays as it was.
  const std::string text = result.status == link::OpenPortStatus::Denied
                               ? link::CantOpenComText(named, result.description)
                               : link::CantOpenComText(named);
  services_.messages.Show(text, kErrorTitle, ui::MessageButtons::Ok);
  return false;
}

void ConnectSequence::Prepare() {
  form_.HidePanels();
  form_.CommunicationState.SetText("Connecting");
  form_.CommunicationState.SetToolTip("");
  form_.Connect.SetEnabled(false);
  form_.FirmwareVer.SetText("");
  form_.ComPort.SetEnabled(false);
  form_.WriteEDS.SetEnabled(false);
  form_.EixtProgram.SetEnabled(false);
  form_.ComButton[0].SetValue(false);
  form_.ComButton[0].SetBackColor(kToggleGrey);
  state_.CommitBusy = true;
  state_.eeprom.ConfigMismatch = false;
  state_.eeprom.EepromBlock = 0;
  state_.maps.LastOutputMap = 0;
  state_.maps.LastInputMap = 0;
  // Totals, ModuleCount, ModuleOrder, channel counts and every Address.
  modules::ResetModuleTable(state_.modules);
  form_.Connected = false;
  form_.SelectedPanel = kNoPanel;
  state_.eeprom.EepromConfigValid = 0;
  form_.ConnectProgress.SetRange(0, kProgressMax);
  ShowStage(link::kProgressStart);
  form_.ConnectProgress.SetVisible(true);
  ShowStage(link::kProgressPrepared);
}

bool ConnectSequence::WakeConsole(link::Console& console) {
  // Whatever mode an interrupted conversation left the console in, these
  // bring it back to the main prompt; only the last one has to succeed.
  // The first Enter is answered by the mode the console was left in: from
  // inside the EEPROM editor, it has just stored whatever was half-typed
  // there, and the console offers no way to end an edit without that.
  interruptedEdit_ = false;
  for (int i = 0; i < kWakeUpLines; ++i) {
    console.ConsoleExchange("", kMainPromptEnd);
    if (i == 0) interruptedEdit_ = link::ShowsEditPrompt(state_.console.ConsoleReply);
  }
  console.ConsoleExchange("/q", kMainPromptEnd);
  console.ConsoleExchange(link::kEndEdit, kEepromPrompt);
  return console.ConsoleExchange("exit", kMainPromptEnd);
}

int ConnectSequence::Identify() {
  const std::string reply(ui::TrimBlanks(state_.console.ConsoleReply));
  if (reply.find("GW20M") != std::string::npos) {
    state_.console.ControllerPrompt = "GW20M>";
    return kPictureGW20M;
  }
  if (reply.find("GW20A") != std::string::npos) {
    state_.console.ControllerPrompt = "GW20A>";
    return kPictureGW20A;
  }
  return kUnknownPicture;
}

void ConnectSequence::ChooseScanParameters() {
  form_.SetEnabled(false);
  form_.ShowScanParameters();
  state_.ScanParamsDone = false;
  // The dialog sets the flag when it closes. Should it ever be unloaded
  // without doing so, waiting on would never end.
  const auto* dialog = form_.ScanDialog();
  while (!state_.ScanParamsDone && dialog != nullptr && dialog->Loaded()) {
    services_.events.Pause(kDialogPoll);
  }
  form_.SetEnabled(true);
}

bool ConnectSequence::ScanFieldPort(link::Console& console, ListingProgress& listing) {
  link::ScanCallbacks callbacks;
  callbacks.progress = [this, &listing](int stage) {
    ShowStage(stage);
    if (stage == link::kProgressScanStarted) {
      listing.Start(link::ScanListingBudget(state_.params, state_.console));
    } else {
      listing.Stop();
    }
  };
  callbacks.status = [this](const std::string& text) { form_.CommunicationState.SetText(text); };
  // The scan also leaves the pass-through ("/q" twice) when it succeeds.
  const auto scan = link::ScanFieldPort(console, state_.console, state_.params, state_.modules, callbacks);
  listing.Stop();  // the listing may have failed
  switch (scan.status) {
    case link::ScanStatus::Ok:
      return true;
    case link::ScanStatus::Timeout:
      return FailTimeout(scan.description);
    case link::ScanStatus::ModuleNotConfigured:
      return Fail(std::string(link::kModuleNotConfiguredMessage), kErrorTitle,
                  std::string(link::kScanStoppedStatus));
    case link::ScanStatus::ModuleNotSupported:
      return Fail(std::string(link::kModuleNotSupportedMessage), kErrorTitle, kTimeoutStatus);
    case link::ScanStatus::Error:
      break;
  }
  return Fail(scan.description, kNoTitle, "");
}

void ConnectSequence::ShowStage(int stage) { form_.ConnectProgress.SetValue(stage * kProgressPerStage); }

void ConnectSequence::Finish(int pictureIndex) {
  form_.MSComm1.Close();
  ShowStage(link::kProgressPortClosed);
  form_.ImageGW20[pictureIndex].SetVisible(true);
  for (int i = 0; i < 2; ++i) {
    form_.ComImage[i].SetVisible(true);
    form_.ComButton[i].SetVisible(true);
    form_.ComButton[i].SetValue(false);
    form_.MousePoint[i].SetVisible(true);
  }
  form_.ModulesImage.SetVisible(true);

  const auto& eeprom = state_.eeprom;
  form_.FirmwareVer.SetText(
      link::FirmwareText({eeprom.FirmwareMajor, eeprom.FirmwareMinor, eeprom.FirmwareYear,
                          eeprom.FirmwareMonth, eeprom.FirmwareDay}));
  const auto& params = state_.params;
  form_.CANNodeId.SetText(std::to_string(params.NodeId));
  form_.CommunicationState.SetText("Waiting for configuration");
  // Any stored application other than 0 (an unwritten EEPROM gives 255)
  // shows as DeviceNet, as the panel does.
  const bool canOpen = params.ApplicationType == link::kCanOpen;
  form_.ApplicationSelect[0].SetValue(canOpen);
  form_.ApplicationSelect[1].SetValue(!canOpen);
  form_.ComCaption[0].SetVisible(true);
  form_.ComCaption[1].SetVisible(true);
  form_.CANBaudrate.SetListIndex(params.CanBaudIndex);

  form_.ComPort.SetEnabled(true);
  form_.WriteEDS.SetEnabled(true);
  form_.EixtProgram.SetEnabled(true);
  form_.Connect.SetEnabled(true);
  form_.Connected = true;
  state_.CommitBusy = false;
  ShowStage(link::kProgressDone);
  form_.ConnectProgress.SetVisible(false);

  if (interruptedEdit_) {
    services_.messages.Show(std::string(link::kInterruptedEditMessage), kMismatchTitle,
                            ui::MessageButtons::Ok);
  }
  if (eeprom.ConfigMismatch) {
    services_.messages.Show(std::string(link::kConfigMismatchMessage), kMismatchTitle,
                            ui::MessageButtons::Ok);
  }
  form_.ComButton[0].SetValue(true);
  form_.ComButton_MouseUp(kCanPanel, ui::kLeftButton, 0, kTogglePoint, kTogglePoint);
}

bool ConnectSequence::Fail(const std::string& text, const std::string& title, const std::string& status,
                           const std::string& failing) {
  // Asked before the session ends: closing the port forgets its device's fault.
  const std::string note = link::FailureNote(failing, services_.port);
  if (!note.empty()) services_.messages.Note("gw20.console", note);
  services_.messages.Show(text, title, ui::MessageButtons::Ok);
  form_.CommunicationState.SetText(status);
  // The status is the system's; the note (an unplugged adapter above all)
  // is shown where it adds to it instead of replacing it.
  form_.CommunicationState.SetToolTip(note);
  form_.EndSession();
  return false;
}

bool ConnectSequence::FailTimeout(const std::string& failing) {
  return Fail(std::string(link::kTimeoutMessage), kErrorTitle, kTimeoutStatus, failing);
}

}  // namespace gw20::app
