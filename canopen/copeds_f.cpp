#include "canopen/copeds_f.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "canopen/canopen_eds_writer.h"
#include "canopen/object_dictionary.h"
#include "canopen/pdo_mapping.h"
#include "canopen/show_app_obj_dect.h"
#include "canopen/show_pdo.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/eeprom_procedures.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_table.h"
#include "platform/ui/numbers.h"
#include "platform/ui/services.h"

namespace gw20::canopen {
namespace {

constexpr std::string_view kNoChannelText = "No channel is available!";
constexpr std::string_view kNoObjectText = "No object is available!";

// A typed time within 0..limit, or nothing.
bool InRange(double value, int limit) { return value >= 0 && value <= limit; }

int Rounded(double value) { return static_cast<int>(ui::RoundHalfEven(value)); }

}  // namespace

COPEDS_F::COPEDS_F(const CanopenPageState& state, ui::Services& services, pages::MainWindowLink main)
    : pages::EdsPage("COPEDS_F", services, std::move(main), state.modules, state.console, state.CommitBusy),
      state_(state) {
  NameControls();
  SetCaptions();
  WireEvents();
  SetSize(kCopedsWidth, kCopedsHeight);
}

// Out of line: the viewers are incomplete types in the header.
COPEDS_F::~COPEDS_F() = default;

void COPEDS_F::NameControls() {
  NameEdsRegion();
  ui::NameArray(ErrControl, "ErrControl");
  ui::NameArray(ParameterSetting_frame, "ParameterSetting_frame");
  ui::NameArray(GuardTime_T, "GuardTime_T");
  Frame1.Hold({&ErrControl[kNodeGuarding], &ErrControl[kHeartbeat]});
}

void COPEDS_F::SetCaptions() {
  SetCaption("CANopen EDS File Setting");
  CaptionEdsRegion();
  Frame1.SetCaption("Error Control Protocol");
  ErrControl[kNodeGuarding].SetCaption("Node Guarding Protocol");
  ErrControl[kHeartbeat].SetCaption("Heartbeat Protocol");
  for (auto& frame : ParameterSetting_frame) frame.SetCaption("Parameter Setting");
  Label1.SetCaption("Guard Time (1ms)");
  Label2.SetCaption("Life factor");
  Label4.SetCaption("Consumer Heartbeat Time (1ms)");
  ShowObjDictionary.SetCaption("Device Information");
  ShowZelk.SetCaption("ZELK Information");
  ShowSettingResult.SetCaption("PDO Information");
  BackButton.SetCaption("Back");
  FinishButton.SetCaption("Finish");
}

void COPEDS_F::WireEvents() {
  for (int i = 0; i < 2; ++i) ErrControl[i].OnClick = [this, i] { ErrControl_Click(i); };
  ShowZelk.OnClick = [this] { ShowZelk_Click(); };
  ShowObjDictionary.OnClick = [this] { ShowObjDictionary_Click(); };
  ShowSettingResult.OnClick = [this] { ShowSettingResult_Click(); };
  BackButton.OnClick = [this] { BackButton_Click(); };
  FinishButton.OnMouseUp = [this] { FinishButton_MouseUp(); };
}

void COPEDS_F::Form_Load() {
  SetSize(kCopedsWidth, kCopedsHeight);
  CentreOnScreen();
  for (auto& box : EDSInfo) box.SetText("");
  for (auto& text : state_.eds) text.clear();
  LoadErrorControl();
  // A module set beyond 32 PDOs keeps what fit; the catalog has none.
  (void)BuildPdoMaps(state_.modules, state_.maps);
}

void COPEDS_F::LoadErrorControl() {
  auto& settings = state_.errorControl;
  const auto stored = link::UnpackModuleBlock(state_.eeprom.ModuleBlock, state_.eeprom.ModuleBlockBytes);
  if (state_.eeprom.EepromConfigValid == 1 && stored) {
    settings = UnpackErrorControlWord(stored->ErrorControlWord);
    if (settings.Heartbeat()) {
      for (auto& box : GuardTime_T) box.SetText("0");
      Heartbeat_T.SetText(std::to_string(settings.HeartbeatTime));
      ErrControl[kHeartbeat].Choose();
    } else {
      GuardTime_T[0].SetText(std::to_string(settings.GuardTime));
      GuardTime_T[1].SetText(std::to_string(settings.LifeTimeFactor));
      Heartbeat_T.SetText("0");
      ErrControl[kNodeGuarding].Choose();
    }
    return;
  }
  settings = {};
  for (auto& box : GuardTime_T) box.SetText("0");
  Heartbeat_T.SetText("0");
  ErrControl[kNodeGuarding].Choose();
}

void COPEDS_F::ErrControl_Click(int Index) {
  if (Index != kNodeGuarding && Index != kHeartbeat) return;
  ErrControl[Index].SetValue(true);
  ErrControl[1 - Index].SetValue(false);
  ParameterSetting_frame[1 - Index].SetVisible(false);
  ParameterSetting_frame[Index].SetVisible(true);
  auto& flags = state_.errorControl.ErrorControlFlags;
  if (Index == kHeartbeat) {
    flags |= kHeartbeatFlag;
  } else {
    flags &= ~kHeartbeatFlag;
  }
}

bool COPEDS_F::NoChannels() const {
  const auto& t = state_.modules;
  return t.TotalDIBytes + t.TotalDOBytes + t.TotalAIBytes + t.TotalAOBytes == 0;
}

void COPEDS_F::ShowZelk_Click() {
  if (NoChannels()) return Message(std::string(kNoChannelText));
  ShowZelkViewer();
}

void COPEDS_F::ShowObjDictionary_Click() {
  if (NoChannels()) return Message(std::string(kNoObjectText));
  if (!dictionary_) {
    dictionary_ =
        std::make_unique<ShowAppObjDect>(state_.modules, state_.CounterModuleCount, services_.forms);
  }
  dictionary_->Load();
  dictionary_->CentreOnScreen();
  dictionary_->Show(false);
}

void COPEDS_F::ShowSettingResult_Click() {
  if (NoChannels()) return Message(std::string(kNoChannelText));
  if (!pdo_) pdo_ = std::make_unique<ShowPDO>(state_.maps, state_.params, services_.forms);
  pdo_->Load();
  pdo_->CentreOnScreen();
  pdo_->Show(false);
}

void COPEDS_F::CloseViewers() {
  if (pdo_) pdo_->Unload();
  if (dictionary_) dictionary_->Unload();
  CloseZelkViewer();
}

void COPEDS_F::BackButton_Click() { Unload(); }

void COPEDS_F::Form_Unload(int& Cancel) {
  if (state_.CommitBusy) {
    Message(std::string(link::kBusyMessage));
    Cancel = 1;
    return;
  }
  CloseViewers();
  if (main_.ShowMainWindow) main_.ShowMainWindow();
}

bool COPEDS_F::TakeTimes() {
  auto& settings = state_.errorControl;
  if (settings.Heartbeat()) {
    // The guard-time boxes do not count in this mode, whatever they hold.
    const double heartbeat = ui::LeadingNumber(Heartbeat_T.Text());
    if (!InRange(heartbeat, kMaxErrorControlTime)) {
      Message(std::string(kHeartbeatOverflowText));
      return false;
    }
    settings.HeartbeatTime = Rounded(heartbeat);
    return true;
  }
  const double guard = ui::LeadingNumber(GuardTime_T[0].Text());
  const double life = ui::LeadingNumber(GuardTime_T[1].Text());
  if (!InRange(guard, kMaxErrorControlTime)) {
    Message(std::string(kGuardTimeOverflowText));
    return false;
  }
  if (!InRange(life, kMaxLifeTimeFactor)) {
    Message(std::string(kLifeFactorOverflowText));
    return false;
  }
  settings.GuardTime = Rounded(guard);
  settings.LifeTimeFactor = Rounded(life);
  return true;
}

bool COPEDS_F::TakeChoices() {
  if (!TakeTimes()) return false;
  TakeEdsInfo(state_.eds);
  return true;
}

void COPEDS_F::FinishButton_MouseUp() {
  if (!TakeChoices()) return;
  if (state_.CommitBusy) return;
  CloseViewers();
  // The protocol written now is the one the file will describe.
  Frame1.SetEnabled(false);
  state_.CommitBusy = true;
  if (Commit(state_.eeprom, false)) Unload();
}

bool COPEDS_F::BuildImage() {
  link::ConfigurationValues values;
  values.Now = services_.clock.Now();
  state_.ErrorControlWord = PackErrorControlWord(state_.errorControl);
  values.ErrorControlWord = state_.ErrorControlWord;
  values.LastOutputMap = state_.maps.LastOutputMap;
  values.LastInputMap = state_.maps.LastInputMap;
  const auto built = link::BuildConfigurationImage(values, state_.params, state_.modules, state_.eeprom);
  if (built.Ok()) return true;
  Message(built.description);
  state_.CommitBusy = false;
  return false;
}

std::string COPEDS_F::EdsFileName() const { return CanopenEdsFileName(state_.params.NodeId); }

std::string COPEDS_F::EdsFileText() {
  // The object dictionary viewer may never have been opened.
  state_.CounterModuleCount = CountCounterModules(state_.modules);
  const CanopenEdsState eds{
      state_.modules,           state_.maps, state_.params, state_.eeprom, state_.errorControl, state_.eds,
      state_.CounterModuleCount};
  return BuildCanopenEds(eds, services_.clock.Now());
}

}  // namespace gw20::canopen
