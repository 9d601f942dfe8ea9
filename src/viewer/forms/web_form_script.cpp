// TWebForm: Tools › Batch › Editor and Perform, and the window as the host of a running
// script. The language and the interpreter are core (src/batch/); this file lends them the
// window's picture, file and questions.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include <filesystem>

#include "batch/forms/batch_form.h"
#include "batch/script_interpreter.h"
#include "common/request_flags.h"
#include "display/forms/pix.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "viewer/forms/web_form.h"
#include "viewer/slide_image.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"
#include "viewer/window_sizing.h"

namespace pelira {

namespace {

// While a script runs, the viewer and the editor take no input but Esc, which asks the run
// to stop after its current line. Boxes and dialogs the run opens are other windows and
// work as usual.
class ScriptInputGuard : public QObject {
public:
  ScriptInputGuard(QWidget* a, QWidget* b) : a_(a), b_(b) { qApp->installEventFilter(this); }
  ~ScriptInputGuard() override { qApp->removeEventFilter(this); }

protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::ShortcutOverride: case QEvent::Shortcut:
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::Wheel: case QEvent::Close:
        break;
      default:
        return false;
    }
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || (w->window() != a_ && w->window() != b_)) return false;
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape)
      Flags().AbortRequest = true;
    return true;
  }

private:
  QWidget* a_;
  QWidget* b_;
};

}  // namespace

struct TWebForm::ScriptParts : ScriptHost {
  explicit ScriptParts(TWebForm& f) : form(f) {}

  ToneCommands& Edits() override { return form.Edits(); }
  FilterCommands* Filters() override { return &form.Filters(); }
  EngineState& Engine() override { return form.Engine(); }
  PictureState& View() override { return form.state_; }
  Dib& Picture() override { return form.sky95_->EditBitmap(); }
  void SetPicture(Dib&& p) override { form.sky95_->SetBitmap(std::move(p)); }
  void PictureChanged() override {
    form.sky95_->BitmapChanged();
    form.PictureChanged();
    form.sky95_->update();
  }
  void Refresh() override {
    form.sky95_->BitmapChanged();
    form.sky95_->update();
    form.UpdateCaption();
    QApplication::processEvents();
  }
  std::string CurrentFileName() override { return form.state_.CurrentFile; }
  bool LoadPicture(const std::string& path) override {
    // The script owns the picture while it runs: no question about the edits it made.
    const std::string keep = form.state_.CurrentFile;
    form.OpenChosen(QString::fromStdString(path));
    form.state_.CurrentFile = keep;
    form.UpdateCaption();
    return form.state_.ImageLoaded;
  }
  void NextBookmark() override { form.BookmarkStep(1); }
  void PreviousBookmark() override { form.BookmarkStep(-1); }
  void SaveBatch(const std::string& suffix, bool reuse) override {
    // The first SAVE of a run shows the save dialog; later ones reuse its folder and type.
    form.batchSuffix_ = suffix;
    if (!reuse) form.batchMark_ = false;
    form.mnuSaveClick(true);
    // A finished save clears the modified flag; a cancelled one has cleared the mark.
    if (!form.state_.ImageModified) form.SetBatchMark(true, suffix);
  }
  bool AskYesNo(const std::string& text) override {
    return CurrentUi().Message(MessageKind::Confirmation, text, Button::Yes | Button::No) == Button::Yes;
  }
  bool ConfirmDeletes(const std::string& path) override {
    return CurrentUi().Message(MessageKind::Confirmation,
                               "The script deletes files, starting with\n" + path +
                                   "\nMove them to the trash?",
                               Button::Yes | Button::No) == Button::Yes;
  }
  bool MoveToTrash(const std::string& path) override { return CurrentShell().MoveToTrash(path).ok; }
  bool StopRequested() override {
    // Lets the Esc key through (the input guard keeps everything else out).
    QApplication::processEvents();
    return Flags().AbortRequest;
  }
  void ClearStopRequest() override { Flags().AbortRequest = false; }

  TWebForm& form;
  TBatchForm* editor = nullptr;
};

void TWebForm::BuildScriptMenus() {
  script_ = std::unique_ptr<ScriptParts, void (*)(ScriptParts*)>(new ScriptParts(*this), [](ScriptParts* p) { delete p; });
  auto wire = [this](const char* name, void (TWebForm::*run)()) {
    QAction* a = Action(name);
    if (!a) return;
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [this, run] { Run([this, run] { (this->*run)(); }); });
  };
  wire("mnuBatchEditor", &TWebForm::mnuBatchEditorClick);
  wire("mnuBatchPerform", &TWebForm::mnuPerformBatchClick);
}

TBatchForm* TWebForm::BatchForm() {
  if (!script_->editor) {
    script_->editor = new TBatchForm(this);
    script_->editor->SetPerform([this](const std::vector<std::string>& lines) { PerformScript(lines); });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect a = screen->availableGeometry();
      const BoundsRect& b = settings_->viewer.batchEditorBounds;
      const RectI r = RestoreEditorBounds(b.left, b.top, b.right, b.bottom, {a.width(), a.height()});
      script_->editor->move(a.left() + r.left, a.top() + r.top);
      script_->editor->resize(r.width, r.height);
    }
    script_->editor->SetOnHide([this] { KeepEditorBounds(); });
    Edits().SetRecorder(script_->editor);
    Filters().SetRecorder(script_->editor);
  }
  return script_->editor;
}

void TWebForm::mnuBatchEditorClick() {
  TBatchForm* f = BatchForm();
  f->show();
  f->raise();
  f->activateWindow();
}

void TWebForm::mnuPerformBatchClick() {
  // Nothing to run before the editor ever recorded.
  if (!script_->editor || !script_->editor->Recording()) return;
  // Every file the script loads takes these settings too.
  if (state_.ScreenGamma != kNeutralGamma || state_.ResampleOnLoad) {
    const std::string why = state_.ScreenGamma != kNeutralGamma ? "You have screen gamma enabled, which is cumulative;\n"
                                                                 : "You have an automatic resizing feature enabled;\n";
    if (!AskIgnorable(CurrentUi(), "PerformWithViewSettings", MessageKind::Confirmation,
                      why + "it will affect batch image processing results.  Continue?\n\n" + kIgnoreSuffix, 0))
      return;
  }
  script_->editor->mnuPerformClick();
}

void TWebForm::KeepEditorBounds() {
  if (!script_ || !script_->editor) return;
  const TBatchForm& f = *script_->editor;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
  const QPoint at = f.frameGeometry().topLeft() - origin;
  settings_->viewer.batchEditorBounds = {at.x(), at.y(), at.x() + f.width(), at.y() + f.height()};
}

bool TWebForm::ScriptTextMayGo() { return !script_ || !script_->editor || script_->editor->CloseQuery(); }

void TWebForm::PerformScript(const std::vector<std::string>& lines) {
  if (lines.empty() || Edits().ScriptRunning()) return;
  show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // One undo copy for the whole run: Undo afterwards brings back the picture before it.
  if (state_.ImageLoaded && !Edits().AutoBackUp()) return;
  ScriptInputGuard guard(this, script_->editor);
  ScriptInterpreter run(*script_, [this, lines] {
    // Every pass reads the editor again, so edits made meanwhile count from the next pass.
    if (script_->editor) {
      const auto now = script_->editor->Lines();
      if (!now.empty()) return now;
    }
    return lines;
  });
  run.Run();
  // Every end of a run clears the save dialog's batch mark.
  SetBatchMark(false);
  PictureChanged();
  StatusReady();
}

}  // namespace pelira
