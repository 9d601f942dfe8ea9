// TWebForm: the editing commands of the Colors menu, Image › Histogram, Edit › Undo and
// Tools › Memory. The commands live in core (edit/tone_commands.h); this file builds their
// menu items and lends them the window's picture, status and dialogs.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <filesystem>

#include "display/forms/pix.h"
#include "engine/dialogs/filter_preview_dialog.h"
#include "engine/dialogs/histogram_dialog.h"
#include "engine/dialogs/scroll_dialog.h"
#include "platform/ui.h"
#include "engine/engine_state.h"
#include "viewer/forms/status_word_panel.h"
#include "viewer/forms/script_control.h"
#include "viewer/forms/web_form.h"
#include "viewer/status_text.h"
#include "viewer/screen_gamma_rule.h"
#include "viewer/slide_image.h"
#include "edit/operations.h"
#include "edit/tone_commands.h"

namespace pelira {

struct TWebForm::EditParts : EditHost {
  explicit EditParts(TWebForm& f)
      : form(f), sliders(&f), filters(&f, [this]() -> const Dib& { return Picture(); }),
        edits(f.state_, engine, undo, *this, filters) {
    edits.SetSliderRequester(&sliders);
  }

  Dib& Picture() override { return form.sky95_->EditBitmap(); }
  void SetPicture(Dib&& picture) override { form.sky95_->SetBitmap(std::move(picture)); }
  void ShowBusy(const std::string& text) override {
    form.statusWord_->SetText(QString::fromStdString(text));
    form.state_.StatusWord = kStatusBusy;
    if (!waitCursor) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      waitCursor = true;
    }
    // The picture keeps its last frame while the pixels change.
    form.sky95_->SuspendPaint(true);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void EndBusy() {
    if (waitCursor) {
      QApplication::restoreOverrideCursor();
      waitCursor = false;
    }
    form.sky95_->SuspendPaint(false);
  }
  void StatusReady() override {
    EndBusy();
    form.StatusReady();
  }
  void SetStatusWord(const std::string& word) override { form.SetStatusWord(word); }
  void Refresh() override {
    EndBusy();
    form.sky95_->BitmapChanged();
    form.sky95_->update();
  }
  void PictureChanged() override {
    EndBusy();
    form.sky95_->BitmapChanged();
    form.PictureChanged();
    form.sky95_->update();
  }
  void UpdateCaption() override { form.UpdateCaption(); }
  void EnableUndo(bool on) override {
    if (QAction* a = form.Action("mnuUndo")) a->setEnabled(on);
  }
  void SelectHandTool() override { form.SelectHandTool(); }
  void PrepareEdit() override { form.EnsureFullPicture(); }
  void BlankPicture(bool untitled) override { form.BlankPicture(untitled); }
  void ShowHistogram(const std::string& title, const Histograms& h) override {
    form.Dialogs().ShowHistogram(&form, QString::fromStdString(title), h);
  }

  TWebForm& form;
  EngineState engine;
  UndoStore undo;
  QtSliderRequester sliders;
  QtFilterRequester filters;
  ToneCommands edits;
  bool waitCursor = false;
};

ToneCommands& TWebForm::Edits() { return edit_->edits; }
EngineState& TWebForm::Engine() { return edit_->engine; }
EditHost& TWebForm::EditHostOf() { return *edit_; }
FilterRequester& TWebForm::EditRequester() { return edit_->filters; }
void TWebForm::EndEditBusy() { edit_->EndBusy(); }

void TWebForm::DiscardUndo() {
  if (edit_) edit_->edits.DiscardUndo();
}

void TWebForm::mnuViewGammaClick() {
  QAction* item = Action("mnuViewGamma");
  // The check mark follows the setting, whatever the click did to it.
  item->setChecked(state_.ScreenGamma != kNeutralGamma);
  if (state_.ScreenGamma == kNeutralGamma &&
      !AskIgnorable(CurrentUi(), "ScreenGamma", MessageKind::Confirmation, kScreenGammaText, kScreenGammaHelpContext))
    return;
  SliderRequest q;
  q.min = 100;
  q.max = 300;
  q.start = std::clamp(state_.ScreenGamma, 100, 300);
  q.page = 10;
  q.line = 5;
  q.presets = {100, 125, 135, 150, 165, 185};
  q.showPresets = true;
  const int g = edit_->sliders.RunSliderDialog("Set Screen Gamma (n/100)", "", "", q);
  if (g == kDialogCancelled) return;
  state_.ScreenGamma = std::clamp(g, 100, 300);
  const bool on = state_.ScreenGamma != kNeutralGamma;
  item->setChecked(on);
  if (on) settings_->viewer.autoReduce = false;
  ScreenGammaFacts facts;
  facts.gammaOn = on;
  facts.imageModified = state_.ImageModified;
  facts.pictureShown = state_.ImageLoaded && !sky95_->Bitmap().Empty();
  facts.pathBoxText = history_->text().toStdString();
  facts.reloadEnabled = Action("mnuReload")->isEnabled();
  const ScreenGammaStep step = ScreenGammaStepFor(facts);
  if (step == ScreenGammaStep::Reload) {
    BtnOpenEx();
    return;
  }
  // Only a picture that changes where it stands needs the undo copy.
  if (step != ScreenGammaStep::InPlace || !edit_->edits.AutoBackUp()) return;
  const bool wasModified = state_.ImageModified;
  edit_->edits.EnsureTrueColor();
  if (ScreenGamma(edit_->Picture(), state_.ScreenGamma)) {
    sky95_->BitmapChanged();
    sky95_->update();
  }
  // Screen gamma is not an edit of the picture.
  state_.ImageModified = wasModified;
}

void TWebForm::RunEdit(EditCommand c) {
  if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
  Run([this, c] {
    try {
      edit_->edits.Run(c);
    } catch (...) {
      edit_->EndBusy();
      throw;
    }
    edit_->EndBusy();
  });
}

QMenu* TWebForm::MenuNamed(const QString& name) {
  if (auto* m = findChild<QMenu*>(name)) return m;
  // A placeholder item of the menu bar becomes a submenu (or keeps the one made already).
  QAction* a = Action(name);
  if (!a) return nullptr;
  if (a->menu()) return a->menu();
  auto* m = new QMenu(a->text(), this);
  m->setObjectName(name + "Menu");
  a->setMenu(m);
  a->setEnabled(true);
  return m;
}

void TWebForm::BuildOperationItems() {
  // Every row of the operation table with a menu item: a placeholder item becomes live, or a
  // new item goes into its menu; the row says what the click runs.
  for (const Operation& op : Operations()) {
    const OperationMenu& m = op.menu;
    std::function<void()> run;
    if (const auto* c = std::get_if<EditCommand>(&op.run)) {
      run = [this, c = *c] { RunEdit(c); };
    } else if (const auto* f = std::get_if<FilterCommand>(&op.run)) {
      run = [this, f = *f] { RunFilter(f); };
    } else if (const auto* d = std::get_if<DepthCommand>(&op.run)) {
      run = [this, d = *d] {
        if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
        edit_->edits.RunDepth(d);
        edit_->EndBusy();
      };
    }
    // Rows without a command of their own (a size dialog first, or not built) are wired
    // elsewhere or stay placeholders.
    if (!*m.name || !run) continue;
    const QString name = m.name;
    QAction* a = Action(name);
    if (!a) {
      QMenu* parent = MenuNamed(m.parent);
      if (!parent) continue;
      a = new QAction(m.caption, this);
      a->setObjectName(name);
      QAction* before = *m.before ? Action(m.before) : nullptr;
      if (before) parent->insertAction(before, a);
      else parent->addAction(a);
      actions_[name] = a;
    }
    connect(a, &QAction::triggered, this, [this, run] { Run(run); });
    a->setEnabled(true);
  }
}

void TWebForm::BuildEditMenus() {
  edit_ = std::unique_ptr<EditParts, void (*)(EditParts*)>(new EditParts(*this), [](EditParts* p) { delete p; });
  edit_->filters.SetAutoTestOption(&settings_->viewer.autoTestFilters);

  auto live = [this](const QString& name, std::function<void()> run) {
    QAction* a = Action(name);
    if (!a) return;
    connect(a, &QAction::triggered, this, [this, run] { Run(run); });
    a->setEnabled(true);
  };
  live("mnuUndo", [this] {
    edit_->edits.Undo();
    edit_->EndBusy();
  });
  Action("mnuUndo")->setEnabled(false);
  live("mnuHistogram", [this] {
    if (!state_.ImageLoaded) return;
    edit_->edits.ShowHistogram(std::filesystem::path(state_.CurrentFile).filename().string());
  });

  // The Enhance and Map submenus stand before Limit.
  QMenu* map = nullptr;
  if (QMenu* colors = findChild<QMenu*>("mnuColors")) {
    QAction* limitAction = Action("mnuLimit");
    for (const auto& [caption, name] : {std::pair{"&Enhance", "mnuEnhance"}, std::pair{"&Map", "mnuMap"}}) {
      auto* m = new QMenu(caption, this);
      m->setObjectName(name);
      colors->insertMenu(limitAction, m);
      map = m;
    }
  }
  // Resize › Resample asks for the size first; it leads its menu.
  if (QMenu* resize = MenuNamed("mnuResize")) {
    const Operation& resampleOp = *OperationById("Resample");
    auto* resample = new QAction(resampleOp.menu.caption, this);
    resample->setObjectName(resampleOp.menu.name);
    connect(resample, &QAction::triggered, this, [this] { ResampleClick(); });
    resize->addAction(resample);
    actions_[resampleOp.menu.name] = resample;
  }
  BuildOperationItems();

  if (map) {
    auto* info = new QAction("RGB &info", this);
    info->setObjectName("mnuMapRgbInfo");
    connect(info, &QAction::triggered, this, [this] {
      if (!state_.ImageLoaded) return;
      // The lines go to the batch editor, shown first so they are seen arriving.
      Scripts().ShowEditor();
      Run([this] { edit_->edits.AppendRgbInfo(); });
    });
    map->addSeparator();
    map->addAction(info);
    actions_["mnuMapRgbInfo"] = info;
  }

  if (QMenu* tools = findChild<QMenu*>("mnuTools")) {
    auto* memory = new QAction("Memo&ry", this);
    memory->setObjectName("mnuMemory");
    connect(memory, &QAction::triggered, this, [this] {
      Run([this] {
        const QScreen* sc = screen();
        const QSize size = sc ? sc->size() : QSize();
        edit_->edits.ShowMemoryReport(size.width(), size.height(), sc ? sc->depth() : 0, static_cast<int>(bookmarks_.Count()));
      });
    });
    tools->addAction(memory);
    actions_["mnuMemory"] = memory;
  }
}

}  // namespace pelira
