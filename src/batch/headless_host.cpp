#include "batch/headless_host.h"

#include "image/image_loader.h"
#include "edit/picture_state.h"

namespace pelira {

HeadlessScriptHost::HeadlessScriptHost()
    : edit_(view_), edits_(view_, engine_, undo_, edit_, dialogs_), filters_(view_, engine_, edits_, edit_, dialogs_) {
  // The headless run never waits on a memory probe: a picture that loaded can be copied.
  edits_.SetMemoryProbe({[] { return ~std::uint64_t{0}; }, [](std::uint64_t) { return true; }});
}

HeadlessScriptHost::~HeadlessScriptHost() = default;

void HeadlessScriptHost::SetPictureDirect(Dib picture, const std::string& fileName) {
  edit_.picture = std::move(picture);
  SyncImageState(view_, edit_.picture);
  view_.ImageLoaded = true;
  view_.ImageModified = false;
  current_ = fileName;
}

bool HeadlessScriptHost::OpenBookmarks(std::vector<std::string> files) {
  bookmarks_ = std::move(files);
  position_ = 0;
  if (bookmarks_.empty()) return false;
  current_ = bookmarks_.front();
  return LoadPicture(current_);
}

bool HeadlessScriptHost::LoadPicture(const std::string& path) {
  TImageLoader l;
  const OpenOutcome o = l.Open(path);
  if (o == OpenOutcome::Media || o == OpenOutcome::Slideshow) {
    loadError_ = "not a picture";
    return false;
  }
  if (o != OpenOutcome::Image && o != OpenOutcome::Text && o != OpenOutcome::Metafile) {
    loadError_ = l.LastError().empty() ? "cannot be opened" : l.LastError();
    return false;
  }
  if (l.workingBitmap.Empty()) {
    loadError_ = "cannot be opened";
    return false;
  }
  if (!l.LastWarning().empty()) warnings_.push_back(path + ": " + l.LastWarning());
  const std::string keep = current_;
  SetPictureDirect(std::move(l.workingBitmap), keep.empty() ? path : keep);
  return true;
}

void HeadlessScriptHost::NextBookmark() {
  if (position_ + 1 >= bookmarks_.size()) return;
  current_ = bookmarks_[++position_];
  LoadPicture(current_);
}

void HeadlessScriptHost::PreviousBookmark() {
  if (position_ == 0 || bookmarks_.empty()) return;
  current_ = bookmarks_[--position_];
  LoadPicture(current_);
}

void HeadlessScriptHost::SaveBatch(const std::string& suffix, bool /*reuse*/) {
  if (save_) save_(edit_.picture, suffix);
}

bool HeadlessScriptHost::AskYesNo(const std::string& text) {
  questions_.push_back(text);
  return yesNo_ ? yesNo_(text) : false;
}

bool HeadlessScriptHost::ConfirmDeletes(const std::string& path) {
  questions_.push_back("delete " + path);
  return confirmDelete_ ? confirmDelete_(path) : false;
}

bool HeadlessScriptHost::MoveToTrash(const std::string& path) { return trash_ ? trash_(path) : false; }

void HeadlessScriptHost::NotAvailable(const std::string& word) {
  if (missingSeen_.insert(word).second) missing_.push_back(word);
}

}  // namespace pelira
