#include "album/album_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "album/album_add.h"
#include "common/hex_text.h"
#include "platform/progress.h"
#include "platform/shell.h"
#include "slideshow/effects_table.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

void Report(Progress* progress, PercentTracker& tracker, std::size_t i, std::size_t n) {
  if (progress == nullptr) return;
  if (tracker.Update(static_cast<std::int64_t>(i), static_cast<std::int64_t>(n))) {
    progress->SetStatus(std::to_string(tracker.Percent()) + "%");
    progress->SetBar(ProgressBar::Thumbs, static_cast<std::int64_t>(i), static_cast<std::int64_t>(n));
    progress->Pump();
  }
}

// Drops the display positions whose keep flag is 0; the selection follows.
void FilterOrder(AlbumStore& store, const std::vector<std::uint8_t>& remove) {
  auto& order = store.Order();
  std::size_t w = 0;
  for (std::size_t i = 0; i < order.size(); ++i)
    if (!remove[i]) order[w++] = order[i];
  order.resize(w);
  store.ClearSelection();
}

}  // namespace

std::size_t CutSelected(AlbumStore& store, Progress* progress) {
  BusyScope busy(store);
  if (!busy.Acquired() || store.SelectedCount() == 0) return 0;
  if (progress != nullptr && store.SelectedCount() > 1) progress->SetStatus("Removing slides ... ");
  const std::size_t n = store.SelectedCount();
  std::vector<std::uint8_t> remove = store.SelectionBits();
  remove.resize(store.Count(), 0);
  FilterOrder(store, remove);
  store.SetModified(true);
  return n;
}

bool RelocateSelected(AlbumStore& store, std::size_t target) {
  BusyScope busy(store);
  if (!busy.Acquired() || store.SelectedCount() == 0 || store.Empty()) return false;
  auto& order = store.Order();
  const std::size_t count = order.size();
  target = std::min(target, count - 1);
  auto& bits = store.SelectionBits();
  bits.resize(count, 0);
  std::vector<std::uint32_t> next;
  std::vector<std::uint8_t> sel;
  next.reserve(count);
  sel.reserve(count);
  if (store.SelectedCount() == 1) {
    const std::size_t s = store.FirstSelected();
    const std::uint32_t rec = order[s];
    order.erase(order.begin() + static_cast<std::ptrdiff_t>(s));
    const std::size_t at = s < target ? target - 1 : target;
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), rec);
    store.ClearSelection();
    store.SetSelected(at, true);
    store.SetModified(true);
    return true;
  }
  std::vector<std::uint32_t> block;
  for (std::size_t i = 0; i < count; ++i)
    if (bits[i]) block.push_back(order[i]);
  // The block goes before the first unselected slide whose index was at or past the target.
  std::size_t anchor = count;
  if (target == 0) {
    anchor = 0;
  } else {
    for (std::size_t i = target; i < count; ++i)
      if (!bits[i]) {
        anchor = i;
        break;
      }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (i == anchor) {
      next.insert(next.end(), block.begin(), block.end());
      sel.insert(sel.end(), block.size(), 1);
    }
    if (!bits[i]) {
      next.push_back(order[i]);
      sel.push_back(0);
    }
  }
  if (anchor == count) {
    next.insert(next.end(), block.begin(), block.end());
    sel.insert(sel.end(), block.size(), 1);
  }
  order.swap(next);
  bits.swap(sel);
  store.RecountSelection();
  store.SetModified(true);
  return true;
}

void SelectAll(AlbumStore& store, Progress* progress) {
  BusyScope busy(store);
  if (!busy.Acquired() || store.Count() < 2) return;
  if (progress != nullptr) progress->SetStatus("Selecting ...");
  store.SelectionBits().assign(store.Count(), 1);
  store.RecountSelection();
  PercentTracker t;
  Report(progress, t, store.Count(), store.Count());
}

void InvertSelection(AlbumStore& store, Progress* progress) {
  BusyScope busy(store);
  if (!busy.Acquired()) return;
  if (progress != nullptr) progress->SetStatus("Selecting ...");
  auto& bits = store.SelectionBits();
  bits.resize(store.Count(), 0);
  for (auto& b : bits) b = b ? 0 : 1;
  store.RecountSelection();
  PercentTracker t;
  Report(progress, t, store.Count(), store.Count());
}

bool SelectIndex(AlbumStore& store, std::size_t index) {
  if (store.Busy() || index < 1 || index > store.Count()) return false;
  store.ClearSelection();
  store.SetSelected(index - 1, true);
  return true;
}

std::string CdTrackName(int track) { return "CD Track " + std::to_string(track); }

bool InsertCdTrack(AlbumStore& store, int track) {
  BusyScope busy(store);
  if (!busy.Acquired() || store.Empty()) return false;
  track = std::clamp(track, 1, 99);
  const std::size_t at = store.FirstSelected() < store.Count() ? store.FirstSelected() : 0;
  SlideRecord r = ZeroRecord();
  r.SetExt(kCdTrackExt);
  SetSlideDefaults(r, SlideKind::CdTrack);
  r.iconIndex = IconIndexOf(SlideKind::CdTrack);
  r.effect = static_cast<std::int16_t>(track);
  r.orderKey = store.SelectedCount() > 0 ? store.At(at).orderKey : 0;
  const std::time_t now = std::time(nullptr);
  SetRecordTime(r, now, 0);
  r.timeOfDay = 0;
  r.nameIndex = static_cast<std::int32_t>(store.Names().Count());
  store.Names().Append(CdTrackName(track));
  r.dirIndex = 0;
  const auto rec = static_cast<std::uint32_t>(store.Records().size());
  store.Records().push_back(r);
  auto& bits = store.SelectionBits();
  bits.resize(store.Count(), 0);
  store.Order().insert(store.Order().begin() + static_cast<std::ptrdiff_t>(at), rec);
  bits.insert(bits.begin() + static_cast<std::ptrdiff_t>(at), 0);
  store.RecountSelection();
  store.SetModified(true);
  return true;
}

// --- properties ------------------------------------------------------------------------------

PropertyRange RangeOf(SlideProperty p) {
  switch (p) {
    case SlideProperty::Wait: return {0, 28800, 1, 30, 1};
    case SlideProperty::Zoom: return {25, 400, 100, 25, 1};
    case SlideProperty::Gamma: return {10, 500, 100, 30, 10};
    case SlideProperty::Rotate: return {0, 359, 0, 15, 1};
    case SlideProperty::Effect: return {0, kEffectCount - 1, 0, 1, 1};
    default: return {0, 0, 0, 1, 1};
  }
}

bool PropertyAvailable(SlideKind kind, SlideProperty p) {
  switch (kind) {
    case SlideKind::Audio:
    case SlideKind::CdTrack: return false;
    case SlideKind::VideoText:
      return p == SlideProperty::Background || p == SlideProperty::Position || p == SlideProperty::Zoom ||
             p == SlideProperty::Panel;
    default: return true;
  }
}

std::string CommentForStore(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t len = 1;
    if (c >= 0xF0)
      len = 4;
    else if (c >= 0xE0)
      len = 3;
    else if (c >= 0xC0)
      len = 2;
    len = std::min(len, text.size() - i);
    if (chars == kCommentMaxChars) break;
    if (c == '\r' || c == '\n' || c == '\t' || c == 0)
      out.push_back(' ');
    else
      out.append(text, i, len);
    ++chars;
    i += len;
  }
  return out;
}

namespace {

std::int16_t Sat16(std::int64_t v) { return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

// The field a property tests for "not applicable".
bool NotApplicable(const SlideRecord& r, SlideProperty p) {
  switch (p) {
    case SlideProperty::Background: return r.background == kNotApplicable;
    case SlideProperty::Effect: return r.effect == -1 || r.IsCdTrack();
    case SlideProperty::Wait: return false;
    case SlideProperty::Zoom: return r.zoom == -1;
    case SlideProperty::Gamma: return r.gamma == -1;
    case SlideProperty::Rotate: return r.rotate == -1;
    case SlideProperty::Position: return r.posX == -1 || r.posY == -1;
    case SlideProperty::Panel: return r.panelW == -1 || r.panelH == -1;
    case SlideProperty::Comment: return false;
  }
  return false;
}

void Store(AlbumStore& store, SlideRecord& r, SlideProperty p, const PropertyValue& v, ScreenSize screen) {
  auto clampRange = [&](std::int32_t x) {
    const auto rg = RangeOf(p);
    return static_cast<std::int16_t>(std::clamp(x, rg.min, rg.max));
  };
  switch (p) {
    case SlideProperty::Background: r.background = v.a < 0 ? kNoBackground : (v.a & 0xFFFFFF); break;
    case SlideProperty::Effect: r.effect = clampRange(v.a); break;
    case SlideProperty::Wait: r.wait = clampRange(v.a); break;
    case SlideProperty::Zoom: r.zoom = clampRange(v.a); break;
    case SlideProperty::Gamma: r.gamma = clampRange(v.a); break;
    case SlideProperty::Rotate: r.rotate = clampRange(v.a); break;
    case SlideProperty::Position: {
      // A negative coordinate is automatic, as the script reader reads it back.
      const std::int64_t maxX = screen.width > 0 ? 2LL * screen.width - 1 : 32767;
      const std::int64_t maxY = screen.height > 0 ? 2LL * screen.height - 1 : 32767;
      r.posX = v.a < 0 ? kAuto : Sat16(std::min<std::int64_t>(v.a, maxX));
      r.posY = v.b < 0 ? kAuto : Sat16(std::min<std::int64_t>(v.b, maxY));
      break;
    }
    case SlideProperty::Panel: {
      const bool screenSized = screen.width > 0 && v.a == screen.width && v.b == screen.height;
      if (v.a < 1 || v.b < 1 || screenSized) {
        r.panelW = r.panelH = kAuto;
      } else {
        const std::int64_t maxW = screen.width > 0 ? 2LL * screen.width - 1 : 32767;
        const std::int64_t maxH = screen.height > 0 ? 2LL * screen.height - 1 : 32767;
        r.panelW = Sat16(std::min<std::int64_t>(v.a, maxW));
        r.panelH = Sat16(std::min<std::int64_t>(v.b, maxH));
      }
      break;
    }
    case SlideProperty::Comment: {
      const std::string text = CommentForStore(v.text);
      auto& comments = store.Comments();
      if (text.empty() || text.find_first_not_of(' ') == std::string::npos) {
        r.commentIndex = 0;
      } else if (r.commentIndex > 0 && static_cast<std::size_t>(r.commentIndex) < comments.size()) {
        comments[static_cast<std::size_t>(r.commentIndex)] = text;
      } else {
        r.commentIndex = static_cast<std::int32_t>(comments.size());
        comments.push_back(text);
      }
      break;
    }
  }
}

}  // namespace

PropertyOutcome ApplyProperty(AlbumStore& store, SlideProperty p, const PropertyValue& v, ScreenSize screen,
                              Progress* progress) {
  PropertyOutcome out;
  BusyScope busy(store);
  if (!busy.Acquired()) return out;
  if (store.SelectedCount() == 0) {
    out.message = kNoSelectionText;
    return out;
  }
  out.ran = true;
  if (progress != nullptr) progress->SetStatus("Changing property ...");
  const auto positions = store.SelectedPositions();
  PercentTracker t;
  for (std::size_t k = 0; k < positions.size(); ++k) {
    SlideRecord& r = store.MutableAt(positions[k]);
    if (!NotApplicable(r, p)) {
      Store(store, r, p, v, screen);
      ++out.changed;
    }
    Report(progress, t, k + 1, positions.size());
  }
  if (out.changed > 0) store.SetModified(true);
  return out;
}

// --- source files ----------------------------------------------------------------------------

std::string SlideCaption(const AlbumStore& store, const SlideRecord& r) {
  if (r.IsCdTrack()) return CdTrackName(r.effect);
  return std::string(store.NameOf(r));
}

std::string DeleteQuestion(const AlbumStore& store, bool permanent) {
  const std::string word = permanent ? "Delete" : "Recycle";
  std::string q;
  if (store.SelectedCount() == 1)
    q = word + " \"" + SlideCaption(store, store.At(store.FirstSelected())) + "\" ?";
  else
    q = word + " " + std::to_string(store.SelectedCount()) + " source files?";
  q += "\n\nRecycle Bin will NOT restore files if full.\nNote: Use CUT function to simply remove slides.";
  if (!permanent) q += "\n\n[Ignore] avoids this dialog (for experts).";
  return q;
}

FileOpOutcome DeleteSourceFiles(AlbumStore& store, bool permanent, Shell& shell) {
  FileOpOutcome out;
  BusyScope busy(store);
  if (!busy.Acquired()) return out;
  std::vector<std::uint8_t> remove(store.Count(), 0);
  for (std::size_t pos : store.SelectedPositions()) {
    const auto path = store.SlideFullPath(store.At(pos));
    if (!path) continue;
    if (permanent) {
      std::error_code ec;
      if (fs::is_regular_file(fs::symlink_status(*path, ec)) && fs::remove(*path, ec)) {
        remove[pos] = 1;
        ++out.done;
      } else {
        out.failures.push_back("Could not delete " + *path + (ec ? "\n" + ec.message() : std::string()));
      }
    } else {
      const TrashResult t = shell.MoveToTrash(*path);
      if (t.ok) {
        remove[pos] = 1;
        ++out.done;
      } else {
        out.failures.push_back(t.message.empty() ? TrashFailureText(*path, "") : t.message);
      }
    }
  }
  if (out.done > 0) {
    FilterOrder(store, remove);
    store.SetModified(true);
  }
  return out;
}

std::string MoveCopyTitle(const AlbumStore& store, bool move) {
  std::string t = move ? "Move" : "Copy";
  if (store.SelectedCount() == 1)
    t += " \"" + SlideCaption(store, store.At(store.FirstSelected())) + "\" to ";
  else
    t += " " + std::to_string(store.SelectedCount()) + " items to ";
  return t;
}

std::string SourceMissingText(const std::string& path) {
  return "Source file not available.\n\n" + path +
         "\n\nIf located on removable media (e.g., CD-R),\ninsert it then try again.  Continue operation(s)?";
}

namespace {

bool Exists(const std::string& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0;
}

// Copies a regular file without replacing anything, keeping its times; fsyncs the copy.
bool CopyNoReplace(const std::string& from, const std::string& to, std::string& why) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat st {};
  ::fstat(in, &st);
  const int outFd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
  if (outFd < 0) {
    why = std::strerror(errno);
    ::close(in);
    return false;
  }
  char buf[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t r = ::read(in, buf, sizeof buf);
    if (r == 0) break;
    if (r < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t w = 0; w < r;) {
      const ssize_t k = ::write(outFd, buf + w, static_cast<std::size_t>(r - w));
      if (k < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      w += k;
    }
    if (!ok) break;
  }
  if (ok) {
    // The modification time names the thumbnail: the copy keeps it.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(outFd, times);
    ok = ::fsync(outFd) == 0;
  }
  if (!ok) why = std::strerror(errno);
  ::close(outFd);
  ::close(in);
  if (!ok) ::unlink(to.c_str());
  return ok;
}

bool MoveNoReplace(const std::string& from, const std::string& to, std::string& why) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /*RENAME_NOREPLACE*/) == 0)
    return true;
  const int err = errno;
  if (err == EEXIST) {
    why = std::strerror(err);
    return false;
  }
  if (err != EXDEV && err != EINVAL && err != ENOSYS) {
    why = std::strerror(err);
    return false;
  }
  if (err != EXDEV) {
    // The filesystem cannot refuse for us: a hard link never replaces, then drop the old name.
    if (::link(from.c_str(), to.c_str()) == 0) {
      if (::unlink(from.c_str()) == 0) return true;
      why = std::strerror(errno);
      ::unlink(to.c_str());
      return false;
    }
    if (errno != EXDEV && errno != EPERM) {
      why = std::strerror(errno);
      return false;
    }
  }
#endif
  if (!CopyNoReplace(from, to, why)) return false;
  if (::unlink(from.c_str()) != 0) {
    why = std::strerror(errno);
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

}  // namespace

FileOpOutcome CopyMoveSlides(AlbumStore& store, const std::string& folder, bool move, VolumeSource* volumes,
                             const std::function<bool(const std::string& path)>& askContinue) {
  FileOpOutcome out;
  BusyScope busy(store);
  if (!busy.Acquired()) return out;
  std::string dir = folder;
  if (dir.empty() || dir.front() != '/') {
    out.failures.push_back("Not a folder: " + folder);
    return out;
  }
  if (dir.back() != '/') dir.push_back('/');
  struct Job {
    std::size_t pos;
    std::string from, to;
  };
  std::vector<Job> jobs;
  for (std::size_t pos : store.SelectedPositions()) {
    const auto path = store.SlideFullPath(store.At(pos));
    if (!path) continue;
    if (!Exists(*path)) {
      if (askContinue && !askContinue(*path)) {
        out.stopped = true;
        break;
      }
      continue;
    }
    std::string to = dir + store.FileNameOf(store.At(pos));
    if (to == *path) continue;
    jobs.push_back({pos, *path, std::move(to)});
  }
  std::int32_t dirIndex = -1;
  for (const Job& j : jobs) {
    std::string why;
    // Checked again here: two slides of one name must not overwrite each other.
    const bool ok = Exists(j.to) ? (why = "File exists", false)
                                 : (move ? MoveNoReplace(j.from, j.to, why) : CopyNoReplace(j.from, j.to, why));
    if (!ok) {
      out.failures.push_back((move ? "Could not move " : "Could not copy ") + j.from + " to " + j.to + ": " + why);
      continue;
    }
    ++out.done;
    if (move) {
      if (dirIndex < 0) dirIndex = store.DirectoryIndex(dir, volumes);
      SlideRecord& r = store.MutableAt(j.pos);
      r.dirIndex = dirIndex;
      r.thumbState = kThumbPending;
      r.SetThumbName({});
      r.SetSubfolder({});
    }
  }
  if (move && out.done > 0) store.SetModified(true);
  return out;
}

// --- texts -----------------------------------------------------------------------------------

const char* ColumnCaption(int column) {
  static const char* const kCaptions[kColumnCount] = {"filename", "backcolor", "FX#", "wait", "zoom",
                                                      "gamma", "rotate", "pos [x,y]", "panel [w,h]", "comment",
                                                      "crc", "user idx", "image", "extra idx", "category"};
  return column >= 0 && column < kColumnCount ? kCaptions[column] : "";
}

namespace {

std::string ShortText(std::int16_t v) {
  if (v == -2) return {};
  if (v == -1) return " --- ";
  return std::to_string(v);
}

std::string PairText(std::int16_t a, std::int16_t b) {
  if (a < 0 || b < 0) return "auto";
  return std::to_string(a) + "," + std::to_string(b);
}

std::string RgbText(std::int32_t bgr) {
  const auto v = static_cast<std::uint32_t>(bgr);
  return HexUpper(v & 0xFF, 2) + HexUpper((v >> 8) & 0xFF, 2) + HexUpper((v >> 16) & 0xFF, 2);
}

}  // namespace

std::string CellText(const AlbumStore& store, std::size_t pos, int column) {
  if (pos >= store.Count()) return {};
  const SlideRecord& r = store.At(pos);
  switch (column) {
    case kColFilename: return SlideCaption(store, r);
    case kColBackcolor:
      if (r.background == -2) return {};
      if (r.background == -1) return " --- ";
      return RgbText(r.background);
    case kColEffect: return ShortText(r.effect);
    case kColWait: return ShortText(r.wait);
    case kColZoom: return ShortText(r.zoom);
    case kColGamma: return ShortText(r.gamma);
    case kColRotate: return ShortText(r.rotate);
    case kColPosition: return PairText(r.posX, r.posY);
    case kColPanel: return PairText(r.panelW, r.panelH);
    case kColComment: return std::string(store.CommentOf(r));
    case kColCrc: return r.crc == -1 ? std::string() : Hex8(static_cast<std::uint32_t>(r.crc));
    case kColUserIdx: return std::to_string(r.userIdx);
    case kColImage:
      if (r.width == 0 && r.height == 0) return "????x????";
      return std::to_string(r.width) + "x" + std::to_string(r.height);
    case kColExtraIdx: return std::to_string(r.extraIdx);
    case kColCategory: return std::to_string(r.category);
    default: return {};
  }
}

std::string SlideDateText(std::uint32_t d, std::int32_t timeOfDay) {
  (void)timeOfDay;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (d >> 25), (d >> 21) & 0xF, (d >> 16) & 0x1F,
                (d >> 11) & 0x1F, (d >> 5) & 0x3F, (d & 0x1F) * 2);
  return buf;
}

std::vector<std::string> StatusTexts(const AlbumStore& store) {
  const std::size_t sel = store.SelectedCount();
  if (sel == 0) return {std::to_string(store.Count()) + " object(s)"};
  if (sel > 1) return {std::to_string(sel) + " object(s) selected"};
  const std::size_t pos = store.FirstSelected();
  const SlideRecord& r = store.At(pos);
  std::string when = SlideDateText(r.Date(), r.timeOfDay);
  std::string sizeText = r.Size() <= 1023 ? when : std::to_string(r.Size() / 1024) + " Kb, " + when;
  return {"Slide " + std::to_string(pos + 1) + " of " + std::to_string(store.Count()), std::string(r.Ext()),
          sizeText, store.ShownPath(r)};
}

const char* const kPropertyItemTips[9] = {
    "Clear or change background color of selected slide(s}", "Assign effect to selected slide(s)",
    "Add slide wait state/delay to selected slide(s)",       "Change where selected slide(s) appear on the screen",
    "Change midtone brightness of selected slide(s)",        "Define a window panel for selected slide(s)",
    "Rotate selected slide(s) by degree",                    "Change magnification of selected slide(s)",
    "Change comment or keywords of selected slide(s)"};

PropertyBoxTexts PropertyTexts(const AlbumStore& store, const SlideRecord& r, const EffectNameFn& effectName) {
  PropertyBoxTexts t;
  if (r.IsCdTrack())
    t.effect = "CD Track: " + std::to_string(r.effect);
  else
    t.effect = "Effect: " + (effectName ? effectName(r.effect) : std::to_string(r.effect));
  t.comment = "Comment: " + std::string(store.CommentOf(r));
  auto pair = [](const char* head, std::int16_t a, std::int16_t b) {
    return std::string(head) + (a < 0 || b < 0 ? std::string("Auto") : std::to_string(a) + "," + std::to_string(b));
  };
  t.items = {"Background",
             "Effect",
             "Wait: " + std::to_string(r.wait) + " second(s)",
             pair("Position [x,y]: ", r.posX, r.posY),
             r.gamma <= 0 ? std::string("Gamma: None") : "Gamma: " + std::to_string(r.gamma),
             pair("Panel [w,h]: ", r.panelW, r.panelH),
             "Rotate: " + std::to_string(r.rotate < 0 ? 0 : r.rotate) + " deg.",
             "Zoom: " + std::to_string(r.zoom < 0 ? 100 : r.zoom),
             "Comment"};
  return t;
}

// --- settings --------------------------------------------------------------------------------

namespace {
void Put32(std::string& b, std::size_t at, std::int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
}
void Put16(std::string& b, std::size_t at, std::int16_t v) {
  for (int i = 0; i < 2; ++i) b[at + i] = static_cast<char>((static_cast<std::uint16_t>(v) >> (8 * i)) & 0xFF);
}
std::int32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])) << (8 * i);
  return static_cast<std::int32_t>(v);
}
std::int16_t Get16(const std::string& b, std::size_t at) {
  const auto v = static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                            (static_cast<unsigned char>(b[at + 1]) << 8));
  return static_cast<std::int16_t>(v);
}
}  // namespace

std::string EncodeAlbumSettings(const AlbumWindowSettings& s) {
  std::string b(kAlbumSettingsSize, '\0');
  Put32(b, 0, s.left);
  Put32(b, 4, s.top);
  Put32(b, 8, s.right);
  Put32(b, 12, s.bottom);
  b[16] = s.toolBar;
  b[17] = s.statusBar;
  b[18] = s.propertiesBox;
  b[19] = s.buttonText;
  b[20] = s.albumMode;
  b[21] = static_cast<char>(s.view);
  b[22] = static_cast<char>(s.columnSet);
  b[23] = static_cast<char>(s.thumbStep);
  for (int i = 0; i < kColumnCount; ++i) Put16(b, 24 + 2 * i, s.columnWidths[i]);
  Put16(b, 54, s.boxWidth);
  return b;
}

AlbumWindowSettings DecodeAlbumSettings(const std::string& b, int screenWidth) {
  AlbumWindowSettings s;
  if (b.size() != kAlbumSettingsSize) {
    s.buttonText = screenWidth != 800;
    return s;
  }
  s.stored = true;
  s.left = Get32(b, 0);
  s.top = Get32(b, 4);
  s.right = Get32(b, 8);
  s.bottom = Get32(b, 12);
  s.toolBar = b[16] != 0;
  s.statusBar = b[17] != 0;
  s.propertiesBox = b[18] != 0;
  s.buttonText = b[19] != 0;
  s.albumMode = b[20] != 0;
  s.view = static_cast<std::uint8_t>(b[21]) > 1 ? 0 : static_cast<std::uint8_t>(b[21]);
  s.columnSet = static_cast<std::uint8_t>(b[22]) > 2 ? 0 : static_cast<std::uint8_t>(b[22]);
  s.thumbStep = std::clamp<std::uint8_t>(static_cast<std::uint8_t>(b[23]), 1, 8);
  for (int i = 0; i < kColumnCount; ++i) s.columnWidths[i] = std::clamp<std::int16_t>(Get16(b, 24 + 2 * i), 0, 2000);
  s.boxWidth = std::clamp<std::int16_t>(Get16(b, 54), 0, 2000);
  return s;
}

}  // namespace pelira
