#include "tools/unzip_run.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "common/app_paths.h"
#include "platform/progress.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace pelira {

namespace fs = std::filesystem;

namespace {

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

std::string LowerExt(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool IsFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}


}  // namespace

std::int64_t ZipSavedPercent(std::uint64_t uncompressed, std::uint64_t compressed) {
  if (uncompressed == 0) return 0;
  // In 128 bits: sizes beyond 2^57 would overflow the product in 64.
  const __int128 u = uncompressed, c = compressed;
  return static_cast<std::int64_t>((u - c) * 100 / u);
}

UnZipper::UnZipper(Ui& ui, Shell& shell, UnZipDialogs& dialogs) : ui_(ui), shell_(shell), dialogs_(dialogs) {}

bool UnZipper::AddArchive(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec);
  if (ec) p = path;
  const std::string normal = p.lexically_normal().string();
  if (std::find(archives_.begin(), archives_.end(), normal) != archives_.end()) return false;
  archives_.push_back(normal);
  return true;
}

void UnZipper::Add() {
  const std::vector<std::string> chosen = dialogs_.ChooseArchives(openFolder_);
  if (chosen.empty()) return;
  for (auto it = chosen.rbegin(); it != chosen.rend(); ++it) AddArchive(*it);
  openFolder_ = fs::path(chosen.front()).parent_path().string();
}

void UnZipper::Drop(const std::vector<std::string>& paths) {
  for (const std::string& p : paths)
    if (LowerExt(p) == ".zip" && IsFile(p)) AddArchive(p);
}

void UnZipper::Clear() {
  archives_.clear();
  selected_.clear();
  current_ = -1;
  rows_.clear();
  selectedMember_.clear();
  shownArchiveName_.clear();
}

void UnZipper::RemoveIndices(std::vector<int> indices) {
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  if (indices.empty()) return;
  const int first = indices.front();
  for (auto it = indices.rbegin(); it != indices.rend(); ++it)
    if (*it >= 0 && *it < static_cast<int>(archives_.size())) archives_.erase(archives_.begin() + *it);
  selected_.clear();
  if (archives_.empty()) {
    current_ = -1;
  } else {
    current_ = std::min(first, static_cast<int>(archives_.size()) - 1);
    selected_.push_back(current_);
  }
}

void UnZipper::Cut() {
  RemoveIndices(selected_);
  if (archives_.empty())
    Clear();
  else
    View();
}

void UnZipper::Delete() {
  if (selected_.empty()) return;
  const std::string text = "Recycle " + std::to_string(selected_.size()) + " ZIP archive(s) ?";
  if (ui_.Message(MessageKind::Confirmation, text, Button::Yes | Button::No) != Button::Yes) return;
  std::vector<int> gone;
  for (int i : selected_) {
    if (i < 0 || i >= static_cast<int>(archives_.size())) continue;
    const std::string& path = archives_[static_cast<std::size_t>(i)];
    if (!IsFile(path)) {
      gone.push_back(i);
      continue;
    }
    const TrashResult r = shell_.MoveToTrash(path);
    if (r.ok)
      gone.push_back(i);
    else
      ui_.Message(MessageKind::Error, r.message, Button::OK);  // kept in the list: nothing was deleted
  }
  RemoveIndices(gone);
  if (archives_.empty())
    Clear();
  else
    View();
}

void UnZipper::SetSelection(std::vector<int> selected, int current) {
  selected.erase(std::remove_if(selected.begin(), selected.end(),
                                [&](int i) { return i < 0 || i >= static_cast<int>(archives_.size()); }),
                 selected.end());
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  selected_ = std::move(selected);
  current_ = current >= 0 && current < static_cast<int>(archives_.size()) ? current : -1;
}

void UnZipper::View() {
  rows_.clear();
  if (archives_.empty() || current_ < 0 || selected_.empty()) {
    selectedMember_.clear();
    return;
  }
  log_.clear();
  const std::string& path = archives_[static_cast<std::size_t>(current_)];
  shownArchiveName_ = FileName(path);
  ZipArchive zip;
  if (!zip.Open(path)) {
    if (!extracting_) ui_.Message(MessageKind::Error, path + "\n" + "is incomplete or corrupted.", Button::OK);
    selectedMember_.clear();
    return;
  }
  for (const ZipEntry& e : zip.Entries()) {
    ZipGridRow row;
    row.name = e.name;
    if (e.uncompressedSize > 0 && e.compressedSize > 0) {
      row.date = ZipDateText(e.dosDate, e.dosTime);
      row.size = std::to_string(e.uncompressedSize);
      row.percent = std::to_string(ZipSavedPercent(e.uncompressedSize, e.compressedSize));
      row.packSize = std::to_string(e.compressedSize);
    }
    rows_.push_back(std::move(row));
  }
  // The member chosen in another archive means nothing here.
  if (std::none_of(rows_.begin(), rows_.end(), [&](const ZipGridRow& r) { return r.name == selectedMember_; }))
    selectedMember_.clear();
}

void UnZipper::SelectMember(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) selectedMember_ = rows_[static_cast<std::size_t>(row)].name;
}

void UnZipper::ToggleSkipDuplicates() {
  skipDuplicates_ = !skipDuplicates_;
  ui_.Message(MessageKind::Information,
              skipDuplicates_ ? "If a target file exists, it will not be extracted."
                              : "If a target file exists, a numbered duplicate will be created.",
              Button::OK);
}

std::string UnZipper::StatusText() {
  if (selected_.empty()) return "Ready.";
  if (selected_.size() == 1) {
    if (selectedMember_.empty() && !rows_.empty()) selectedMember_ = rows_.front().name;
    return "[ Archive: " + shownArchiveName_ + " ]   File selected: " + selectedMember_;
  }
  return " " + std::to_string(selected_.size()) + " archives selected for batch.";
}

void UnZipper::RemoveMissing() {
  for (int i = static_cast<int>(archives_.size()) - 1; i >= 0; --i) {
    const std::string path = archives_[static_cast<std::size_t>(i)];
    if (IsFile(path)) continue;
    ui_.Message(MessageKind::Warning, "Missing file!\n" + path + "\n" + "Item removed from list.", Button::OK);
    archives_.erase(archives_.begin() + i);
    std::vector<int> kept;
    for (int s : selected_)
      if (s != i) kept.push_back(s > i ? s - 1 : s);
    selected_ = std::move(kept);
    if (current_ == i) current_ = -1;
    if (current_ > i) --current_;
  }
}

std::string UnZipper::AskFolder(const std::string& title) {
  const std::string start =
      selected_.empty() ? std::string() : fs::path(archives_[static_cast<std::size_t>(selected_.front())]).parent_path().string();
  const std::string folder = dialogs_.ChooseFolder(title, start);
  if (folder.empty() || folder == "\\") return {};
  return folder;
}

UnZipper::RunResult UnZipper::Run(const std::vector<int>& which, const std::string& folder, bool sourceFolders,
                                  const std::optional<std::string>& onlyMember) {
  RunResult result;
  log_.clear();
  std::unique_ptr<Progress> progress = OpenProgress(ui_, "Unzipping ...");
  if (!progress) {  // another operation's progress box is open: nothing was done
    result.started = false;
    result.aborted = true;
    return result;
  }
  progress->SetStatus("Unzipping ...");
  progress->SetBar(ProgressBar::Thumbs, 1, 100);
  progress->SetBar(ProgressBar::Folders, 0, 100);
  extracting_ = true;

  ZipExtractOptions options;
  options.skipDuplicates = skipDuplicates_;
  options.limits = limits_;
  options.onlyMember = onlyMember;
  const std::int64_t count = static_cast<std::int64_t>(which.size());
  std::vector<int> failed;
  for (std::int64_t pos = 0; pos < count && !Flags().AbortRequest; ++pos) {
    const std::string& path = archives_[static_cast<std::size_t>(which[static_cast<std::size_t>(pos)])];
    const fs::path target = sourceFolders ? fs::path(path).parent_path() : fs::path(folder);
    progress->SetStatus(FileName(path));
    progress->SetBarLabel(ProgressBar::Thumbs, "Archives:");
    progress->SetBarLabel(ProgressBar::Folders, "Files:");
    progress->SetBar(ProgressBar::Thumbs, (pos + 1) * 100 / count, 100);
    PercentTracker percent;
    ZipExtractCallbacks callbacks;
    callbacks.progress = [&](std::uint64_t done, std::uint64_t total) {
      const auto d = static_cast<std::int64_t>(std::min<std::uint64_t>(done, INT64_MAX));
      const auto t = static_cast<std::int64_t>(std::min<std::uint64_t>(total, INT64_MAX));
      if (percent.Update(d, t)) progress->SetBar(ProgressBar::Folders, percent.Percent(), 100);
      progress->Pump();
      return !progress->Aborted();
    };
    callbacks.warning = [&](const std::string& text) { ui_.Message(MessageKind::Warning, text, Button::OK); };
    const ZipExtractResult r = ExtractZip(path, target, options, callbacks);
    result.total += r.filesExtracted;
    log_.insert(log_.end(), r.log.begin(), r.log.end());
    if (r.failed) {
      Flags().AbortRequest = true;
      failed.push_back(which[static_cast<std::size_t>(pos)]);
      result.anyFailed = true;
    }
  }
  result.aborted = Flags().AbortRequest.load();
  progress.reset();
  extracting_ = false;
  for (int f : failed) selected_.erase(std::remove(selected_.begin(), selected_.end(), f), selected_.end());
  return result;
}

void UnZipper::ReportLog(int total) {
  std::string error;
  const fs::path logFile = AppPaths::ZipErrsLog();
  if (!WriteZipErrsLog(logFile, log_, &error)) {
    ui_.Message(MessageKind::Error, error, Button::OK);
    return;
  }
  const std::string text =
      std::to_string(total) + " file(s) unzipped." + "\n" + "There were exceptions.  View log?";
  if (ui_.Message(MessageKind::Confirmation, text, Button::Yes | Button::No) == Button::Yes &&
      !dialogs_.OpenDocument(logFile.string()))
    ui_.Message(MessageKind::Error, "Text viewer not found.", Button::OK);
}

bool UnZipper::Extract(ExtractCommand command, bool shiftHeld) {
  if (extracting_) return false;
  bool sourceFolders = true;
  if (!shiftHeld) {
    const Button a = ui_.Message(MessageKind::Confirmation, "Extract ZIP archive(s) to source folders?",
                                 Button::Yes | Button::No | Button::Cancel | Button::Help, kUnZipHelpContext);
    if (a != Button::Yes && a != Button::No) return false;
    sourceFolders = a == Button::Yes;
  }
  RemoveMissing();
  if (command == ExtractCommand::All) {
    selected_.clear();
    for (int i = 0; i < static_cast<int>(archives_.size()); ++i) selected_.push_back(i);
  }
  if (selected_.empty()) {
    ui_.Message(MessageKind::Warning, "No ZIPs selected.", Button::OK);
    return false;
  }
  std::string folder;
  std::error_code ec;
  if (sourceFolders &&
      !fs::is_directory(fs::path(archives_[static_cast<std::size_t>(selected_.front())]).parent_path(), ec))
    sourceFolders = false;
  if (!sourceFolders) {
    const std::string title = selected_.size() == 1
                                  ? "Extract \"" + shownArchiveName_ + "\" to"
                                  : "Extract " + std::to_string(selected_.size()) + " ZIP files to ";
    folder = AskFolder(title);
    if (folder.empty()) return false;
  }

  const std::vector<int> which = selected_;
  const RunResult r = Run(which, folder, sourceFolders, std::nullopt);
  if (!r.started) return false;
  if (!log_.empty())
    ReportLog(r.total);
  else if (r.aborted && r.total > 0)
    ui_.Message(MessageKind::Information, "There were extraction errors.\nSome files were recovered.", Button::OK);

  if (!r.aborted && log_.empty()) {
    bool recycle = sourceFolders;
    if (!sourceFolders) {
      dialogs_.Beep();
      const std::string what =
          archives_.size() == 1 ? FileName(archives_.front()) : std::to_string(which.size()) + " selected ZIP files";
      recycle = ui_.Message(MessageKind::Confirmation, "Recycle " + what + " ?", Button::Yes | Button::No) ==
                Button::Yes;
    }
    if (recycle) {
      std::vector<int> gone;
      for (int i : which) {
        const TrashResult t = shell_.MoveToTrash(archives_[static_cast<std::size_t>(i)]);
        if (t.ok)
          gone.push_back(i);
        else
          ui_.Message(MessageKind::Error, t.message, Button::OK);
      }
      RemoveIndices(gone);
      if (archives_.empty()) Clear();
    }
  }
  if (filesChanged) filesChanged();
  return log_.empty() && command == ExtractCommand::All && !r.anyFailed;
}

void UnZipper::ExtractSingleFile() {
  if (extracting_) return;
  RemoveMissing();
  if (selected_.empty()) {
    ui_.Message(MessageKind::Warning, "No ZIPs selected.", Button::OK);
    return;
  }
  if (selectedMember_.empty()) return;
  const std::string folder = AskFolder("Extract \"" + selectedMember_ + "\" to ");
  if (folder.empty()) return;
  const RunResult r = Run(selected_, folder, false, selectedMember_);
  if (!r.started) return;
  if (!log_.empty())
    ReportLog(r.total);
  else if (r.aborted && r.total > 0)
    ui_.Message(MessageKind::Information, "There were extraction errors.\nSome files were recovered.", Button::OK);
  else
    ui_.Message(MessageKind::Information, std::to_string(r.total) + " file(s) unzipped.", Button::OK);
  if (filesChanged) filesChanged();
}

std::string UnZipper::ExtractSelectedForViewing() {
  if (extracting_ || current_ < 0 || selectedMember_.empty()) return {};
  const auto parts = SafeMemberPath(selectedMember_);
  if (!parts) return {};
  const std::string& archive = archives_[static_cast<std::size_t>(current_)];
  fs::path folder;
  try {
    static int serial = 0;
    folder = AppPaths::RunTemp() / ("unzip-" + std::to_string(++serial));
  } catch (const std::exception& e) {
    ui_.Message(MessageKind::Error, e.what(), Button::OK);
    return {};
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  ZipExtractOptions options;
  options.onlyMember = selectedMember_;
  options.limits = limits_;
  const ZipExtractResult r = ExtractZip(archive, folder, options);
  if (r.filesExtracted != 1) {
    std::string text;
    for (const std::string& line : r.log) text += (text.empty() ? "" : "\n") + line;
    if (!text.empty()) ui_.Message(MessageKind::Error, text, Button::OK);
    return {};
  }
  fs::path file = folder;
  for (const std::string& part : *parts) file /= part;
  return file.string();
}

}  // namespace pelira
