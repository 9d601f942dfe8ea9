// pelira-cli run as a batch tool under stress: a signal in the middle of a run, a disk that
// fills up, a truncated picture. Signals and mounts are tried on the real program in a child
// process, so the test program itself is never the one stopped.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "cli/cli_call.h"
#include "image/codec_registry.h"
#include "image/jpeg_image.h"
#include "support/test_pictures.h"
#include "support/test_support.h"

namespace pelira::cli {
namespace {
using namespace test;
namespace fs = std::filesystem;

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> n;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

// Starts argv with TMPDIR set; returns the child's pid. Wait gives its exit status, or
// minus the signal that killed it.
pid_t Spawn(const std::vector<std::string>& argv, const fs::path& tmp) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("TMPDIR", tmp.c_str(), 1);
    std::vector<char*> a;
    for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    ::execvp(a[0], a.data());
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int ws = 0;
  ::waitpid(pid, &ws, 0);
  return WIFEXITED(ws) ? WEXITSTATUS(ws) : -WTERMSIG(ws);  // killed: it had no say
}

struct Batch {
  explicit Batch(int count) {
    fs::create_directory(in);
    fs::create_directory(out);
    fs::create_directory(tmp);
    const auto png = SaveWriterFor(3)(PatternPicture(60, 40), SaveOptions{});
    for (int i = 0; i < count; ++i) {
      const fs::path p = in / ("p" + std::to_string(1000 + i) + ".png");
      WriteBytes(p, png);
      files.push_back(p.string());
    }
    WriteText(script, "NEGATIVE\r\nSAVE=_n\r\n");
  }
  TempDir dir;
  fs::path in = dir.path() / "in", out = dir.path() / "out", tmp = dir.path() / "tmp";
  std::string script = (dir.path() / "s.bip").string();
  std::vector<std::string> files;
};

// SIGINT and SIGTERM in the middle of a run: no more files are taken, the workers end, no
// temporary stays behind (staged pictures in the output folder, the run's own folder), and
// the exit status says which signal it was.
TEST(CliRunStops, OnSignalsWithoutLeavingTemporaries) {
  for (const int sig : {SIGINT, SIGTERM}) {
    Batch b(400);
    std::vector<std::string> argv = {PELIRA_CLI_PROGRAM, "run", b.script, "--jobs", "2", "--out", b.out.string()};
    argv.insert(argv.end(), b.files.begin(), b.files.end());
    const pid_t pid = Spawn(argv, b.tmp);
    // Once the first pictures are there the run is under way.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Entries(b.out).size() < 3 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, sig);
    EXPECT_EQ(Wait(pid), 128 + sig);
    const auto saved = Entries(b.out);
    EXPECT_LT(saved.size(), b.files.size()) << "the run ended before the signal";
    for (const std::string& n : saved) EXPECT_EQ(n.rfind(".pelira-run", 0), std::string::npos) << n;
    EXPECT_TRUE(Entries(b.tmp).empty());
    // Only whole pictures, named in file order from the first.
    for (std::size_t i = 0; i < saved.size(); ++i)
      EXPECT_EQ(saved[i], "p" + std::to_string(1000 + i) + "_n.png");
  }
}

// A disk that fills up stops the run at the first failure instead of decoding every file
// left; the folder's own temporaries go. The small disk is a tmpfs in a private mount
// namespace, where the system allows one.
TEST(CliRunStops, AtTheFirstFullDisk) {
  if (std::system("unshare --mount --map-root-user true >/dev/null 2>&1") != 0 &&
      std::system("unshare --mount true >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "no private mount namespace here";
  Batch b(30);
  const auto big = SaveWriterFor(3)(PatternPicture(400, 300), SaveOptions{});
  for (const std::string& f : b.files) WriteBytes(f, big);  // ~360 KB each as PNG
  std::string cmd = "mount -t tmpfs -o size=1m tmpfs '" + b.out.string() + "' && exec '" PELIRA_CLI_PROGRAM "' run '" +
                    b.script + "' --jobs 2 --out '" + b.out.string() + "'";
  for (const std::string& f : b.files) cmd += " '" + f + "'";
  const std::string map = std::system("unshare --mount --map-root-user true >/dev/null 2>&1") == 0 ? " --map-root-user" : "";
  const fs::path err = b.dir.path() / "err.txt";
  const int rc = std::system(("TMPDIR='" + b.tmp.string() + "' unshare --mount" + map + " sh -c \"" + cmd + "\" 2>'" +
                              err.string() + "'").c_str());
  ASSERT_TRUE(WIFEXITED(rc));
  EXPECT_EQ(WEXITSTATUS(rc), 1);
  const auto raw = ReadBytes(err);
  const std::string text(raw.begin(), raw.end());
  EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
  EXPECT_NE(text.find("the disk is full; the run stopped with "), std::string::npos) << text;
  // One failure line, not one a file.
  EXPECT_EQ(text.find("No space left on device"), text.rfind("No space left on device")) << text;
  EXPECT_TRUE(Entries(b.tmp).empty());
}

// A truncated JPEG is decoded as far as it goes, saved, and reported as a problem input.
TEST(CliRunStops, TruncatedJpegIsWarnedAbout) {
  Batch b(0);
  TJPEGImage j;
  j.Assign(PatternPicture(64, 48));
  Bytes whole;
  j.SaveToStream(whole);
  const fs::path cut = b.in / "cut.jpg", fine = b.in / "fine.jpg";
  WriteBytes(fine, whole);
  WriteBytes(cut, std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
  const CliResult r = Call({"run", b.script, "--out", b.out.string(), "--jobs", "1", fine.string(), cut.string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("warning: " + cut.string() + ": Premature end of JPEG file"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(fine.string()), std::string::npos) << r.err;
  EXPECT_EQ(Entries(b.out), (std::vector<std::string>{"cut_n.png", "fine_n.png"}));
}

}  // namespace
}  // namespace pelira::cli
