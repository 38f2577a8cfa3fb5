// Both pages' commits stage their EDS file before they touch the controller,
// through what a folder can do to it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
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

// A profile's page opened after a connect.
struct Commit : ConnectHarness {
  explicit Commit(Profile which) : ConnectHarness(TwoModules()), profile(which) { OpenPage(profile); }
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
