// The files a gw20cli run writes are checked before anything is sent to a
// controller, and placed only once written in full.

#include "app/cli/output_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"
#include "tests/e2e/line_plan.h"
#include "tests/support/test_services.h"

namespace gw20::cli {
namespace {

namespace fs = std::filesystem;

// The plan's name in any spelling, or the file its name links to, and the
// EDS files' names are refused for what a run writes; so are a missing
// folder, a FIFO at an EDS file's name and a disk without room, all before
// anything is written. A disk that fills up later fails the write itself.
TEST(OutputFiles, NamesTakenOrUnfit_AreRefusedFirst_AFullDiskPlacesNothing) {
  const testing::ScratchFolder folder("outputs");
  const std::string dir = folder.Path().string();
  std::ofstream(folder / "plan.json") << "the plan";
  fs::create_symlink("plan.json", folder / "link.json");
  ASSERT_EQ(mkfifo((folder / "ZELKDNS 9.eds").c_str(), 0600), 0);
  const plans::Plan plan = testing::LinePlan(3);  // DeviceNet, node 7
  CliOptions options;
  const auto check = [&](std::vector<std::string> args) {
    args.insert(args.end(), {"--out", dir});
    options = ParseCliOptions(std::vector<std::string_view>(args.begin(), args.end()));
    return CheckOutputFiles(options, &plan).value_or("");
  };
  const std::string eds = dir + "/ZELKDNS 7.eds: that is the EDS file's name; the ";
  EXPECT_EQ(
      check({"apply", dir + "/link.json", "--record", dir + "/x/../plan.json"}),
      "--record " + dir + "/x/../plan.json: that is the plan's name; the record needs a name of its own");
  EXPECT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/ZELKDNS 7.eds"}),
            "--record " + eds + "record needs a name of its own");
  EXPECT_EQ(check({"batch", dir + "/plan.json", "--ports", "COM1,COM2", "--nodes", "7,8", "--report",
                   dir + "/ZELKDNS 7.eds"}),
            "--report " + eds + "report needs a name of its own");
  const std::string onlyRegular =
      ", not a regular file; the EDS file is written only as a new or regular file";
  EXPECT_EQ(check({"batch", dir + "/plan.json", "--ports", "COM1", "--nodes", "9"}),
            dir + "/ZELKDNS 9.eds: a FIFO" + onlyRegular);
  EXPECT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/gone/r.json"}),
            "--record " + dir + "/gone/r.json: No such file or directory");
  fs::rename(folder / "plan.json", folder / "ZELKDNS 7.eds");
  EXPECT_EQ(check({"eds", dir + "/ZELKDNS 7.eds"}),
            dir + "/ZELKDNS 7.eds: the EDS file would replace the plan; give --out another folder");
  EXPECT_EQ(testing::ReadFile(folder / "ZELKDNS 7.eds"), "the plan");
  fs::remove(folder / "ZELKDNS 7.eds");

  std::ofstream(folder / "r.json") << "old record";
  ASSERT_EQ(check({"apply", dir + "/plan.json", "--record", dir + "/r.json"}), "");
  const OutputFile record = OutputFileOf(options);
  const std::string big(std::size_t{64} << 10, 'r');
  std::optional<std::string> refused, failed;
  testing::WithFileSizeLimit(4096, [&] { refused = record.Check(), failed = record.Write(big); });
  EXPECT_EQ(refused, "--record " + dir + "/r.json: File too large");
  EXPECT_EQ(failed, "cannot write the record " + dir + "/r.json: File too large");
  EXPECT_EQ(testing::ReadFile(folder / "r.json"), "old record");
  EXPECT_EQ(record.Write(big), std::nullopt);
  EXPECT_TRUE(testing::ReadFile(folder / "r.json") == big);
  EXPECT_EQ(testing::Listing(folder.Path()),
            (std::vector<std::string>{"ZELKDNS 9.eds", "link.json", "r.json"}));
}

}  // namespace
}  // namespace gw20::cli
