#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "cli/cli_call.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

namespace fs = std::filesystem;

void Make(const fs::path& p, std::size_t size, std::int64_t mtime) {
  test::WriteText(p, std::string(size, 'x'));
  const struct timespec t[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
  ::utimensat(AT_FDCWD, p.c_str(), t, 0);
}

TEST(LsCommand, PrintsTheListingInTheChosenOrder) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  test::TempDir dir;
  Make(dir / "b.jpg", 30, 1'000'000'000);
  Make(dir / "A.png", 10, 1'100'000'000);
  Make(dir / "empty.jpg", 0, 1'000'000'000);
  fs::create_directory(dir / "sub");
  const std::string d = dir.path().string();

  const CliResult byName = Call({"ls", d});
  ASSERT_EQ(byName.rc, 0) << byName.err;
  // Dates from python3: time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(t)).
  const std::string aRow = "file\t10\t2004-11-09 11:33:20\tA.png\n";
  const std::string bRow = "file\t30\t2001-09-09 01:46:40\tb.jpg\n";
  EXPECT_EQ(byName.out.substr(0, 7), "folder\t");
  EXPECT_NE(byName.out.find(aRow + bRow), std::string::npos);

  const CliResult bySize = Call({"ls", "--sort", "size-", d});
  EXPECT_EQ(bySize.out.substr(0, bySize.out.find("\nfolder")), bRow + aRow.substr(0, aRow.size() - 1));
  const CliResult reversed = Call({"ls", "-r", d});
  EXPECT_EQ(reversed.out.substr(0, bRow.size() + aRow.size()), bRow + aRow);

  const struct {
    Args args;
    int rc;
  } bad[] = {{{"ls"}, 2}, {{"ls", "--sort", "bogus", d}, 2}, {{"ls", "--sort"}, 2},
             {{"ls", "-x", d}, 2}, {{"ls", d, d}, 2}, {{"ls", d + "/missing"}, 1}};
  for (const auto& c : bad) EXPECT_EQ(Call(c.args).rc, c.rc) << c.args.back();
}

}  // namespace
}  // namespace pelira::cli
