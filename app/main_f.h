#pragma once
// The main window: COM-port choice and Connect, the controller picture area
// with the two panel toggles, the parameter panel (CAN side or field-port
// side) and its viewer, status and progress. Headless model; the Qt view only
// arranges widgets and binds them to these controls.

#include <array>
#include <memory>

#include "platform/ui/control.h"
#include "platform/ui/form.h"

namespace gw20::ui {
class SerialPort;
struct Services;
}  // namespace gw20::ui

namespace gw20::link {
class ComParaSetting_F;
}
namespace gw20::canopen {
class COPEDS_F;
}
namespace gw20::devicenet {
class DNSEdsSet;
}

namespace gw20::app {

struct AppState;
class AboutForm;

// SelectedPanel values.
inline constexpr int kCanPanel = 0;
inline constexpr int kComPanel = 1;
inline constexpr int kNoPanel = 3;

// Back colours of the panel toggles.
inline constexpr ui::Rgb kToggleGrey{192, 192, 192};
inline constexpr ui::Rgb kToggleLightRed{255, 0, 0};

// The status text of a Setting the panel took.
inline constexpr char kSettingOkStatus[] = "Setting Ok";

// Main window size in twips.
inline constexpr int kMainWidth = 8240;
inline constexpr int kMainHeight = 7130;

class Main_F : public ui::Form {
 public:
  // `state` and `services` must outlive the form.
  Main_F(AppState& state, ui::Services& services);
  ~Main_F() override;

  // Menus.
  ui::Menu File, ExitProgram, About_;

  // Communication area.
  ui::Frame CommunicationRegion;
  ui::Label Label1;  // "PC COM Port :"
  ui::ComboBox ComPort;
  ui::Button Connect;
  ui::TextBox CommunicationState;  // status line
  ui::Label State;
  ui::ProgressBar ConnectProgress;
  ui::TextBox FirmwareVer;
  ui::Label Label4;
  ui::TextBox Text1;

  // Controller picture area.
  ui::Frame Frame2;
  std::array<ui::Picture, 2> ImageGW20, ComImage;
  std::array<ui::ToggleButton, 2> ComButton;  // 0 CAN panel, 1 field-port panel
  ui::Picture ModulesImage;
  std::array<ui::Label, 2> ComCaption, MousePoint;

  // Parameter panel.
  ui::Frame ParaSetting;
  ui::Button SettingParameter;
  ui::Frame ApplicationLayerFrame;
  std::array<ui::OptionButton, 2> ApplicationSelect;  // 0 CANopen, 1 DeviceNet
  ui::ComboBox CANBaudrate;                           // CAN bit rates, or field-port rates on that panel
  ui::TextBox CANNodeId;                              // node ID, or field-port time-out (ms) on that panel
  ui::ComboBox ComChecksum;
  ui::Label ParaSettingC1, ParaSettingC0;
  std::array<ui::Label, 2> ParaSettingC2;

  // Viewer panel (read-only texts: 0 bit rate, 1 application or checksum,
  // 2 node ID or time-out).
  ui::Frame ParaView;
  std::array<ui::TextBox, 3> ViewerText;
  ui::Label ViewerC0;
  std::array<ui::Label, 2> ViewerC1, ViewerC2;

  ui::Button WriteEDS, EixtProgram;

  // True once a connect sequence has completed; false at load and at the
  // start of every connect.
  bool Connected = false;
  // kCanPanel, kComPanel or kNoPanel: which panel toggle is down.
  int SelectedPanel = kCanPanel;
  // The console port (from the services).
  ui::SerialPort& MSComm1;

  // Handlers.
  void Form_Load() override;
  // Refuses while a conversation runs; otherwise asks the operator. Sets
  // Cancel non-zero to keep the window.
  void Form_Unload(int& Cancel) override;
  void ComButton_MouseUp(int Index, int Button, int Shift, int X, int Y);
  void ApplicationSelect_Click(int Index);
  // Validates the open panel's fields and stores them; a rejected setting
  // changes nothing.
  void SettingParameter_Click();
  // Opens the configuration page of the option chosen and hides this window.
  void WriteEDS_MouseUp();
  // Runs the whole connect sequence; does nothing while CommitBusy.
  void Connect_MouseUp();
  void About__Click();
  void ExitProgram_Click();
  void EixtProgram_Click();

  // Hides every panel control (the picture area and the parameter fields).
  void HidePanels();
  // Ends a connect attempt: closes the port, re-enables the controls,
  // clears CommitBusy, hides the progress bar.
  void EndSession();

  // Loads and shows the scan-parameters dialog (not modal), creating it on
  // first use. The dialog sets ScanParamsDone and enables this window when it
  // closes; the connect sequence waits for that.
  void ShowScanParameters();

  // Child windows, null until first shown.
  AboutForm* AboutWindow() const { return about_.get(); }
  link::ComParaSetting_F* ScanDialog() const { return scanDialog_.get(); }
  // The configuration pages, null until opened.
  devicenet::DNSEdsSet* DeviceNetPage() const { return deviceNetPage_.get(); }
  canopen::COPEDS_F* CanopenPage() const { return canopenPage_.get(); }

 private:
  void NameControls();
  void SetCaptions();
  void WireEvents();
  void ShowCanPanel();
  void ShowComPanel();
  void FillBaudList(int applicationType);
  void SetFieldPortParameters();
  void SetCanParameters();
  void OpenConfigurationPage(int applicationType);
  void UnloadChildForms();
  // Unloads whichever configuration page is loaded, without bringing this
  // window back. False when a page refused (a commit is running).
  bool UnloadConfigurationPages();

  AppState& state_;
  ui::Services& services_;
  std::unique_ptr<AboutForm> about_;
  std::unique_ptr<link::ComParaSetting_F> scanDialog_;
  std::unique_ptr<devicenet::DNSEdsSet> deviceNetPage_;
  std::unique_ptr<canopen::COPEDS_F> canopenPage_;
};

}  // namespace gw20::app
