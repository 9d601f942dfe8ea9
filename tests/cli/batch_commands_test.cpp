#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "cli/cli_call.h"
#include "cli/commands.h"
#include "cli/input_list.h"
#include "edit/save_as.h"
#include "image/codec_registry.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {
using namespace test;
namespace fs = std::filesystem;

std::map<std::string, std::vector<std::uint8_t>> Contents(const fs::path& dir) {
  std::map<std::string, std::vector<std::uint8_t>> out;
  for (const auto& e : fs::directory_iterator(dir)) out[e.path().filename().string()] = ReadBytes(e.path());
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// Pictures whose names collide once their extensions go: a.png, a.bmp, b.png ...
struct Pictures {
  Pictures() {
    const char* names[] = {"a.png", "a.bmp", "b.png", "c.png", "c.bmp", "d.png", "e.png", "f.bmp", "g.png"};
    int seed = 0;
    for (const char* n : names) {
      const fs::path p = dir / "in" / n;
      fs::create_directories(p.parent_path());
      WriteBytes(p, EncodeForSave(PatternPicture(9 + seed, 7, seed), fs::path(n).extension() == ".bmp" ? 1 : 3, {}));
      files.push_back(p.string());
      ++seed;
    }
    list = (dir / "list.txt").string();
    std::string text;
    for (auto it = files.rbegin(); it != files.rend(); ++it) text += *it + "\n";
    WriteText(list, text + files[0] + "\r\n\n");  // out of order, repeated, a CR and a blank line
  }
  TempDir dir;
  std::vector<std::string> files;
  std::string list;
};

TEST(ShardShare, DisjointCompleteAndNamesStayTogether) {
  std::vector<std::string> sorted;
  for (const char* n : {"x/a.bmp", "x/a.png", "x/b.png", "y/a.tif", "y/c.png", "y/d.png", "z/e.png"}) sorted.push_back(n);
  for (std::size_t n = 1; n <= 8; ++n) {
    std::multiset<std::string> all;
    std::map<std::string, std::size_t> shardOfStem;
    for (std::size_t i = 0; i < n; ++i)
      for (const std::string& f : ShardShare(sorted, i, n)) {
        all.insert(f);
        const auto [it, added] = shardOfStem.emplace(fs::path(f).stem().string(), i);
        EXPECT_EQ(it->second, i) << f << " of " << n;
      }
    EXPECT_EQ(all, std::multiset<std::string>(sorted.begin(), sorted.end())) << n;
  }
}

TEST(ParseShard, Forms) {
  const std::pair<const char*, bool> cases[] = {{"0/1", true}, {"3/4", true}, {"4/4", false}, {"0/0", false},
                                                {"-1/4", false}, {"1", false}, {"/4", false}, {"1/", false},
                                                {"a/b", false}, {"1/99999999999", false}};
  for (const auto& [text, ok] : cases) {
    std::size_t i = 0, n = 0;
    EXPECT_EQ(ParseShard(text, &i, &n), ok) << text;
  }
}

TEST(CliConvertBatch, ShardsTogetherWriteWhatOneRunWrites) {
  Pictures p;
  const fs::path whole = p.dir / "whole";
  fs::create_directory(whole);
  const CliResult one = Call({"convert-batch", "--to", "png", "--out", whole.string(), "--files-from", p.list});
  ASSERT_EQ(one.rc, 0) << one.err;
  const auto expected = Contents(whole);
  EXPECT_EQ(expected.size(), p.files.size());
  EXPECT_TRUE(expected.count("a-1.png") && expected.count("c-1.png"));
  for (const int n : {2, 3, 4}) {
    const fs::path shared = p.dir / ("shared" + std::to_string(n));
    fs::create_directory(shared);
    for (int i = 0; i < n; ++i) {
      const CliResult r = Call({"convert-batch", "--to", "png", "--out", shared.string(), "--files-from", p.list,
                                "--shard", std::to_string(i) + "/" + std::to_string(n)});
      ASSERT_EQ(r.rc, 0) << r.err;
    }
    EXPECT_EQ(Contents(shared), expected) << n;
  }
}

TEST(CliConvertBatch, NulListSummaryAndDryRun) {
  Pictures p;
  const fs::path out = p.dir / "out";
  fs::create_directory(out);
  WriteText(out / "b.jpg", "taken");
  std::string nul = p.files[2] + '\0' + (p.dir / "in" / "missing.png").string() + '\0';
  WriteText(p.dir / "list0", nul);
  const Args base = {"convert-batch", "--to", "jpg", "--out", out.string(), "-0", "--files-from", (p.dir / "list0").string()};
  Args dry = base;
  dry.push_back("--dry-run");
  const CliResult plan = Call(dry);
  EXPECT_EQ(plan.rc, 0);
  EXPECT_EQ(Lines(plan.out), (std::vector<std::string>{p.files[2] + "\t" + (out / "b-1.jpg").string(),
                                                       (p.dir / "in" / "missing.png").string() + "\t" +
                                                           (out / "missing.jpg").string()}));
  EXPECT_EQ(Contents(out).size(), 1u);
  Args summary = base;
  summary.insert(summary.end(), {"--summary", "json"});
  const CliResult r = Call(summary);
  EXPECT_EQ(r.rc, 1);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("{\"input\":\"" + p.files[2] + "\",\"status\":\"written\",\"output\":\"" +
                               (out / "b-1.jpg").string() + "\",\"seconds\":",
                           0),
            0u)
      << lines[0];
  EXPECT_NE(lines[1].find("\"status\":\"skipped\",\"output\":null"), std::string::npos) << lines[1];
  EXPECT_NE(r.err.find("Skipped: " + (p.dir / "in" / "missing.png").string()), std::string::npos) << r.err;
}

TEST(CliConvertBatch, UsageErrors) {
  const std::vector<Args> cases = {
      {"convert-batch", "--out", "/tmp", "x.png"},
      {"convert-batch", "--to", "gif", "--out", "/tmp", "x.png"},
      {"convert-batch", "--to", "png", "--out", "/tmp", "--shard", "2/2", "x.png"},
      {"convert-batch", "--to", "png", "--out", "/tmp", "--summary", "xml", "x.png"},
      {"renumber", "--prefix", "p", "--numeric-prefix", "x.png"},
      {"renumber", "--prefix", "a/b", "x.png"},
      {"datename"},
  };
  for (const Args& a : cases) EXPECT_EQ(Call(a).rc, 2) << a[1] << " " << a[2];
}

TEST(CliRun, FilesFromShardAndSummary) {
  Pictures p;
  WriteText(p.dir / "s.bip", "NEGATIVE\r\nSAVE=_n\r\n");
  const fs::path whole = p.dir / "whole", shared = p.dir / "shared";
  fs::create_directory(whole);
  fs::create_directory(shared);
  const Args base = {"run", (p.dir / "s.bip").string(), "--files-from", p.list, "--jobs", "2", "--type", "3"};
  Args one = base;
  one.insert(one.end(), {"--out", whole.string(), "--shard", "0/1", "--summary", "json"});
  const CliResult r = Call(one);
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), p.files.size());
  EXPECT_NE(r.out.find("\"output\":\"" + (whole / "a_n-1.png").string() + "\""), std::string::npos) << r.out;
  for (const char* s : {"0/2", "1/2"}) {
    Args part = base;
    part.insert(part.end(), {"--out", shared.string(), "--shard", s});
    const CliResult pr = Call(part);
    ASSERT_EQ(pr.rc, 0) << pr.err;
  }
  EXPECT_EQ(Contents(shared), Contents(whole));
}

TEST(CliRenames, DryRunPrintsThePlanAndTheRunFollowsIt) {
  TempDir dir;
  std::vector<std::string> files;
  for (const char* n : {"pic2.jpg", "pic1.jpg"}) {
    WriteText(dir / n, n);
    files.push_back((dir / n).string());
  }
  Args dry = {"renumber", "--prefix", "pic", "--dry-run"};
  dry.insert(dry.end(), files.begin(), files.end());
  const CliResult plan = Call(dry);
  EXPECT_EQ(plan.rc, 0);
  EXPECT_EQ(Lines(plan.out), (std::vector<std::string>{files[0] + "\t" + files[1], files[1] + "\t" + files[0]}));
  dry.erase(dry.begin() + 3);
  EXPECT_EQ(Call(dry).rc, 0);
  EXPECT_EQ(Contents(dir.path())["pic1.jpg"], std::vector<std::uint8_t>({'p', 'i', 'c', '2', '.', 'j', 'p', 'g'}));

  const CliResult names = Call({"datename", "--keep-names", "--add-ext", "x", "--dry-run", files[0]});
  EXPECT_EQ(names.rc, 0);
  ASSERT_EQ(Lines(names.out).size(), 1u);
  EXPECT_EQ(Lines(names.out)[0].substr(Lines(names.out)[0].size() - 11), "~pic2.jpg.x") << names.out;
}

}  // namespace
}  // namespace pelira::cli
