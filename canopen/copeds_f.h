#pragma once
// The CANopen configuration page: error-control protocol and times, the two
// EDS information texts, the viewers of the derived tables, and Finish, which
// writes the configuration into the controller's EEPROM and the EDS file.
// Headless model; the Qt view only arranges widgets and binds them.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "canopen/error_control.h"
#include "canopen/pdo_records.h"
#include "link/link_fwd.h"
#include "pages/eds_page.h"

namespace gw20::canopen {

class ShowPDO;
class ShowAppObjDect;

inline constexpr int kCopedsWidth = 7770;   // twips
inline constexpr int kCopedsHeight = 4580;  // twips

// ErrControl positions.
inline constexpr int kNodeGuarding = 0;
inline constexpr int kHeartbeat = 1;

// The program state the page reads and writes; everything must outlive it.
struct CanopenPageState {
  const modules::ModuleTable& modules;
  link::GatewayParameters& params;
  link::EepromImage& eeprom;
  link::ConsoleState& console;
  MapTables& maps;
  eds::EdsInfo& eds;
  ErrorControlSettings& errorControl;
  int& CounterModuleCount;
  bool& CommitBusy;  // shared with the main window: a conversation is running
  // The packed error control a commit stores; set by every CANopen commit.
  std::uint32_t& ErrorControlWord;
};

// The EDS information region, ProcessError and DetachMainWindow come from
// pages::EdsPage.
class COPEDS_F : public pages::EdsPage {
 public:
  // `state`, `services` and the main window's controls must outlive the page.
  COPEDS_F(const CanopenPageState& state, ui::Services& services, pages::MainWindowLink main);
  ~COPEDS_F() override;

  ui::Frame Frame1{"Frame1"};                       // "Error Control Protocol"
  std::array<ui::OptionButton, 2> ErrControl;       // kNodeGuarding, kHeartbeat
  std::array<ui::Frame, 2> ParameterSetting_frame;  // per protocol
  std::array<ui::TextBox, 2> GuardTime_T;           // guard time (ms), life factor
  ui::Label Label1{"Label1"}, Label2{"Label2"};
  ui::TextBox Heartbeat_T{"Heartbeat_T"};  // consumer heartbeat time (ms)
  ui::Label Label4{"Label4"};
  ui::Button ShowObjDictionary{"ShowObjDictionary"}, ShowZelk{"ShowZelk"},
      ShowSettingResult{"ShowSettingResult"};
  ui::Button BackButton{"BackButton"}, FinishButton{"FinishButton"};

  void ErrControl_Click(int Index);
  void ShowZelk_Click();
  void ShowObjDictionary_Click();
  void ShowSettingResult_Click();
  void BackButton_Click();
  // The commit: validates the times, builds the EEPROM image, stages the EDS
  // file in the program's folder, writes the image, then puts the file in
  // place and closes the page. Does nothing while CommitBusy. Every failure
  // is shown and leaves the page open; a folder that cannot take the file
  // is found before anything is sent.
  void FinishButton_MouseUp();

  // Viewers, null until first opened (the module viewer: ZelkViewer).
  ShowPDO* PdoViewer() const { return pdo_.get(); }
  ShowAppObjDect* DictionaryViewer() const { return dictionary_.get(); }

 protected:
  // Sizes and centres the window, clears the EDS texts, presets the error
  // control from block 2 of the stored image and derives the PDO tables.
  void Form_Load() override;
  // Refused with "Module is connecting now!" while CommitBusy; otherwise
  // closes the viewers and shows the main window.
  void Form_Unload(int& Cancel) override;

 private:
  void NameControls();
  void SetCaptions();
  void WireEvents();
  void LoadErrorControl();
  // False after a message: the typed times are out of range.
  bool TakeTimes();
  // True when the modules have no channel at all (the viewers have nothing).
  bool NoChannels() const;
  void CloseViewers();
  // The commit's parts: blocks 0 and 2 with the packed error control, and
  // COPn<node>.eds.
  bool TakeChoices() override;
  bool BuildImage() override;
  std::string EdsFileName() const override;
  std::string EdsFileText() override;

  CanopenPageState state_;
  std::unique_ptr<ShowPDO> pdo_;
  std::unique_ptr<ShowAppObjDect> dictionary_;
};

}  // namespace gw20::canopen
