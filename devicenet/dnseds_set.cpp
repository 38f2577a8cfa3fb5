#include "devicenet/dnseds_set.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "devicenet/assembly_maps.h"
#include "devicenet/assembly_records.h"
#include "devicenet/dns_eds_writer.h"
#include "devicenet/show_app_obj_new.h"
#include "devicenet/show_ass_obj.h"
#include "link/eeprom_image.h"
#include "link/eeprom_layout.h"
#include "link/eeprom_procedures.h"
#include "link/gateway_parameters.h"
#include "link/link_messages.h"
#include "modules/module_table.h"
#include "platform/ui/services.h"

namespace gw20::devicenet {
namespace {

using link::kErrorTitle;

constexpr std::string_view kNewSettingMessage = "This is a new Setting for DNS gateway";
constexpr std::string_view kEepromErrorMessage = "EEPROM ERROR,We show the default value.";
constexpr std::string_view kStrobeLengthMessage = "Error! The selected data length > 8 bytes";
constexpr std::string_view kNotFinishedMessage = "You have not fininshing!";

// Block 1 keeps a path word for each connection slot.
static_assert(kConnectionSlots == link::kConnectionPathSlots);

// The list entry a stored connection path names.
int StoredListEntry(std::uint32_t path) { return link::UnpackConnectionPath(path).ListIndex; }

}  // namespace

DNSEdsSet::DNSEdsSet(const DeviceNetPageState& state, ui::Services& services, pages::MainWindowLink main)
    : pages::EdsPage("DNSEdsSet", services, std::move(main), state.modules, state.console, state.CommitBusy),
      state_(state) {
  NameControls();
  SetCaptions();
  WireEvents();
  SetSize(kDnsEdsSetWidth, kDnsEdsSetHeight);
}

// Out of line: the viewers are incomplete types in the header.
DNSEdsSet::~DNSEdsSet() = default;

void DNSEdsSet::NameControls() {
  NameEdsRegion();
  ui::NameArray(InpPut, "InpPut");
  ui::NameArray(OutPut, "OutPut");
  ui::NameArray(ProducedLabel, "ProducedLabel");
  ui::NameArray(ConsumedLabel, "ConsumedLabel");
  ui::NameArray(IO_Info, "IO_Info");
  const std::array<ui::Frame*, kConnectionSlots> frames{&Frame1, &Frame2, &Frame3};
  for (int k = 0; k < kConnectionSlots; ++k) {
    frames[k]->Hold({&InpPut[k], &OutPut[k], &ProducedLabel[k], &ConsumedLabel[k]});
  }
  Frame5.Hold({&IO_Info[0], &IO_Info[1], &IO_Info[2], &IO_Info[3]});
  EDSRegion.Hold({&EDSInfo[0], &EDSInfo[1], &Label6, &Label5});
}

void DNSEdsSet::SetCaptions() {
  SetCaption("DeviceNet EDS File Setting");
  CaptionEdsRegion();
  Frame1.SetCaption("Poll Info");
  Frame2.SetCaption("Strobe Info");
  Frame3.SetCaption("COS/Cyclic Info");
  for (auto& label : ProducedLabel) label.SetCaption("Produced Connection");
  for (auto& label : ConsumedLabel) label.SetCaption("Consumed Connection");
  Frame5.SetCaption("Default IO Info");
  for (int i = 0; i < kDefaultConnections; ++i)
    IO_Info[i].SetCaption(std::string(kDefaultConnectionTexts[i]));
  ShowZelkInf.SetCaption("View Zelk Info");
  AppObj.SetCaption("Application View");
  ShowSettingResult.SetCaption("Assembly Objcet View");
  BackButton.SetCaption("Back");
  FinishDeviceSet.SetCaption("Finish");
}

void DNSEdsSet::WireEvents() {
  for (int i = 0; i < kDefaultConnections; ++i) IO_Info[i].OnClick = [this, i] { IO_Info_Click(i); };
  for (int k = 0; k < kConnectionSlots; ++k) {
    InpPut[k].OnClick = [this, k] { InpPut_Click(k); };
    OutPut[k].OnClick = [this, k] { OutPut_Click(k); };
  }
  ShowZelkInf.OnClick = [this] { ShowZelkInf_Click(); };
  AppObj.OnClick = [this] { AppObj_Click(); };
  ShowSettingResult.OnClick = [this] { ShowSettingResult_Click(); };
  BackButton.OnClick = [this] { BackButton_Click(); };
  FinishDeviceSet.OnMouseUp = [this] { FinishDeviceSet_MouseUp(); };
}

void DNSEdsSet::Form_Load() {
  SetSize(kDnsEdsSetWidth, kDnsEdsSetHeight);
  CentreOnScreen();
  FinishDeviceSet.SetEnabled(true);
  BuildAssemblyMaps(state_.modules, state_.maps);
  FillLists();
  PresetChoices();
}

void DNSEdsSet::FillLists() {
  const auto consumed = ConsumedItems(state_.modules, state_.maps);
  const auto produced = ProducedItems(state_.modules, state_.maps);
  for (int k = 0; k < kConnectionSlots; ++k) {
    OutPut[k].Clear();
    InpPut[k].Clear();
    for (const auto& item : consumed) OutPut[k].AddItem(item);
    for (const auto& item : produced) InpPut[k].AddItem(item);
  }
}

void DNSEdsSet::ResetChoices() {
  IO_Info[kDefaultPoll].Choose();
  for (int k = 0; k < kConnectionSlots; ++k) {
    state_.choices.ProducedChoice[k] = kNoneItem;
    InpPut[k].SetListIndex(kNoneItem);
  }
  state_.choices.ConsumedChoice[kPoll] = kNoneItem;
  OutPut[kPoll].SetListIndex(kNoneItem);
}

void DNSEdsSet::PresetChoices() {
  auto& image = state_.eeprom;
  const auto stored = link::UnpackDeviceNetBlock(image.DeviceNetBlock);
  if (!stored || stored->DefaultIOInfo >= kDefaultConnections) image.ConfigMismatch = true;
  if (image.ConfigMismatch) {
    Message(std::string(kNewSettingMessage));
    ResetChoices();
    return;
  }
  std::array<int, kConnectionSlots> produced{};
  bool fits = true;
  for (int k = 0; k < kConnectionSlots; ++k) {
    produced[k] = StoredListEntry(stored->ProducedPath[k]);
    fits = fits && produced[k] < InpPut[k].ListCount();
  }
  const int consumed = StoredListEntry(stored->ConsumedPath[kPoll]);
  fits = fits && consumed < OutPut[kPoll].ListCount();
  if (!fits) {
    Message(std::string(kEepromErrorMessage));
    ResetChoices();
    return;
  }
  for (int k = 0; k < kConnectionSlots; ++k) {
    state_.choices.ProducedChoice[k] = produced[k];
    InpPut[k].SetListIndex(produced[k]);
  }
  state_.choices.ConsumedChoice[kPoll] = consumed;
  OutPut[kPoll].SetListIndex(consumed);
  // The stored default shows, so the operator sees what Finish will keep.
  for (int i = 0; i < kDefaultConnections; ++i) IO_Info[i].SetValue(i == stored->DefaultIOInfo);
  defaultIOInfo_ = stored->DefaultIOInfo;
}

void DNSEdsSet::IO_Info_Click(int Index) {
  if (Index < 0 || Index >= kDefaultConnections) return;
  for (int i = 0; i < kDefaultConnections; ++i) IO_Info[i].SetValue(i == Index);
  defaultIOInfo_ = Index;
}

DnsPath DNSEdsSet::GetDNSInfo(int Index, const std::string& ItemText) const {
  return devicenet::GetDNSInfo(Index, ItemText, state_.maps);
}

int DNSEdsSet::ProducedLength(int Index) const { return ProducedLengthOf(Index, InpPut[kStrobe].Text()); }

int DNSEdsSet::ProducedLengthOf(int Index, const std::string& ItemText) const {
  return DataLengthOf(AssemblyDirection::Input, Index, ItemText);
}

int DNSEdsSet::ConsumedLengthOf(int Index, const std::string& ItemText) const {
  return DataLengthOf(AssemblyDirection::Output, Index, ItemText);
}

int DNSEdsSet::DataLengthOf(AssemblyDirection direction, int Index, const std::string& ItemText) const {
  const DnsPath path = GetDNSInfo(Index, ItemText);
  if (path.Instance == 0) return 0;
  if (path.ClassId == kApplicationClass && path.Instance <= modules::kModuleSlots) {
    const auto& object = state_.modules.AppObjList[path.Instance - 1];
    switch (path.Attribute) {
      case kDIData:
        return object.DIL;
      case kAIData:
        return object.AIL;
      case kDOData:
        return object.DOL;
      case kAOData:
        return object.AOL;
      default:
        return 0;
    }
  }
  if (path.ClassId == kAssemblyClass && Index >= 1 && Index <= pages::kMapRecords) {
    return AssemblyTable(state_.maps, direction)[Index - 1].Length();
  }
  return 0;
}

void DNSEdsSet::InpPut_Click(int Index) {
  if (Index < 0 || Index >= kConnectionSlots) return;
  const int chosen = std::max(InpPut[Index].ListIndex(), kNoneItem);
  if (Index == kStrobe && ProducedLength(chosen) > kMaxStrobeBytes) {
    InpPut[Index].SetListIndex(state_.choices.ProducedChoice[kStrobe]);
    Message(std::string(kStrobeLengthMessage), kErrorTitle);
    return;
  }
  state_.choices.ProducedChoice[Index] = chosen;
}

void DNSEdsSet::OutPut_Click(int Index) {
  if (Index < 0 || Index >= kConnectionSlots) return;
  state_.choices.ConsumedChoice[Index] = std::max(OutPut[Index].ListIndex(), kNoneItem);
}

void DNSEdsSet::ShowZelkInf_Click() { ShowZelkViewer(); }

void DNSEdsSet::AppObj_Click() {
  if (!application_) application_ = std::make_unique<ShowAppObjNew>(state_.modules, services_.forms);
  application_->Show(false);
}

void DNSEdsSet::ShowSettingResult_Click() {
  if (!assembly_) assembly_ = std::make_unique<ShowAssObj>(state_.modules, state_.maps, services_.forms);
  assembly_->Show(false);
}

void DNSEdsSet::CloseViewers() {
  if (assembly_) assembly_->Unload();
  if (application_) application_->Unload();
  CloseZelkViewer();
}

void DNSEdsSet::BackButton_Click() {
  for (auto& list : InpPut) list.Clear();
  OutPut[kPoll].Clear();
  Unload();
}

void DNSEdsSet::Form_Unload(int& Cancel) {
  (void)Cancel;
  if (!finished_) Message(std::string(kNotFinishedMessage));
  CloseViewers();
  if (main_.ShowMainWindow) main_.ShowMainWindow();
}

bool DNSEdsSet::TakeChoices() {
  TakeEdsInfo(state_.eds);
  return true;
}

void DNSEdsSet::FinishDeviceSet_MouseUp() {
  (void)TakeChoices();
  if (state_.CommitBusy) return;
  CloseZelkViewer();
  // What is written now is what the file will describe.
  Frame1.SetEnabled(false);
  state_.CommitBusy = true;
  FinishDeviceSet.SetEnabled(false);
  if (!Commit(state_.eeprom, true)) return;
  finished_ = true;
  FinishDeviceSet.SetEnabled(true);
  Unload();
}

bool DNSEdsSet::BuildImage() {
  link::ConfigurationValues values;
  values.DeviceNet = true;
  values.Now = services_.clock.Now();
  values.ErrorControlWord = state_.ErrorControlWord;
  values.LastOutputMap = state_.maps.LastOutputMap;
  values.LastInputMap = state_.maps.LastInputMap;
  values.ModelCode = [](std::string_view name) { return DeviceNetModelCode(std::string(name)); };
  auto& block = values.DeviceNetBlock;
  block.DefaultIOInfo = defaultIOInfo_;
  const auto& choices = state_.choices;
  for (int k = 0; k < kConnectionSlots; ++k) {
    block.ProducedPath[k] =
        ConnectionWord(k, false, choices.ProducedChoice[k], InpPut[k].Text(), state_.maps);
    block.ConsumedPath[k] = ConnectionWord(k, true, choices.ConsumedChoice[k], OutPut[k].Text(), state_.maps);
  }
  const auto built = link::BuildConfigurationImage(values, state_.params, state_.modules, state_.eeprom);
  if (!built.Ok()) {
    // Nothing was sent: the operator may correct the cause and press Finish again.
    Message(built.description);
    UnlockFinish();
    state_.CommitBusy = false;
    return false;
  }
  return true;
}

std::string DNSEdsSet::EdsFileName() const { return DeviceNetEdsFileName(state_.params.NodeId); }

std::string DNSEdsSet::EdsFileText() {
  const DeviceNetEdsState eds{state_.modules, state_.maps,    state_.params,
                              state_.eeprom,  state_.choices, state_.eds};
  return BuildDnsEds(eds, services_.clock.Now());
}

void DNSEdsSet::UnlockFinish() {
  Frame1.SetEnabled(true);
  FinishDeviceSet.SetEnabled(true);
}

}  // namespace gw20::devicenet
