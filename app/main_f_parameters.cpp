// The parameter side of the main window: validating and storing what the
// operator typed on the open panel, and opening the configuration page with
// its view of the program's state.

#include <memory>
#include <string>
#include <utility>

#include "app/app_state.h"
#include "app/main_f.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "platform/ui/numbers.h"
#include "platform/ui/services.h"

namespace gw20::app {

namespace {

using link::kErrorTitle;

// The bit-rate list can be left without a selection (a stored index the
// DeviceNet list does not have); storing that would keep an invalid index.
constexpr const char* kNoBaudRate = "Please select a baud rate!";

}  // namespace

void Main_F::SettingParameter_Click() {
  auto& params = state_.params;
  auto reject = [this](const std::string& text) {
    services_.messages.Show(text, kErrorTitle, ui::MessageButtons::Ok);
  };
  // The range check applies to the typed value, before it is rounded.
  const double typed = ui::LeadingNumber(CANNodeId.Text());
  if (SelectedPanel != kCanPanel) {
    if (typed < link::kMinCom2TimeoutMs || typed > link::kMaxCom2TimeoutMs) {
      return reject(link::Com2TimeoutRangeText());
    }
    if (CANBaudrate.ListIndex() < 0) return reject(kNoBaudRate);
    params.Com2Checksum =
        ComChecksum.ListIndex() == link::kChecksumOn ? link::kChecksumOn : link::kChecksumOff;
    ViewerText[1].SetText(std::string(link::kChecksumTexts[params.Com2Checksum].ViewerText));
    params.Com2BaudIndex = CANBaudrate.ListIndex();
    ViewerText[0].SetText(CANBaudrate.Text());
    params.Com2Timeout = static_cast<int>(ui::RoundHalfEven(typed));
    ViewerText[2].SetText(std::to_string(params.Com2Timeout));
  } else {
    const int applicationType = ApplicationSelect[0].Value() ? link::kCanOpen : link::kDeviceNet;
    const auto& application = link::kCanApplications[applicationType];
    if (typed < link::kMinNodeId || typed > application.MaxNodeId)
      return reject(link::NodeIdRangeText(application));
    if (CANBaudrate.ListIndex() < 0) return reject(kNoBaudRate);
    params.ApplicationType = applicationType;
    ViewerText[1].SetText(std::string(application.Name));
    params.CanBaudIndex = CANBaudrate.ListIndex();
    ViewerText[0].SetText(CANBaudrate.Text());
    params.NodeId = static_cast<int>(ui::RoundHalfEven(typed));
    ViewerText[2].SetText(std::to_string(params.NodeId));
  }
  CommunicationState.SetText(kSettingOkStatus);
}

void Main_F::WriteEDS_MouseUp() {
  if (!Connected) {
    CommunicationState.SetText(kConnectFirstStatus);
    return;
  }
  auto& params = state_.params;
  // The page follows the option button, not the stored application.
  if (ApplicationSelect[0].Value()) {
    if (params.ApplicationType == link::kDeviceNet) state_.eeprom.EepromConfigValid = 0;
    params.ApplicationType = link::kCanOpen;
    if (params.NodeId > link::kCanApplications[link::kCanOpen].MaxNodeId) {
      services_.messages.Show("NodeID Error", kErrorTitle, ui::MessageButtons::Ok);
      CommunicationState.SetText("NodeID or Application error");
      EndSession();
      return;
    }
    OpenConfigurationPage(link::kCanOpen);
  } else {
    OpenConfigurationPage(link::kDeviceNet);
  }
  Hide();
}

bool Main_F::UnloadConfigurationPages() {
  // A page in the middle of a commit must stay, with its way back intact.
  if (state_.CommitBusy) return false;
  bool unloaded = true;
  if (deviceNetPage_) {
    deviceNetPage_->DetachMainWindow();
    unloaded = deviceNetPage_->Unload();
  }
  if (canopenPage_) {
    canopenPage_->DetachMainWindow();
    unloaded = canopenPage_->Unload() && unloaded;
  }
  return unloaded;
}

void Main_F::OpenConfigurationPage(int applicationType) {
  // A page closed earlier is replaced here, never from its own handler.
  if (!UnloadConfigurationPages()) return;
  deviceNetPage_.reset();
  canopenPage_.reset();
  const int entry = ComPort.ListIndex();
  // Connected implies a port was chosen; the first entry stands in otherwise.
  const int port = state_.params.PortNumber[entry >= 0 && entry < link::kPortCount ? entry : 0];
  // The page's choices are kept as it closes, for Save Plan.
  pages::MainWindowLink link{CommunicationState, MSComm1, port, [this] {
                               RememberPageChoices();
                               Show(false);
                             }};
  if (applicationType == link::kCanOpen) {
    canopenPage_ =
        std::make_unique<canopen::COPEDS_F>(CanopenPageStateOf(state_), services_, std::move(link));
    canopenPage_->Show(false);
  } else {
    deviceNetPage_ =
        std::make_unique<devicenet::DNSEdsSet>(DeviceNetPageStateOf(state_), services_, std::move(link));
    deviceNetPage_->Show(false);
  }
  PresetPageFromPlan(applicationType);
}

// Every member of a page state has a type of its own, so a list out of the
// members' order does not compile.
canopen::CanopenPageState CanopenPageStateOf(AppState& s) {
  return {s.modules,      s.params,
          s.eeprom,       s.console,
          s.maps,         s.eds,
          s.errorControl, s.CounterModuleCount,
          s.CommitBusy,   s.ErrorControlWord};
}

devicenet::DeviceNetPageState DeviceNetPageStateOf(AppState& s) {
  return {s.modules, s.params,  s.eeprom,           s.console,   s.maps,
          s.eds,     s.choices, s.ErrorControlWord, s.CommitBusy};
}

}  // namespace gw20::app
