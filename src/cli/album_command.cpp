// pelira-cli album: make, extend, list, check and convert albums with the same core calls as
// the album window, so an album's files can be scripted and checked without a display.
#include <filesystem>
#include <ostream>

#include "album/album_add.h"
#include "album/album_commands.h"
#include "album/album_files.h"
#include "cli/commands.h"
#include "platform/scripted_ui.h"
#include "platform/statvfs_volume_source.h"

namespace pelira::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: pelira-cli album new OUT.avc|OUT.avl|OUT.plp FILE|DIR...\n"
    "       pelira-cli album add ALBUM FILE|DIR...\n"
    "       pelira-cli album list ALBUM\n"
    "       pelira-cli album validate ALBUM\n"
    "       pelira-cli album convert ALBUM OUT.avl|OUT.avc|OUT.plp\n";

// The screen size written into album headers; nothing reads it back.
constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

std::string Absolute(const std::string& p) {
  std::error_code ec;
  const fs::path a = fs::absolute(p, ec);
  return ec ? p : a.lexically_normal().string();
}

// Files named on the command line, folders expanded to their slide files.
std::vector<std::string> Expand(const std::vector<std::string>& args, std::size_t from, std::ostream& err,
                                bool& failed) {
  std::vector<std::string> out;
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string p = Absolute(args[i]);
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
      const auto files = FolderSlideFiles(p);
      out.insert(out.end(), files.begin(), files.end());
    } else if (fs::is_regular_file(p, ec)) {
      out.push_back(p);
    } else {
      err << args[i] << ": no such file or folder\n";
      failed = true;
    }
  }
  return out;
}

struct Session {
  ScriptedUi ui;
  StatvfsVolumeSource volumes;
  std::ostream& err;
  explicit Session(std::ostream& e) : err(e) {
    ui.SetEcho(&err);
    // Missing slide files: keep loading, each reported by the question's echo.
    ui.SetDefaultAnswer(Button::OK);
  }
  AlbumLoadOptions Load() {
    AlbumLoadOptions o;
    o.ui = &ui;
    o.volumes = &volumes;
    return o;
  }
  bool Open(AlbumStore& store, const std::string& path) {
    const AlbumLoadResult r = LoadAlbum(store, Absolute(path), Load());
    if (!r.ok && r.message.empty()) err << path << ": load abandoned\n";
    return r.ok;
  }
  bool Save(AlbumStore& store, const std::string& path) {
    AlbumSaveOptions o;
    o.screenWidth = kScreenW;
    o.screenHeight = kScreenH;
    const std::string abs = Absolute(path);
    if (!SaveNameAllowed(abs)) {
      err << path << ": " << kBadFileNameText << "\n";
      return false;
    }
    const AlbumSaveResult r = SaveAlbum(store, abs, o);
    if (!r.ok) err << path << ": " << r.message << (r.detail.empty() ? "" : " (" + r.detail + ")") << "\n";
    return r.ok;
  }
  bool Add(AlbumStore& store, const std::vector<std::string>& files) {
    AddRequest req;
    req.paths = files;
    req.mode = AddMode::Append;
    req.volumes = &volumes;
    const AddOutcome a = AddSlides(store, req);
    for (const auto& r : a.refused) err << r << ": a name with a line break cannot be stored\n";
    if (a.outOfMemory) err << kNoMemoryText << "\n";
    return !a.outOfMemory && a.refused.empty();
  }
};

int New(const Args& args, std::ostream& err) {
  if (args.size() < 3) {
    err << kUsage;
    return 2;
  }
  Session s(err);
  bool failed = false;
  const auto files = Expand(args, 2, err, failed);
  AlbumStore store;
  failed |= !s.Add(store, files);
  if (!s.Save(store, args[1])) return 1;
  return failed ? 1 : 0;
}

int Add(const Args& args, std::ostream& err) {
  if (args.size() < 3) {
    err << kUsage;
    return 2;
  }
  Session s(err);
  AlbumStore store;
  if (!s.Open(store, args[1])) return 1;
  bool failed = false;
  const auto files = Expand(args, 2, err, failed);
  failed |= !s.Add(store, files);
  if (!s.Save(store, args[1])) return 1;
  return failed ? 1 : 0;
}

int List(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    err << kUsage;
    return 2;
  }
  Session s(err);
  AlbumStore store;
  if (!s.Open(store, args[1])) return 1;
  for (std::size_t i = 0; i < store.Count(); ++i) {
    const SlideRecord& r = store.At(i);
    out << (i + 1) << '\t' << store.ShownPath(r) << '\t' << r.Size() << '\t' << SlideDateText(r.Date(), r.timeOfDay);
    for (int c = kColBackcolor; c <= kColComment; ++c) out << '\t' << CellText(store, i, c);
    out << '\n';
  }
  return 0;
}

int Validate(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 2) {
    err << kUsage;
    return 2;
  }
  Session s(err);
  AlbumStore store;
  const AlbumLoadResult r = LoadAlbum(store, Absolute(args[1]), s.Load());
  if (!r.ok) return 1;
  std::size_t missing = r.missingSkipped;
  for (std::size_t i = 0; i < store.Count(); ++i) {
    const SlideRecord& rec = store.At(i);
    if (rec.IsCdTrack()) continue;
    const auto path = store.SlideFullPath(rec);
    if (!path || !StatFile(*path).exists) {
      out << "missing\t" << (i + 1) << '\t' << store.ShownPath(rec) << '\n';
      ++missing;
    }
  }
  out << args[1] << '\t' << store.Count() << " slides\t" << missing << " missing\t"
      << (r.usedSideFiles ? "side files" : "decoded") << '\n';
  return missing == 0 ? 0 : 1;
}

int Convert(const Args& args, std::ostream& err) {
  if (args.size() != 3) {
    err << kUsage;
    return 2;
  }
  Session s(err);
  AlbumStore store;
  if (!s.Open(store, args[1])) return 1;
  return s.Save(store, args[2]) ? 0 : 1;
}

}  // namespace

int RunAlbum(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& verb = args[0];
  if (verb == "new") return New(args, err);
  if (verb == "add") return Add(args, err);
  if (verb == "list") return List(args, out, err);
  if (verb == "validate") return Validate(args, out, err);
  if (verb == "convert") return Convert(args, err);
  err << "album: unknown subcommand \"" << verb << "\"\n" << kUsage;
  return 2;
}

}  // namespace pelira::cli
