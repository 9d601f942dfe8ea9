// pelira-cli show frames: the frames of one transition, drawn by the slideshow's renderer
// from two pictures placed as the player places them, written as PNG files.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "image/file_bytes.h"
#include "image/image_loader.h"
#include "slideshow/effects_table.h"
#include "slideshow/slide_layout.h"
#include "slideshow/transition_frame.h"
#include "edit/save_as.h"

namespace pelira::cli {

namespace {

bool ParseNumber(const std::string& s, long long lo, long long hi, long long* out) {
  if (s.empty() || s.size() > 18) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  const long long v = std::stoll(s);
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool ParseSize(const std::string& s, int* w, int* h) {
  const auto x = s.find('x');
  long long a = 0, b = 0;
  // Frames are written whole; 16384 a side keeps one frame under a gigabyte.
  if (x == std::string::npos || !ParseNumber(s.substr(0, x), 1, 16384, &a) ||
      !ParseNumber(s.substr(x + 1), 1, 16384, &b))
    return false;
  *w = static_cast<int>(a);
  *h = static_cast<int>(b);
  return true;
}

bool LoadSlide(const std::string& path, int w, int h, Surface* out, std::ostream& err) {
  TImageLoader l;
  const OpenOutcome o = l.Open(path);
  if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow) {
    err << "pelira-cli: " << path << ": not a picture\n";
    return false;
  }
  if (o == OpenOutcome::Blank) {
    err << "pelira-cli: " << path << ": " << (l.LastError().empty() ? "cannot be opened" : l.LastError()) << "\n";
    return false;
  }
  *out = ComposeSlide(l.workingBitmap, w, h);
  return true;
}

int RunShowFrames(const Args& args, std::ostream& out, std::ostream& err) {
  long long effect = -1, speed = 1, seed = 1;
  int w = 0, h = 0;
  std::string dir;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--effect") {
      if (!hasValue || !ParseNumber(args[++i], 0, kEffectCount - 1, &effect)) {
        err << "pelira-cli show frames: --effect needs an effect number 0.." << kEffectCount - 1 << "\n";
        return 2;
      }
    } else if (a == "--speed") {
      if (!hasValue || !ParseNumber(args[++i], 0, 3, &speed)) {
        err << "pelira-cli show frames: --speed is 0 (faster), 1, 2 or 3 (slowest)\n";
        return 2;
      }
    } else if (a == "--seed") {
      if (!hasValue || !ParseNumber(args[++i], 0, 999999999999999999ll, &seed)) {
        err << "pelira-cli show frames: --seed needs a number\n";
        return 2;
      }
    } else if (a == "--size") {
      if (!hasValue || !ParseSize(args[++i], &w, &h)) {
        err << "pelira-cli show frames: --size needs WIDTHxHEIGHT, each 1..16384\n";
        return 2;
      }
    } else if (a == "--out") {
      if (!hasValue || args[i + 1].empty()) {
        err << "pelira-cli show frames: --out needs a folder\n";
        return 2;
      }
      dir = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      err << "pelira-cli show frames: unknown option '" << a << "'\n";
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (effect < 0 || w == 0 || dir.empty() || files.size() != 2) {
    err << "pelira-cli show frames: needs --effect N OLD NEW --size WxH --out DIR (see pelira-cli --help)\n";
    return 2;
  }

  Surface before, after;
  if (!LoadSlide(files[0], w, h, &before, err) || !LoadSlide(files[1], w, h, &after, err)) return 1;

  SeededRandom random(static_cast<std::uint64_t>(seed));
  EffectChooser chooser;
  const TransitionEffect fx = chooser.Choose(static_cast<int>(effect), w, h, static_cast<int>(speed), w, random);
  const TransitionPlan plan(after, fx);
  const int n = plan.FrameCount();

  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  SaveOptions options;
  options.progressive = false;
  Surface frame;
  for (int k = 0; k <= n; ++k) {
    plan.Render(before, after, k, frame);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04d.png", k);
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    try {
      WriteFileAtomic(path, EncodeForSave(DibFromSurface(frame), 3, options));
    } catch (const std::exception& e) {
      err << "pelira-cli: " << path.string() << ": " << e.what() << "\n";
      return 1;
    }
  }
  out << TheEffectsTable().Names()[static_cast<std::size_t>(effect)] << "\tkind " << fx.kind << "\tvariant "
      << fx.variant << "\tparameter " << fx.parameter << "\t" << n + 1 << " frames\n";
  return 0;
}

}  // namespace

int RunShow(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] != "frames") {
    err << "pelira-cli show: the only subcommand is 'frames' (see pelira-cli --help)\n";
    return 2;
  }
  return RunShowFrames(Args(args.begin() + 1, args.end()), out, err);
}

}  // namespace pelira::cli
