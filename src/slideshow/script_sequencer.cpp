#include "slideshow/script_sequencer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/kind_list.h"
#include "image/kinds.h"

namespace pelira {

namespace {

// A chain of scripts naming each other with no slide between them would never show anything.
constexpr int kMaxHandovers = 16;

std::string FolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  if (folder.empty()) folder = ".";
  if (folder.back() != '/') folder += '/';
  return folder;
}

// "C:\PHOTOS\2001\" written on another system as a relative folder, "PHOTOS/2001/"; "" for
// anything else (a folder of this system, a bare drive, a network name).
std::string ForeignRelativeFolder(const std::string& dir) {
  if (dir.size() < 3 || dir[1] != ':' || (dir[2] != '\\' && dir[2] != '/')) return {};
  std::string rel;
  for (std::size_t i = 3; i < dir.size(); ++i) rel += dir[i] == '\\' ? '/' : dir[i];
  while (!rel.empty() && rel.front() == '/') rel.erase(rel.begin());
  if (rel.empty() || rel.find('\0') != std::string::npos) return {};
  if (rel.back() != '/') rel += '/';
  // No climbing out of the folder it is looked for under.
  for (std::size_t start = 0; start < rel.size();) {
    const std::size_t end = rel.find('/', start);
    const std::string part = rel.substr(start, end - start);
    if (part == "..") return {};
    start = end + 1;
  }
  return rel;
}

}  // namespace

std::optional<std::string> ReadScriptFile(const std::string& path) {
  std::error_code ec;
  // A FIFO or a device named .avl would block or never end.
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kAvlMaxBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

ScriptSequencer::ScriptSequencer(std::string path, std::string bytes, bool jukebox, FileExistsFn exists,
                                 ScriptReaderFn reader)
    : jukebox_(jukebox), exists_(std::move(exists)), reader_(std::move(reader)) {
  bad_ = !Load(path, std::move(bytes));
}

bool ScriptSequencer::Load(const std::string& path, std::string bytes) {
  auto owned = std::make_unique<std::string>(std::move(bytes));
  std::optional<AvlScript> script = AvlScript::Open(*owned);
  if (!script || !script->Header().directoriesInSequence) return false;
  path_ = path;
  folder_ = FolderOf(path);
  bytes_ = std::move(owned);
  script_ = std::move(script);
  header_ = script_->Header();
  n_ = header_.slideCount;
  // The show starts at the RUN slide: the sections before it are passed over.
  const std::int64_t run = header_.run >= 1 && header_.run <= n_ ? header_.run : 1;
  AvlSlide skipped;
  for (std::int64_t k = 1; k < run; ++k)
    if (!script_->NextSection(k, skipped)) break;
  i_ = run - 1;
  return true;
}

void ScriptSequencer::Reopen() { script_ = AvlScript::Open(*bytes_); }

ShowStep ScriptSequencer::StopStep() {
  stopped_ = true;
  waitDue_ = false;
  ShowStep step;
  step.report = report_;
  step.error = error_;
  return step;
}

std::string ScriptSequencer::Locate(const AvlSlide& slide) {
  for (const AvlCandidate& c : AvlCandidatePaths(header_, slide))
    if (exists_(c.dir + c.name)) return c.dir + c.name;
  const bool indexed = slide.dirIndexOk && slide.dirIndex >= 0 &&
                       static_cast<std::uint64_t>(slide.dirIndex) < header_.directories.size();
  const auto d = indexed ? static_cast<std::size_t>(slide.dirIndex) : 0;
  // A file found elsewhere moves its directory entry, so later slides there are found at once.
  auto found = [&](const std::string& folder, const std::string& name) {
    if (indexed) {
      header_.directories[d] = folder;
      if (d < header_.rawDirectories.size()) header_.rawDirectories[d] = folder;
    }
    return folder + name;
  };
  for (const std::string* name : {&slide.name, &slide.rawName}) {
    if (name->empty() || name->find('/') != std::string::npos || name->find('\0') != std::string::npos) continue;
    // Moved beside the script.
    if (exists_(folder_ + *name)) return found(folder_, *name);
    // A script made on another system ("C:\SHOWS\PICS\"): the same folders under the script's
    // folder or any folder above it, such as the mount point of the disc or stick holding both.
    const std::string rel = indexed ? ForeignRelativeFolder(header_.directories[d]) : std::string();
    if (rel.empty()) continue;
    std::filesystem::path base(folder_);
    for (int depth = 0; depth < 64; ++depth) {
      std::string root = base.string();
      if (root.empty() || root.back() != '/') root += '/';
      if (exists_(root + rel + *name)) return found(root + rel, *name);
      if (!base.has_parent_path() || base.parent_path() == base) break;
      base = base.parent_path();
    }
  }
  return {};
}

ShowStep ScriptSequencer::Next(RandomSource& random) {
  if (bad_ || stopped_ || n_ < 1) return StopStep();
  if (waitDue_) {
    waitDue_ = false;
    ShowStep step;
    step.action = ShowAction::Wait;
    step.waitMs = waitMs_;
    return step;
  }
  for (;;) {
    if (i_ >= n_) {
      i_ = 0;
      Reopen();
    }
    ++i_;
    AvlSlide slide;
    if (!script_ || !script_->NextSection(i_, slide)) slide = AvlSlide{};
    const std::string n = std::to_string(n_), i = std::to_string(i_);

    ShowStep step;
    step.caption = "Slide " + i + " of " + n + " \n " + slide.name;
    const std::int64_t wait = std::int64_t{slide.wait} * 1000;
    waitMs_ = wait < 1 ? kMinimumWaitMs : wait;
    SlideProps& p = step.props;
    p.script = true;
    p.background = slide.background >= 0 ? slide.background : -1;
    p.zoom = slide.zoom;
    p.gamma = slide.gamma;
    p.rotate = ((slide.rotate % 360) + 360) % 360;
    p.posX = slide.posX;
    p.posY = slide.posY;
    p.panelW = slide.panelW;
    p.panelH = slide.panelH;
    p.comment = slide.comment;

    if (slide.found && slide.cdTrack) {
      handovers_ = 0;
      step.action = ShowAction::PlayCd;
      step.track = slide.track;
      waitDue_ = true;
      return step;
    }
    const std::string path = slide.found ? Locate(slide) : std::string();
    std::string dir;
    if (slide.found && slide.dirIndexOk && slide.dirIndex >= 0 &&
        static_cast<std::uint64_t>(slide.dirIndex) < header_.directories.size())
      dir = header_.directories[static_cast<std::size_t>(slide.dirIndex)];
    lastReport_ = "\nSlide " + i + " of " + n + "\nFolder: " + dir + "\nFilename: " + slide.name;
    if (path.empty()) {
      report_ = lastReport_;
      return StopStep();
    }
    const std::string ext = UpperExt(path);
    if (ext == ".AVL") {
      // The named script takes over from its own RUN slide; a bad one ends the show.
      std::optional<std::string> bytes = reader_ ? reader_(path) : std::nullopt;
      if (++handovers_ > kMaxHandovers || !bytes || !Load(path, std::move(*bytes)) || n_ < 1) {
        error_ = kBadAvlText;
        return StopStep();
      }
      continue;
    }
    handovers_ = 0;
    step.path = path;
    if ((ext == ".RMI" || ext == ".WAV" || ext == ".MID") && !jukebox_) {
      step.action = ShowAction::PlaySound;
      waitDue_ = true;
    } else if (PathInKindList(path, kMediaList)) {
      step.action = ShowAction::PlayMedia;
    } else if (ext == ".RTF" || ext == ".TXT") {
      step.action = ShowAction::ShowText;
      waitDue_ = true;
    } else {
      step.action = ShowAction::ShowPicture;
      step.effectEntry = ChooseScriptEntry(slide.effect, slide.track, random);
      waitDue_ = true;
    }
    return step;
  }
}

void ScriptSequencer::SlideFailed() {
  if (stopped_) return;
  stopped_ = true;
  waitDue_ = false;
  report_ = lastReport_;
}

TransitionEffect ScriptSequencer::EffectFor(int effectEntry, int width, int height, int speed, int screenWidth,
                                            RandomSource& random) {
  return chooser_.Choose(effectEntry, width, height, speed, screenWidth, random);
}

}  // namespace pelira
