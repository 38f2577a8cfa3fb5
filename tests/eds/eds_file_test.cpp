// The EDS file appears whole or not at all, and no typed text can break it.

#include "eds/eds_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "eds/ini_writer.h"
#include "tests/support/test_services.h"

namespace gw20::eds {
namespace {

namespace fs = std::filesystem;

class SaveTest : public ::testing::Test {
 protected:
  SaveTest() {
    target = folder / "ZELKDNS 5.eds";
    std::ofstream(target, std::ios::binary) << "old file\r\n";
    for (int i = 0; i < 2000; ++i) big.Line("Line=" + std::to_string(i) + " of a file larger than the limit");
  }
  // The old file is there, unchanged, and nothing else is.
  void ExpectOldFileAlone() {
    EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator{}), 1);
  }

  testing::ScratchFolder folder{"eds"};
  fs::path target;
  IniWriter big;
};

TEST(OneLineText, ControlCharactersBecomeBlanks_EightBitTextStays) {
  EXPECT_EQ(OneLineText("a\r\n[1000]\tb\x7f"), "a  [1000] b ");
  EXPECT_EQ(OneLineText("Stra\xdf"
                        "e 5"),
            "Stra\xdf"
            "e 5");
  EXPECT_EQ(OneLineText(""), "");
}

TEST_F(SaveTest, DiskFullOrCrashMidWrite_LeavesTheOldFileIntact) {
  constexpr rlim_t kRoomLeft = 4096;  // bytes a file may grow to: the disk is "full" beyond

  // A full disk: the write fails, the program goes on and says why.
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = before;
  limited.rlim_cur = kRoomLeft;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const FileWriteResult full = big.Save(target);
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(full.ok);
  EXPECT_FALSE(full.reason.empty());
  ExpectOldFileAlone();

  // A crash mid-write: the process dies inside the write.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    setrlimit(RLIMIT_FSIZE, &limited);
    (void)big.Save(target);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
  // The dead process's temporary file may stay beside it; the next save replaces it.
  EXPECT_TRUE(big.Save(target).ok);
  EXPECT_EQ(testing::ReadFile(target), big.Text());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator{}), 1);
}

// Whichever step fails, the result names the file's full path and the
// reason, the old file stays whole and no temporary file is left.
TEST_F(SaveTest, NoFolderOrSomethingInTheWay_FailsNamingThePath) {
  IniWriter small;
  small.Line("A=1");
  for (const fs::path& where : {folder / "absent", target}) {  // no folder; a file, not a folder
    const FileWriteResult saved = small.Save(where / "x.eds");
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.path, where / "x.eds");
    EXPECT_FALSE(saved.reason.empty());
  }
  ExpectOldFileAlone();
  // A folder where the temporary file goes, then one where the file goes.
  fs::create_directories(folder / "ZELKDNS 5.eds.tmp" / "inside");
  EXPECT_FALSE(small.Save(target).ok);
  EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
  fs::remove_all(folder / "ZELKDNS 5.eds.tmp");
  fs::create_directories(folder / "COPn6.eds" / "inside");
  const FileWriteResult blocked = small.Save(folder / "COPn6.eds");
  EXPECT_FALSE(blocked.ok);
  EXPECT_EQ(blocked.path, folder / "COPn6.eds");
  EXPECT_FALSE(fs::exists(folder / "COPn6.eds.tmp"));
}

TEST_F(SaveTest, ReadOnlyFolder_FailsWithTheReasonAndKeepsTheOldFile) {
  // Permissions do not bind the superuser: as root the save runs as nobody.
  constexpr uid_t kNobody = 65534;
  fs::permissions(folder.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    const FileWriteResult saved = big.Save(target);
    _exit(!saved.ok && saved.path == target && saved.reason.find("ermission") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
  ExpectOldFileAlone();
}

}  // namespace
}  // namespace gw20::eds
