#include "album/album_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <ctime>
#include <new>
#include <numeric>
#include <optional>

#include "album/album_add.h"
#include "album/album_commands.h"
#include "common/app_paths.h"
#include "common/atomic_file.h"
#include "common/crc_register.h"
#include "common/hex_text.h"
#include "common/time_text.h"
#include "platform/progress.h"
#include "platform/ui.h"
#include "slideshow/effects_table.h"

namespace pelira {

namespace fs = std::filesystem;

AlbumFormat FormatOfPath(const std::string& path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return AlbumFormat::Avl;
  std::string ext = path.substr(dot);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  if (ext == ".PLP") return AlbumFormat::Plp;
  if (ext == ".AVC") return AlbumFormat::Avc;
  return AlbumFormat::Avl;
}

std::string AvlAdviceText(std::size_t slides) {
  return "You have " + std::to_string(slides) +
         " slides.\n\nAlthough Slide Albums can contain up to a MILLION slides,\n32000 slides is recommended limit for "
         "AVL slideshows.\nDecoding this script without linked data files may be\ntime consuming. If you are primarily "
         "using the Slide Album\nfor its database functions, use AVC format instead.\n\nContinue?\n\n" +
         std::string(kIgnoreSuffix);
}

fs::path SideFilePath(const fs::path& album, int which, const fs::path& dataDir) {
  std::error_code ec;
  fs::path abs = fs::absolute(album, ec).lexically_normal();
  if (ec) abs = album;
  std::string name = album.filename().string();
  const std::string tail = "." + Hex8(CrcRegister(abs.string())) + kSideSuffixes[which];
  constexpr std::size_t kNameMax = 255;
  if (name.size() + tail.size() > kNameMax) {
    std::size_t keep = kNameMax - tail.size();
    // Never split a UTF-8 sequence: back up over continuation bytes.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    name.resize(keep);
  }
  return dataDir / (name + tail);
}

namespace {

void AppendNum(std::string& s, std::int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, r.ptr);
}

void Line(std::string& s, std::string_view a) {
  s.append(a);
  s.append("\r\n");
}

void HexMin(std::string& s, std::uint32_t v, int minDigits) {
  int digits = minDigits;
  while (digits < 8 && (v >> (4 * digits)) != 0) ++digits;
  s.append(HexUpper(v, digits));
}

void Section(std::string& s, const AlbumStore& store, const SlideRecord& r, std::size_t i) {
  s.push_back('[');
  AppendNum(s, static_cast<std::int64_t>(i));
  s.append("]\r\n");
  const bool cd = r.IsCdTrack();
  if (cd) {
    s.append("F=");
    Line(s, kCdTrackPath);
  } else {
    s.append("F=");
    const std::string file = store.FileNameOf(r);
    s.append(AvlNeedsEscape(file) ? AvlEscape(file) : file);
    s.push_back(',');
    AppendNum(s, r.dirIndex);
    s.append("\r\n");
    if (r.background >= 0) {
      s.append("B=");
      Line(s, HexUpper(static_cast<std::uint32_t>(r.background) & 0xFFFFFF, 6));
    }
    if (r.effect > 0) {
      s.append("E=");
      HexMin(s, static_cast<std::uint32_t>(r.effect), r.effect < 16 ? 1 : 2);
      s.append("\r\n");
    }
  }
  if (cd) {
    s.append("X=");
    AppendNum(s, r.effect);
    s.append("\r\n");
  }
  auto dec = [&](const char* key, std::int64_t v) {
    s.append(key);
    AppendNum(s, v);
    s.append("\r\n");
  };
  if (r.wait > 0) dec("W=", r.wait);
  if (r.zoom > 0 && r.zoom != 100) dec("Z=", r.zoom);
  if (r.gamma > 0 && r.gamma != 100) {
    s.append("G=");
    HexMin(s, static_cast<std::uint32_t>(r.gamma), 2);
    s.append("\r\n");
  }
  if (r.rotate > 0) dec("Y=", r.rotate);
  if (r.posX >= 0 && r.posY >= 0) {
    s.append("P=");
    AppendNum(s, r.posX);
    s.push_back(',');
    AppendNum(s, r.posY);
    s.append("\r\n");
  }
  if (r.panelW >= 0 && r.panelH >= 0) {
    s.append("U=");
    AppendNum(s, r.panelW);
    s.push_back(',');
    AppendNum(s, r.panelH);
    s.append("\r\n");
  }
  std::string_view comment = store.CommentOf(r);
  while (!comment.empty() && comment.front() == ' ') comment.remove_prefix(1);
  if (!comment.empty()) {
    s.append("S=");
    Line(s, AvlEscape(comment));
  }
  s.append("\r\n");
}

}  // namespace

std::string AlbumText(const AlbumStore& store, const AvlTextOptions& o, bool* cancelled) {
  if (cancelled != nullptr) *cancelled = false;
  const std::size_t n = store.Count();
  std::string s;
  s.reserve(512 + (o.format == AlbumFormat::Avl ? n * 48 : 0));
  Line(s, "[Header]");
  Line(s, "Ver=11");
  s.append("ScreenW=");
  AppendNum(s, o.screenWidth);
  s.append("\r\nScreenH=");
  AppendNum(s, o.screenHeight);
  s.append("\r\n");
  for (int k = 0; k < kSideFileCount; ++k) {
    s.append(kSideKeys[k]);
    s.push_back('=');
    Line(s, o.sidePaths[k]);
  }
  s.append("RUN=");
  AppendNum(s, o.run);
  s.append("\r\nTHMREC=");
  Line(s, o.thmrec);
  if (!o.signature.empty()) {
    s.append("SIG=");
    Line(s, o.signature);
  }
  s.append("N=");
  AppendNum(s, static_cast<std::int64_t>(n) + 1);
  s.append("\r\n");
  if (o.format == AlbumFormat::Avc) {
    Line(s, "[Directory]");
    Line(s, "c:\\");
    return s;
  }
  Line(s, "");
  Line(s, "[Directory]");
  const auto& dirs = store.Directories();
  for (std::size_t i = 0; i < dirs.size(); ++i) {
    AppendNum(s, static_cast<std::int64_t>(i));
    s.push_back('=');
    Line(s, AvlNeedsEscape(dirs[i]) ? AvlEscape(dirs[i]) : dirs[i]);
  }
  Line(s, "");
  PercentTracker percent;
  if (o.progress != nullptr) {
    o.progress->SetStatus("Encoding AVL file with " + std::to_string(n) + " slides ... ");
    o.progress->SetBarLabel(ProgressBar::Folders, "Slides:");
  }
  for (std::size_t i = 0; i < n; ++i) {
    Section(s, store, store.At(i), i + 1);
    if (o.progress != nullptr && percent.Update(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(n))) {
      o.progress->SetStatus(std::to_string(i + 1) + " files added. (" + std::to_string(percent.Percent()) + "%)");
      o.progress->SetBar(ProgressBar::Folders, static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(n));
      o.progress->Pump();
      if (o.progress->Aborted()) {
        if (cancelled != nullptr) *cancelled = true;
        return {};
      }
    }
  }
  return s;
}

std::string PlpListText(const AlbumStore& store) {
  std::string s;
  for (std::size_t i = 0; i < store.Count(); ++i) {
    const auto p = store.SlideFullPath(store.At(i));
    if (p) Line(s, *p);
  }
  return s;
}

std::string TestScriptText(const AlbumStore& store, std::int64_t start, int w, int h) {
  AvlTextOptions o;
  o.screenWidth = w;
  o.screenHeight = h;
  o.run = start;
  return AlbumText(store, o);
}

fs::path TestScriptPath() { return AppPaths::Home() / "Pelira 7.7_Test.AVL"; }

TempAlbumPaths TempAlbumFiles(const std::string& runTag, const fs::path& home, const fs::path& dataDir) {
  TempAlbumPaths p;
  p.header = home / ("Pelira 7.7" + runTag + ".avc");
  for (int k = 0; k < kSideFileCount; ++k) p.side[k] = dataDir / (runTag + kSideSuffixes[k]);
  return p;
}

bool WriteTempAlbum(const AlbumStore& store, const TempAlbumPaths& paths, int w, int h, std::string& why) {
  try {
    auto contents = SideFileContents(store);
    if (store.Empty()) {
      // Still one comment line, so the catalogue opens (empty) rather than "missing".
      contents[kSideComments] = std::string(kNoComment) + "\r\n";
    }
    for (int k = 0; k < kSideFileCount; ++k) {
      const WriteResult r = AtomicWrite(paths.side[k], contents[k]);
      if (!r) {
        why = r.message;
        return false;
      }
    }
    AvlTextOptions o;
    o.screenWidth = w;
    o.screenHeight = h;
    o.thmrec = "136";
    for (int k = 0; k < kSideFileCount; ++k) o.sidePaths[k] = paths.side[k].string();
    // Lines 1-10 of the script's layout: the header, an empty line, "[Directory]".
    AlbumStore none;
    std::string text = AlbumText(none, o);
    const auto cut = text.find("\r\nN=1\r\n") + 2;
    text = text.substr(0, cut) + "N=" + std::to_string(store.Count() + 1) + "\r\n\r\n[Directory]\r\n";
    const WriteResult r = AtomicWrite(paths.header, text);
    if (!r) {
      why = r.message;
      return false;
    }
  } catch (const std::bad_alloc&) {
    why = kNoMemoryText;
    return false;
  }
  return true;
}

bool SaveNameAllowed(const std::string& path) { return path.find_first_of(",[]") == std::string::npos; }

std::string FixSaveExtension(const std::string& path, const std::string& defaultExt) {
  const std::string want = "." + defaultExt;
  const auto slash = path.rfind('/');
  const auto dot = path.rfind('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  std::string ext = hasExt ? path.substr(dot) : std::string();
  std::string lower = ext;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (lower == want) return path;
  // A typed other extension is replaced by the chosen type's.
  return (hasExt ? path.substr(0, dot) : path) + want;
}

// --- save ------------------------------------------------------------------------------------

namespace {

std::string TableText(const std::vector<std::string>& rows) {
  std::size_t total = 0;
  for (const auto& r : rows) total += r.size() + 2;
  std::string s;
  s.reserve(total);
  for (const auto& r : rows) Line(s, r);
  return s;
}

std::string NamesText(const StringPool& pool) {
  std::string s;
  std::size_t total = 0;
  for (std::size_t i = 0; i < pool.Count(); ++i) total += pool.At(i).size() + 2;
  s.reserve(total);
  for (std::size_t i = 0; i < pool.Count(); ++i) Line(s, pool.At(i));
  return s;
}

}  // namespace

std::string SideFileSignature(const std::string_view (&files)[kSideFileCount]) {
  std::uint32_t reg = kCrcRegisterStart;
  for (const auto& f : files) reg = CrcRegisterUpdate(reg, f.data(), f.size());
  return Hex8(reg);
}

std::array<std::string, kSideFileCount> SideFileContents(const AlbumStore& store) {
  std::array<std::string, kSideFileCount> out;
  if (store.Empty()) return out;
  out[kSideNames] = NamesText(store.Names());
  out[kSideVolumes] = TableText(store.Volumes());
  out[kSideDirs] = TableText(store.Directories());
  out[kSideComments] = TableText(store.Comments());
  std::string& rec = out[kSideRecords];
  rec.resize(store.Count() * kSlideRecordSize);
  for (std::size_t i = 0; i < store.Count(); ++i) std::memcpy(rec.data() + i * kSlideRecordSize, &store.At(i), kSlideRecordSize);
  return out;
}

namespace {

fs::path BackupPath(const fs::path& target) {
  fs::path p = target;
  p += ".old";
  return p;
}

// Renames a committed file's earlier version back, or removes a file that is new.
struct Committed {
  fs::path target;
  fs::path backup;  // empty: there was no earlier file
};

void Undo(const std::vector<Committed>& done) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->backup.empty())
      ::unlink(it->target.c_str());
    else
      ::rename(it->backup.c_str(), it->target.c_str());
  }
}

}  // namespace

AlbumSaveResult SaveAlbum(AlbumStore& store, const std::string& path, const AlbumSaveOptions& o) {
  AlbumSaveResult res;
  BusyScope busy(store);
  if (!busy.Acquired()) return res;
  const AlbumFormat format = FormatOfPath(path);
  if (format == AlbumFormat::Plp) {
    const WriteResult w = AtomicWrite(path, PlpListText(store));
    if (!w) {
      res.message = kSaveListFailedText;
      res.detail = w.message;
      return res;
    }
    res.ok = true;
    return res;
  }
  const fs::path dataDir = o.dataDir.empty() ? AppPaths::Data() : o.dataDir;
  std::error_code ec;
  fs::create_directories(dataDir, ec);
  AvlTextOptions t;
  t.format = format;
  t.screenWidth = o.screenWidth;
  t.screenHeight = o.screenHeight;
  t.progress = o.progress;
  fs::path side[kSideFileCount];
  for (int k = 0; k < kSideFileCount; ++k) {
    side[k] = SideFilePath(path, k, dataDir);
    t.sidePaths[k] = side[k].string();
  }
  const bool empty = store.Empty();
  std::string text;
  std::array<std::string, kSideFileCount> contents;
  try {
    contents = SideFileContents(store);
    const std::string_view views[kSideFileCount] = {contents[0], contents[1], contents[2], contents[3], contents[4]};
    t.signature = SideFileSignature(views);
    bool cancelled = false;
    text = AlbumText(store, t, &cancelled);
    if (cancelled) {
      res.cancelled = true;
      return res;
    }
  } catch (const std::bad_alloc&) {
    res.message = kNoMemoryText;
    return res;
  }
  auto fail = [&](std::string why) {
    res.message = kSaveScriptFailedText;
    res.detail = std::move(why);
    return res;
  };
  // Every file goes to its temporary before anything is committed.
  std::vector<std::unique_ptr<AtomicFileWriter>> writers;
  std::vector<int> which;  // file number of each writer
  for (int k = 0; k < kSideFileCount; ++k) {
    if (empty && k != kSideRecords) continue;
    writers.push_back(std::make_unique<AtomicFileWriter>(side[k]));
    which.push_back(k);
    AtomicFileWriter& w = *writers.back();
    w.Write(contents[k]);
    if (o.injectFault && o.injectFault(k)) return fail("fault injected while writing " + side[k].string());
    if (!w.ok()) return fail(w.error());
  }
  writers.push_back(std::make_unique<AtomicFileWriter>(path));
  which.push_back(5);
  writers.back()->Write(text);
  if (o.injectFault && o.injectFault(5)) return fail("fault injected while writing " + path);
  if (!writers.back()->ok()) return fail(writers.back()->error());

  // Commit the side files, the album file last. Earlier versions are kept under a second
  // name until the album file is in place, so a failing commit puts them all back, and a
  // save killed half-way leaves them for the next load to take back (see "SIG").
  std::vector<Committed> done;
  for (std::size_t i = 0; i < writers.size(); ++i) {
    const int k = which[i];
    const fs::path target = k == 5 ? fs::path(path) : side[k];
    Committed c{target, {}};
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      fs::path backup = BackupPath(target);
      ::unlink(backup.c_str());
      if (::link(target.c_str(), backup.c_str()) == 0) c.backup = backup;
    }
    WriteResult r;
    if (o.injectFault && o.injectFault(k + 10)) {
      writers[i]->Discard();
      r.ok = false;
      r.message = "fault injected while committing " + target.string();
    } else {
      r = writers[i]->Commit();
      if (r && o.injectFault && o.injectFault(k + 20)) {
        // A process killed here: nothing is put back and no earlier version is removed.
        return fail("killed after committing " + target.string());
      }
    }
    if (!r) {
      if (!c.backup.empty()) ::unlink(c.backup.c_str());
      Undo(done);
      for (const auto& d : done)
        if (!d.backup.empty()) ::unlink(d.backup.c_str());
      return fail(r.message);
    }
    done.push_back(c);
  }
  for (const auto& d : done)
    if (!d.backup.empty()) ::unlink(d.backup.c_str());
  if (empty) {
    // An empty album keeps only its empty record file, so no stale table can come back.
    for (int k = 0; k < kSideFileCount; ++k)
      if (k != kSideRecords) fs::remove(side[k], ec);
  }
  store.SetModified(false);
  store.SetFilePath(path);
  res.ok = true;
  return res;
}

// --- load ------------------------------------------------------------------------------------

namespace {

// Reads a regular file of at most maxBytes; FIFOs and devices are refused without blocking.
bool ReadRegular(const std::string& path, std::uint64_t maxBytes, std::string& out, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    why = path + ": not a regular file";
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    why = path + ": too large";
    return false;
  }
  try {
    out.resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    ::close(fd);
    why = kNoMemoryText;
    return false;
  }
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t r = ::read(fd, out.data() + got, out.size() - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  out.resize(got);
  ::close(fd);
  return true;
}

template <typename Fn>
void ForEachTableLine(std::string_view text, Fn&& fn) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t e = text.find_first_of("\r\n", i);
    if (e == std::string_view::npos) e = text.size();
    fn(text.substr(i, e - i));
    if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n') ++e;
    i = e + 1;
  }
}

std::vector<std::string> TableLines(std::string_view text) {
  std::vector<std::string> out;
  ForEachTableLine(text, [&](std::string_view l) { out.emplace_back(l); });
  return out;
}

bool InsideFolder(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  if (!file.is_absolute()) return false;
  const fs::path dir = fs::weakly_canonical(folder, ec);
  if (ec) return false;
  const fs::path parent = fs::weakly_canonical(file.parent_path(), ec);
  if (ec) return false;
  return parent == dir;
}

Ui& UiOf(const AlbumLoadOptions& o) { return o.ui != nullptr ? *o.ui : CurrentUi(); }

}  // namespace

std::vector<PlpEntry> ParsePlpLines(std::string_view bytes) {
  std::vector<PlpEntry> out;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::int32_t line = 0;
  ForEachTableLine(bytes, [&](std::string_view l) {
    if (!l.empty() && l.find_first_not_of(" \t") != std::string_view::npos) out.push_back({DecodeLine(l), line});
    ++line;
  });
  return out;
}

bool LoadSideFiles(AlbumStore& store, const AvlHeader& h, const AlbumLoadOptions& o, std::string& why) {
  if (!h.AllSidePaths()) {
    why = "side-file paths missing";
    return false;
  }
  const fs::path dataDir = o.dataDir.empty() ? AppPaths::Data() : o.dataDir;
  std::string files[kSideFileCount];
  for (int k = 0; k < kSideFileCount; ++k) {
    const fs::path p(h.sidePaths[k]);
    if (!InsideFolder(p, dataDir)) {
      why = h.sidePaths[k] + ": outside the data folder";
      return false;
    }
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      why = h.sidePaths[k] + ": missing";
      return false;
    }
  }
  const std::uint64_t n = static_cast<std::uint64_t>(h.slideCount);
  if (n > (std::uint64_t(1) << 36) / kSlideRecordSize) {
    why = "slide count out of range";
    return false;
  }
  for (int k = 0; k < kSideFileCount; ++k) {
    const std::uint64_t limit = k == kSideRecords ? n * kSlideRecordSize : kAvlMaxBytes;
    if (!ReadRegular(h.sidePaths[k], limit, files[k], why)) return false;
  }
  if (!h.signature.empty()) {
    const std::string_view views[kSideFileCount] = {files[0], files[1], files[2], files[3], files[4]};
    if (SideFileSignature(views) != h.signature) {
      // A save was cut short after some side files were replaced: their earlier versions
      // are still beside them; take them back when they make the album this file names.
      std::string older[kSideFileCount];
      bool any = false;
      for (int k = 0; k < kSideFileCount; ++k) {
        const fs::path backup = BackupPath(h.sidePaths[k]);
        struct stat st {};
        if (::lstat(backup.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
          const std::uint64_t limit = k == kSideRecords ? n * kSlideRecordSize : kAvlMaxBytes;
          if (!ReadRegular(backup.string(), limit, older[k], why)) return false;
          any = true;
        } else {
          older[k] = files[k];
        }
      }
      const std::string_view olderViews[kSideFileCount] = {older[0], older[1], older[2], older[3], older[4]};
      if (!any || SideFileSignature(olderViews) != h.signature) {
        why = "side files do not match the album file";
        return false;
      }
      for (int k = 0; k < kSideFileCount; ++k) {
        const fs::path backup = BackupPath(h.sidePaths[k]);
        if (fs::exists(backup)) ::rename(backup.c_str(), h.sidePaths[k].c_str());
        files[k] = std::move(older[k]);
      }
    }
  }
  const std::string_view views[kSideFileCount] = {files[0], files[1], files[2], files[3], files[4]};
  return LoadSideTables(store, n, views, o.volumes, why);
}

bool LoadSideTables(AlbumStore& store, std::uint64_t n, const std::string_view (&files)[kSideFileCount],
                    VolumeSource* volumeSource, std::string& why) {
  const std::string_view rec = files[kSideRecords];
  if (rec.size() % kSlideRecordSize != 0 || rec.size() != n * kSlideRecordSize) {
    why = "record file does not hold " + std::to_string(n) + " slides";
    return false;
  }
  try {
    if (n > rec.size() / kSlideRecordSize) {
      why = "record file too short";
      return false;
    }
    std::vector<SlideRecord> records(n);
    if (n > 0) std::memcpy(records.data(), rec.data(), rec.size());
    StringPool names;
    names.Reserve(n, files[kSideNames].size());
    ForEachTableLine(files[kSideNames], [&](std::string_view l) { names.Append(l); });
    std::vector<std::string> dirs = TableLines(files[kSideDirs]);
    std::vector<std::string> vols = TableLines(files[kSideVolumes]);
    std::vector<std::string> comments = TableLines(files[kSideComments]);
    if (comments.empty()) {
      why = "comment table empty";
      return false;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
      SlideRecord& r = records[i];
      SanitizeRecord(r);
      const bool nameOk = r.nameIndex >= 0 && static_cast<std::size_t>(r.nameIndex) < names.Count();
      const bool dirOk = r.IsCdTrack() || (r.dirIndex >= 0 && static_cast<std::size_t>(r.dirIndex) < dirs.size());
      const bool commentOk = r.commentIndex >= 0 && static_cast<std::size_t>(r.commentIndex) < comments.size();
      if (!nameOk || !dirOk || !commentOk) {
        why = "slide " + std::to_string(i + 1) + " refers outside the tables";
        return false;
      }
    }
    const bool rebuild = vols.size() != dirs.size();
    store.Clear();
    store.Records() = std::move(records);
    store.Order().resize(n);
    std::iota(store.Order().begin(), store.Order().end(), 0u);
    store.Names() = std::move(names);
    store.AssignDirectories(std::move(dirs), std::move(vols));
    if (rebuild) store.RebuildVolumes(volumeSource);
    store.Comments() = std::move(comments);
    store.ClearSelection();
  } catch (const std::bad_alloc&) {
    store.Clear();
    why = kNoMemoryText;
    return false;
  }
  return true;
}

namespace {

AlbumLoadResult LoadList(AlbumStore& store, const std::string& bytes, const AlbumLoadOptions& o) {
  AlbumLoadResult res;
  const auto entries = ParsePlpLines(bytes);
  AddRequest req;
  req.mode = AddMode::InOrder;
  req.volumes = o.volumes;
  req.progress = o.progress;
  req.paths.reserve(entries.size());
  for (const auto& e : entries) {
    req.paths.push_back(e.path);
    req.orderKeys.push_back(e.line);
  }
  if (o.progress != nullptr) o.progress->SetStatus("Adding Slides ... ");
  const AddOutcome a = AddSlides(store, req);
  if (a.cancelled || a.outOfMemory) {
    store.Clear();
    if (a.outOfMemory) {
      res.message = kNoMemoryText;
      UiOf(o).Message(MessageKind::Error, res.message, Button::OK);
    }
    return res;
  }
  res.ok = true;
  return res;
}

std::string MissingSlideText(std::int64_t i, const std::string& path) {
  return "Slideshow source file " + std::to_string(i) + " is missing.\n\n" + path +
         "\n\nIf source file is on removable media (e.g. CDROM),\ninsert appropriate media then try loading "
         "again.\nTry to load remaining AVL script?";
}

AlbumLoadResult DecodeScript(AlbumStore& store, AvlScript& script, std::size_t fileSize, const AlbumLoadOptions& o) {
  AlbumLoadResult res;
  const AvlHeader& h = script.Header();
  Ui& ui = UiOf(o);
  if (!h.directoriesInSequence) {
    res.message = kBadAvlText;
    ui.Message(MessageKind::Error, res.message, Button::OK);
    return res;
  }
  const std::int64_t n = h.slideCount;
  const SlideStatFn stat = o.stat ? o.stat : SlideStatFn(StatFile);
  Progress* progress = o.progress;
  if (progress != nullptr) {
    progress->SetStatus("Decoding AVL file with " + std::to_string(n) + " slides ... ");
    progress->SetBarLabel(ProgressBar::Thumbs, "Folders:");
    progress->SetBarLabel(ProgressBar::Folders, "Slides:");
    progress->SetStatus("Reading directory ... ");
  }
  try {
    // A header may claim any count: size the tables by what the file can hold.
    const std::size_t presize = static_cast<std::size_t>(std::min<std::int64_t>(n, fileSize / 4)) + 16;
    store.Records().reserve(presize);
    store.Order().reserve(presize);
    store.Names().Reserve(presize, presize * 12);
    store.AssignDirectories(h.directories, {});
    if (progress != nullptr) progress->SetStatus("Reading slides ... ");
    const auto started = std::chrono::steady_clock::now();
    PercentTracker percent;
    bool skipMissing = false;
    std::int32_t files = 0;
    AvlSlide s;
    for (std::int64_t i = 1; i <= n; ++i) {
      if (!script.NextSection(i, s)) break;
      SlideRecord r = ZeroRecord();
      if (s.cdTrack) {
        r.SetExt(kCdTrackExt);
        SetSlideDefaults(r, SlideKind::CdTrack);
        r.iconIndex = IconIndexOf(SlideKind::CdTrack);
        r.effect = static_cast<std::int16_t>(std::clamp<std::int32_t>(s.track, 1, 99));
        r.wait = s.wait;
        r.orderKey = files;
        SetRecordTime(r, std::time(nullptr), 0);
        r.timeOfDay = 0;
        r.nameIndex = static_cast<std::int32_t>(store.Names().Count());
        store.Names().Append(CdTrackName(r.effect));
        r.dirIndex = 0;
      } else {
        std::optional<std::string> chosenDir, chosenName;
        FileFacts facts;
        const bool indexOk = s.dirIndexOk && s.dirIndex >= 0 && static_cast<std::uint64_t>(s.dirIndex) < h.directories.size();
        const std::string shown = indexOk ? h.directories[static_cast<std::size_t>(s.dirIndex)] + s.name : s.name;
        for (const AvlCandidate& c : AvlCandidatePaths(h, s)) {
          facts = stat(c.dir + c.name);
          if (facts.exists) {
            chosenDir = c.dir;
            chosenName = c.name;
            break;
          }
        }
        if (!chosenName) {
          if (!skipMissing) {
            const Button b = ui.Message(MessageKind::Confirmation, MissingSlideText(i, shown), Button::OK | Button::Cancel);
            if (b != Button::OK) {
              store.Clear();
              return res;
            }
            skipMissing = true;
          }
          ++res.missingSkipped;
          continue;
        }
        const SplitPath parts = SplitSlidePath(*chosenName);
        const SlideKind kind = KindOfExt(parts.ext);
        r = MakeSlideRecord(parts.ext, facts, files);
        r.nameIndex = static_cast<std::int32_t>(store.Names().Count());
        store.Names().Append(parts.name);
        r.dirIndex = store.DirectoryIndex(*chosenDir, nullptr);
        r.wait = s.wait;
        if (!s.comment.empty()) {
          r.commentIndex = static_cast<std::int32_t>(store.Comments().size());
          store.Comments().push_back(CommentForStore(s.comment));
        }
        if (kind == SlideKind::Audio) {
          r.background = -1;
          r.effect = r.gamma = r.zoom = r.posX = r.posY = r.panelW = r.panelH = r.rotate = -1;
        } else {
          if (kind == SlideKind::Image) {
            // An effect past the table is none.
            r.effect = static_cast<std::int16_t>(s.effect >= 0 && s.effect < kEffectCount ? s.effect : 0);
            r.gamma = s.gamma;
            r.rotate = s.rotate;
          } else {
            r.effect = r.gamma = r.rotate = -1;
          }
          r.background = s.background;
          r.zoom = s.zoom;
          r.posX = s.posX < 0 ? kAuto : s.posX;
          r.posY = s.posY < 0 ? kAuto : s.posY;
          if (s.panelW < 1 || s.panelH < 1) {
            r.panelW = r.panelH = kAuto;
          } else {
            r.panelW = s.panelW;
            r.panelH = s.panelH;
          }
        }
        ++files;
      }
      store.Order().push_back(static_cast<std::uint32_t>(store.Records().size()));
      store.Records().push_back(r);
      if (progress != nullptr && percent.Update(i, n)) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
        progress->SetStatus(std::to_string(store.Count()) + " slide(s) restored. (" + std::to_string(percent.Percent()) +
                            "%)  ... " + SlidesPerMinuteText(static_cast<std::int64_t>(store.Count()), ms));
        progress->SetBar(ProgressBar::Folders, i, n);
        progress->Pump();
        if (progress->Aborted()) {
          store.Clear();
          return res;
        }
      }
    }
    store.RebuildVolumes(o.volumes);
    store.ClearSelection();
  } catch (const std::bad_alloc&) {
    store.Clear();
    res.message = kNoMemoryText;
    ui.Message(MessageKind::Error, res.message, Button::OK);
    return res;
  }
  res.ok = true;
  return res;
}

}  // namespace

AlbumLoadResult DecodeAvl(AlbumStore& store, std::string_view bytes, const AlbumLoadOptions& o) {
  store.Clear();
  auto script = AvlScript::Open(bytes);
  if (!script) {
    AlbumLoadResult res;
    res.message = kBadAvlText;
    UiOf(o).Message(MessageKind::Error, res.message, Button::OK);
    return res;
  }
  AlbumLoadResult res = DecodeScript(store, *script, bytes.size(), o);
  if (!res.ok) store.Clear();
  return res;
}

AlbumLoadResult LoadAlbum(AlbumStore& store, const std::string& path, const AlbumLoadOptions& o) {
  AlbumLoadResult res;
  BusyScope busy(store);
  if (!busy.Acquired()) return res;
  store.Clear();
  Ui& ui = UiOf(o);
  const AlbumFormat format = FormatOfPath(path);
  std::string bytes, why;
  if (!ReadRegular(path, kAvlMaxBytes, bytes, why)) {
    res.message = format == AlbumFormat::Plp ? std::string(kLoadListFailedText) : std::string(kBadAvlText);
    ui.Message(MessageKind::Error, res.message, Button::OK);
    return res;
  }
  if (format == AlbumFormat::Plp) {
    if (o.progress != nullptr) o.progress->SetStatus("Adding Slides ... ");
    res = LoadList(store, bytes, o);
  } else if (format == AlbumFormat::Avc) {
    const AvlHeader h = AvlScript::ParseHeader(bytes);
    if (o.progress != nullptr) {
      o.progress->SetStatus("Restoring Slideshow/Album ... ");
      o.progress->SetBarLabel(ProgressBar::Thumbs, "Load Slides");
      o.progress->SetBarLabel(ProgressBar::Folders, "Slides:");
    }
    if (LoadSideFiles(store, h, o, why)) {
      res.ok = res.usedSideFiles = true;
    } else {
      store.Clear();
      res.message = kCatalogMissingText;
      for (int k = 0; k < kSideFileCount; ++k) res.message += (k ? "\n" : "") + h.sidePaths[k];
      ui.Message(MessageKind::Error, res.message, Button::OK);
      return res;
    }
  } else {
    auto script = AvlScript::Open(bytes);
    if (!script) {
      res.message = kBadAvlText;
      ui.Message(MessageKind::Error, res.message, Button::OK);
      return res;
    }
    if (o.fastPath && script->Header().AllSidePaths() && LoadSideFiles(store, script->Header(), o, why)) {
      res.ok = res.usedSideFiles = true;
    } else {
      store.Clear();
      res = DecodeScript(store, *script, bytes.size(), o);
    }
  }
  if (!res.ok) {
    store.Clear();
    return res;
  }
  store.SetFilePath(path);
  // Every load marks the album modified, as the window has always done.
  store.SetModified(true);
  return res;
}

}  // namespace pelira
