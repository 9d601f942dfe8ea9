#include "batch/date_name.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include <cstdio>
#include <ctime>

#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void SetMtime(const fs::path& p, std::int64_t sec, long nsec) {
  const struct timespec times[2] = {{static_cast<time_t>(sec), 0}, {static_cast<time_t>(sec), nsec}};
  ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

std::int64_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

TEST(DateStamp, EvenSecondsAndBirthMilliseconds) {
  const struct {
    FileTimes times;
    const char* stamp;
  } cases[] = {
      {{LocalTime(2004, 3, 5, 14, 3, 7), 999999999, true, 123456789}, "040305_140306_123"},
      {{LocalTime(2004, 3, 5, 14, 3, 6), 0, true, 0}, "040305_140306_000"},
      {{LocalTime(1999, 12, 31, 23, 59, 59), 0, true, 999999999}, "991231_235958_999"},
      // No birth time: the last write's milliseconds stand in.
      {{LocalTime(2026, 1, 2, 3, 4, 5), 42000000, false, 0}, "260102_030404_042"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateStamp(c.times), c.stamp);
}

// The stamps of real files against python3's reading of `stat`, in the local time zone.
TEST(PlanDateNames, StampsMatchPython) {
  TempDir dir;
  const std::int64_t mtimes[] = {LocalTime(2004, 3, 5, 14, 3, 7), LocalTime(2010, 7, 1, 0, 0, 1),
                                 LocalTime(2021, 11, 30, 23, 59, 58), LocalTime(1995, 2, 28, 12, 30, 45)};
  std::vector<std::string> files;
  std::string args;
  for (std::size_t i = 0; i < std::size(mtimes); ++i) {
    const fs::path p = dir / ("p" + std::to_string(i) + (i % 2 ? ".JPG" : ".png"));
    test::WriteText(p, "x");
    SetMtime(p, mtimes[i], static_cast<long>(i) * 123000000);
    files.push_back(p.string());
    args += " '" + p.string() + "'";
  }
  test::WriteText(dir / "oracle.py",
                  "import subprocess, sys, time\n"
                  "for p in sys.argv[1:]:\n"
                  "    y, w = subprocess.check_output(['stat', '-c', '%.9Y %.9W', p]).decode().split()\n"
                  "    s, yns = y.split('.')\n"
                  "    ms = (int(w.split('.')[1]) if float(w) != 0 else int(yns)) // 10**6 % 1000\n"
                  "    t = time.localtime(int(s))\n"
                  "    print(time.strftime('%y%m%d_%H%M', t) + '%02d' % (t.tm_sec & ~1) + '_%03d' % ms)\n");
  FILE* pipe = ::popen(("python3 '" + (dir / "oracle.py").string() + "'" + args).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> expected;
  char line[128];
  while (std::fgets(line, sizeof line, pipe)) expected.emplace_back(line, std::strlen(line) - 1);
  ASSERT_EQ(::pclose(pipe), 0);
  ASSERT_EQ(expected.size(), files.size());
  const DateNamePlan plan = PlanDateNames(files, {});
  ASSERT_EQ(plan.steps.size(), files.size());
  for (std::size_t i = 0; i < files.size(); ++i)
    EXPECT_EQ(plan.steps[i].to, (dir / (expected[i] + fs::path(files[i]).extension().string())).string());
}

TEST(PlanDateNames, TakenNamesFallBackAndASecondRunChangesNothing) {
  TempDir dir;
  const std::int64_t t = LocalTime(2004, 3, 5, 14, 3, 7);
  for (const char* n : {"a.jpg", "b.jpg"}) {
    test::WriteText(dir / n, n);
    SetMtime(dir / n, t, 0);
  }
  // Both files carry the same stamp only when their birth milliseconds agree; the plan is
  // checked against whatever the file system gives.
  FileTimes ta, tb;
  ASSERT_TRUE(ReadFileTimes((dir / "a.jpg").string(), &ta));
  ASSERT_TRUE(ReadFileTimes((dir / "b.jpg").string(), &tb));
  const std::string sa = DateStamp(ta), sb = DateStamp(tb);
  test::WriteText(dir / (sa + ".jpg"), "foreign");  // a's name is held by another file
  const std::vector<std::string> files = {(dir / "a.jpg").string(), (dir / "b.jpg").string()};
  const DateNamePlan plan = PlanDateNames(files, {.addExtension = ""});
  ASSERT_EQ(plan.steps.size(), 2u);
  EXPECT_EQ(plan.steps[0].to, (dir / (sa + "~a.jpg")).string());
  EXPECT_EQ(plan.steps[1].to, (dir / (sb == sa ? sb + "~b.jpg" : sb + ".jpg")).string());
  const RenameReport r = ApplyRenames(plan.steps);
  EXPECT_TRUE(r.failures.empty());
  EXPECT_EQ(test::ReadBytes(dir / (sa + ".jpg")).size(), 7u);  // "foreign" kept
  std::vector<std::string> renamed;
  for (const RenameStep& s : plan.steps) renamed.push_back(s.to);
  EXPECT_TRUE(PlanDateNames(renamed, {}).steps.empty());
}

TEST(PlanDateNames, KeepNamesAndAddedExtension) {
  TempDir dir;
  test::WriteText(dir / "scan", "x");
  SetMtime(dir / "scan", LocalTime(2004, 3, 5, 14, 3, 7), 0);
  FileTimes t;
  ASSERT_TRUE(ReadFileTimes((dir / "scan").string(), &t));
  const std::string s = DateStamp(t);
  std::string ext;
  ASSERT_TRUE(NormaliseAddedExtension("jpg", &ext));
  EXPECT_EQ(PlanDateNames({(dir / "scan").string()}, {false, ext}).steps.at(0).to, (dir / (s + ".jpg")).string());
  EXPECT_EQ(PlanDateNames({(dir / "scan").string()}, {true, ext}).steps.at(0).to, (dir / (s + "~scan.jpg")).string());
  for (const char* bad : {"a/b", ".", "..", "x\ny", "\r"}) {
    std::string e;
    EXPECT_FALSE(NormaliseAddedExtension(bad, &e)) << bad;
  }
}

}  // namespace
}  // namespace pelira
