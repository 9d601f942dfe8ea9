#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "album/album_add.h"
#include "album/album_thumbs.h"
#include "cli/cli_call.h"
#include "common/app_paths.h"
#include "image/bmp_graphic.h"
#include "platform/statvfs_volume_source.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Bmp(const fs::path& p, int w, int h) {
  fs::create_directories(p.parent_path());
  const Bytes b = SaveWorkingBitmapBmp(test::PatternPicture(w, h));
  test::WriteBytes(p, std::vector<std::uint8_t>(b.begin(), b.end()));
  return p.string();
}

std::map<std::string, std::string> Lines(const std::string& out) {
  std::map<std::string, std::string> m;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) m[line.substr(0, line.find('\t'))] = line.substr(line.find('\t') + 1);
  return m;
}

TEST(CliThumbs, FillsTheCacheTheAlbumReads) {
  TempDir dir;
  const std::string a = Bmp(dir / "pics" / "a.bmp", 40, 30);
  const std::string b = Bmp(dir / "pics" / "B.BMP", 12, 40);
  const std::string deep = Bmp(dir / "pics" / "sub" / "c.bmp", 5, 5);
  test::WriteText(dir / "pics" / "broken.png", "not a png");
  test::WriteText(dir / "pics" / "notes.txt", "not a picture: not listed from a folder");

  const CliResult flat = Call({"thumbs", "--jobs", "1", (dir / "pics").string()});
  EXPECT_EQ(flat.rc, 1);
  EXPECT_NE(flat.err.find("broken.png: "), std::string::npos) << flat.err;
  const auto lines = Lines(flat.out);
  EXPECT_EQ(lines.size(), 2u) << flat.out;
  for (const auto& [path, thumb] : lines) {
    EXPECT_EQ(fs::path(thumb).parent_path().parent_path(), AppPaths::Data() / "pl00F846.thd");
    EXPECT_EQ(ThumbCache::Check(thumb), ThumbFileState::Present) << thumb;
  }

  // The album computes the same place for the same file.
  AlbumStore store;
  StatvfsVolumeSource volumes;
  AddRequest req;
  req.paths = {a, b};
  req.mode = AddMode::InOrder;
  req.volumes = &volumes;
  AddSlides(store, req);
  ThumbCache cache;
  for (std::size_t pos = 0; pos < 2; ++pos) {
    const std::string path = *store.SlideFullPath(store.At(pos));
    EXPECT_EQ(SlideThumbPath(store, store.MutableAt(pos), cache).file.string(), lines.at(path)) << path;
  }

  // -r reaches the subfolder; more workers give the same answers; made thumbnails are reused.
  const CliResult deepRun = Call({"thumbs", "-r", "--jobs", "3", (dir / "pics").string()});
  const auto deepLines = Lines(deepRun.out);
  EXPECT_EQ(deepLines.size(), 3u);
  EXPECT_EQ(deepLines.at(a), lines.at(a));
  EXPECT_TRUE(deepLines.count(deep));

  // Named files of other kinds share their kind's icon.
  const CliResult txt = Call({"thumbs", (dir / "pics" / "notes.txt").string()});
  EXPECT_EQ(txt.rc, 0) << txt.err;
  EXPECT_EQ(fs::path(Lines(txt.out).begin()->second).filename(), "TXT");

  const CliResult info = Call({"thumbs", "--info"});
  EXPECT_EQ(info.rc, 0);
  EXPECT_NE(info.out.find("cache\t" + (AppPaths::Data() / "pl00F846.thd").string() + "\n"), std::string::npos);
  EXPECT_NE(info.out.find("files\t4\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("size\t" + std::to_string(4 * 63558)), std::string::npos) << info.out;
}

TEST(CliThumbs, UsageErrors) {
  for (const Args& args : std::vector<Args>{{"thumbs"}, {"thumbs", "--jobs", "0", "x"}, {"thumbs", "--bogus"}}) {
    const CliResult r = Call(args);
    EXPECT_EQ(r.rc, 2) << args.back();
    EXPECT_FALSE(r.err.empty());
  }
  const CliResult missing = Call({"thumbs", "/nonexistent/file.jpg"});
  EXPECT_EQ(missing.rc, 1);
  EXPECT_NE(missing.err.find("no such file"), std::string::npos);
}

}  // namespace
}  // namespace pelira::cli
