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

#include "image/codec_registry.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
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

}  // namespace
}  // namespace pelira
