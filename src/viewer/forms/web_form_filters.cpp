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

// The status panel's progress: the busy text followed by the percent done. A filter's start
// puts up the Esc-only guard, but only inside an operation scope (a menu command, a script
// run): the guard comes down when the outermost scope ends, however the operation ended, so
// no path can leave the program deaf to input.
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
      if (!watching_ && scopes_ > 0) {
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

  // The filter has ended: input comes back before the operation's scope ends.
  void End() {
    if (watching_) qApp->removeEventFilter(&esc_);
    watching_ = false;
  }
  void EnterScope() { ++scopes_; }
  void LeaveScope() {
    if (scopes_ > 0 && --scopes_ == 0) End();
  }
  bool Guarding() const { return watching_; }
  ~StatusProgress() override { End(); }

private:
  EscOnly esc_;
  bool watching_ = false;
  int scopes_ = 0;
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

TWebForm::OperationScope::OperationScope(TWebForm& form) : form_(form) {
  if (form_.filter_) form_.filter_->progress.EnterScope();
}

TWebForm::OperationScope::~OperationScope() {
  if (form_.filter_) form_.filter_->progress.LeaveScope();
}

bool TWebForm::InputGuarded() const { return filter_ && filter_->progress.Guarding(); }

void TWebForm::RunFilter(FilterCommand c) {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  Run([this, c] {
    try {
      filter_->filters.Run(c);
    } catch (...) {
      EndEditBusy();
      throw;
    }
    EndEditBusy();
  });
}

void TWebForm::BuildFilterMenus() {
  filter_ = std::unique_ptr<FilterParts, void (*)(FilterParts*)>(new FilterParts(*this),
                                                                  [](FilterParts* p) { delete p; });
  using F = FilterCommand;
  auto add = [this](QMenu* m, const QString& caption, const QString& name, F c, QAction* before = nullptr) {
    if (!m) return;
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, c] { RunFilter(c); });
    if (before) m->insertAction(before, a);
    else m->addAction(a);
    actions_[name] = a;
  };
  // A placeholder item becomes a submenu (or keeps the one made already).
  auto menuOf = [this](const QString& name) -> QMenu* {
    QAction* a = Action(name);
    if (!a) return nullptr;
    if (a->menu()) return a->menu();
    auto* m = new QMenu(a->text(), this);
    m->setObjectName(name + "Menu");
    a->setMenu(m);
    a->setEnabled(true);
    return m;
  };

  if (auto* smooth = findChild<QMenu*>("mnuSmooth")) {
    QAction* airbrush = Action("mnuAirbrush");
    add(smooth, "&Clean", "mnuClean", F::Clean, airbrush);
    add(smooth, "&Enrich", "mnuEnrich", F::Enrich, airbrush);
    add(smooth, "&Gaussian", "mnuGaussian", F::Gaussian, airbrush);
    add(smooth, "De&Focus", "mnuDeFocus", F::DeFocus, airbrush);
    add(smooth, "&Soften", "mnuSoften", F::Soften, airbrush);
    add(smooth, "&Outlier", "mnuOutlier", F::Outlier, airbrush);
    add(smooth, "&Despeckle", "mnuDespeckle", F::Despeckle, airbrush);
    add(smooth, "&UnSpot", "mnuUnSpot", F::UnSpot, airbrush);
    add(smooth, "De&Lace", "mnuDeLace", F::DeLace, airbrush);
  }
  if (auto* sharpen = findChild<QMenu*>("mnuSharpen")) {
    QAction* light = Action("mnuSharpenLight");
    add(sharpen, "&Unsharp mask", "mnuUnsharpMask", F::UnsharpMask, light);
    add(sharpen, "&Mean removal", "mnuMeanRemoval", F::MeanRemoval, light);
    add(sharpen, "High pass - &medium", "mnuHighPassMedium", F::HighPassMedium, light);
    add(sharpen, "High pass - &light", "mnuHighPassLight", F::HighPassLight, light);
  }
  QMenu* descreen = menuOf("mnuDescreen");
  add(descreen, "&Light", "mnuDescreenLight", F::DescreenLight);
  add(descreen, "&Medium", "mnuDescreenMedium", F::DescreenMedium);
  add(descreen, "&Strong", "mnuDescreenStrong", F::DescreenStrong);
  add(descreen, "&High res", "mnuDescreenHigh", F::DescreenHigh);
  QMenu* resize = menuOf("mnuResize");
  if (resize) {
    auto* resample = new QAction("&Resample (smooth)", this);
    resample->setObjectName("mnuResample1");
    connect(resample, &QAction::triggered, this, [this] {
      if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
      Run([this] {
        const Dib& b = sky95_->Bitmap();
        const SizeResult r = TResizeForm::RunSizeDialog(this, -1, -1, b.Width(), "Image Resample", 24,
                                                        kResampleMaxSide, kResampleMaxSide, b.Height());
        if (r.width < 0 || r.height < 0) return;
        filter_->filters.ResampleCommand(r.width, r.height);
        filter_->progress.End();
        EndEditBusy();
      });
    });
    resize->addAction(resample);
    actions_["mnuResample1"] = resample;
  }
  add(resize, "&Mosaic (tile)", "mnuMosaic1", F::Mosaic);
  add(resize, "&DePixelate (CCD)", "mnuDePixelate", F::DePixelate);
  add(menuOf("mnuContrast"), "&DeFog", "mnuDeFog", F::DeFog);

  for (auto [name, c] : {std::pair{"mnuAutoClean", F::AutoClean}, {"mnuAutoSharpen", F::AutoSharpen}}) {
    if (QAction* a = Action(name)) {
      const F cmd = c;
      connect(a, &QAction::triggered, this, [this, cmd] { RunFilter(cmd); });
      a->setEnabled(true);
    }
  }
}

}  // namespace pelira
