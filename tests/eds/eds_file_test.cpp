// The EDS file appears whole or not at all, only when placed, never through
// a planted link, and no typed text can break it.

#include "eds/eds_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "eds/staged_file.h"
#include "tests/support/test_services.h"

namespace gw20::eds {
namespace {

namespace fs = std::filesystem;

class StagedFileTest : public ::testing::Test {
 protected:
  StagedFileTest() {
    target = folder / "ZELKDNS 5.eds";
    std::ofstream(target, std::ios::binary) << "old file\r\n";
    for (int i = 0; i < 2000; ++i)
      big += "Line=" + std::to_string(i) + " of a file larger than the limit\r\n";
  }
  std::size_t Entries() const { return testing::Listing(folder.Path()).size(); }
  // The old file is there, unchanged, and nothing else is.
  void ExpectOldFileAlone() {
    EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
    EXPECT_EQ(Entries(), 1u);
  }

  testing::ScratchFolder folder{"eds"};
  fs::path target;
  std::string big;
};

TEST(OneLineText, ControlCharactersBecomeBlanks_EightBitTextStays) {
  EXPECT_EQ(OneLineText("a\r\n[1000]\tb\x7f"), "a  [1000] b ");
  EXPECT_EQ(OneLineText("Stra\337e 5"), "Stra\337e 5");
  EXPECT_EQ(OneLineText(""), "");
}

// Staged, the new content waits beside the old file; only Place replaces
// it, and whatever is not placed goes.
TEST_F(StagedFileTest, OldFileStaysUntilPlaced_NothingUnplacedStays) {
  const mode_t umaskBefore = umask(022);
  {
    StagedFile file;
    ASSERT_TRUE(file.Stage(target, "A=1\r\n").ok);
    ASSERT_TRUE(file.Stage(target, big).ok);  // staged again: the first one goes
    EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
    EXPECT_EQ(Entries(), 2u);
  }
  ExpectOldFileAlone();

  StagedFile file;
  ASSERT_TRUE(file.Stage(target, big).ok);
  const FileWriteResult placed = file.Place();
  EXPECT_TRUE(placed.ok && placed.path == target);
  EXPECT_TRUE(testing::ReadFile(target) == big);
  EXPECT_EQ(Entries(), 1u);
  // Readable by others as any new file, not private as a bare mkstemp's.
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(file.Place().ok);  // placed once, nothing is staged any more
  umask(umaskBefore);
}

// A full disk, a read-only or a vanished folder are CommitFile's, on both
// pages; here what a page cannot show.
TEST_F(StagedFileTest, CrashMidWrite_LeavesTheOldFileIntact) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit limited{};
    getrlimit(RLIMIT_FSIZE, &limited);
    limited.rlim_cur = 4096;  // bytes: the process dies inside the write
    setrlimit(RLIMIT_FSIZE, &limited);
    StagedFile dying;
    (void)dying.Stage(target, big);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(testing::ReadFile(target), "old file\r\n");
  // The dead process's temporary file may stay beside it; it is in no one's way.
  StagedFile file;
  EXPECT_TRUE(file.Stage(target, big).ok && file.Place().ok);
  EXPECT_TRUE(testing::ReadFile(target) == big);
}

// No folder; a file, not a folder; a folder where the file goes (the rename
// would fail only after the controller was written): staging fails naming
// the file's full path and the reason, and leaves nothing.
TEST_F(StagedFileTest, NoFolderOrSomethingInTheWay_FailsNamingThePath) {
  StagedFile file;
  fs::create_directories(folder / "COPn6.eds" / "inside");
  for (const fs::path& where : {folder / "absent" / "x.eds", target / "x.eds", folder / "COPn6.eds"}) {
    const FileWriteResult staged = file.Stage(where, "A=1\r\n");
    EXPECT_FALSE(staged.ok || staged.reason.empty());
    EXPECT_EQ(staged.path, where);
  }
  fs::remove_all(folder / "COPn6.eds");
  ExpectOldFileAlone();
}

// Only a regular file or a link is ever replaced: a FIFO at the name is
// refused, and so is one put there before the file is placed; a file only
// reserved (a check before the content is known) is never placed.
TEST_F(StagedFileTest, NeverOverAnythingButARegularFile_NorEmptyWhenOnlyReserved) {
  StagedFile file;
  const fs::path fifo = folder / "COPn6.eds";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const FileWriteResult refused = file.Stage(fifo, "A=1\r\n");
  EXPECT_TRUE(!refused.ok && refused.notRegular && refused.reason == "a FIFO, not a regular file");
  ASSERT_TRUE(file.Reserve(target).ok);
  EXPECT_FALSE(file.Place().ok);
  fs::remove(fifo);
  ASSERT_TRUE(file.Stage(fifo, "A=1\r\n").ok);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(file.Place().ok);
  EXPECT_TRUE(fs::is_fifo(fifo));
  fs::remove(fifo);
  ExpectOldFileAlone();
}

}  // namespace
}  // namespace gw20::eds
