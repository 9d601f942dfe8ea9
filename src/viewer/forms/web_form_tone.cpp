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
#include "viewer/forms/web_form.h"
#include "viewer/status_text.h"
#include "viewer/screen_gamma_rule.h"
#include "viewer/slide_image.h"
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

void TWebForm::BuildEditMenus() {
  edit_ = std::unique_ptr<EditParts, void (*)(EditParts*)>(new EditParts(*this), [](EditParts* p) { delete p; });
  edit_->filters.SetAutoTestOption(&settings_->viewer.autoTestFilters);
  using E = EditCommand;

  // A placeholder item of the menus becomes a live command, or a submenu of them.
  auto live = [this](const QString& name, std::function<void()> run) {
    QAction* a = Action(name);
    if (!a) return;
    connect(a, &QAction::triggered, this, [this, run] { Run(run); });
    a->setEnabled(true);
  };
  auto subOf = [this](const QString& name) -> QMenu* {
    QAction* a = Action(name);
    if (!a) return nullptr;
    auto* m = new QMenu(a->text(), this);
    m->setObjectName(name + "Menu");
    a->setMenu(m);
    a->setEnabled(true);
    return m;
  };
  auto item = [this](QMenu* m, const QString& caption, const QString& name, EditCommand c, QAction* before = nullptr) {
    if (!m) return;
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, c] { RunEdit(c); });
    if (before) m->insertAction(before, a);
    else m->addAction(a);
    actions_[name] = a;
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

  // Colors › Tune
  const std::pair<const char*, E> tune[] = {{"AutoContrast", E::AutoContrast}, {"AutoBalance", E::AutoBalance},
                                            {"AutoGamma", E::AutoGamma},       {"AutoFlash", E::AutoFlash},
                                            {"AutoWhite", E::AutoWhite},       {"Normalize", E::Normalize},
                                            {"EQualize", E::EQualize},         {"Optimize", E::Optimize},
                                            {"Reference", E::Reference}};
  for (const auto& [name, c] : tune) {
    const EditCommand cmd = c;
    live(QString("mnuTune") + name, [this, cmd] { RunEdit(cmd); });
  }
  QMenu* tuneMenu = findChild<QMenu*>("mnuTune");
  item(tuneMenu, "AutoLighting", "mnuTuneAutoLighting", E::AutoLighting, Action("mnuTuneAutoBalance"));
  item(tuneMenu, "AutoSaturate", "mnuTuneAutoSaturate", E::AutoSaturate, Action("mnuTuneAutoBalance"));
  item(tuneMenu, "RGB", "mnuTuneRGB", E::TuneRGB, Action("mnuTuneHLS"));

  QMenu* gamma = subOf("mnuColorGamma");
  item(gamma, "&Global", "mnuGammaGlobal", E::GammaGlobal);
  item(gamma, "&RGB", "mnuGammaRGB", E::GammaRGB);
  item(gamma, "&Suppress", "mnuGammaSuppress", E::GammaSuppress);
  item(gamma, "S&aturation", "mnuGammaSaturation", E::GammaSaturation);

  QMenu* bright = subOf("mnuBrightness");
  item(bright, "&Global", "mnuBrightnessGlobal", E::BrightnessGlobal);
  item(bright, "&RGB", "mnuBrightnessRGB", E::BrightnessRGB);
  item(bright, "&Shift", "mnuBrightnessShift", E::BrightnessShift);
  item(bright, "&Zero", "mnuBrightnessZero", E::BrightnessZero);
  item(bright, "&Balance", "mnuWhiteBalance", E::WhiteBalance);

  QMenu* contrast = subOf("mnuContrast");
  item(contrast, "&Global", "mnuContrastGlobal", E::ContrastGlobal);
  item(contrast, "&RGB", "mnuContrastRGB", E::ContrastRGB);
  item(contrast, "&Suppress", "mnuContrastSuppress", E::ContrastSuppress);
  item(contrast, "Un&Wash", "mnuUnWash", E::UnWash);
  item(contrast, "Un&Cook", "mnuUnCook", E::UnCook);
  item(contrast, "&Attenuate", "mnuAttenuate", E::Attenuate);

  if (QMenu* colors = findChild<QMenu*>("mnuColors")) {
    QAction* limitAction = Action("mnuLimit");
    auto* enhance = new QMenu("&Enhance", this);
    enhance->setObjectName("mnuEnhance");
    colors->insertMenu(limitAction, enhance);
    item(enhance, "&Global", "mnuEnhanceGlobal", E::EnhanceGlobal);
    item(enhance, "&Lighting", "mnuEnhanceLighting", E::EnhanceLighting);
    item(enhance, "&Shadows", "mnuEnhanceShadows", E::EnhanceShadows);
    item(enhance, "&Highlights", "mnuEnhanceHighlights", E::EnhanceHighlights);
    item(enhance, "S&aturation", "mnuEnhanceSaturation", E::EnhanceSaturation);
    auto* map = new QMenu("&Map", this);
    map->setObjectName("mnuMap");
    colors->insertMenu(limitAction, map);
    item(map, "&Zero", "mnuMapZero", E::MapZero);
    item(map, "&Center", "mnuMapCenter", E::MapCenter);
    item(map, "&Equalize", "mnuMapEqualize", E::MapEqualize);
    item(map, "&Red channel", "mnuMapRed", E::MapRed);
    item(map, "&Green channel", "mnuMapGreen", E::MapGreen);
    item(map, "&Blue channel", "mnuMapBlue", E::MapBlue);
    item(map, "&Lighting", "mnuMapLighting", E::MapLighting);
    item(map, "&Saturation", "mnuMapSaturation", E::MapSaturation);
    auto* info = new QAction("RGB &info", this);
    info->setObjectName("mnuMapRgbInfo");
    connect(info, &QAction::triggered, this, [this] {
      if (state_.ImageLoaded) Run([this] { edit_->edits.AppendRgbInfo(); });
    });
    map->addSeparator();
    map->addAction(info);
    actions_["mnuMapRgbInfo"] = info;
  }

  QMenu* limit = subOf("mnuLimit");
  item(limit, "&All channels", "mnuLimitAll", E::LimitAll);
  item(limit, "&Red", "mnuLimitRed", E::LimitRed);
  item(limit, "&Green", "mnuLimitGreen", E::LimitGreen);
  item(limit, "&Blue", "mnuLimitBlue", E::LimitBlue);

  QMenu* eq = subOf("mnuParametricEQ");
  item(eq, "&All channels", "mnuParametricEqAll", E::ParametricEqAll);
  item(eq, "&Red", "mnuParametricEqRed", E::ParametricEqRed);
  item(eq, "&Green", "mnuParametricEqGreen", E::ParametricEqGreen);
  item(eq, "&Blue", "mnuParametricEqBlue", E::ParametricEqBlue);

  live("mnuNegative", [this] { RunEdit(E::Negative); });

  // Colour depth.
  using D = DepthCommand;
  auto depth = [this](D c) {
    return [this, c] {
      if (!state_.ImageLoaded || sky95_->Bitmap().Empty()) return;
      edit_->edits.RunDepth(c);
      edit_->EndBusy();
    };
  };
  live("mnuGrayscale", depth(D::TrueGrayscale));
  live("mnuPromote24", depth(D::Promote24));
  live("mnuPromote8", depth(D::Promote8));
  live("mnuPromote4", depth(D::Promote4));
  live("mnuReduce256Dither", depth(D::Reduce256Dither));
  live("mnuReduce256Poster", depth(D::Reduce256Poster));
  live("mnuReduce16Dither", depth(D::Reduce16Dither));
  live("mnuReduce16Poster", depth(D::Reduce16Poster));
  if (QMenu* reduce = findChild<QMenu*>("mnuReduce")) {
    for (const auto& [caption, name, c] : {std::tuple{"256 grays (dither)", "mnuReduce256Grays", D::Reduce256Grays},
                                           std::tuple{"&B/W", "mnuReduceBW", D::ReduceBW}}) {
      auto* a = new QAction(caption, this);
      a->setObjectName(name);
      connect(a, &QAction::triggered, this, [this, run = depth(c)] { Run(run); });
      if (std::string(name) == "mnuReduce256Grays") reduce->insertAction(Action("mnuReduce16Dither"), a);
      else reduce->addAction(a);
      actions_[name] = a;
    }
  }

  if (QMenu* tools = findChild<QMenu*>("mnuTools")) {
    auto* memory = new QAction("Memo&ry", this);
    memory->setObjectName("mnuMemory");
    connect(memory, &QAction::triggered, this, [this] {
      Run([this] {
        const QScreen* sc = screen();
        const QSize size = sc ? sc->size() : QSize();
        edit_->edits.ShowMemoryReport(size.width(), size.height(), sc ? sc->depth() : 0, 0);
      });
    });
    tools->addAction(memory);
    actions_["mnuMemory"] = memory;
  }
}

}  // namespace pelira
