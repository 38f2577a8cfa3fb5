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
struct PlanSession;

// SelectedPanel values.
inline constexpr int kCanPanel = 0;
inline constexpr int kComPanel = 1;
inline constexpr int kNoPanel = 3;

// Back colours of the panel toggles.
inline constexpr ui::Rgb kToggleGrey{192, 192, 192};
inline constexpr ui::Rgb kToggleLightRed{255, 0, 0};

// The status text of a Setting the panel took.
inline constexpr char kSettingOkStatus[] = "Setting Ok";
// The status text of what needs a connect first (Build EDS File, Save Plan).
inline constexpr char kConnectFirstStatus[] = "Connect to GW-20 first";

// What the field-port panel shows for a time-out the controller has not set.
inline constexpr int kUnsetCom2TimeoutShownMs = 50;

// The plan menu items' dialogs list plan files.
inline constexpr char kPlanFileFilter[] = "Plans (*.json)";
// The window's caption; while a plan is loaded its file follows:
// "General Setting - Plan press3.json".
inline constexpr char kMainCaption[] = "General Setting";

// Main window size in twips.
inline constexpr int kMainWidth = 8240;
inline constexpr int kMainHeight = 7130;

class Main_F : public ui::Form {
 public:
  // `state` and `services` must outlive the form.
  Main_F(AppState& state, ui::Services& services);
  ~Main_F() override;

  // Menus. The File menu holds OpenPlan, SavePlan, CheckAgainstPlan, ClosePlan and ExitProgram.
  ui::Menu File, OpenPlan, SavePlan, ClosePlan, ExitProgram, About_;
  ui::Menu CheckAgainstPlan;

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
  // Reads a plan the operator picks; a bad plan is refused with its message
  // and changes nothing. Otherwise the plan is loaded (the caption names it,
  // ClosePlan is enabled) and one message says what it sets. Connected: sets
  // the panels from it as the operator would, unless the chain found differs
  // (then that is the one message, and nothing is set). Otherwise: presets
  // the scan dialog and sets the panels after the next connect, whose status
  // then says so. The page of the plan's profile presets its choices
  // whenever it opens while the chain matches.
  void OpenPlan_Click();
  // Forgets the loaded plan: nothing is preset any more; what it has set
  // stays as an operator's typing would.
  void ClosePlan_Click();
  // Writes the plan of the panels and of the choices the page of the chosen
  // profile was left with (before a visit: the controller's stored choices,
  // else the page's presets; a DeviceNet list the page presets nothing in
  // keeps the stored choice until the operator picks from it) to a file the
  // operator picks, ".json" added to a name without an extension; an
  // existing file is replaced only when the operator says so. A message
  // names the file written. Before a connect the status line asks for one.
  void SavePlan_Click();
  // Compares the connected controller's stored configuration with a plan
  // the operator picks and says, in one message, that it holds the plan or
  // how it differs (one line per key). Writes nothing and changes no panel.
  // A bad plan is refused with its message; before a connect the status
  // line asks for one.
  void CheckAgainstPlan_Click();
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
  // The plan menu's part of a connect and of a page opening or closing.
  void SetPanelsFromPlan();
  // The caption and ClosePlan after a plan was loaded or forgotten.
  void ShowLoadedPlan();
  void PresetPageFromPlan(int applicationType);
  void RememberPageChoices();

  AppState& state_;
  ui::Services& services_;
  std::unique_ptr<AboutForm> about_;
  std::unique_ptr<link::ComParaSetting_F> scanDialog_;
  std::unique_ptr<devicenet::DNSEdsSet> deviceNetPage_;
  std::unique_ptr<canopen::COPEDS_F> canopenPage_;
  std::unique_ptr<PlanSession> plans_;
};

}  // namespace gw20::app
