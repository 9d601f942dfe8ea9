// TWebForm: the clipboard (Copy, Paste, Empty), scanning, New and I&nfo.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <filesystem>

#include "display/forms/pix.h"
#include "edit/tone_commands.h"
#include "engine/dialogs/resize_form.h"
#include "jpeg_tools/forms/comment_form.h"
#include "jpeg_tools/jpeg_text.h"
#include "platform/ui.h"
#include "viewer/clipboard_picture.h"
#include "viewer/file_info.h"
#include "viewer/forms/qt_clipboard.h"
#include "viewer/forms/sane_scanner.h"
#include "viewer/forms/web_form.h"
#include "viewer/status_text.h"

namespace pelira {

namespace {

inline constexpr int kNewImageMinSide = 15;  // this or less makes no picture
inline constexpr int kNewImageMaxSide = 32000;

// The wait cursor while a command works.
class WaitCursor {
public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

void Tell(MessageKind kind, const std::string& text) { CurrentUi().Message(kind, text, Button::OK); }

}  // namespace

Clipboard& TWebForm::TheClipboard() {
  if (clipboard_) return *clipboard_;
  if (!ownClipboard_) ownClipboard_ = std::make_unique<QtClipboard>();
  return *ownClipboard_;
}

Scanner& TWebForm::TheScanner() {
  if (scanner_) return *scanner_;
  if (!ownScanner_) ownScanner_ = std::make_unique<SaneScanner>();
  return *ownScanner_;
}

void TWebForm::ShowUntitled(Dib&& bitmap) {
  PrepareOpen();
  DiscardUndo();
  BlankPictureState(state_, true);
  sky95_->SetBitmap(std::move(bitmap));
  Action("mnuReload")->setEnabled(false);
  SyncImageState(state_, sky95_->Bitmap());
  state_.SourceWidth = state_.ImageWidth;
  state_.SourceHeight = state_.ImageHeight;
  EnableControls();
  ScrollTo(0, 0);
  PictureChanged();  // also ends the page controls and marks the picture modified
  if (!state_.FitMode && settings_->viewer.autoSize) SizeWindowToImage();
  UpdateCaption();
  ShowPageCommands();
  UpdateHistoryEdit();
}

// --- copy, paste, empty -------------------------------------------------------------------------

void TWebForm::mnuCopyClick() {
  // The path box keeps Ctrl+C for its own text.
  if (history_->hasFocus() || !state_.ImageLoaded || state_.SlideshowRunning) return;
  EnsureFullPicture();
  // Checked before the clipboard is touched, so a refused copy leaves what was there.
  if (Edits().MemoryRunningLow()) return;
  const WaitCursor wait;
  bool ok = false;
  try {
    ok = TheClipboard().Set(std::make_shared<const Dib>(sky95_->Bitmap()));
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) Tell(MessageKind::Error, kClipboardTooLargeText);
}

void TWebForm::mnuCopyViewportClick() {
  if (history_->hasFocus() || !state_.ImageLoaded || state_.SlideshowRunning) return;
  SelectHandTool();
  const Dib& picture = sky95_->Bitmap();
  const QWidget* view = scrollBox_->viewport();
  const RectI r = ViewportRegion(scrollBox_->horizontalScrollBar()->value(), scrollBox_->verticalScrollBar()->value(),
                                 view->width(), view->height(), state_.Zoom, state_.FitMode, picture.Width(),
                                 picture.Height());
  state_.LastRegion = {r.left, r.top, static_cast<std::int32_t>(r.right()), static_cast<std::int32_t>(r.bottom())};
  bool ok = false;
  try {
    Dib part = CopyRegion(picture, r);
    ok = !part.Empty() && TheClipboard().Set(std::make_shared<const Dib>(std::move(part)));
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) Tell(MessageKind::Error, kClipboardTooLargeText);
}

void TWebForm::mnuCopySelectionClick() {
  if (history_->hasFocus() || !state_.ImageLoaded || state_.SlideshowRunning) return;
  const SelectionBounds& s = state_.SelectionRect;
  const int left = std::min(s.left, s.right), top = std::min(s.top, s.bottom);
  const RectI r{left, top, std::abs(s.right - s.left), std::abs(s.bottom - s.top)};
  if (r.empty()) return;  // nothing selected
  EnsureFullPicture();
  bool ok = false;
  try {
    Dib part = CopyRegion(sky95_->Bitmap(), r);
    ok = !part.Empty() && TheClipboard().Set(std::make_shared<const Dib>(std::move(part)));
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) Tell(MessageKind::Error, kClipboardTooLargeText);
}

void TWebForm::mnuPasteClick() {
  if (history_->hasFocus() || state_.SlideshowRunning) return;
  Clipboard& clipboard = TheClipboard();
  // No picture there: the shown one stays (it used to be blanked first).
  if (!clipboard.HasBitmap()) return;
  if (state_.ImageModified && !CloseNow()) return;
  Dib pasted;
  {
    const WaitCursor wait;
    try {
      pasted = DecodeClipboard(clipboard.Get(), FromPlatformColor(settings_->viewer.backgroundColor));
    } catch (const std::exception&) {
      pasted = Dib();
    }
  }
  if (pasted.Empty()) {
    Tell(MessageKind::Error, kPasteFailedText);
    return;
  }
  ShowUntitled(std::move(pasted));
}

void TWebForm::mnuPasteMask1Click() {
  if (history_->hasFocus() || !state_.ImageLoaded || state_.SlideshowRunning) return;
  const SelectionBounds s = state_.SelectionRect;
  if (s.left == s.right || s.top == s.bottom) return;  // no drawn selection
  Clipboard& clipboard = TheClipboard();
  if (!clipboard.HasBitmap()) return;
  Dib clip;
  try {
    const WaitCursor wait;
    clip = DecodeClipboard(clipboard.Get(), FromPlatformColor(settings_->viewer.backgroundColor));
  } catch (const std::exception&) {
    clip = Dib();
  }
  if (clip.Empty()) {
    Tell(MessageKind::Error, kPasteFailedText);
    return;
  }
  EnsureFullPicture();
  if (!Edits().AutoBackUp()) return;
  if (PasteNeedsTrueColor(sky95_->Bitmap(), clip)) Edits().EnsureTrueColor();
  PasteInto(sky95_->EditBitmap(), clip, s);
  sky95_->BitmapChanged();
  PictureChanged();
}

void TWebForm::mnuEmptyClick() { TheClipboard().Clear(); }

// --- scanning -----------------------------------------------------------------------------------

void TWebForm::mnuTWAIN_Select1Click() {
  Scanner& scanner = TheScanner();
  const std::vector<ScanDevice> devices = scanner.Available() ? scanner.Devices() : std::vector<ScanDevice>{};
  if (devices.empty()) {
    Tell(MessageKind::Error, kScannerErrorText);
    return;
  }
  QStringList labels;
  for (const ScanDevice& d : devices) labels << QString::fromStdString(d.label);
  const int chosen = Dialogs().ChooseScanner(this, labels);
  if (chosen < 0 || chosen >= static_cast<int>(devices.size())) return;  // cancelled: nothing to report
  scanDevice_ = devices[static_cast<std::size_t>(chosen)].name;
  mnuTWAIN_Acquire1Click();
}

void TWebForm::mnuTWAIN_Acquire1Click() {
  if (state_.SlideshowRunning) return;
  Scanner& scanner = TheScanner();
  if (!scanner.Available()) {
    Tell(MessageKind::Error, kScannerErrorText);
    return;
  }
  if (state_.ImageModified && !CloseNow()) return;
  ScanResult r;
  {
    const WaitCursor wait;
    SetStatusWord(kStatusBusy);
    r = scanner.Acquire(scanDevice_);
    StatusReady();
  }
  switch (r.status) {
    case ScanResult::Status::Cancelled:
      Tell(MessageKind::Information, kScanAbortedText);
      return;
    case ScanResult::Status::Failed:
      Tell(MessageKind::Error, r.message.empty() ? std::string(kScannerErrorText)
                                                 : std::string(kScannerErrorText) + "\n" + r.message);
      return;
    case ScanResult::Status::Scanned:
      ShowUntitled(std::move(r.picture));
      return;
  }
}

// --- New ----------------------------------------------------------------------------------------

void TWebForm::mnuNew1Click() {
  if (state_.SlideshowRunning) return;
  const QScreen* sc = screen();
  const int sw = sc ? sc->size().width() : 800, sh = sc ? sc->size().height() : 600;
  TResizeForm dialog(-1, -1, sw, sh, kNewImageMaxSide, kNewImageMaxSide, "New Image", -2, this);
  dialog.SetDialogs(&Dialogs());
  dialog.SetBorderColor(0xFFFFFF);  // white paper unless another colour is chosen
  if (!Dialogs().RunNewImageDialog(dialog)) return;
  dialog.setResult(QDialog::Accepted);
  const SizeResult chosen = dialog.Result();
  if (chosen.width <= kNewImageMinSide || chosen.height <= kNewImageMinSide) return;
  const int w = std::min(chosen.width, kNewImageMaxSide), h = std::min(chosen.height, kNewImageMaxSide);
  if (!Edits().AutoBackUp()) return;
  Dib picture;
  try {
    picture = Dib(w, h, 24, Dib::Init::Uninitialised);
  } catch (const std::exception&) {
    // Too large for this machine: the shown picture stays.
    Tell(MessageKind::Warning, "Not enough memory for a new image of " + std::to_string(w) + " x " +
                                   std::to_string(h) + " pixels.");
    return;
  }
  const ColorValue fill = FromPlatformColor(chosen.borderColor);
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(BlueOf(fill)), static_cast<std::uint8_t>(GreenOf(fill)),
                               static_cast<std::uint8_t>(RedOf(fill))};
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = picture.ScanLine(y);
    for (int x = 0; x < w; ++x) std::copy(bgr, bgr + 3, row + 3 * x);
    std::fill(row + 3 * static_cast<std::size_t>(w), row + picture.Stride(), 0);
  }
  // The undo copy just taken survives: Undo brings the previous picture back.
  PrepareOpen();
  BlankPictureState(state_, true);
  sky95_->SetBitmap(std::move(picture));
  Action("mnuReload")->setEnabled(false);
  SyncImageState(state_, sky95_->Bitmap());
  state_.SourceWidth = w;
  state_.SourceHeight = h;
  EnableControls();
  ScrollTo(0, 0);
  PictureChanged();
  if (!state_.FitMode && settings_->viewer.autoSize) SizeWindowToImage();
  UpdateCaption();
  ShowPageCommands();
  UpdateHistoryEdit();
}

// --- I&nfo --------------------------------------------------------------------------------------

void TWebForm::mnuImageInfoClick() {
  if (state_.CurrentFile == kUntitled || !state_.ImageLoaded) return;
  const std::filesystem::path file(state_.CurrentFile);
  const WaitCursor wait;
  std::optional<FileInfoFacts> facts = ReadFileFacts(file);
  if (!facts) {
    Tell(MessageKind::Error, file.filename().string() + " not found.");
    return;
  }
  facts->description = ImageDescription(state_);
  facts->pages = state_.PageCount;
  facts->uses = PictureMemorySize(state_.ImageWidth, state_.ImageHeight, state_.ImageBits);
  facts->videoBits = screen() ? screen()->depth() : 24;
  bool jpeg = state_.CurrentExt == ".JPG" || state_.CurrentExt == ".JPEG";
  if (jpeg && !ReadJpegTextFile(file).ok) {
    Tell(MessageKind::Warning, state_.CurrentFile + "\n" + kBadHeaderText);
    jpeg = false;
  }
  if (jpeg) {
    ShowJpegInfoWindow(this, QString::fromStdString(state_.CurrentFile),
                       QString::fromStdString(FileInfoText(*facts, false, "\r\n")));
    return;
  }
  Tell(MessageKind::Information, FileInfoText(*facts, true, "\n"));
}

}  // namespace pelira
