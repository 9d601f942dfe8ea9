// Saving the viewer's picture: every save type against every depth, read back through the
// loading pipeline and checked by independent tools; failed saves; the dialog's rules.
#include "edit/save_as.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "image/image_loader.h"
#include "viewer/bookmarks.h"
#include "image/library_codecs.h"
#include "imaging_library/image_ops.h"
#include "platform/scripted_ui.h"
#include "support/test_support.h"

using namespace pelira;
namespace fs = std::filesystem;

namespace {

// Output of a shell command (stderr with it), and its exit status.
std::string Shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  const int rc = pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

bool HaveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

struct Picture {
  const char* name;
  Dib dib;
};

RgbQuad Q(int r, int g, int b) { return RgbQuad{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r), 0}; }

// 21 x 13: odd sizes, so row padding and partial bytes are met.
Dib Pattern(int bits, const Palette& pal) {
  Dib d(21, 13, bits, pal);
  const int colours = bits == 24 ? 0 : static_cast<int>(pal.size());
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x) {
      if (bits == 24) d.SetPixel(x, y, MakeColor(x * 12, y * 19, (x * y) & 255));
      else d.SetIndex(x, y, static_cast<std::uint32_t>((x + 3 * y) % colours));
    }
  return d;
}

std::vector<Picture> Pictures() {
  std::vector<Picture> p;
  p.push_back({"1-bit black, white", Pattern(1, {Q(0, 0, 0), Q(255, 255, 255)})});
  p.push_back({"1-bit white, black", Pattern(1, {Q(255, 255, 255), Q(0, 0, 0)})});
  p.push_back({"1-bit red, blue", Pattern(1, {Q(200, 0, 0), Q(0, 0, 180)})});
  Palette p16;
  for (int i = 0; i < 16; ++i) p16.push_back(Q(i * 16, 255 - i * 16, (i * 97) & 255));
  p.push_back({"4-bit", Pattern(4, p16)});
  Palette p256;
  for (int i = 0; i < 256; ++i) p256.push_back(Q(i, (i * 7) & 255, 255 - i));
  p.push_back({"8-bit", Pattern(8, p256)});
  p.push_back({"8-bit gray", Pattern(8, Gray256Palette())});
  p.push_back({"24-bit", Pattern(24, {})});
  return p;
}

bool IsBlackWhitePair(const Dib& d) {
  const Palette& c = d.Colors();
  const RgbQuad k = Q(0, 0, 0), w = Q(255, 255, 255);
  return c.size() == 2 && ((c[0] == k && c[1] == w) || (c[0] == w && c[1] == k));
}

Dib Reload(const fs::path& file) {
  TImageLoader l;
  const OpenOutcome o = l.Open(file.string());
  if (o == OpenOutcome::Blank) return Dib();
  return std::move(l.workingBitmap);
}

// Largest difference over the channels of all pixels.
int WorstChannelError(const Dib& a, const Dib& b) {
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const ColorValue p = a.Pixel(x, y), q = b.Pixel(x, y);
      for (int s = 0; s < 24; s += 8) worst = std::max(worst, std::abs(int((p >> s) & 255) - int((q >> s) & 255)));
    }
  return worst;
}

int GrayOf(ColorValue c) { return (3 * RedOf(c) + 6 * GreenOf(c) + BlueOf(c)) / 10; }

struct Written {
  const char* oracle;     // a command run on the file ("%s" is the file)
  const char* expect;     // what its output holds
};

Written OracleFor(int type) {
  switch (type) {
    case 1: return {"identify -format '%m' %s", "BMP"};
    case 2: return {"identify -format '%m' %s", "PCX"};
    case 3: return {"pngcheck %s", "OK"};
    case 4: return {"jpeginfo -c %s; identify -format '%[type]' %s", "Grayscale"};
    case 5: return {"jpeginfo -c %s", "OK"};
    case 6: return {"identify -format '%m' %s", "TGA"};
    case 7: return {"tiffinfo %s", "Compression Scheme: None"};
    case 8: return {"tiffdump %s", "Compression (259) SHORT (3) 1<32946>"};
    case 9: return {"tiffdump %s", "Compression (259) SHORT (3) 1<8>"};
    case 10: return {"tiffinfo %s", "CCITT Group 3"};
    case 11: return {"tiffinfo %s", "CCITT Group 4"};
    case 12: return {"tiffinfo %s", "PackBits"};
    default: return {"", ""};
  }
}

std::string Substitute(std::string cmd, const std::string& file) {
  for (std::size_t at; (at = cmd.find("%s")) != std::string::npos;) cmd.replace(at, 2, "'" + file + "'");
  return cmd;
}

}  // namespace

TEST(SaveAs, EveryTypeKeepsThePictureItsFormatCanHold) {
  for (const char* tool : {"identify", "pngcheck", "jpeginfo", "tiffinfo", "tiffdump"})
    ASSERT_TRUE(HaveTool(tool)) << tool << " is needed (scripts/deps.sh installs it)";
  test::TempDir dir;
  ScriptedUi ui;
  for (Picture pic : Pictures()) {
    const Dib before = pic.dib;
    for (int type = 1; type <= SaveTypesOffered(pic.dib.BitCount()); ++type) {
      SCOPED_TRACE(std::string(pic.name) + ", type " + std::to_string(type));
      PictureState s;
      s.ImageModified = true;
      const fs::path file = dir / ("t" + std::to_string(type) + "." + SaveTypeOf(type).extension);
      const SaveOutcome o = SavePicture(s, pic.dib, {file.string(), type, {}, false}, ui);
      // Fax pages and 1-bit PCX files are black on white: a pair of other colours keeps only
      // which of the two is darker.
      const bool toneOnly = (type == 2 || type == 10 || type == 11) && pic.dib.BitCount() == 1 && !IsBlackWhitePair(pic.dib);
      ASSERT_EQ(o, SaveOutcome::Saved) << (ui.Texts().empty() ? "" : ui.Texts().back());
      EXPECT_FALSE(s.ImageModified);
      EXPECT_EQ(s.CurrentFile, file.string());
      // The working picture is never changed by a save.
      ASSERT_EQ(pic.dib.ImageSize(), before.ImageSize());
      EXPECT_EQ(std::memcmp(pic.dib.Bits(), before.Bits(), before.ImageSize()), 0);
      EXPECT_EQ(pic.dib.Colors(), before.Colors());

      const Written w = OracleFor(type);
      int rc = 0;
      const std::string said = Shell(Substitute(w.oracle, file.string()), &rc);
      EXPECT_EQ(rc, 0) << said;
      EXPECT_NE(said.find(w.expect), std::string::npos) << said;

      const Dib back = Reload(file);
      ASSERT_FALSE(back.Empty());
      ASSERT_EQ(back.Width(), before.Width());
      ASSERT_EQ(back.Height(), before.Height());
      if (type == 4) {
        // Gray JPEG: the reading is gray and near the picture's gray.
        int worst = 0;
        for (int y = 0; y < back.Height(); ++y)
          for (int x = 0; x < back.Width(); ++x)
            worst = std::max(worst, std::abs(GrayOf(back.Pixel(x, y)) - GrayOf(before.Pixel(x, y))));
        EXPECT_LE(worst, 80);
        EXPECT_EQ(back.BitCount(), 8);
      } else if (type == 5) {
        EXPECT_EQ(back.BitCount(), 24);
        long total = 0;
        for (int y = 0; y < back.Height(); ++y)
          for (int x = 0; x < back.Width(); ++x) total += std::abs(GrayOf(back.Pixel(x, y)) - GrayOf(before.Pixel(x, y)));
        EXPECT_LE(total / (back.Width() * back.Height()), 24);
      } else if (toneOnly) {
        for (int y = 0; y < back.Height(); ++y)
          for (int x = 0; x < back.Width(); ++x) {
            const ColorValue other = before.Pixel(x, y) == before.Pixel(0, 0) ? before.Pixel(1, 0) : before.Pixel(0, 0);
            const bool darker = GrayOf(before.Pixel(x, y)) < GrayOf(other);
            EXPECT_EQ(back.Pixel(x, y), darker ? 0x000000u : 0xFFFFFFu) << x << "," << y;
          }
      } else {
        EXPECT_EQ(WorstChannelError(back, before), 0);
        if (type == 1) EXPECT_EQ(back.BitCount(), before.BitCount());
      }
    }
  }
}

TEST(SaveAs, ProgressiveAndInterlaceFollowTheOption) {
  test::TempDir dir;
  ScriptedUi ui;
  Dib pic = Pattern(24, {});
  for (const bool progressive : {false, true}) {
    PictureState s;
    const fs::path png = dir / "p.png", jpg = dir / "p.jpg";
    ASSERT_EQ(SavePicture(s, pic, {png.string(), 3, {50, progressive}, false}, ui), SaveOutcome::Saved);
    ASSERT_EQ(SavePicture(s, pic, {jpg.string(), 5, {50, progressive}, false}, ui), SaveOutcome::Saved);
    EXPECT_EQ(Shell("identify -format '%[interlace]' '" + png.string() + "'"), progressive ? "PNG" : "None");
    EXPECT_EQ(Shell("identify -format '%[interlace]' '" + jpg.string() + "'"), progressive ? "JPEG" : "None");
  }
}

TEST(SaveAs, SixteenColoursMakeAFourBitBmp) {
  test::TempDir dir;
  ScriptedUi ui;
  PictureState s;
  Palette p16(Color16Palette());
  Dib pic = Pattern(4, p16);
  ASSERT_EQ(SavePicture(s, pic, {(dir / "a.bmp").string(), 1, {}, false}, ui), SaveOutcome::Saved);
  const std::vector<std::uint8_t> b = test::ReadBytes(dir / "a.bmp");
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(b[28] | b[29] << 8, 4);  // biBitCount
}

TEST(SaveAs, AFailedSaveKeepsTheOldFileAndTheModifiedMark) {
  struct Case { const char* name; int type; bool readOnlyFolder; const char* cause; };
  const Case cases[] = {
      {"read-only folder", 3, true, "Permission denied"},
      {"writer refuses: fax TIFF of a colour picture", 11, false, "not supported with 24bpp"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.readOnlyFolder && geteuid() == 0) continue;  // root writes into read-only folders
    test::TempDir dir;
    ScriptedUi ui;
    const fs::path folder = dir / "f";
    fs::create_directories(folder);
    const fs::path file = folder / "old.tif";
    test::WriteText(file, "old");
    if (c.readOnlyFolder) fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    PictureState s;
    s.CurrentFile = "/pics/a.jpg";
    s.ImageModified = true;
    BookmarkList marks;
    marks.Assign({"/pics/a.jpg"});
    Dib pic = Pattern(24, {});
    const SaveOutcome o = SavePicture(s, pic, {file.string(), c.type, {}, false}, ui, FileSavedIn(marks));
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(o, SaveOutcome::WriteFailed);
    EXPECT_TRUE(s.ImageModified);
    EXPECT_EQ(s.CurrentFile, "/pics/a.jpg");
    EXPECT_EQ(marks.Entries(), std::vector<std::string>{"/pics/a.jpg"});
    EXPECT_EQ(test::ReadBytes(file), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(folder)) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);  // no temporary left beside it
    ASSERT_EQ(ui.Texts().size(), 1u);
    // The box names the file, then why it could not be written.
    const std::string head = "Pelira 7.7 Write failure.\nSave Format=" + std::to_string(c.type) + "\n" + file.string() + "\n";
    EXPECT_EQ(ui.Texts()[0].substr(0, head.size()), head);
    EXPECT_NE(ui.Texts()[0].find(c.cause, head.size()), std::string::npos) << ui.Texts()[0];
  }
}

// A file without write permission is replaced only when the user said Yes to "Overwrite?",
// and keeps its mode.
TEST(SaveAs, AReadOnlyFileIsReplacedOnlyAfterTheOverwriteAnswer) {
  test::TempDir dir;
  const fs::path file = dir / "ro.png";
  test::WriteText(file, "old");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  for (const bool confirmed : {false, true}) {
    ScriptedUi ui;
    PictureState s;
    Dib pic = Pattern(24, {});
    SaveRequest r{file.string(), 3, {}, false};
    r.overwriteConfirmed = confirmed;
    EXPECT_EQ(SavePicture(s, pic, r, ui), confirmed ? SaveOutcome::Saved : SaveOutcome::WriteFailed) << confirmed;
    EXPECT_EQ(test::ReadBytes(file).size() == 3, !confirmed) << confirmed;
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::group_read);
  }
}

TEST(SaveAs, AFullDiskWritesNothing) {
  test::TempDir dir;
  ScriptedUi ui;
  PictureState s;
  s.ImageModified = true;
  Dib pic(1000, 1000, 24);
  const fs::path file = dir / "big.png";
  const FreeSpaceFn hundredKb = [](const fs::path&) { return std::optional<std::uint64_t>(100 * 1024); };
  EXPECT_EQ(SavePicture(s, pic, {file.string(), 3, {}, false}, ui, {}, hundredKb), SaveOutcome::NoSpace);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(s.ImageModified);
  ASSERT_EQ(ui.Texts().size(), 1u);
  EXPECT_EQ(ui.Texts()[0], "Insufficient disk space.\nReq.: 2928 Kb\nFree: 100 Kb\n\nSave operation failed.");
  // Beyond 4 GiB both sides are counted in full (64 bits).
  const FreeSpaceFn fiveGb = [](const fs::path&) { return std::optional<std::uint64_t>(5ull << 30); };
  EXPECT_EQ(SavePicture(s, pic, {file.string(), 1, {}, false}, ui, {}, fiveGb), SaveOutcome::Saved);
  EXPECT_EQ(DiskSpaceText(6ull << 30, 5ull << 30).substr(0, 41), "Insufficient disk space.\nReq.: 6291456 Kb");
}

TEST(SaveAs, SuccessMakesTheFileCurrentAndABookmarkOutsideBatchMode) {
  test::TempDir dir;
  ScriptedUi ui;
  const fs::path file = dir / "a.png";
  for (const bool batch : {false, true}) {
    PictureState s;
    s.CurrentFile = "/pics/a.jpg";
    s.ImageModified = true;
    BookmarkList marks;
    marks.Assign({"/pics/a.jpg"});
    Dib pic = Pattern(8, Gray256Palette());
    ASSERT_EQ(SavePicture(s, pic, {file.string(), 3, {}, batch}, ui, FileSavedIn(marks)), SaveOutcome::Saved);
    EXPECT_FALSE(s.ImageModified);
    if (batch) {
      EXPECT_EQ(s.CurrentFile, "/pics/a.jpg");
      EXPECT_EQ(marks.Count(), 1u);
    } else {
      EXPECT_EQ(s.CurrentFile, file.string());
      EXPECT_EQ(s.CurrentExt, ".PNG");
      EXPECT_EQ(marks.Entries(), (std::vector<std::string>{file.string(), "/pics/a.jpg"}));
    }
  }
}

TEST(SaveAs, NamesAndTypes) {
  struct Case { const char* typed; const char* ext; const char* completed; };
  const Case cases[] = {
      {"scan.tif", "png", "scan.png"},     {"photo", "png", "photo.png"}, {"photo.bmp", "png", "photo.png"},
      {"a.PNG", "png", "a.PNG"},           {"my.photo", "jpg", "my.jpg"}, {"trailing.", "tga", "trailing.tga"},
      {"/d.ir/name", "bmp", "/d.ir/name.bmp"},
  };
  for (const Case& c : cases) EXPECT_EQ(CompleteSaveName(c.typed, c.ext), c.completed) << c.typed;
  EXPECT_EQ(SaveTypesOffered(1), 12);
  for (int bits : {4, 8, 24}) EXPECT_EQ(SaveTypesOffered(bits), 9);
  EXPECT_EQ(SaveDialogFilter(8).substr(0, 46), "BMP (Windows Bitmap)|*.bmp|PCX (Zsoft Paintbru");
  EXPECT_EQ(SaveDialogFilter(1).substr(SaveDialogFilter(1).size() - 26), "|TIF (Packbits TIFF)|*.tif");
  EXPECT_EQ(ProposedSaveName("/pics/holiday.2.jpg", "_b"), "holiday.2_b");
  EXPECT_EQ(OverwriteQuestion("/pics/a.png"), "a.png exists.\nOverwrite?");
  EXPECT_EQ(JpegSaveScale(200), 50);
}

// The JPEG wizard's Save As: every depth is written whole and in true colour; a file that cannot be written says why and leaves nothing behind.
TEST(SaveAs, TheJpegWizardSavesTheWholePictureInTrueColour) {
  test::TempDir dir;
  TJpegWizardSettings s;
  s.scale = 95;
  for (const Picture& p : Pictures()) {
    SCOPED_TRACE(p.name);
    const fs::path file = dir / "wizard.jpg";
    const WriteResult w = SaveWizardJpeg(p.dib, s, file.string());
    ASSERT_TRUE(w) << w.message;
    const Dib back = Reload(file);
    ASSERT_EQ(back.Width(), p.dib.Width());
    ASSERT_EQ(back.Height(), p.dib.Height());
    EXPECT_EQ(back.BitCount(), 24);
    EXPECT_EQ(test::ReadBytes(file), EncodeWizardJpeg(p.dib.BitCount() == 24 ? p.dib : ToTrueColor(p.dib), s));
  }
  const fs::path nowhere = dir / "missing" / "w.jpg";
  const WriteResult w = SaveWizardJpeg(Pictures().back().dib, s, nowhere.string());
  EXPECT_FALSE(w);
  EXPECT_FALSE(w.message.empty());
  EXPECT_FALSE(fs::exists(dir / "missing"));
}
