#pragma once
// The DeviceNet configuration page: the produced and consumed connection of
// Poll, Strobe and COS/Cyclic, the default connection, the two EDS
// information texts, the viewers of the derived tables, and Finish, which
// writes the configuration into the controller's EEPROM and the EDS file.
// Headless model; the Qt view only arranges widgets and binds them.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "devicenet/assembly_records.h"
#include "devicenet/connections.h"
#include "link/link_fwd.h"
#include "pages/eds_page.h"

namespace gw20::devicenet {

// Strobe data travels in one 8-byte frame.
inline constexpr int kMaxStrobeBytes = 8;

class ShowAppObjNew;
class ShowAssObj;

inline constexpr int kDnsEdsSetWidth = 9600;   // twips
inline constexpr int kDnsEdsSetHeight = 5900;  // twips

// IO_Info positions, the default connection stored in block 1.
enum DefaultConnection : int {
  kDefaultPoll,
  kDefaultStrobe,
  kDefaultCos,
  kDefaultCyclic,
  kDefaultConnections
};
// The IO_Info option buttons' captions, by position, as shown.
inline constexpr std::array<std::string_view, kDefaultConnections> kDefaultConnectionTexts{"Poll ", "Strobe",
                                                                                           "COS", "Cyclic"};

// The program state the page reads and writes; everything must outlive it.
struct DeviceNetPageState {
  const modules::ModuleTable& modules;
  link::GatewayParameters& params;
  link::EepromImage& eeprom;
  link::ConsoleState& console;
  MapTables& maps;
  eds::EdsInfo& eds;
  ConnectionChoices& choices;
  const std::uint32_t& ErrorControlWord;  // stored unchanged in block 2
  bool& CommitBusy;                       // shared with the main window: a conversation is running
};

// The EDS information region, ProcessError and DetachMainWindow come from
// pages::EdsPage.
class DNSEdsSet : public pages::EdsPage {
 public:
  // `state`, `services` and the main window's controls must outlive the page.
  DNSEdsSet(const DeviceNetPageState& state, ui::Services& services, pages::MainWindowLink main);
  ~DNSEdsSet() override;

  // Frame1 "Poll Info", Frame2 "Strobe Info", Frame3 "COS/Cyclic Info", each
  // holding InpPut(k) and OutPut(k) of its slot with their labels.
  ui::Frame Frame1{"Frame1"}, Frame2{"Frame2"}, Frame3{"Frame3"};
  std::array<ui::ComboBox, kConnectionSlots> InpPut;  // produced connection
  std::array<ui::ComboBox, kConnectionSlots> OutPut;  // consumed connection
  std::array<ui::Label, kConnectionSlots> ProducedLabel, ConsumedLabel;
  ui::Frame Frame5{"Frame5"};  // "Default IO Info"
  std::array<ui::OptionButton, kDefaultConnections> IO_Info;
  ui::Button ShowZelkInf{"ShowZelkInf"}, AppObj{"AppObj"}, ShowSettingResult{"ShowSettingResult"};
  ui::Button BackButton{"BackButton"}, FinishDeviceSet{"FinishDeviceSet"};

  void IO_Info_Click(int Index);
  // Index 1 (Strobe) refuses an item of 9 or more data bytes first.
  void InpPut_Click(int Index);
  void OutPut_Click(int Index);
  void ShowZelkInf_Click();
  void AppObj_Click();
  void ShowSettingResult_Click();
  void BackButton_Click();
  // The commit: builds blocks 0, 2 and 1, stages the EDS file in the
  // program's folder, writes the blocks through the console, then puts the
  // file in place and closes the page. Does nothing while CommitBusy. A
  // failure is shown and leaves the page open, with Frame1 and Finish
  // disabled after a console failure and enabled after a file failure (a
  // folder that cannot take the file is found before anything is sent).
  void FinishDeviceSet_MouseUp();
  // The path the item at `Index` of a connection list names, by its text.
  DnsPath GetDNSInfo(int Index, const std::string& ItemText) const;
  // Data bytes of the produced-list item at `Index` with text `ItemText`, 0
  // when it names none; a Strobe connection takes at most kMaxStrobeBytes.
  int ProducedLengthOf(int Index, const std::string& ItemText) const;
  // The same for the consumed list.
  int ConsumedLengthOf(int Index, const std::string& ItemText) const;

  // Default connection chosen with IO_Info, 0..3; 0 when the page opens.
  int DefaultIOInfo() const { return defaultIOInfo_; }
  // True after a successful commit.
  bool Finished() const { return finished_; }

  // Viewers, null until first opened (the module viewer: ZelkViewer).
  ShowAppObjNew* ApplicationViewer() const { return application_.get(); }
  ShowAssObj* AssemblyViewer() const { return assembly_.get(); }

 protected:
  // Centres the window, derives the assemblies, fills the lists and presets
  // the choices from block 1 of the image read at connect.
  void Form_Load() override;
  // Tells "You have not fininshing!" when no commit succeeded, closes the
  // viewers and shows the main window; never refuses.
  void Form_Unload(int& Cancel) override;

 private:
  void NameControls();
  void SetCaptions();
  void WireEvents();
  void FillLists();
  void PresetChoices();
  void ResetChoices();
  // Data bytes of the produced item at `Index`, 0 when it names none.
  int ProducedLength(int Index) const;
  int DataLengthOf(AssemblyDirection direction, int Index, const std::string& ItemText) const;
  void CloseViewers();
  // The commit's parts: blocks 0, 2 and 1, and ZELKDNS<node>.eds.
  bool TakeChoices() override;
  bool BuildImage() override;
  std::string EdsFileName() const override;
  std::string EdsFileText() override;
  void CommitRetryable() override { UnlockFinish(); }
  // Frame1 and Finish enabled again after a failure Finish may be retried on.
  void UnlockFinish();

  DeviceNetPageState state_;
  int defaultIOInfo_ = kDefaultPoll;
  bool finished_ = false;
  std::unique_ptr<ShowAppObjNew> application_;
  std::unique_ptr<ShowAssObj> assembly_;
};

}  // namespace gw20::devicenet
