#include "batch/batch_convert.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "image/image_loader.h"
#include "image/jpeg_image.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

Dib Load(const fs::path& p) {
  TImageLoader l;
  EXPECT_EQ(l.Open(p.string()), OpenOutcome::Image) << p;
  return std::move(l.workingBitmap);
}

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  char buf[256];
  while (pipe && std::fgets(buf, sizeof buf, pipe)) out += buf;
  if (pipe) ::pclose(pipe);
  return out;
}

bool HaveImageMagick() { return Shell("command -v identify-im6.q16").find("identify") != std::string::npos; }

class BatchConvertTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directory(dir / "out");
    source = dir / "photo.png";
    test::WriteBytes(source, EncodeForSave(test::PatternPicture(37, 23, 4), 3, {}));
    settings.folder = dir / "out";
  }
  std::vector<std::string> OutFiles() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "out")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir dir;
  fs::path source;
  ConvertSettings settings;
};

TEST_F(BatchConvertTest, EveryTargetDecodesToTheSourcePicture) {
  const char* magick[] = {"JPEG", "BMP3", "PNG", "TIFF", "TGA", "PCX"};
  const Dib original = Load(dir / "photo.png");
  for (int tag = 0; tag < kConvertTargetCount; ++tag) {
    SCOPED_TRACE(ConvertExtension(tag));
    settings.tag = tag;
    const ConvertRun run = ConvertBatch({source.string()}, settings);
    ASSERT_EQ(run.items.size(), 1u);
    ASSERT_EQ(run.items[0].status, ConvertStatus::Written) << run.items[0].message;
    const fs::path out = dir / "out" / (std::string("photo.") + ConvertExtension(tag));
    EXPECT_EQ(run.items[0].output, out.string());
    const Dib back = Load(out);
    EXPECT_EQ(back.Width(), 37);
    EXPECT_EQ(back.Height(), 23);
    if (tag != 0) EXPECT_TRUE(test::SamePixels(back, original));
    if (!HaveImageMagick()) continue;
    EXPECT_EQ(Shell("identify-im6.q16 -format '%m %w %h' '" + out.string() + "'"), std::string(magick[tag]) + " 37 23");
    // ImageMagick 6 reads a bottom-left Targa (descriptor 0) upside down; our own decode
    // above checks that one.
    if (tag != 0 && tag != 4)
      EXPECT_EQ(Shell("compare-im6.q16 -metric AE '" + out.string() + "' '" + (dir / "photo.png").string() + "' null:"),
                "0");
  }
  const auto jpg = test::ReadBytes(dir / "out" / "photo.jpg");
  const std::string comment = BatchJpegCommentText();
  EXPECT_NE(std::search(jpg.begin(), jpg.end(), comment.begin(), comment.end()), jpg.end());
  if (HaveImageMagick())
    EXPECT_NE(Shell("identify-im6.q16 -verbose '" + (dir / "out" / "photo.tif").string() + "'").find("Zip"),
              std::string::npos);
}

TEST_F(BatchConvertTest, SecondRunTakesTheNextNameAndDuplicatesRunOnce) {
  settings.tag = 2;
  const fs::path jpeg = dir / "photo.jpeg";
  fs::copy_file(test::Fixture("codecs/jpeg/base444.jpg"), jpeg);
  ConvertBatch({jpeg.string(), jpeg.string()}, settings);
  ConvertBatch({jpeg.string()}, settings);
  EXPECT_EQ(OutFiles(), (std::vector<std::string>{"photo-1.png", "photo.png"}));
}

TEST_F(BatchConvertTest, UnreadableFilesAreSkippedAndLoggedNeverWrittenBlank) {
  test::WriteText(dir / "broken.jpg", "not a jpeg at all");
  test::WriteText(dir / "notes.txt", "hello");
  settings.tag = 1;
  const std::vector<std::string> files = {(dir / "broken.jpg").string(), (dir / "notes.txt").string(), source.string()};
  const ConvertRun run = ConvertBatch(files, settings);
  EXPECT_FALSE(run.aborted);
  EXPECT_EQ(run.log, (std::vector<std::string>{"Skipped: " + files[0], "Skipped: " + files[1]}));
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"photo.bmp"});
  ASSERT_TRUE(WriteExceptionLog(dir / kExceptionLogName, run.log));
  const auto log = test::ReadBytes(dir / kExceptionLogName);
  EXPECT_EQ(std::string(log.begin(), log.end()), "Skipped: " + files[0] + "\r\nSkipped: " + files[1] + "\r\n");
}

TEST_F(BatchConvertTest, WorkerThreadsWriteWhatOneJobWrites) {
  std::vector<std::string> files;
  for (int i = 0; i < 7; ++i) {
    const fs::path p = dir / (i % 3 ? "a" + std::to_string(i) + ".png" : "same" + std::string(i ? ".bmp" : ".png"));
    if (i % 3) test::WriteBytes(p, EncodeForSave(test::PatternPicture(20 + i, 9, i), 3, {}));
    else if (!fs::exists(p)) test::WriteBytes(p, EncodeForSave(test::PatternPicture(11, 5, i), i ? 1 : 3, {}));
    files.push_back(p.string());
  }
  files.push_back((dir / "same.bmp").string());
  std::map<std::string, std::vector<std::uint8_t>> result[2];
  for (const int jobs : {1, 3}) {
    fs::remove_all(dir / "out");
    fs::create_directory(dir / "out");
    settings.tag = 0;
    ConvertBatch(files, settings, jobs);
    for (const std::string& n : OutFiles()) result[jobs == 3][n] = test::ReadBytes(dir / "out" / n);
  }
  EXPECT_EQ(result[0].size(), 6u);  // same.png and same.bmp share a name: same.jpg, same-1.jpg
  EXPECT_TRUE(result[0].count("same-1.jpg"));
  EXPECT_EQ(result[0], result[1]);
}

TEST_F(BatchConvertTest, NoSpaceAndStopLeaveNothingHalfDone) {
  settings.tag = 2;
  settings.freeSpace = [](const fs::path&) { return std::optional<std::uint64_t>(30000); };
  fs::copy_file(source, dir / "second.png");
  const ConvertRun full = ConvertBatch({source.string(), (dir / "second.png").string()}, settings, 2);
  EXPECT_TRUE(full.aborted);
  EXPECT_EQ(full.abortText, "Insufficient disk space.\nReq.: 34 Kb\nFree: 29 Kb\n\nBatch cancelled.");
  EXPECT_TRUE(OutFiles().empty());

  settings.freeSpace = AvailableBytes;
  fs::copy_file(source, dir / "third.png");
  std::size_t calls = 0;
  const ConvertRun stopped = ConvertBatch({source.string(), (dir / "second.png").string(), (dir / "third.png").string()},
                                          settings, 3, [&](std::size_t, std::size_t, const ConvertItem&) {
                                            ++calls;
                                            return false;
                                          });
  EXPECT_EQ(calls, 1u);
  EXPECT_EQ(stopped.items.size(), 1u);
  EXPECT_EQ(OutFiles(), std::vector<std::string>{"photo.png"});  // no staged temporaries left
}

TEST_F(BatchConvertTest, ScriptRunsOnEachPictureBeforeItIsWritten) {
  settings.tag = 2;
  settings.script = {"NEGATIVE"};
  ConvertBatch({source.string()}, settings);
  Dib expected = Load(dir / "photo.png");
  const Dib back = Load(dir / "out" / "photo.png");
  ASSERT_EQ(back.Width(), expected.Width());
  for (int y = 0; y < back.Height(); ++y)
    for (int x = 0; x < back.Width() * 3; ++x)
      ASSERT_EQ(back.ScanLine(y)[x], 255 - expected.ScanLine(y)[x]) << x << "," << y;
}

TEST(ConvertTexts, TitlesAndQuestions) {
  EXPECT_EQ(ConvertFolderTitle(3, 0), "Write 3 .JPG files in");
  EXPECT_EQ(ConvertFolderTitle(12, 3), "Write 12 .TIF files in");
  EXPECT_EQ(SkippedFilesQuestion(2), "2 file(s) skipped.  Some files may be opened and processed manually.\nView log?");
  EXPECT_EQ(ConvertTagOf(".JPEG"), 0);
  EXPECT_EQ(ConvertTagOf("tiff"), 3);
  EXPECT_EQ(ConvertTagOf("gif"), -1);
}

}  // namespace
}  // namespace pelira
