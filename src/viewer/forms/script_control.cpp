#include "viewer/forms/script_control.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "batch/forms/batch_form.h"
#include "batch/script_interpreter.h"
#include "common/request_flags.h"
#include "display/forms/pix.h"
#include "edit/filter_commands.h"
#include "edit/tone_commands.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "viewer/forms/web_form.h"
#include "viewer/slide_image.h"
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

ScriptControl::ScriptControl(TWebForm& form, BoundsRect& editorBounds) : form_(form), editorBounds_(editorBounds) {}

ToneCommands& ScriptControl::Edits() { return form_.Edits(); }
FilterCommands* ScriptControl::Filters() { return &form_.Filters(); }
EngineState& ScriptControl::Engine() { return form_.Engine(); }
PictureState& ScriptControl::View() { return form_.State(); }
Dib& ScriptControl::Picture() { return form_.Sky95()->EditBitmap(); }
void ScriptControl::SetPicture(Dib&& p) { form_.Sky95()->SetBitmap(std::move(p)); }

void ScriptControl::PictureChanged() {
  form_.Sky95()->BitmapChanged();
  form_.PictureChanged();
  form_.Sky95()->update();
}

void ScriptControl::Refresh() {
  form_.Sky95()->BitmapChanged();
  form_.Sky95()->update();
  form_.UpdateCaption();
  QApplication::processEvents();
}

std::string ScriptControl::CurrentFileName() { return form_.State().CurrentFile; }

bool ScriptControl::LoadPicture(const std::string& path) {
  // The script owns the picture while it runs: no question about the edits it made.
  const std::string keep = form_.State().CurrentFile;
  form_.OpenChosen(QString::fromStdString(path));
  // A script edits and saves whole pictures, never the copy reduced to fit the window.
  form_.EnsureFullPicture();
  form_.State().CurrentFile = keep;
  form_.UpdateCaption();
  return form_.State().ImageLoaded;
}

void ScriptControl::NextBookmark() {
  form_.BookmarkStep(1);
  form_.EnsureFullPicture();
}

void ScriptControl::PreviousBookmark() {
  form_.BookmarkStep(-1);
  form_.EnsureFullPicture();
}

void ScriptControl::SaveBatch(const std::string& suffix, bool reuse) {
  // The first SAVE of a run shows the save dialog; later ones reuse its folder and type.
  form_.SetBatchSuffix(suffix);
  if (!reuse) form_.SetBatchMark(false);
  form_.mnuSaveClick(true);
  // A finished save clears the modified flag; a cancelled one has cleared the mark.
  if (!form_.State().ImageModified) form_.SetBatchMark(true, suffix);
}

bool ScriptControl::AskYesNo(const std::string& text) {
  return CurrentUi().Message(MessageKind::Confirmation, text, Button::Yes | Button::No) == Button::Yes;
}

bool ScriptControl::ConfirmDeletes(const std::string& path) {
  return CurrentUi().Message(MessageKind::Confirmation,
                             "The script deletes files, starting with\n" + path + "\nMove them to the trash?",
                             Button::Yes | Button::No) == Button::Yes;
}

bool ScriptControl::MoveToTrash(const std::string& path) { return CurrentShell().MoveToTrash(path).ok; }

bool ScriptControl::StopRequested() {
  // Lets the Esc key through (the input guard keeps everything else out).
  QApplication::processEvents();
  return Flags().AbortRequest;
}

void ScriptControl::ClearStopRequest() { Flags().AbortRequest = false; }

TBatchForm* ScriptControl::Editor() {
  if (!editor_) {
    editor_ = new TBatchForm(&form_);
    editor_->SetPerform([this](const std::vector<std::string>& lines) { Perform(lines); });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect a = screen->availableGeometry();
      const BoundsRect& b = editorBounds_;
      const RectI r = RestoreEditorBounds(b.left, b.top, b.right, b.bottom, {a.width(), a.height()});
      editor_->move(a.left() + r.left, a.top() + r.top);
      editor_->resize(r.width, r.height);
    }
    editor_->SetOnHide([this] { KeepEditorBounds(); });
    form_.Edits().SetRecorder(editor_);
    form_.Filters().SetRecorder(editor_);
  }
  return editor_;
}

void ScriptControl::ShowEditor() {
  TBatchForm* f = Editor();
  f->show();
  f->raise();
  f->activateWindow();
}

void ScriptControl::PerformClick() {
  // Nothing to run before the editor ever recorded.
  if (!editor_ || !editor_->Recording()) return;
  // Every file the script loads takes these settings too.
  if (form_.State().ScreenGamma != kNeutralGamma || form_.State().ResampleOnLoad) {
    const std::string why = form_.State().ScreenGamma != kNeutralGamma ? "You have screen gamma enabled, which is cumulative;\n"
                                                                 : "You have an automatic resizing feature enabled;\n";
    if (!AskIgnorable(CurrentUi(), "PerformWithViewSettings", MessageKind::Confirmation,
                      why + "it will affect batch image processing results.  Continue?\n\n" + kIgnoreSuffix, 0))
      return;
  }
  editor_->mnuPerformClick();
}

void ScriptControl::KeepEditorBounds() {
  if (!editor_) return;
  const TBatchForm& f = *editor_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
  const QPoint at = f.frameGeometry().topLeft() - origin;
  editorBounds_ = {at.x(), at.y(), at.x() + f.width(), at.y() + f.height()};
}

bool ScriptControl::TextMayGo() {
  if (!editor_ || !editor_->isVisible() || editor_->CloseQuery()) return true;
  form_.show();
  ShowEditor();
  return false;
}

void ScriptControl::Perform(const std::vector<std::string>& lines) {
  if (lines.empty() || form_.Edits().ScriptRunning()) return;
  form_.show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // One undo copy for the whole run: Undo afterwards brings back the picture before it.
  if (form_.State().ImageLoaded && !form_.Edits().AutoBackUp()) return;
  ScriptInputGuard guard(&form_, editor_);
  const TWebForm::OperationScope operation(form_);
  ScriptInterpreter run(*this, [this, lines] {
    // Every pass reads the editor again, so edits made meanwhile count from the next pass.
    if (editor_) {
      const auto now = editor_->Lines();
      if (!now.empty()) return now;
    }
    return lines;
  });
  run.Run();
  // Every end of a run clears the save dialog's batch mark.
  form_.SetBatchMark(false);
  form_.PictureChanged();
  form_.StatusReady();
}

}  // namespace pelira
