// Both pages' whole commits against the in-process simulated controller: the
// words and the file they write, and through what a folder can do to the file,
// which is staged before the controller is touched.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "canopen/copeds_f.h"
#include "devicenet/dnseds_set.h"
#include "tests/support/connect_harness.h"

namespace gw20::testing {
namespace {

namespace fs = std::filesystem;

const std::string kOlder = "older file\r\n";
const std::string kOkStatus = "Produce .EDS file is OK";

// A profile's page opened after a connect (at the CAN bit rate of list entry
// `baud` unless negative).
struct Commit : ConnectHarness {
  explicit Commit(Profile which, sim::ControllerOptions options = TwoModules(), int baud = -1)
      : ConnectHarness(std::move(options)), profile(which) {
    OpenPage(profile, baud);
  }
  // Presses Finish with the program's folder at `where`; the lines that
  // reached the controller.
  std::vector<std::string> Finish(const fs::path& where) {
    h.folder.path = where;
    h.messages.Clear();
    const auto before = controller.Transcript().size();
    Press(profile);
    return LinesSince(before);
  }
  // Runs `action` once, as soon as `lines` more command lines reached the controller.
  void AtLine(std::size_t lines, std::function<void()> action) {
    const std::size_t at = controller.Transcript().size() + lines;
    time.OnAdvance([this, at, action = std::move(action), done = false](std::chrono::milliseconds) mutable {
      if (done || controller.Transcript().size() < at) return;
      done = true;
      action();
    });
  }
  ui::Form& Page() const {
    return profile == Profile::Canopen ? static_cast<ui::Form&>(*h.form.CanopenPage())
                                       : *h.form.DeviceNetPage();
  }
  std::string Status() const { return h.form.CommunicationState.Text(); }

  Profile profile;
  const std::string name = EdsFile(profile).filename().string();
};

std::uint32_t Path(std::uint32_t index, std::uint32_t classId, std::uint32_t instance,
                   std::uint32_t attribute) {
  return index << 24 | classId << 16 | instance << 8 | attribute;
}

// Header words: magic and header bytes; DeviceNet and module block bytes;
// node 5, profile, CAN bit rate; 2026-12-06; 09:30:15; field port checksum
// off, 9600 bit/s (3), 200 ms; DI and AI bytes; DO and AO bytes.
TEST(PageCommit, WritesTheBlocksAndTheFile_AndTheNextConnectReadsThemBack) {
  using Words = ConnectHarness::Words;
  const struct {
    Profile profile;
    std::vector<sim::FieldModule> chain;
    int baud;
    Words header, moduleBlock, deviceNetBlock;
    std::vector<std::string> inFile;
  } cases[] = {
      // RA412 (4 DO, 1 AO, 1 DI, 2 AI) at 3, RA812 (6 DO, 8 AI) at 10; CANopen at 125 kbit/s (3).
      {Profile::Canopen,
       {{.address = 0x03, .model = "RA412"}, {.address = 0x0A, .model = "RA812"}},
       3,
       {0x01B40024, 0x00000014, 0x00050003, 0x07EA0C06, 0x091E0F00, 0x000300C8, 0x00010014, 0x00020002, 0},
       {0x04012C00, 0, 3u << 24 | 3u << 16, 0x01041203, 0x0108120A},
       {},
       {"[1017]\r\nParameterName=Producer Heartbeat Time"}},
      // RA412 at 3, RA883 (8 AI) at 4, RA883Z (10 AI) at 5 and RA312 (8 DO,
      // 8 DI) at 0x0A: two output and two input assemblies; a 28-byte
      // DeviceNet block, DeviceNet (1) at 250 kbit/s (1) and 40 AI bytes.
      // RA412 and RA883 store ten times their catalog code, RA883Z one more.
      {Profile::DeviceNet,
       {{.address = 0x03, .model = "RA412", .typeCode = 0x0D},
        {.address = 0x04, .model = "RA883"},
        {.address = 0x05, .model = "RA883Z"},
        {.address = 0x0A, .model = "RA312", .typeCode = 0x40}},
       1,
       {0x01B40024, 0x001C001C, 0x00050101, 0x07EA0C06, 0x091E0F00, 0x000300C8, 0x00020028, 0x00020002, 0},
       {0, 0, 1u << 24 | 1u << 16, 0x0A28B403, 0x0A551E04, 0x0A551F05, 0x0103120A},
       {2u << 16, Path(1, 4, 3, 3), Path(0, 4, 0, 3), Path(2, 4, 4, 3), Path(2, 4, 2, 3), Path(0, 4, 0, 3),
        Path(0, 43, 1, 0)},
       // The page's description and default connection.
       {"\r\n$ Line 7\r\n", "   Default = 0x000D;        $ Poll/COS/Cyclic as default\r\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(RoadName(c.profile));
    Commit r(c.profile, WithModules(c.chain), c.baud);
    EXPECT_EQ(r.Shown(), c.profile == Profile::Canopen
                             ? std::vector<std::string>{}
                             : std::vector<std::string>{"|This is a new Setting for DNS gateway"});
    r.h.messages.Clear();
    if (c.profile == Profile::Canopen) {
      r.h.form.CanopenPage()->ErrControl[canopen::kHeartbeat].Choose();
      r.h.form.CanopenPage()->Heartbeat_T.Type("300");
    } else {
      auto& page = *r.h.form.DeviceNetPage();
      page.InpPut[devicenet::kPoll].Pick(1);       // INPUT  01(Assembly): the digital inputs
      page.OutPut[devicenet::kPoll].Pick(2);       // OUTPUT 02(Assembly): the analog outputs
      page.InpPut[devicenet::kCosCyclic].Pick(2);  // INPUT  02(Assembly): the analog inputs
      page.IO_Info[devicenet::kDefaultCos].Choose();
      page.EDSInfo[0].Type("Line 7");
    }
    const auto before = r.controller.Transcript().size();
    r.Press(c.profile);
    EXPECT_TRUE(r.Shown().empty());
    EXPECT_EQ(std::pair(r.Status(), r.h.form.CommunicationState.ToolTip()),
              std::pair(kOkStatus, r.EdsFile(c.profile).string()));
    EXPECT_TRUE(!r.Page().Loaded() && r.h.forms.IsShown(r.h.form));
    EXPECT_FALSE(r.h.state.CommitBusy || r.port.IsOpen());
    EXPECT_EQ(r.Block(0, 40, 9), c.header);
    EXPECT_EQ(r.Block(2, 0, static_cast<int>(c.moduleBlock.size())), c.moduleBlock);
    EXPECT_EQ(r.Block(1, 0, static_cast<int>(c.deviceNetBlock.size())), c.deviceNetBlock);
    EXPECT_EQ(r.LinesSince(before), r.CommitLines(c.header, c.moduleBlock, c.deviceNetBlock));
    const std::string eds = ReadFile(r.EdsFile(c.profile));
    for (const auto& line : c.inFile) EXPECT_NE(eds.find(line), std::string::npos) << line;

    // Connected again, the controller gives back what was stored, and the page shows it.
    r.h.form.Connect.Press();
    EXPECT_TRUE(r.Shown().empty());
    EXPECT_EQ(std::tuple(r.h.state.eeprom.EepromConfigValid, r.h.state.params.NodeId,
                         r.h.state.params.ApplicationType),
              std::tuple(1, 5, c.profile == Profile::DeviceNet ? link::kDeviceNet : 0));
    r.h.form.WriteEDS.Press();
    EXPECT_TRUE(r.Shown().empty());
    if (c.profile == Profile::Canopen) {
      const auto& again = *r.h.form.CanopenPage();
      EXPECT_TRUE(again.ErrControl[canopen::kHeartbeat].Value() && again.Heartbeat_T.Text() == "300");
    } else {
      const auto& again = *r.h.form.DeviceNetPage();
      EXPECT_EQ(
          std::tuple(again.InpPut[devicenet::kPoll].ListIndex(), again.OutPut[devicenet::kPoll].ListIndex(),
                     again.InpPut[devicenet::kCosCyclic].ListIndex(),
                     again.IO_Info[devicenet::kDefaultCos].Value()),
          std::tuple(1, 2, 2, true));
    }
  }
}

enum class Unfit { Gone, ReadOnly, Full };
const char* const kUnfitNames[] = {"gone", "read-only", "full"};

// Runs `action` while `folder` cannot take a file: read-only (as nobody,
// whom permissions bind, when the test runs as root) or full (the file size
// limit far below any EDS file). A gone folder needs nothing.
void WhileUnfit(Unfit unfit, const fs::path& folder, const std::function<void()>& action) {
  constexpr auto kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  constexpr uid_t kNobody = 65534;
  if (unfit == Unfit::Full) return WithFileSizeLimit(512, action);
  if (unfit == Unfit::ReadOnly) fs::permissions(folder, kWrite, fs::perm_options::remove);
  const bool asNobody = unfit == Unfit::ReadOnly && geteuid() == 0 && seteuid(kNobody) == 0;
  action();
  EXPECT_TRUE(!asNobody || seteuid(0) == 0);
  fs::permissions(folder, kWrite, fs::perm_options::add);
}

TEST(CommitFile, FolderGoneReadOnlyOrFull_IsFoundBeforeAnythingIsSent) {
  for (const Profile profile : {Profile::Canopen, Profile::DeviceNet}) {
    for (const Unfit unfit : {Unfit::Gone, Unfit::ReadOnly, Unfit::Full}) {
      SCOPED_TRACE(RoadName(profile) + ", folder " + kUnfitNames[static_cast<int>(unfit)]);
      Commit c(profile);
      const fs::path where = unfit == Unfit::Gone ? c.folder / "gone" : c.folder;
      std::ofstream(c.folder / c.name, std::ios::binary) << kOlder;
      const int opens = c.port.OpenCalls();
      std::vector<std::string> sent;
      WhileUnfit(unfit, c.folder, [&] { sent = c.Finish(where); });
      EXPECT_EQ(c.Shown(), std::vector<std::string>{"Error|Can't write the EDS file " +
                                                    (where / c.name).string() + "!"});
      EXPECT_EQ(c.Status(), "EDS file error");
      const auto& notes = c.h.messages.Notes();  // the system's reason, for the log
      EXPECT_TRUE(notes.size() == 1 && notes[0].starts_with("gw20.eds: " + (where / c.name).string() + ": "))
          << ::testing::PrintToString(notes);
      EXPECT_TRUE(sent.empty()) << ::testing::PrintToString(sent);
      EXPECT_EQ(c.port.OpenCalls(), opens);  // the port was not even opened
      EXPECT_FALSE(c.h.state.CommitBusy);
      EXPECT_EQ(Listing(c.folder), std::vector<std::string>{c.name});
      EXPECT_EQ(ReadFile(c.folder / c.name), kOlder);

      // Once the folder takes the file, Finish works.
      fs::create_directories(where);
      EXPECT_FALSE(c.Finish(where).empty());
      EXPECT_EQ(c.Status(), kOkStatus) << ::testing::PrintToString(c.Shown());
      EXPECT_EQ(Listing(where), std::vector<std::string>{c.name});
      EXPECT_TRUE(ReadFile(where / c.name) != kOlder);
    }
  }
}

// A link at the fixed name temporary files once had, and one at the file's
// own name, both leading out of the folder.
TEST(CommitFile, LinksPlantedInTheFolder_NothingOutsideIsTouched) {
  for (const Profile profile : {Profile::Canopen, Profile::DeviceNet}) {
    SCOPED_TRACE(RoadName(profile));
    Commit c(profile);
    const ScratchFolder outside{"outside"};
    for (const char* name : {"a", "b"}) std::ofstream(outside / name) << "not yours\n";
    fs::create_symlink(outside / "a", c.folder / (c.name + ".tmp"));
    fs::create_symlink(outside / "b", c.folder / c.name);

    c.Finish(c.folder);
    EXPECT_EQ(c.Status(), kOkStatus);
    EXPECT_TRUE(ReadFile(outside / "a") == "not yours\n" && ReadFile(outside / "b") == "not yours\n");
    EXPECT_EQ(Listing(outside.Path()), (std::vector<std::string>{"a", "b"}));
    // The link at the file's name is replaced by the file; the other stays as planted.
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.folder / c.name)));
    EXPECT_GT(ReadFile(c.folder / c.name).size(), 1000u);
    EXPECT_EQ(fs::read_symlink(c.folder / (c.name + ".tmp")), outside / "a");
    EXPECT_EQ(Listing(c.folder), (std::vector<std::string>{c.name, c.name + ".tmp"}));
  }
}

TEST(CommitFile, ControllerOrFolderFailsMidCommit_NoTemporaryFileStays) {
  for (const Profile profile : {Profile::Canopen, Profile::DeviceNet}) {
    SCOPED_TRACE(RoadName(profile));
    {
      // The operator closes the page (the CANopen page refuses), then the cable goes.
      Commit c(profile);
      std::ofstream(c.folder / c.name, std::ios::binary) << kOlder;
      c.AtLine(10, [&c] {
        c.Page().Unload();
        c.port.SetConnected(false);
      });
      c.Finish(c.folder);
      const auto shown = c.Shown();
      EXPECT_NE(std::find(shown.begin(), shown.end(), "|Timeout"), shown.end());
      EXPECT_EQ(ReadFile(c.folder / c.name), kOlder);
      EXPECT_EQ(Listing(c.folder), std::vector<std::string>{c.name});
    }
    // The folder goes while the EEPROM is written: the operator learns both.
    Commit c(profile);
    const fs::path sub = c.folder / "sub";
    fs::create_directory(sub);
    c.AtLine(10, [&sub] { fs::remove_all(sub); });
    const auto sent = c.Finish(sub);
    EXPECT_EQ(c.Shown(),
              (std::vector<std::string>{"Error|Can't write the EDS file " + (sub / c.name).string() + "!",
                                        "|The controller's EEPROM already holds the new configuration."}));
    EXPECT_EQ(c.Status(), "EDS file error");
    EXPECT_EQ(sent.back(), "exit");  // the whole commit reached the controller
    EXPECT_FALSE(c.h.state.CommitBusy || c.port.IsOpen() || fs::exists(sub));
    fs::create_directory(sub);
    c.Finish(sub);
    EXPECT_EQ(c.Status(), kOkStatus);
    EXPECT_EQ(Listing(sub), std::vector<std::string>{c.name});
  }
}

}  // namespace
}  // namespace gw20::testing
