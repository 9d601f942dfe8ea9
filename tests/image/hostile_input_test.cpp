// Files that are not what their names say: FIFOs and devices under picture, text and
// metafile names, and whole-file reads of them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <fcntl.h>

#include "image/codec_registry.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
#include "image/pixel_limit.h"
#include "image/png_graphic.h"
#include "image/tiff_graphic.h"
#include "support/test_support.h"

namespace pelira {
namespace {

using test::TempDir;

// Runs fn on a thread of its own and says whether it ended in time; a call that blocks for
// ever is left behind (the process ends it at exit) instead of hanging the test program.
template <class Fn>
bool EndsWithin(std::chrono::seconds limit, Fn fn) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> f = done->get_future();
  std::thread([done, fn]() mutable {
    try {
      fn();
    } catch (...) {
    }
    done->set_value();
  }).detach();
  return f.wait_for(limit) == std::future_status::ready;
}

// Renderers that count their calls and read nothing, so a wrong road shows without hanging.
struct CountingRenderers {
  std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
  CountingRenderers() {
    auto c = calls;
    auto r = [c](const std::filesystem::path&, const PageRequest&) -> std::optional<Dib> {
      ++*c;
      return Dib(4, 4, 24);
    };
    SetPageRenderers(r, r);
  }
  ~CountingRenderers() { SetPageRenderers(nullptr, nullptr); }
};

TEST(HostileInput, FifoAndDeviceUnderEveryKindEndOnTheBlankPictureUnread) {
  TempDir dir;
  CountingRenderers renderers;
  for (const char* name : {"x.txt", "x.rtf", "x.wmf", "x.emf", "x.bmp", "x.png", "x.tif", "x.jpg", "x.psd"}) {
    const auto fifo = dir / (std::string("fifo_") + name);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto dev = dir / (std::string("zero_") + name);
    std::filesystem::create_symlink("/dev/zero", dev);
    for (const auto& p : {fifo, dev}) {
      TImageLoader l;
      OpenOutcome o = OpenOutcome::Image;
      ASSERT_TRUE(EndsWithin(std::chrono::seconds(20), [&] { o = l.Open(p.string()); })) << p;
      EXPECT_EQ(o, OpenOutcome::Blank) << p;
      EXPECT_NE(l.LastError().find("Not a regular file"), std::string::npos) << p << ": " << l.LastError();
    }
  }
  EXPECT_EQ(*renderers.calls, 0) << "no reader may be handed a FIFO or a device";
  // A real text file still takes its road.
  test::WriteText(dir / "real.txt", "hello");
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "real.txt").string()), OpenOutcome::Text);
  EXPECT_EQ(*renderers.calls, 1);
}

TEST(HostileInput, WholeFileReadsRefuseFifosAndDevicesAtOnce) {
  TempDir dir;
  const auto fifo = dir / "pipe.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::filesystem::path p : {fifo, std::filesystem::path("/dev/zero")}) {
    std::string message;
    ASSERT_TRUE(EndsWithin(std::chrono::seconds(20), [p, &message] {
      try {
        ReadFileBytes(p);
      } catch (const std::exception& e) {
        message = e.what();
      }
    })) << p;
    EXPECT_NE(message.find("Not a regular file"), std::string::npos) << p << ": " << message;
    EXPECT_THROW(ReadFilePrefix(p, 64), std::exception) << p;
  }
  EXPECT_EQ(RegularFileProblem(dir / "none.bmp"), "File not found");
  EXPECT_EQ(RegularFileProblem(dir.path()).rfind("Not a regular file", 0), 0u);
}

// A file grown to `size` bytes without writing them (a hole: no disk, no memory).
void GrowSparse(const std::filesystem::path& p, std::uint64_t size) {
  const int fd = ::open(p.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

// Lowers the pixel limit (and with it the file cap) for one test.
struct PixelLimit {
  std::uint64_t old = MaxImageBytes();
  explicit PixelLimit(std::uint64_t bytes) { SetMaxImageBytes(bytes); }
  ~PixelLimit() { SetMaxImageBytes(old); }
};

TEST(HostileInput, WholeFileReadsAreCappedByThePixelLimit) {
  PixelLimit limit(1 << 20);
  TempDir dir;
  test::WriteBytes(dir / "big.bin", Bytes(1000, 7));
  GrowSparse(dir / "big.bin", MaxFileBytes() + 1);
  std::string message;
  try {
    ReadFileBytes(dir / "big.bin");
  } catch (const std::exception& e) {
    message = e.what();
  }
  EXPECT_EQ(message, "File too large: " + (dir / "big.bin").string());
  // Exactly at the cap is still read; a prefix read is never refused.
  GrowSparse(dir / "big.bin", MaxFileBytes());
  EXPECT_EQ(ReadFileBytes(dir / "big.bin").size(), MaxFileBytes());
  EXPECT_EQ(ReadFilePrefix(dir / "big.bin", 64).size(), 64u);
}

// Whole reads give the file's bytes in a buffer of exactly their size (read once, never
// grown); files that say they are empty but are not (/proc) are read to their end.
TEST(HostileInput, WholeFileReadsAreExactAndFitTheirBuffer) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65537}, std::size_t{5} << 20}) {
    Bytes want(size);
    for (std::size_t i = 0; i < size; ++i) want[i] = static_cast<std::uint8_t>(i * 31 + i / 251);
    const auto p = dir / ("f" + std::to_string(size));
    test::WriteBytes(p, want);
    const Bytes got = ReadFileBytes(p);
    EXPECT_EQ(got, want) << size;
    EXPECT_EQ(got.capacity(), got.size()) << size;
    const Bytes head = ReadFilePrefix(p, 4096);
    EXPECT_EQ(head, Bytes(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(size, 4096))));
  }
  const Bytes status = ReadFileBytes("/proc/self/status");
  EXPECT_NE(std::string(status.begin(), status.end()).find("Name:"), std::string::npos);
}

// A small picture followed by far more than the cap: the probe reads a header prefix and the
// load reads only the picture's own chunks or strips, so the file still opens.
TEST(HostileInput, SmallPictureBeforeAHugeTailOpens) {
  PixelLimit limit(1 << 20);
  TempDir dir;
  Dib d(40, 30, 24);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) d.SetPixel(x, y, MakeColor(x * 6, y * 8, 77));
  TPngGraphic png;
  png.Assign(d);
  TTiffGraphic tif;
  tif.Assign(d);
  test::WriteBytes(dir / "tail.png", png.SaveToBytes());
  test::WriteBytes(dir / "tail.tif", tif.SaveToBytes());
  for (const char* name : {"tail.png", "tail.tif"}) {
    SCOPED_TRACE(name);
    GrowSparse(dir / name, MaxFileBytes() * 4);
    TImageLoader l;
    ASSERT_EQ(l.Open((dir / name).string()), OpenOutcome::Image) << l.LastError();
    EXPECT_EQ(l.workingBitmap.Width(), 40);
    EXPECT_EQ(l.workingBitmap.Pixel(39, 29), MakeColor(39 * 6, 29 * 8, 77));
  }
}

// Running out of memory during a load is reported as such, not as "std::bad_alloc".
TEST(HostileInput, OutOfMemorySaysSo) {
  class Greedy : public TDibGraphic {
  public:
    THeaderInfo ReadHeader(ByteSpan) override {
      THeaderInfo h;
      h.width = h.height = 100;
      h.bitsPerPixel = 24;
      return h;
    }
    void LoadFromFile(const std::filesystem::path&) override { throw std::bad_alloc(); }
  };
  OverrideCodecFactory(CodecKind::Tga, [] { return std::make_unique<Greedy>(); });
  TempDir dir;
  test::WriteBytes(dir / "a.tga", Bytes(100, 0));
  TImageLoader l;
  EXPECT_EQ(l.Open((dir / "a.tga").string()), OpenOutcome::Blank);
  OverrideCodecFactory(CodecKind::Tga, nullptr);
  EXPECT_EQ(l.LastError(), "Not enough memory to load the picture");
}

}  // namespace
}  // namespace pelira
