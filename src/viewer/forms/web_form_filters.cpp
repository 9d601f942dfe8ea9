// TWebForm: the neighbourhood filters of the Image menu and Colors › Contrast › DeFog. The
// commands live in core (edit/filter_commands.h); this file builds their menu items, lends
// them the picture and dialogs of the tone commands, and shows their rows in the status
// panel. While a filter works (after its dialog) only Esc reaches the program: it stops it.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QWindow>
#include <QKeyEvent>
#include <QMenu>

#include "common/request_flags.h"
#include "display/forms/pix.h"
#include "engine/dialogs/resize_form.h"
#include "engine/resample.h"
#include "platform/progress.h"
#include "viewer/forms/status_word_panel.h"
#include "viewer/forms/web_form.h"
#include "edit/tone_commands.h"
#include "edit/filter_commands.h"

namespace pelira {

namespace {

// Swallows user input while a filter runs; Esc asks it to stop.
class EscOnly : public QObject {
  static bool InDialog(QObject* o) {
    if (o->isWidgetType()) return qobject_cast<QDialog*>(static_cast<QWidget*>(o)->window()) != nullptr;
    if (!o->isWindowType()) return false;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowHandle() == o) return qobject_cast<QDialog*>(w) != nullptr;
    return false;
  }

public:
  bool eventFilter(QObject* o, QEvent* e) override {
    // The filter's own preview dialog takes its input as usual (its window's close too).
    if (InDialog(o)) return false;
    switch (e->type()) {
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) Flags().AbortRequest = true;
        return true;
      case QEvent::KeyRelease: case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: case QEvent::Wheel: case QEvent::ShortcutOverride:
      case QEvent::Shortcut: case QEvent::Close:
        return true;
      default:
        return false;
    }
  }
};

// The status panel's progress: the busy text followed by the percent done.
class StatusProgress : public Progress {
public:
  explicit StatusProgress(TStatusWordPanel*& panel) : panel_(panel) {}
  void Pump() override { QApplication::processEvents(); }
  void SetStatus(const std::string& text) override {
    if (panel_) panel_->SetText(QString::fromStdString(text));
  }
  void SetBarLabel(ProgressBar, const std::string&) override {}
  void SetBar(ProgressBar, std::int64_t position, std::int64_t max) override {
    if (max <= 0) {
      // A filter starts (its dialog, if any, is closed): from now on only Esc gets through.
      if (!watching_) {
        qApp->installEventFilter(&esc_);
        watching_ = true;
      }
      percent_.Reset();
      baseTaken_ = false;
      return;
    }
    if (!panel_) return;
    // The text the command showed is the base of the percent.
    if (!baseTaken_) base_ = panel_->Text();
    baseTaken_ = true;
    if (!percent_.Update(position, max)) return;
    panel_->SetText(base_ + QString(" %1%").arg(percent_.Percent()));
  }

  // The command has ended.
  void End() {
    if (watching_) qApp->removeEventFilter(&esc_);
    watching_ = false;
  }
  ~StatusProgress() override { End(); }

private:
  EscOnly esc_;
  bool watching_ = false;
  bool baseTaken_ = false;
  TStatusWordPanel*& panel_;
  QString base_;
  PercentTracker percent_;
};

}  // namespace

struct TWebForm::FilterParts {
  explicit FilterParts(TWebForm& f)
      : progress(f.statusWord_), filters(f.state_, f.Engine(), f.Edits(), f.EditHostOf(), f.EditRequester()) {
    filters.SetProgress(&progress);
  }
  StatusProgress progress;
  FilterCommands filters;
};

FilterCommands& TWebForm::Filters() { return filter_->filters; }

void TWebForm::RunFilter(FilterCommand c) {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  Run([this, c] {
    try {
      filter_->filters.Run(c);
    } catch (...) {
      filter_->progress.End();
      EndEditBusy();
      throw;
    }
    filter_->progress.End();
    EndEditBusy();
  });
}

void TWebForm::BuildFilterMenus() {
  filter_ = std::unique_ptr<FilterParts, void (*)(FilterParts*)>(new FilterParts(*this),
                                                                  [](FilterParts* p) { delete p; });
}

void TWebForm::ResampleClick() {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  Run([this] {
    const Dib& b = sky95_->Bitmap();
    const SizeResult r = TResizeForm::RunSizeDialog(this, -1, -1, b.Width(), "Image Resample", 24, kResampleMaxSide,
                                                    kResampleMaxSide, b.Height());
    if (r.width < 0 || r.height < 0) return;
    filter_->filters.ResampleCommand(r.width, r.height);
    filter_->progress.End();
    EndEditBusy();
  });
}

}  // namespace pelira
