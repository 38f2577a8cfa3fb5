#include "app/main_f.h"

#include <string>
#include <utility>
#include <vector>

#include "app/about_form.h"
#include "app/app_state.h"
#include "app/connect_sequence.h"
#include "app/fixed_lists.h"
#include "app/plan_choices.h"
#include "app/program_info.h"
#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "link/com_para_setting_f.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "platform/ui/serial_port.h"
#include "platform/ui/services.h"

namespace gw20::app {

namespace {

using link::kErrorTitle;

constexpr const char* kExitQuestion = "Are you sure to exit this program?";
constexpr const char* kExitTitle = "Exit Query";

void Fill(ui::ComboBox& box, std::vector<std::string> entries) {
  box.Clear();
  for (auto& entry : entries) box.AddItem(std::move(entry));
}

}  // namespace

Main_F::Main_F(AppState& state, ui::Services& services)
    : ui::Form("Main_F", services.forms),
      MSComm1(services.port),
      state_(state),
      services_(services),
      plans_(std::make_unique<PlanSession>()) {
  NameControls();
  SetCaptions();
  WireEvents();
  for (auto& text : ViewerText) text.SetLocked(true);
  FirmwareVer.SetLocked(true);
  CommunicationState.SetLocked(true);
  SetSize(kMainWidth, kMainHeight);
}

// Out of line: the child forms are incomplete types in the header.
Main_F::~Main_F() = default;

void Main_F::NameControls() {
  File.SetName("File");
  OpenPlan.SetName("OpenPlan");
  SavePlan.SetName("SavePlan");
  ClosePlan.SetName("ClosePlan");
  CheckAgainstPlan.SetName("CheckAgainstPlan");
  ExitProgram.SetName("ExitProgram");
  About_.SetName("About_");
  CommunicationRegion.SetName("CommunicationRegion");
  Label1.SetName("Label1");
  ComPort.SetName("ComPort");
  Connect.SetName("Connect");
  CommunicationState.SetName("CommunicationState");
  State.SetName("State");
  ConnectProgress.SetName("ConnectProgress");
  FirmwareVer.SetName("FirmwareVer");
  Label4.SetName("Label4");
  Text1.SetName("Text1");
  Frame2.SetName("Frame2");
  ui::NameArray(ImageGW20, "ImageGW20");
  ui::NameArray(ComImage, "ComImage");
  ui::NameArray(ComButton, "ComButton");
  ModulesImage.SetName("ModulesImage");
  ui::NameArray(ComCaption, "ComCaption");
  ui::NameArray(MousePoint, "MousePoint");
  ParaSetting.SetName("ParaSetting");
  SettingParameter.SetName("SettingParameter");
  ApplicationLayerFrame.SetName("ApplicationLayerFrame");
  ui::NameArray(ApplicationSelect, "ApplicationSelect");
  CANBaudrate.SetName("CANBaudrate");
  CANNodeId.SetName("CANNodeId");
  ComChecksum.SetName("ComChecksum");
  ParaSettingC1.SetName("ParaSettingC1");
  ParaSettingC0.SetName("ParaSettingC0");
  ui::NameArray(ParaSettingC2, "ParaSettingC2");
  ParaView.SetName("ParaView");
  ui::NameArray(ViewerText, "ViewerText");
  ViewerC0.SetName("ViewerC0");
  ui::NameArray(ViewerC1, "ViewerC1");
  ui::NameArray(ViewerC2, "ViewerC2");
  WriteEDS.SetName("WriteEDS");
  EixtProgram.SetName("EixtProgram");
}

void Main_F::SetCaptions() {
  SetCaption(kMainCaption);
  File.SetCaption("File");
  OpenPlan.SetCaption("Open Plan...");
  SavePlan.SetCaption("Save Plan...");
  ClosePlan.SetCaption("Close Plan");
  CheckAgainstPlan.SetCaption("Check Against Plan...");
  ClosePlan.SetEnabled(false);  // until a plan is opened
  ExitProgram.SetCaption("Exit");
  About_.SetCaption("About");
  CommunicationRegion.SetCaption("Communication");
  Label1.SetCaption("PC COM Port :");
  Connect.SetCaption("Connect");
  State.SetCaption("Status:");
  Label4.SetCaption("Firmware Version");
  Frame2.SetCaption("GW20x series Situation");
  ComCaption[0].SetCaption("CAN Bus");
  ComCaption[1].SetCaption("RS-485");
  MousePoint[0].SetCaption("CAN Channel");
  MousePoint[1].SetCaption("COM2");
  SettingParameter.SetCaption("Setting");
  ApplicationLayerFrame.SetCaption("Application Layer");
  for (int i = 0; i < 2; ++i) ApplicationSelect[i].SetCaption(std::string(link::kCanApplications[i].Name));
  ParaSettingC1.SetCaption("Baud rate");
  ParaSettingC2[0].SetCaption("NODE ID");
  ParaSettingC2[1].SetCaption("Timeout");
  ParaSettingC0.SetCaption("Checksum");
  ViewerC0.SetCaption("Baud rate");
  ViewerC1[0].SetCaption("Application Layer");
  ViewerC1[1].SetCaption("Checksum");
  ViewerC2[0].SetCaption("Node ID");
  ViewerC2[1].SetCaption("Timeout");
  WriteEDS.SetCaption("Build EDS File");
  EixtProgram.SetCaption("Exit Program");
  ImageGW20[0].SetSource(std::string(kPictureGW20M));
  ImageGW20[1].SetSource(std::string(kPictureGW20A));
  ComImage[0].SetSource(std::string(kPictureCanPort));
  ComImage[1].SetSource(std::string(kPictureRs485Port));
  ModulesImage.SetSource(std::string(kPictureModules));
}

void Main_F::WireEvents() {
  ExitProgram.OnClick = [this] { ExitProgram_Click(); };
  About_.OnClick = [this] { About__Click(); };
  OpenPlan.OnClick = [this] { OpenPlan_Click(); };
  SavePlan.OnClick = [this] { SavePlan_Click(); };
  ClosePlan.OnClick = [this] { ClosePlan_Click(); };
  CheckAgainstPlan.OnClick = [this] { CheckAgainstPlan_Click(); };
  Connect.OnMouseUp = [this] { Connect_MouseUp(); };
  SettingParameter.OnClick = [this] { SettingParameter_Click(); };
  WriteEDS.OnMouseUp = [this] { WriteEDS_MouseUp(); };
  EixtProgram.OnClick = [this] { EixtProgram_Click(); };
  for (int i = 0; i < 2; ++i) {
    ComButton[i].OnMouseUp = [this, i](int button, int shift, int x, int y) {
      ComButton_MouseUp(i, button, shift, x, y);
    };
    ApplicationSelect[i].OnClick = [this, i] { ApplicationSelect_Click(i); };
  }
}

void Main_F::Form_Load() {
  SetSize(kMainWidth, kMainHeight);
  auto& params = state_.params;
  state_.eeprom.ConfigMismatch = false;
  Connected = false;
  state_.CommitBusy = false;
  state_.eeprom.EepromConfigValid = 0;
  state_.eeprom.EepromBlock = 0;
  // The field-port bit rates as the controller's "/baud" command takes them.
  for (std::size_t i = 0; i < link::kFieldBitRates.size(); ++i) {
    params.BaudText[i] = std::to_string(link::kFieldBitRates[i]);
  }
  Fill(ComChecksum, ChecksumList());
  ComChecksum.SetListIndex(0);
  state_.maps.LastOutputMap = 0;
  state_.maps.LastInputMap = 0;
  HidePanels();
  params.ScanBaudIndex = link::kDefaultScanBaudIndex;
  params.ScanChecksum = link::kDefaultScanChecksum;
  params.ScanTimeoutMs = link::kDefaultScanTimeoutMs;
  state_.console.ConsoleTimeout = std::chrono::milliseconds(1000);
  params.CanBaudIndex = 0;
  params.NodeId = link::kMinNodeId;
  params.ApplicationType = link::kCanOpen;
  FirmwareVer.SetText("");
  CommunicationState.SetText("");
  // A port that rejects the settings is configured again at connect.
  (void)MSComm1.SetSettings(kConsoleSettings);
  ComPort.Clear();
  for (int n = 1; n <= link::kPortCount; ++n) {
    ComPort.AddItem("COM" + std::to_string(n));
    params.PortNumber[n - 1] = n;
  }
  ComPort.SetListIndex(0);
}

void Main_F::Form_Unload(int& Cancel) {
  if (state_.CommitBusy) {
    services_.messages.Show(link::kBusyMessage, kErrorTitle, ui::MessageButtons::Ok);
    Cancel = 1;
    return;
  }
  const auto answer = services_.messages.Show(kExitQuestion, kExitTitle, ui::MessageButtons::YesNo);
  if (answer != ui::MessageAnswer::Yes) {
    Cancel = 1;
    return;
  }
  UnloadChildForms();
  state_.eeprom.ConfigHeader.clear();
  state_.eeprom.DeviceNetBlock.clear();
  state_.eeprom.ModuleBlock.clear();
}

void Main_F::UnloadChildForms() {
  if (scanDialog_) scanDialog_->Unload();
  (void)UnloadConfigurationPages();
  if (about_) about_->Unload();
}

void Main_F::HidePanels() {
  for (int i = 0; i < 2; ++i) {
    ParaSettingC2[i].SetVisible(false);
    ViewerC1[i].SetVisible(false);
    ViewerC2[i].SetVisible(false);
    ComCaption[i].SetVisible(false);
    ComImage[i].SetVisible(false);
    ComButton[i].SetVisible(false);
    MousePoint[i].SetVisible(false);
    ImageGW20[i].SetVisible(false);
  }
  for (auto& text : ViewerText) text.SetVisible(false);
  ParaSettingC0.SetVisible(false);
  ComChecksum.SetVisible(false);
  ParaSettingC1.SetVisible(false);
  CANBaudrate.SetVisible(false);
  CANNodeId.SetVisible(false);
  ViewerC0.SetVisible(false);
  ModulesImage.SetVisible(false);
  SettingParameter.SetVisible(false);
  ConnectProgress.SetVisible(false);
  ApplicationLayerFrame.SetVisible(true);
}

void Main_F::EndSession() {
  if (MSComm1.IsOpen()) MSComm1.Close();
  ComPort.SetEnabled(true);
  Connect.SetEnabled(true);
  SettingParameter.SetEnabled(true);
  EixtProgram.SetEnabled(true);
  state_.CommitBusy = false;
  ConnectProgress.SetVisible(false);
}

void Main_F::ComButton_MouseUp(int Index, int Button, int Shift, int X, int Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
  if (Index < 0 || Index > 1) return;
  auto& toggle = ComButton[Index];
  if (!toggle.Value()) {
    // The operator released a pressed toggle: the panel's fields stay.
    if (SelectedPanel != kNoPanel) toggle.SetBackColor(kToggleGrey);
    SettingParameter.SetVisible(false);
    SelectedPanel = Index;
    return;
  }
  if (Index == SelectedPanel) {
    SettingParameter.SetVisible(true);
    toggle.SetBackColor(kToggleLightRed);
    return;
  }
  if (SelectedPanel == kCanPanel || SelectedPanel == kComPanel) {
    ComButton[SelectedPanel].SetValue(false);
    ComButton[SelectedPanel].SetBackColor(kToggleGrey);
  }
  toggle.SetValue(true);
  toggle.SetBackColor(kToggleLightRed);

  CANBaudrate.SetVisible(true);
  CANNodeId.SetVisible(true);
  ParaSettingC1.SetVisible(true);
  ViewerC0.SetVisible(true);
  SettingParameter.SetVisible(true);
  for (auto& text : ViewerText) text.SetVisible(true);
  if (Index == kCanPanel) {
    ShowCanPanel();
  } else {
    ShowComPanel();
  }
  SelectedPanel = Index;
}

void Main_F::ShowCanPanel() {
  ComChecksum.SetVisible(false);
  ParaSettingC0.SetVisible(false);
  ApplicationLayerFrame.SetVisible(true);
  ParaSettingC2[1].SetVisible(false);
  ParaSettingC2[0].SetVisible(true);
  ParaSetting.SetCaption(std::string("CAN") + " Parameter Setting");
  ParaView.SetCaption(std::string("CAN") + " Parameter Viewer");
  ViewerC1[1].SetVisible(false);
  ViewerC2[1].SetVisible(false);
  ViewerC1[0].SetVisible(true);
  ViewerC2[0].SetVisible(true);
  SetCanParameters();
}

void Main_F::SetCanParameters() {
  auto& params = state_.params;
  const bool deviceNet = params.ApplicationType != link::kCanOpen;
  const auto& application = link::ApplicationOf(params.ApplicationType);
  FillBaudList(params.ApplicationType);
  ApplicationSelect[0].SetValue(!deviceNet);
  ApplicationSelect[1].SetValue(deviceNet);
  ViewerText[1].SetText(std::string(application.Name));
  // A node ID the application cannot use is replaced, not shown.
  if (params.NodeId < link::kMinNodeId || params.NodeId > application.MaxNodeId) {
    params.NodeId = link::kMinNodeId;
  }
  CANNodeId.SetText(std::to_string(params.NodeId));
  ViewerText[2].SetText(std::to_string(params.NodeId));
  if (params.CanBaudIndex >= 0 && params.CanBaudIndex < static_cast<int>(link::kCanOpenBitRates.size())) {
    // DeviceNet has three entries: an index of 3..7 selects nothing here.
    CANBaudrate.SetListIndex(params.CanBaudIndex);
  } else {
    params.CanBaudIndex = 0;
    CANBaudrate.SetListIndex(-1);
  }
  ViewerText[0].SetText(CANBaudrate.Text());
}

void Main_F::ShowComPanel() {
  Fill(CANBaudrate, FieldBaudList());
  ApplicationLayerFrame.SetVisible(false);
  ComChecksum.SetVisible(true);
  ParaSettingC0.SetVisible(true);
  ParaSettingC2[0].SetVisible(false);
  ParaSettingC2[1].SetVisible(true);
  ParaSetting.SetCaption(std::string("COM") + " Parameter Setting");
  ParaView.SetCaption(std::string("COM") + " Parameter Viewer");
  ViewerC1[0].SetVisible(false);
  ViewerC2[0].SetVisible(false);
  ViewerC1[1].SetVisible(true);
  ViewerC2[1].SetVisible(true);
  SetFieldPortParameters();
}

void Main_F::SetFieldPortParameters() {
  const auto& params = state_.params;
  const int checksum = params.Com2Checksum != link::kChecksumOff ? link::kChecksumOn : link::kChecksumOff;
  ComChecksum.SetListIndex(checksum);
  ViewerText[1].SetText(std::string(link::kChecksumTexts[checksum].ViewerText));
  const bool known = params.Com2BaudIndex >= 0 && params.Com2BaudIndex < link::kBaudCount;
  CANBaudrate.SetListIndex(known ? params.Com2BaudIndex : 0);
  ViewerText[0].SetText(CANBaudrate.Text());
  // The controller's default is shown for an unset time-out; the stored
  // value changes only when the operator presses Setting.
  const std::string timeout =
      std::to_string(params.Com2Timeout > 0 ? params.Com2Timeout : kUnsetCom2TimeoutShownMs);
  CANNodeId.SetText(timeout);
  ViewerText[2].SetText(timeout);
}

void Main_F::FillBaudList(int applicationType) {
  Fill(CANBaudrate, CanBaudList(link::ApplicationOf(applicationType)));
}

void Main_F::ApplicationSelect_Click(int Index) {
  if (Index < 0 || Index > 1) return;
  CANBaudrate.Clear();
  ApplicationSelect[1 - Index].SetValue(false);
  ApplicationSelect[Index].SetValue(true);
  FillBaudList(Index == 1 ? link::kDeviceNet : link::kCanOpen);
  CANBaudrate.SetListIndex(0);
}

void Main_F::Connect_MouseUp() {
  // The sequence starts only when idle and with a port chosen; otherwise it
  // leaves everything, the plan's part included, as it was.
  const int entry = ComPort.ListIndex();
  const bool starts = !state_.CommitBusy && entry >= 0 && entry < link::kPortCount;
  // Pages left before this connect were left for another controller.
  if (starts) plans_->ForgetVisits();
  ConnectSequence(*this, state_, services_).Run();
  if (starts && Connected) SetPanelsFromPlan();
}

void Main_F::ShowScanParameters() {
  if (!scanDialog_) {
    scanDialog_ = std::make_unique<link::ComParaSetting_F>(state_.params, state_.ScanParamsDone,
                                                           services_.forms, *this);
  }
  scanDialog_->Load();
  scanDialog_->CentreOnScreen();
  scanDialog_->Show(false);
}

void Main_F::About__Click() {
  if (!about_) about_ = std::make_unique<AboutForm>(services_.forms);
  about_->Load();
  about_->CentreOnScreen();
  about_->Show(false);
}

void Main_F::ExitProgram_Click() { Unload(); }
void Main_F::EixtProgram_Click() { Unload(); }

}  // namespace gw20::app
