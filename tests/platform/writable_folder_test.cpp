#include "platform/ui/writable_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/test_services.h"

namespace gw20::ui {
namespace {

namespace fs = std::filesystem;

TEST(WritableFolderOr, OwnFolderWhenWritableElseTheWorkingOne) {
  testing::ScratchFolder scratch("folder");
  const fs::path own = scratch.Path() / "bin";
  const fs::path working = scratch.Path() / "work";
  fs::create_directories(own);
  fs::create_directories(working);
  EXPECT_EQ(WritableFolderOr(own, working), own);
  // A folder that is not there, or is a file, takes nothing.
  EXPECT_EQ(WritableFolderOr(scratch.Path() / "gone", working), working);
  std::ofstream(scratch.Path() / "file") << "x";
  EXPECT_EQ(WritableFolderOr(scratch.Path() / "file", working), working);
  // An installed program's folder takes nothing, even from root, who may write there.
  for (const char* system : {"/usr/bin", "/usr/local/bin", "/opt/gw20/bin", "/bin", "/usr/bin/../sbin"}) {
    EXPECT_TRUE(IsSystemFolder(system)) << system;
    EXPECT_EQ(WritableFolderOr(system, working), working) << system;
  }
  EXPECT_FALSE(IsSystemFolder(own));
  EXPECT_FALSE(IsSystemFolder("/usrlocal/bin"));

  // A read-only folder, as an installed program's. Permissions do not bind
  // the superuser: as root the decision is taken as nobody.
  constexpr uid_t kNobody = 65534;
  fs::permissions(own, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(2);
    _exit(WritableFolderOr(own, working) == working ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
}

}  // namespace
}  // namespace gw20::ui
