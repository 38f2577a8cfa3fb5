#include "app/connect_sequence.h"

#include <exception>
#include <string>

#include "app/app_state.h"
#include "app/main_f.h"
#include "link/console.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"

namespace gw20::app {

namespace {

constexpr const char* kErrorTitle = "Error";
constexpr const char* kNoTitle = "";
constexpr const char* kUnknownController = "This modules is not GW20A/QF!";
constexpr const char* kMismatchWarning = "Attached modules do not match the configuration stored in EEPROM!";
constexpr const char* kMismatchTitle = "Warnning";
constexpr const char* kNoPortSelected = "No COM port is selected!";
constexpr const char* kMainPromptEnd = ">";
constexpr const char* kEepromPrompt = "[EEPROM:]";
constexpr int kWakeUpLines = 3;
constexpr int kPictureGW20M = 0;
constexpr int kPictureGW20A = 1;
constexpr int kUnknownPicture = -1;
// The position the sequence "clicks" the CAN toggle at, in twips.
constexpr int kTogglePoint = 330;

// Progress values of the stages.
constexpr int kProgressPrepared = 1;
constexpr int kProgressScanStarted = 3;
constexpr int kProgressScanned = 5;
constexpr int kProgressScanClosed = 6;
constexpr int kProgressChecked = 8;
constexpr int kProgressPortClosed = 9;

std::string TwoDigits(int value) {
  std::string digits = std::to_string(value < 0 ? -static_cast<long>(value) : value);
  if (digits.size() < 2) digits.insert(0, "0");
  return value < 0 ? "-" + digits : digits;
}

std::string TrimBlanks(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string FirmwareText(int major, int minor, int year, int month, int day) {
  return std::to_string(major) + "." + TwoDigits(minor) + "-" + std::to_string(year) + "/" +
         TwoDigits(month) + "/" + TwoDigits(day);
}

ConnectSequence::ConnectSequence(Main_F& form, AppState& state, ui::Services& services)
    : form_(form), state_(state), services_(services) {}

void ConnectSequence::Run() {
  if (state_.CommitBusy) return;
  const int entry = form_.ComPort.ListIndex();
  if (entry < 0 || entry >= link::kPortCount) {
    services_.messages.Show(kNoPortSelected, kErrorTitle, ui::MessageButtons::Ok);
    return;
  }
  const int number = state_.params.PortNumber[entry];
  // From here on any run-time error is reported by its own description and
  // ends the session, as the port may already be open.
  try {
    form_.MSComm1.SetPortNumber(number);
    if (!OpenPort(number)) return;
    Prepare();
    link::Console console(services_.port, services_.events, services_.ticks, state_.console);
    if (!WakeConsole(console)) return FailTimeout();
    const int picture = Identify();
    if (picture == kUnknownPicture) {
      services_.messages.Show(kUnknownController, kErrorTitle, ui::MessageButtons::Ok);
      form_.CommunicationState.SetText("Timeout");
      form_.EndSession();
      return;
    }
    if (!ReadStoredConfiguration(console)) return FailTimeout();
    if (!ChooseScanParameters()) return form_.EndSession();
    // The scan reports its own module errors.
    if (!ScanFieldPort(console)) return form_.EndSession();
    if (!CheckStoredConfiguration(console)) return FailTimeout();
    Finish(picture);
  } catch (const std::exception& error) {
    services_.messages.Show(error.what(), kNoTitle, ui::MessageButtons::Ok);
    form_.CommunicationState.SetText("");
    form_.EndSession();
  }
}

bool ConnectSequence::OpenPort(int number) {
  auto& port = form_.MSComm1;
  const std::string com = "COM " + std::to_string(number);
  if (!port.IsOpen()) {
    port.DiscardInput();
    const ui::OpenResult result = port.Open();
    if (result.status == ui::OpenStatus::Occupied) {
      const std::string text = com + " has been occupied";
      services_.messages.Show(text, kErrorTitle, ui::MessageButtons::Ok);
      form_.CommunicationState.SetText(text);
      form_.EndSession();
      return false;
    }
    if (result.status == ui::OpenStatus::Failed && !result.description.empty()) {
      services_.messages.Show(result.description, kNoTitle, ui::MessageButtons::Ok);
      form_.CommunicationState.SetText("");
      form_.EndSession();
      return false;
    }
  }
  if (!port.IsOpen()) {
    // Nothing has been changed yet: the window stays as it was.
    services_.messages.Show("Can't open " + com + "!", kErrorTitle, ui::MessageButtons::Ok);
    return false;
  }
  return true;
}

void ConnectSequence::Prepare() {
  form_.HidePanels();
  form_.CommunicationState.SetText("Connecting");
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
  state_.LastOutputMap = 0;
  state_.LastInputMap = 0;
  // Module table reset goes here once the table exists: the four
  // process-image totals, ModuleCount, and for all 15 records ModuleOrder
  // and the channel counts.
  form_.Connected = false;
  form_.SelectedPanel = kNoPanel;
  state_.eeprom.EepromConfigValid = 0;
  form_.ConnectProgress.SetRange(0, kProgressMax);
  form_.ConnectProgress.SetValue(0);
  form_.ConnectProgress.SetVisible(true);
  // ...and the Address of all 15 module records is emptied here.
  form_.ConnectProgress.SetValue(kProgressPrepared);
}

bool ConnectSequence::WakeConsole(link::Console& console) {
  // Whatever mode an interrupted conversation left the console in, these
  // bring it back to the main prompt; only the last one has to succeed.
  for (int i = 0; i < kWakeUpLines; ++i) console.ConsoleExchange("", kMainPromptEnd);
  console.ConsoleExchange("/q", kMainPromptEnd);
  console.ConsoleExchange(".", kEepromPrompt);
  return console.ConsoleExchange("exit", kMainPromptEnd);
}

int ConnectSequence::Identify() {
  const std::string reply = TrimBlanks(state_.console.ConsoleReply);
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

bool ConnectSequence::ReadStoredConfiguration(link::Console& /*console*/) {
  // Next: read EEPROM blocks 0 and 1 (firmware, header, DeviceNet words),
  // every exchange required, ending with "exit" to ControllerPrompt.
  return true;
}

bool ConnectSequence::ChooseScanParameters() {
  // Next: disable Main_F, show the scan-parameters dialog and pump events
  // until ScanParamsDone.
  return true;
}

bool ConnectSequence::ScanFieldPort(link::Console& /*console*/) {
  // Next: set up the pass-through, scan, parse the listing into the module
  // table, then "/q" to ControllerPrompt twice (required).
  form_.ConnectProgress.SetValue(kProgressScanStarted);
  form_.ConnectProgress.SetValue(kProgressScanned);
  form_.ConnectProgress.SetValue(kProgressScanClosed);
  return true;
}

bool ConnectSequence::CheckStoredConfiguration(link::Console& /*console*/) {
  // Next: check the stored header against the modules found and read block
  // 2 when it is valid. Until then the EEPROM image is left as it is.
  form_.ConnectProgress.SetValue(kProgressChecked);
  return true;
}

void ConnectSequence::Finish(int pictureIndex) {
  form_.MSComm1.Close();
  form_.ConnectProgress.SetValue(kProgressPortClosed);
  form_.ImageGW20[pictureIndex].SetVisible(true);
  for (int i = 0; i < 2; ++i) {
    form_.ComImage[i].SetVisible(true);
    form_.ComButton[i].SetVisible(true);
    form_.ComButton[i].SetValue(false);
    form_.MousePoint[i].SetVisible(true);
  }
  form_.ModulesImage.SetVisible(true);

  const auto& eeprom = state_.eeprom;
  form_.FirmwareVer.SetText(FirmwareText(eeprom.FirmwareMajor, eeprom.FirmwareMinor, eeprom.FirmwareYear,
                                         eeprom.FirmwareMonth, eeprom.FirmwareDay));
  const auto& params = state_.params;
  form_.CANNodeId.SetText(std::to_string(params.NodeId));
  form_.CommunicationState.SetText("Waiting for configuration");
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
  form_.ConnectProgress.SetValue(kProgressMax);
  form_.ConnectProgress.SetVisible(false);

  if (eeprom.ConfigMismatch) {
    services_.messages.Show(kMismatchWarning, kMismatchTitle, ui::MessageButtons::Ok);
  }
  form_.ComButton[0].SetValue(true);
  form_.ComButton_MouseUp(kCanPanel, ui::kLeftButton, 0, kTogglePoint, kTogglePoint);
}

void ConnectSequence::FailTimeout() {
  services_.messages.Show("Timeout", kErrorTitle, ui::MessageButtons::Ok);
  form_.CommunicationState.SetText("Timeout");
  form_.EndSession();
}

}  // namespace gw20::app
