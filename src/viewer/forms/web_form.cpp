// TWebForm: construction, menus, tool bars, status bar, keys and mouse.
#include "viewer/forms/web_form.h"

#include <QAction>
#include <QListView>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/request_flags.h"
#include "common/version.h"
#include "display/forms/pix.h"
#include "album/forms/show_form.h"
#include "batch/forms/batch_form.h"
#include "explorer/cache_thumbnails.h"
#include "explorer/forms/file_form.h"
#include "edit/operations.h"
#include "jpeg_tools/forms/comment_form.h"
#include "platform/help.h"
#include "platform/qt/guarded_application.h"
#include "platform/qt/menu_table.h"
#include "tools/forms/unzip_form.h"
#include "viewer/forms/script_control.h"
#include "viewer/forms/status_word_panel.h"
#include "viewer/forms/tool_icons.h"
#include "viewer/forms/viewer_load_host.h"
#include "viewer/picture_loader.h"
#include "viewer/status_text.h"

namespace pelira {

namespace {

QColor FromPlatform(std::uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace

// "desc|*.a;*.b|..." as Qt filter text: "desc (*.a *.b);;...".
QString TWebForm::OpenFilterText() {
  QStringList parts;
  for (const auto& [desc, patterns] : OpenDialogFilters()) {
    QStringList p;
    for (const std::string& s : patterns) p << QString::fromStdString(s);
    parts << QString::fromStdString(desc) + " (" + p.join(' ') + ")";
  }
  return parts.join(";;");
}

TWebForm::TWebForm(QWidget* parent) : QMainWindow(parent) {
  ownStore_ = std::make_unique<MemorySettingsStore>();
  const QScreen* screen = QGuiApplication::primaryScreen();
  ownSettings_ = std::make_unique<StoredSettings>(ReadStoredSettings(*ownStore_, screen ? screen->size().width() : 1024));
  store_ = ownStore_.get();
  settings_ = ownSettings_.get();
  Init();
}

TWebForm::TWebForm(SettingsStore& store, StoredSettings& settings, const StartupState& startup, QWidget* parent)
    : QMainWindow(parent), store_(&store), settings_(&settings), startup_(startup) {
  Init();
}

TWebForm::~TWebForm() = default;

void TWebForm::Init() {
  setObjectName("WebForm");
  setAcceptDrops(true);
  setWindowTitle(kProductTitle);
  QFont f = font();
  if (f.pointSizeF() > 12) {
    f.setPointSizeF(12);
    setFont(f);
  }
  if (!startup_.CurrentFile.empty()) {
    state_.CurrentFile = startup_.CurrentFile;
    state_.CurrentExt = startup_.CurrentExt;
  }

  auto* central = new QWidget(this);
  central->setObjectName("ClientArea");
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  panelTool_ = new QWidget(central);
  panelTool_->setObjectName("PanelTool");
  auto* toolRow = new QHBoxLayout(panelTool_);
  toolRow->setContentsMargins(0, 0, 0, 0);
  toolbar1_ = new QToolBar(panelTool_);
  toolbar1_->setObjectName("Toolbar1");
  toolbar1_->setIconSize(QSize(24, 24));
  toolRow->addWidget(toolbar1_);
  toolRow->addStretch(1);

  panelHistory_ = new QWidget(central);
  panelHistory_->setObjectName("PanelHistory");
  auto* historyRow = new QHBoxLayout(panelHistory_);
  historyRow->setContentsMargins(0, 3, 2, 3);
  historyRow->setSpacing(2);
  toolBar2_ = new QToolBar(panelHistory_);
  toolBar2_->setObjectName("ToolBar2");
  toolBar2_->setIconSize(QSize(16, 16));
  historyRow->addWidget(toolBar2_);
  history_ = new QLineEdit(panelHistory_);
  history_->setObjectName("History");
  // A typed path opens on Enter; the box then hands the keys back to the picture.
  connect(history_, &QLineEdit::returnPressed, this, [this] { Run([this] { PathBoxEnter(); }); });
  history_->setMinimumWidth(64);
  historyRow->addWidget(history_, 1);

  viewportArea_ = new QWidget(central);
  viewportArea_->setObjectName("ViewportArea");
  viewportArea_->setAutoFillBackground(true);
  scrollBox_ = new QScrollArea(viewportArea_);
  scrollBox_->setObjectName("ScrollBox");
  scrollBox_->setFrameShape(QFrame::NoFrame);
  // The picture is moved with the hand tool and the wheel; no scroll bars take its room.
  scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollBox_->setWidgetResizable(false);
  scrollBox_->setFocusPolicy(Qt::StrongFocus);
  sky95_ = new TPix;
  sky95_->setObjectName("Sky95");
  sky95_->SetStretch(true);
  scrollBox_->setWidget(sky95_);
  scrollBox_->installEventFilter(this);
  scrollBox_->viewport()->installEventFilter(this);
  sky95_->installEventFilter(this);
  viewportArea_->installEventFilter(this);
  loadHost_ = std::make_unique<TViewerLoadHost>(sky95_, [this](const std::string& text) {
    statusWord_->SetText(QString::fromStdString(text));
  });
  loader_ = DefaultPictureLoader(loadHost_.get());

  column->addWidget(panelTool_);
  column->addWidget(panelHistory_);
  column->addWidget(viewportArea_, 1);
  setCentralWidget(central);

  BuildMenus();
  BuildToolBars();
  BuildStatusBar();
  BuildBookmarkCommands();
  BuildSlideshowCommands();

  timer2_ = new QTimer(this);
  timer2_->setObjectName("Timer2");
  timer2_->setSingleShot(true);
  timer2_->setInterval(333);
  connect(timer2_, &QTimer::timeout, this, [this] { Run([this] { Timer2Timer(); }); });

  ApplySettings();
  RestoreWindowBounds();
  EnableControls();
  // Nothing to zoom or fit until a picture shows.
  for (const char* name : {"mnuFitWindow", "btnFit", "btnZoomUp", "btnZoomDown", "btnAdjust", "mnuOptimizeWindow", "mnuViewport",
                           "mnuFitTo1", "mnuFitTo2", "mnuFitTo3", "mnuFitTo4"})
    if (QAction* a = Action(name)) a->setEnabled(false);
}

QAction* TWebForm::Action(const QString& objectName) const {
  auto it = actions_.find(objectName);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* TWebForm::Item(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                        std::function<void()> run) {
  return menus_->AddItem(menu, {name, caption, key, {}, MenuKind::Item, std::move(run)});
}

void TWebForm::Run(const std::function<void()>& command) {
  const OperationScope operation(*this);
  try {
    command();
  } catch (const std::exception& e) {
    HandleUnexpectedError(e.what());
  } catch (...) {
    HandleUnexpectedError(kUnknownExceptionText);
  }
}

// The viewer's menus and keys, one row each. The Colors and Image placeholders (items without
// a command) are made live, or given submenus, by BuildEditMenus and BuildFilterMenus, which
// find them by object name.
std::vector<MenuSpec> TWebForm::MenuRows() {
  // The editing commands' items: caption from the operation table, command added with the rest.
  auto op = [](const char* name, const char* parent) -> MenuSpec {
    const Operation* o = OperationByMenuName(name);
    return {name, o ? o->menu.caption : "", {}, parent};
  };
  using K = MenuKind;
  const auto key = [](QKeyCombination k) { return QKeySequence(k); };
  const auto toggle = [this](const QString& name, void (TWebForm::*set)(bool)) {
    return [this, name, set] { (this->*set)(Action(name)->isChecked()); };
  };
  std::vector<MenuSpec> rows = {
      {"mnuFile", "&File", {}, "", K::Submenu},
      {"mnuExplore", "&Explore", key(Qt::CTRL | Qt::Key_E), "mnuFile", K::Item, [this] { ShowExplorer(); }},
      {"mnuOpen", "&Open", key(Qt::CTRL | Qt::Key_O), "mnuFile", K::Item, [this] { BtnOpenClick(); }},
      {"mnuReload", "&Reload", key(Qt::Key_F5), "mnuFile", K::Item, [this] {
         state_.MediaMode = false;
         BtnOpenEx();
       }},
      {"mnuSaveAs", "&Save as", key(Qt::CTRL | Qt::Key_S), "mnuFile", K::Item, [this] { mnuSaveClick(false); }},
      {"mnuBookmarks", "&Bookmarks", {}, "mnuFile", K::Submenu},
      {"mnuBookmarksView", "&View", key(Qt::CTRL | Qt::Key_B), "mnuBookmarks", K::Item,
       [this] { mnuBookmarksViewClick(); }, {Qt::Key_B}},
      {"mnuBookmarksRun", "&Run", key(Qt::CTRL | Qt::Key_R), "mnuBookmarks", K::Item,
       [this] { mnuHistorySlideshowClick(); }, {Qt::Key_R}},
      {"mnuMoveUp", "Move &Up", key(Qt::CTRL | Qt::Key_PageUp), "mnuBookmarks", K::Item, [this] { mnuMoveClick(false); }},
      {"mnuMoveDn", "Move &Dn", key(Qt::CTRL | Qt::Key_PageDown), "mnuBookmarks", K::Item, [this] { mnuMoveClick(true); }},
      {"mnuUnmark", "&Unmark", key(Qt::CTRL | Qt::Key_X), "mnuBookmarks", K::Item, [this] { mnuUnmarkClick(); },
       {Qt::Key_U, Qt::KeypadModifier | Qt::Key_Asterisk}},
      {"mnuBookmarksClear", "&Clear", {}, "mnuBookmarks", K::Item, [this] { mnuBookmarksClearClick(); }},
      {"mnuBookmarksSort", "&Sort", {}, "mnuBookmarks", K::Item, [this] { mnuBookmarksSortClick(); }},
      {"mnuBookmarksSave", "S&ave", {}, "mnuBookmarks", K::Item, [this] { mnuBookmarksSaveClick(); }},
      {"mnuBookmarksLoad", "&Load", {}, "mnuBookmarks", K::Item, [this] { mnuBookmarksLoadClick(); }},
      {"mnuBookmarksAlbum", "Albu&m", {}, "mnuBookmarks", K::Item, [this] { mnuBookmarksAlbumClick(); }},
      {"", "", {}, "mnuFile", K::Separator},
      {"mnuPrint", "&Print", key(Qt::CTRL | Qt::Key_P), "mnuFile", K::Item, [this] { mnuPrintClick(); }},
      {"mnuTWAIN", "&TWAIN", {}, "mnuFile", K::Submenu},
      {"mnuTWAIN_Select1", "&Select", {}, "mnuTWAIN", K::Item, [this] { mnuTWAIN_Select1Click(); }},
      {"mnuTWAIN_Acquire1", "&Acquire", {}, "mnuTWAIN", K::Item, [this] { mnuTWAIN_Acquire1Click(); }},
      {"mnuNew1", "&New", {}, "mnuFile", K::Item, [this] { mnuNew1Click(); }},
      {"mnuCopyTo", "Cop&y to", key(Qt::CTRL | Qt::Key_Y), "mnuFile", K::Item, [this] { BatchFileCommand(BatchMenu::CopyTo, QGuiApplication::keyboardModifiers()); }},
      {"mnuMoveTo", "&Move to", key(Qt::CTRL | Qt::Key_Insert), "mnuFile", K::Item, [this] { BatchFileCommand(BatchMenu::MoveTo, QGuiApplication::keyboardModifiers()); }},
      {"mnuDelete", "&Delete", key(Qt::SHIFT | Qt::Key_Delete), "mnuFile", K::Item, [this] { BatchFileCommand(BatchMenu::DeleteOne, QGuiApplication::keyboardModifiers()); }},
      {"", "", {}, "mnuFile", K::Separator},
      {"mnuExit", "&Close", {}, "mnuFile", K::Item, [this] { close(); }},

      {"mnuEdit", "&Edit", {}, "", K::Submenu},
      {"mnuUndo", "&Undo", key(Qt::CTRL | Qt::Key_Z), "mnuEdit"},
      {"mnuCopy", "&Copy", {}, "mnuEdit", K::Submenu},
      {"mnuCopyImage", "&Image", key(Qt::CTRL | Qt::Key_C), "mnuCopy", K::Item, [this] { mnuCopyClick(); }},
      {"mnuCopyViewport", "&Viewport", key(Qt::CTRL | Qt::SHIFT | Qt::Key_C), "mnuCopy", K::Item,
       [this] { mnuCopyViewportClick(); }},
      {"mnuCopyMask", "&Selection", {}, "mnuCopy", K::Item, [this] { mnuCopySelectionClick(); }},
      {"mnuPaste", "&Paste", {}, "mnuEdit", K::Submenu},
      {"mnuPasteImage", "&Image", key(Qt::CTRL | Qt::Key_V), "mnuPaste", K::Item, [this] { mnuPasteClick(); }},
      {"mnuPasteSelection", "&Selection", {}, "mnuPaste", K::Item, [this] { mnuPasteMask1Click(); }},
      {"mnuEmpty", "&Empty", {}, "mnuEdit", K::Item, [this] { mnuEmptyClick(); }},
      {"", "", {}, "mnuEdit", K::Separator},
      {"mnuCrop", "C&rop", {}, "mnuEdit"},
      {"mnuTrim1", "&Trim", {}, "mnuEdit"},
      {"mnuMask", "&Mask", {}, "mnuEdit"},
      {"mnuSelectAll", "Select &all", {}, "mnuEdit"},
      {"mnuGrid", "&Grid", {}, "mnuEdit"},

      {"mnuView", "&View", {}, "", K::Submenu},
      {"mnuViewBookmarks", "M&edia", {}, "mnuView", K::Submenu},
      {"mnuBookmarkNext", "&Next", key(Qt::Key_PageDown), "mnuViewBookmarks", K::Item, [this] { BookmarkStep(1); },
       {Qt::Key_Right}},
      {"mnuBookmarkPrevious", "&Previous", key(Qt::Key_PageUp), "mnuViewBookmarks", K::Item,
       [this] { BookmarkStep(-1); }, {Qt::Key_Left}},
      {"mnuBookmarkFirst", "&First", key(Qt::Key_Home), "mnuViewBookmarks", K::Item, [this] { BookmarkStep(0); }},
      {"mnuBookmarkLast", "&Last", key(Qt::Key_End), "mnuViewBookmarks", K::Item, [this] { BookmarkStep(2); }},
      {"mnuPage", "&Page", {}, "mnuView", K::Submenu},
      {"mnuPageNext", "&Next", key(Qt::ALT | Qt::Key_PageDown), "mnuPage", K::Item, [this] { PageChange(1); }},
      {"mnuPagePrevious", "&Previous", key(Qt::ALT | Qt::Key_PageUp), "mnuPage", K::Item, [this] { PageChange(-1); }},
      {"mnuPageFirst", "&First", key(Qt::ALT | Qt::Key_Home), "mnuPage", K::Item, [this] { PageChange(0); }},
      {"mnuPageLast", "&Last", key(Qt::ALT | Qt::Key_End), "mnuPage", K::Item, [this] { PageChange(999); }},
      {"", "", {}, "mnuView", K::Separator},
      {"mnuFullScrn", "Full screen", key(Qt::ALT | Qt::Key_Return), "mnuView", K::Item, [this] { mnuFullScrnClick(); },
       {Qt::Key_W}},
      {"keyFullScrn", "", {}, "mnuView", K::Hidden, [this] { mnuFullScrnClick(); }, {Qt::CTRL | Qt::Key_W},
       KeyScope::Always},
      {"mnuAdjust", "&Adjust", {}, "mnuView", K::Submenu},
      {"mnuOptimizeWindow", "&Window", key(Qt::ALT | Qt::Key_A), "mnuAdjust", K::Item, [this] { mnuOptimizeWindowClick(); }},
      {"mnuViewport", "&Viewport", key(Qt::SHIFT | Qt::ALT | Qt::Key_V), "mnuAdjust", K::Item, [this] { mnuViewportClick(); }},
      {"mnuZoomRegion", "Zoom &region", key(Qt::ALT | Qt::Key_R), "mnuView"},
      {"mnuZoomTo", "&Zoom to", key(Qt::ALT | Qt::Key_Z), "mnuView", K::Item, [this] { mnuZoomToClick(); }},
      {"mnuFitTo", "Fit to", {}, "mnuView", K::Submenu},
      {"mnuFitTo1", "1:&1", key(Qt::ALT | Qt::Key_1), "mnuFitTo", K::Item, [this] { mnuFitWinToClick(1); }},
      {"mnuFitTo2", "1:&2", key(Qt::ALT | Qt::Key_2), "mnuFitTo", K::Item, [this] { mnuFitWinToClick(2); }},
      {"mnuFitTo3", "1:&3", key(Qt::ALT | Qt::Key_3), "mnuFitTo", K::Item, [this] { mnuFitWinToClick(3); }},
      {"mnuFitTo4", "1:&4", key(Qt::ALT | Qt::Key_4), "mnuFitTo", K::Item, [this] { mnuFitWinToClick(4); }},
      {"mnuFitWindow", "Fit-to-&window", key(Qt::CTRL | Qt::Key_F), "mnuView", K::Check, [this] { mnuFitClick(); },
       {Qt::Key_F}},
      {"mnuUpsampledFit", "&Upsampled fit", {}, "mnuView", K::Check, [this] { mnuUpsampledFitClick(); }},
      {"", "", {}, "mnuView", K::Separator},
      {"mnuAspect1", " &1:1 Monitor", {}, "mnuView", K::Radio, [this] { mnuAspectClick(Action("mnuAspect1")); }, {},
       KeyScope::Browsing, "aspect"},
      {"mnuAspectBest", " 1:1 &Best fit", {}, "mnuView", K::Radio, [this] { mnuAspectClick(Action("mnuAspectBest")); },
       {}, KeyScope::Browsing, "aspect"},
      {"mnuAspect4", " &4:3 TV", {}, "mnuView", K::Radio, [this] { mnuAspectClick(Action("mnuAspect4")); }, {},
       KeyScope::Browsing, "aspect"},
      {"mnuAspect9", "16:&9 Wide", {}, "mnuView", K::Radio, [this] { mnuAspectClick(Action("mnuAspect9")); }, {},
       KeyScope::Browsing, "aspect"},
      {"mnuViewGamma", "&Gamma", key(Qt::CTRL | Qt::Key_G), "mnuView", K::Check, [this] { mnuViewGammaClick(); },
       {Qt::Key_G}},
      {"mnuScaleJPG", "&Half JPEG ", {}, "mnuView", K::Check, [this] { mnuScaleJPGClick(); }, {Qt::Key_H}},
      {"", "", {}, "mnuView", K::Separator},
      {"mnuMenuBar", "&Menu bar", {}, "mnuView", K::Check, toggle("mnuMenuBar", &TWebForm::SetMenuBarShown)},
      {"mnuToolBar", "&Tool bar", {}, "mnuView", K::Check, toggle("mnuToolBar", &TWebForm::SetToolBarShown)},
      {"mnuStatusBar", "&Status bar", {}, "mnuView", K::Check, toggle("mnuStatusBar", &TWebForm::SetStatusBarShown)},
      {"mnuButtonText", "&Button text", {}, "mnuView", K::Check, toggle("mnuButtonText", &TWebForm::SetButtonText)},
      {"mnuPathBox", "&Path box", {}, "mnuView", K::Check, toggle("mnuPathBox", &TWebForm::SetPathBoxShown)},
      {"", "", {}, "mnuView", K::Separator},
      {"mnuHandTool", "&Hand tool", {}, "mnuView", K::Radio, [this] { SelectHandTool(); }, {}, KeyScope::Browsing,
       "tool"},
      {"mnuSelectTool", "&Select tool", {}, "mnuView", K::Radio, {}, {}, KeyScope::Browsing, "tool"},
      {"mnuGetMouse", "Get &mouse", {}, "mnuView"},
      {"mnuOptions", "&Options...", key(Qt::ALT | Qt::Key_O), "mnuView", K::Item, [this] { mnuOptionsClick(); }},
      // The zoom keys of the picture: no menu item of their own.
      {"keyZoom25", "", {}, "mnuView", K::Hidden, [this] { SetZoomKey(25); }, {Qt::Key_2}},
      {"keyZoom50", "", {}, "mnuView", K::Hidden, [this] { SetZoomKey(50); }, {Qt::Key_5}},
      {"keyZoom75", "", {}, "mnuView", K::Hidden, [this] { SetZoomKey(75); }, {Qt::Key_7}},
      {"keyZoomUp", "", {}, "mnuView", K::Hidden, [this] { if (!state_.FitMode) btnZoomUpClick(); },
       {Qt::KeypadModifier | Qt::Key_Plus}},
      {"keyZoomDown", "", {}, "mnuView", K::Hidden, [this] { if (!state_.FitMode) btnZoomDownClick(); },
       {Qt::KeypadModifier | Qt::Key_Minus}},

      {"mnuImage", "&Image", {}, "", K::Submenu},
      {"mnuInfo", "I&nfo", {}, "mnuImage", K::Item, [this] { mnuImageInfoClick(); }},
      {"mnuAnalyze", "Anal&yze", {}, "mnuImage", K::Item, [this] { mnuAnalyzeClick(); }, {Qt::Key_Space}},
      {"mnuHistogram", "&Histogram", key(Qt::CTRL | Qt::Key_H), "mnuImage"},
      {"mnuCompute", "&Compute", {}, "mnuImage", K::Submenu},
      {"mnuDuplicate", "&Duplicate", key(Qt::CTRL | Qt::Key_D), "mnuCompute"},
      {"mnuMaskBackcolors", "Mask &Backcolors", {}, "mnuCompute"},
      {"", "", {}, "mnuImage", K::Separator},
      {"mnuResize", "&Resize", {}, "mnuImage"},
      {"mnuRotate", "R&otate", {}, "mnuImage"},
      {"mnuMirror", "&Mirror", {}, "mnuImage"},
      {"mnuBorder1", "&Border", {}, "mnuImage"},
      {"mnuTextMark", "Te&xt Mark", {}, "mnuImage"},
      {"mnuAddNoise", "Add &noise", {}, "mnuImage"},
      {"mnuDescreen", "&Descreen", {}, "mnuImage"},
      {"mnuAuto", "A&uto", {}, "mnuImage", K::Submenu},
      op("mnuAutoClean", "mnuAuto"),
      op("mnuAutoSharpen", "mnuAuto"),
      {"mnuAutoDownsample", "Resi&ze", {}, "mnuAuto"},
      {"", "", {}, "mnuImage", K::Separator},
      {"mnuSmooth", "S&mooth", {}, "mnuImage", K::Submenu},
      {"mnuAirbrush", "&Airbrush", {}, "mnuSmooth"},
      {"mnuSharpen", "Sharpe&n", {}, "mnuImage", K::Submenu},
      {"mnuSharpenLight", "&Light", {}, "mnuSharpen"},

      {"mnuColors", "&Colors", {}, "", K::Submenu},
      {"mnuTune", "&Tune", {}, "mnuColors", K::Submenu},
  };
  for (const char* name : {"mnuTuneAutoContrast", "mnuTuneAutoBalance", "mnuTuneAutoGamma", "mnuTuneAutoFlash",
                           "mnuTuneAutoWhite", "mnuTuneNormalize", "mnuTuneEQualize", "mnuTuneOptimize"})
    rows.push_back(op(name, "mnuTune"));
  rows.push_back({"mnuTuneHLS", "HLS", {}, "mnuTune"});
  rows.push_back(op("mnuTuneReference", "mnuTune"));
  const std::vector<MenuSpec> rest = {
      {"mnuColorGamma", "&Gamma", {}, "mnuColors"},
      {"mnuBrightness", "&Brightness", {}, "mnuColors"},
      {"mnuContrast", "Co&ntrast", {}, "mnuColors"},
      {"mnuLimit", "&Limit", {}, "mnuColors"},
      {"mnuParametricEQ", "Parametric &EQ", {}, "mnuColors"},
      {"mnuThreshold", "T&hreshold", {}, "mnuColors"},
      {"", "", {}, "mnuColors", K::Separator},
      op("mnuNegative", "mnuColors"),
      op("mnuGrayscale", "mnuColors"),
      {"mnuGrayShades", "Gray &shades", {}, "mnuColors"},
      {"mnuRedEye", "&Red Eye", {}, "mnuColors"},
      {"mnuPosterize", "&Posterize", {}, "mnuColors"},
      {"mnuPromote", "&Promote to", {}, "mnuColors", K::Submenu},
      op("mnuPromote24", "mnuPromote"),
      op("mnuPromote8", "mnuPromote"),
      op("mnuPromote4", "mnuPromote"),
      {"mnuReduce", "Re&duce to", {}, "mnuColors", K::Submenu},
      op("mnuReduce256Dither", "mnuReduce"),
      op("mnuReduce256Poster", "mnuReduce"),
      op("mnuReduce16Dither", "mnuReduce"),
      op("mnuReduce16Poster", "mnuReduce"),

      {"mnuTools", "&Tools", {}, "", K::Submenu},
      {"mnuSlideAlbum", "&Slide Album", key(Qt::ALT | Qt::Key_S), "mnuTools", K::Item, [this] { ShowAlbum(); }},
      {"mnuSlideshow", "Slides&how...", {}, "mnuTools", K::Item, [this] { mnuSlideshowClick(); }},
      {"mnuSlideEffects", "Slide &effects...", {}, "mnuTools", K::Item, [this] { mnuSlideEffectsClick(); }},
      {"mnuUnZipper", "&UnZipper", key(Qt::ALT | Qt::Key_U), "mnuTools", K::Item,
       [this] { ShowUnZipWindow(this, {}, [this](const QString& file) { OpenChosen(file); }); }},
      {"mnuCdPlayer", "CD &Player", key(Qt::ALT | Qt::Key_P), "mnuTools"},
      {"mnuJpeg", "&JPEG", {}, "mnuTools", K::Submenu},
      {"mnuJpegText", "&Text", key(Qt::ALT | Qt::Key_J), "mnuJpeg", K::Item, [this] { ShowCommentWindow(this); }},
      {"mnuCompress", "&Compress", key(Qt::CTRL | Qt::Key_J), "mnuTools", K::Item, [this] { mnuCompressClick(); }},
      {"mnuBatch", "&Batch", {}, "mnuTools", K::Submenu},
      {"mnuBatchEditor", "&Editor", key(Qt::ALT | Qt::Key_B), "mnuBatch", K::Item, [this] { scripts_->ShowEditor(); }},
      {"mnuBatchPerform", "&Perform", key(Qt::Key_F9), "mnuBatch", K::Item, [this] { scripts_->PerformClick(); }},
      {"mnuBatchToJpg", "to &JPG", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToJpg, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchToBmp", "to &BMP", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToBmp, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchToPng", "to PN&G", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToPng, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchToTif", "to &TIF", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToTif, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchToTga", "to TG&A", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToTga, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchToPcx", "to PC&X", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::ToPcx, QGuiApplication::keyboardModifiers()); }},
      {"mnuDateName", "Date&Name", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::DateName, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchRename", "&Rename", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::Rename, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchMove", "&Move", {}, "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::Move, QGuiApplication::keyboardModifiers()); }},
      {"mnuBatchDelete", "&Delete", key(Qt::CTRL | Qt::Key_Delete), "mnuBatch", K::Item, [this] { BatchFileCommand(BatchMenu::Delete, QGuiApplication::keyboardModifiers()); }},
      {"", "", {}, "mnuTools", K::Separator},
      {"mnuTile", "&Tile", {}, "mnuTools", K::Submenu},
      {"mnuTileViewerLeft", "Viewer left - &Explorer right", {}, "mnuTile", K::Item, [this] { TileWindows(false, false); }},
      {"mnuTileExplorerLeft", "Explorer left - &Viewer right", {}, "mnuTile", K::Item, [this] { TileWindows(false, true); }},
      {"mnuTileOverlappedRight", "Overlapped &right", {}, "mnuTile", K::Item, [this] { TileWindows(true, false); }},
      {"mnuTileOverlappedLeft", "Overlapped &left", {}, "mnuTile", K::Item, [this] { TileWindows(true, true); }},
      {"mnuHide", "&Hide", {}, "mnuTools", K::Item, [this] { mnuHideClick(); }},
      {"mnuWallpaper", "&Wallpaper", {}, "mnuTools", K::Submenu},
      {"mnuWallpaperSet", "&Set", {}, "mnuWallpaper", K::Item, [this] { mnuWallpaperSetClick(); }},
      {"mnuWallpaperClear", "&Clear", {}, "mnuWallpaper", K::Item, [this] { mnuWallpaperClearClick(); }},
      {"mnuAssociations", "&Associations", {}, "mnuTools", K::Submenu},
      {"mnuAssociationsSet", "&Set", {}, "mnuAssociations", K::Item, [this] { mnuAssociationsClick(false); }},
      {"mnuAssociationsChange", "&Change", {}, "mnuAssociations", K::Item, [this] { mnuAssociationsClick(true); }},

      {"mnuHelp", "&Help", {}, "", K::Submenu},
      {"mnuHelpContents", "&Contents", {}, "mnuHelp", K::Item, [] { Help::Show(0); }, {Qt::Key_F1}, KeyScope::Always},
      {"mnuHelpStart", "&Getting started", {}, "mnuHelp", K::Item, [] { Help::Show(103); }},

      {"_mnufname", ".", {}, "", K::Submenu},
  };
  rows.insert(rows.end(), rest.begin(), rest.end());
  return rows;
}

TShowForm* TWebForm::ShowAlbum() {
  AlbumHooks hooks;
  // Slides opened from the album: the first is shown, the others join the bookmark list.
  hooks.openInViewer = [this](const std::vector<std::string>& paths) {
    QStringList files;
    for (const std::string& p : paths) files << QString::fromStdString(p);
    DropFiles(files);
  };
  // The album's Run: the test script plays, then the album comes back.
  hooks.playScript = [this](const std::string& script) {
    PlayScript(script);
    ShowAlbum();
  };
  return ShowAlbumWindow(this, std::move(hooks), store_);
}

TFileForm* TWebForm::ShowExplorer() {
  ExplorerHooks hooks;
  auto toViewer = [this] {
    show();
    raise();
    activateWindow();
  };
  hooks.openInViewer = [this, toViewer](const std::vector<std::string>& paths) {
    QStringList files;
    for (const std::string& p : paths) files << QString::fromStdString(p);
    toViewer();
    DropFiles(files);
  };
  hooks.openBatchScript = [this](const std::string& path) {
    scripts_->Editor()->OpenBIPfile(QString::fromStdString(path));
    scripts_->ShowEditor();
  };
  hooks.openAlbum = [this](const std::string& path) {
    if (TShowForm* album = ShowAlbum()) album->OpenAlbumFile(path);
  };
  hooks.openArchive = [this](const std::string& path) {
    ShowUnZipWindow(this, {QString::fromStdString(path)}, [this](const QString& file) { OpenChosen(file); });
  };
  hooks.albumOf = [this](const std::vector<std::string>& paths) {
    if (TShowForm* album = ShowAlbum()) album->AddList(paths);
  };
  hooks.playSlideshow = [this, toViewer](const std::string& plp) {
    std::vector<std::string> entries;
    std::string why;
    if (!ReadPlpFile(plp, entries, why) || entries.empty()) return;
    toViewer();
    bookmarks_.Assign(std::move(entries), 0);
    HistoryControls();
    mnuHistorySlideshowClick();
  };
  hooks.showViewer = toViewer;
  hooks.showAlbum = [this] { ShowAlbum(); };
  hooks.playsMedia = [] { return false; };  // media playback is not built yet
  TFileForm* explorer = ShowExplorerWindow(this, std::move(hooks), store_);
  if (explorer && !explorer->findChild<QObject*>("ExplorerThumbnails", Qt::FindDirectChildrenOnly)) {
    // The shared thumbnail cache, living as long as the window; new thumbnails repaint the list.
    struct Holder : QObject {
      explicit Holder(TFileForm* owner)
          : QObject(owner), source([guard = QPointer<TFileForm>(owner)] {
              QMetaObject::invokeMethod(guard.data(), [guard] {
                if (guard && guard->IconView()) guard->IconView()->viewport()->update();
              }, Qt::QueuedConnection);
            }) {}
      CacheThumbnailSource source;
    };
    auto* holder = new Holder(explorer);
    holder->setObjectName("ExplorerThumbnails");
    explorer->SetThumbnails(&holder->source);
  }
  return explorer;
}

void TWebForm::mnuBookmarksAlbumClick() {
  if (bookmarks_.Count() < 2) return;
  if (TShowForm* album = ShowAlbum()) album->AddList(bookmarks_.Entries());
}

void TWebForm::BuildMenus() {
  menus_ = std::make_unique<MenuBuilder>(*this, actions_, [this](const std::function<void()>& c) { Run(c); });
  menus_->Build(menuBar(), MenuRows());
  menus_->Menu("mnuPage")->menuAction()->setVisible(false);
  for (int n = 1; n <= 4; ++n) Action(QString("mnuFitTo%1").arg(n))->setData(n);
  Action("mnuAspect1")->setChecked(true);
  Action("mnuHandTool")->setChecked(true);
  menus_->Menu("_mnufname")->setEnabled(false);
  BuildEditMenus();
  scripts_ = std::make_unique<ScriptControl>(*this, settings_->viewer.batchEditorBounds);
  BuildFilterMenus();
  BuildComputeItems();
  BuildGeometryCommands();
}

void TWebForm::BuildToolBars() {
  struct Button { const char* caption; const char* hint; const char* name; ToolGlyph glyph; std::function<void()> run; bool checkable; };
  const Button buttons[] = {
      {"Back", "Previous bookmark", "btnBack", ToolGlyph::Back, [this] { BookmarkStep(-1); }, false},
      {"Next", "Next bookmark", "btnNext", ToolGlyph::Next, [this] { BookmarkStep(1); }, false},
      {"Screen", "Full screen", "btnScreen", ToolGlyph::Screen, [this] { mnuFullScrnClick(); }, true},
      {"Adjust", "Adjust window", "btnAdjust", ToolGlyph::Adjust, [this] { mnuOptimizeWindowClick(); }, false},
      {"Fit", "Fit to window", "btnFit", ToolGlyph::Fit, [this] { mnuFitClick(); }, true},
      {"Zoom -", "Zoom out", "btnZoomDown", ToolGlyph::ZoomOut, [this] { btnZoomDownClick(); }, false},
      {"Zoom +", "Zoom In", "btnZoomUp", ToolGlyph::ZoomIn, [this] { btnZoomUpClick(); }, false},
      {"Info", "Image info", "btnInfo", ToolGlyph::Info, [this] { mnuImageInfoClick(); }, false},
      {nullptr, nullptr, nullptr, ToolGlyph::Info, {}, false},
      {"Scroll", "Hand tool", "btnScroll", ToolGlyph::Scroll, [this] { SelectHandTool(); }, true},
      {"Select", "Selection mask", "btnSelect", ToolGlyph::Select, [this] { SelectSelectTool(); }, true},
      {nullptr, nullptr, nullptr, ToolGlyph::Info, {}, false},
      {"Page", "Next page", "btnPage", ToolGlyph::Page, [this] { PageChange(1); }, false},
      {nullptr, nullptr, nullptr, ToolGlyph::Info, {}, false},
  };
  for (const Button& b : buttons) {
    if (!b.caption) {
      toolbar1_->addSeparator();
      continue;
    }
    QAction* a = Item(nullptr, b.caption, b.name, {}, b.run);
    a->setIcon(ToolIcon(b.glyph));
    a->setToolTip(b.hint);
    a->setCheckable(b.checkable);
    toolbar1_->addAction(a);
  }
  Action("btnScroll")->setChecked(true);

  struct PathButton { const char* hint; ToolGlyph glyph; std::function<void()> run; };
  const PathButton pathButtons[] = {
      {"Explore", ToolGlyph::Explore, [this] { ShowExplorer(); }},
      {"Save", ToolGlyph::Save, [this] { mnuSaveClick(false); }},
      {"Instant slideshow", ToolGlyph::Slideshow, [this] { mnuHistorySlideshowClick(); }},
      {"Copy/move", ToolGlyph::CopyMove, {}},
      {"Delete/recycle", ToolGlyph::Delete, {}},
      {"Cut/Unmark", ToolGlyph::Unmark, [this] { mnuUnmarkClick(); }},
      {"Bookmarks", ToolGlyph::Bookmarks, [this] {
         QMenu menu(this);
         menu.setObjectName("BookmarkPopup");
         menus_->FillPopup(menu, {"mnuBookmarksRun", "mnuBookmarksView", "mnuBookmarksClear", "mnuBookmarksSort", "mnuBookmarksLoad",
                                  "mnuBookmarksSave", "mnuBookmarksAlbum"});
         menu.exec(QCursor::pos());
       }},
  };
  int i = 0;
  for (const auto& [hint, glyph, run] : pathButtons) {
    QAction* a = Item(nullptr, hint, QString("btnPath%1").arg(i++), {}, run);
    a->setIcon(ToolIcon(glyph));
    a->setToolTip(hint);
    toolBar2_->addAction(a);
  }
}

void TWebForm::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setSizeGripEnabled(false);
  statusWord_ = new TStatusWordPanel(bar);
  zoomPanel_ = new QLabel("100%", bar);
  zoomPanel_->setObjectName("ZoomPanel");
  zoomPanel_->setAlignment(Qt::AlignCenter);
  zoomPanel_->setFixedWidth(44);
  descriptionPanel_ = new QLabel(bar);
  descriptionPanel_->setObjectName("DescriptionPanel");
  descriptionPanel_->setAlignment(Qt::AlignCenter);
  bar->addWidget(statusWord_);
  bar->addWidget(zoomPanel_);
  bar->addWidget(descriptionPanel_);
  bar->setFixedHeight(bar->sizeHint().height());
}

QString TWebForm::StatusPanelText(int panel) const {
  switch (panel) {
    case 0: return statusWord_->Text();
    case 1: return zoomPanel_->text();
    case 2: return descriptionPanel_->text();
    default: return {};
  }
}

void TWebForm::SetStatusWord(const std::string& word) {
  state_.StatusWord = word;
  statusWord_->SetText(QString::fromStdString(word));
}

void TWebForm::SetZoomPanel(const QString& text) { zoomPanel_->setText(text); }

void TWebForm::SetDescriptionPanel() {
  const QString text = QString::fromStdString(ImageDescription(state_));
  descriptionPanel_->setText(text);
  descriptionPanel_->setFixedWidth(descriptionPanel_->fontMetrics().horizontalAdvance(text) + 12);
}

// --- settings and bars ----------------------------------------------------------------------

void TWebForm::ApplySettings() {
  ViewerSettings& s = settings_->viewer;
  state_.FitMode = s.fitMode;
  if (!settings_->ViewerSettingsFound) {
    sky95_->SetFastPaint(true);
  } else {
    sky95_->SetFastPaint(s.fastRefresh);
  }
  const QColor background = FromPlatform(s.backgroundColor);
  for (QWidget* w : {static_cast<QWidget*>(viewportArea_), static_cast<QWidget*>(scrollBox_), scrollBox_->viewport()}) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, background);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
  }
  sky95_->SetBackgroundColor(background);
  if (!s.toolBar || s.mergeToolbar) s.toolBar = false;
  if (s.mergeToolbar) s.buttonText = false;
  Action("mnuUpsampledFit")->setChecked(s.upsampledFit);
  ApplyBars();
  UpdateFitControls();
}

void TWebForm::ApplyBars() {
  const ViewerSettings& s = settings_->viewer;
  Action("mnuMenuBar")->setChecked(s.menuBar);
  Action("mnuToolBar")->setChecked(s.toolBar);
  Action("mnuStatusBar")->setChecked(s.statusBar);
  Action("mnuButtonText")->setChecked(s.buttonText);
  Action("mnuButtonText")->setEnabled(s.toolBar);
  Action("mnuPathBox")->setChecked(s.pathBox);
  menuBar()->setVisible(s.menuBar);

  // Merged: the main tool bar sits at the left of the path-box panel, without captions.
  auto* historyRow = static_cast<QHBoxLayout*>(panelHistory_->layout());
  auto* toolRow = static_cast<QHBoxLayout*>(panelTool_->layout());
  if (s.mergeToolbar && toolbar1_->parentWidget() != panelHistory_) {
    toolRow->removeWidget(toolbar1_);
    toolbar1_->setParent(panelHistory_);
    historyRow->insertWidget(0, toolbar1_);
    toolbar1_->show();
  } else if (!s.mergeToolbar && toolbar1_->parentWidget() != panelTool_) {
    historyRow->removeWidget(toolbar1_);
    toolbar1_->setParent(panelTool_);
    toolRow->insertWidget(0, toolbar1_);
    toolbar1_->show();
  }
  toolbar1_->setToolButtonStyle(s.buttonText && !s.mergeToolbar ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
  toolbar1_->setIconSize(s.mergeToolbar ? QSize(16, 16) : QSize(24, 24));
  Action("mnuPathBox")->setText(s.mergeToolbar ? "&Tool bar" : "&Path box");
  Action("mnuToolBar")->setVisible(!s.mergeToolbar);
  Action("mnuButtonText")->setVisible(!s.mergeToolbar);

  panelTool_->setVisible(s.toolBar && !s.mergeToolbar);
  panelTool_->setFixedHeight(panelTool_->sizeHint().height());
  panelHistory_->setVisible(s.pathBox);
  panelHistory_->setFixedHeight(toolBar2_->sizeHint().height() + 6 > panelHistory_->sizeHint().height()
                                    ? toolBar2_->sizeHint().height() + 6
                                    : panelHistory_->sizeHint().height());
  statusBar()->setVisible(s.statusBar);
}

void TWebForm::SetMenuBarShown(bool on) {
  settings_->viewer.menuBar = on;
  ApplyBars();
  FormResize();
}

void TWebForm::SetToolBarShown(bool on) {
  settings_->viewer.toolBar = on;
  settings_->viewer.buttonText = on;  // captions follow the tool bar
  ApplyBars();
  FormResize();
}

void TWebForm::SetStatusBarShown(bool on) {
  settings_->viewer.statusBar = on;
  ApplyBars();
  FormResize();
}

void TWebForm::SetButtonText(bool on) {
  if (!settings_->viewer.toolBar) return;
  settings_->viewer.buttonText = on;
  ApplyBars();
  FormResize();
}

void TWebForm::SetPathBoxShown(bool on) {
  settings_->viewer.pathBox = on;
  ApplyBars();
  FormResize();
}

// --- keys and mouse ---------------------------------------------------------------------------

bool TWebForm::FormKeyDown(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  if (mods == Qt::AltModifier) return false;
  if (e->key() == Qt::Key_Escape) {
    Flags().AbortRequest = true;
    if (history_->hasFocus()) {
      history_->setText(QString::fromStdString(state_.CurrentFile));
      scrollBox_->setFocus();
    } else if (!state_.SlideshowRunning && (windowState() & Qt::WindowFullScreen)) {
      Run([this] { mnuFullScrnClick(); });  // Esc brings the normal window back
    }
    return true;
  }
  if (menus_->RunKey(*e, KeyScope::Always)) return true;
  // The single keys of the menu rows work while a picture is browsed, without modifiers.
  const bool browsing = !state_.SlideshowRunning && !state_.MediaMode && !history_->hasFocus();
  if (!browsing || mods != Qt::NoModifier) return false;
  return menus_->RunKey(*e, KeyScope::Browsing);
}

bool TWebForm::eventFilter(QObject* watched, QEvent* event) {
  if (!sky95_ || !scrollBox_) return false;
  if (watched == viewportArea_ && event->type() == QEvent::Resize) {
    LayoutViewport();
    return false;
  }
  if (event->type() == QEvent::KeyPress && watched != history_) {
    if (FormKeyDown(static_cast<QKeyEvent*>(event))) return true;
  }
  if (watched == sky95_ || watched == scrollBox_->viewport()) {
    if (state_.SelectTool && SelectToolMouse(event)) return true;
    switch (event->type()) {
      case QEvent::Wheel: {
        if (!settings_->viewer.wheelNavigation) return false;
        // One step a notch (120 eighths of a degree): a touchpad's many small deltas add up
        // to the same steps as a wheel's clicks.
        wheelDelta_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        while (std::abs(wheelDelta_) >= 120) {
          const int step = wheelDelta_ < 0 ? 1 : -1;
          wheelDelta_ += step * 120;
          Run([this, step] { BookmarkStep(step); });
        }
        return true;
      }
      case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(event);
        if (m->button() == Qt::LeftButton && state_.Scrollable && !state_.SelectTool) {
          dragging_ = true;
          dragLast_ = m->globalPosition().toPoint();
        }
        return false;
      }
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        if (!dragging_ || !(m->buttons() & Qt::LeftButton)) return false;
        const QPoint now = m->globalPosition().toPoint();
        const QPoint delta = now - dragLast_;
        // Whole magnified pixels: steps of zoom/100 (8 for pictures below 8 bits).
        const int s = state_.ImageBits < 8 ? 8 : std::max(state_.Zoom / 100, 1);
        const int dx = delta.x() / s * s, dy = delta.y() / s * s;
        if (dx == 0 && dy == 0) return true;
        dragLast_ += QPoint(dx, dy);
        ScrollTo(scrollBox_->horizontalScrollBar()->value() - dx, scrollBox_->verticalScrollBar()->value() - dy);
        return true;
      }
      case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(event);
        dragging_ = false;
        scrollBox_->setFocus();
        if (m->button() == Qt::RightButton) {
          Flags().SkipRequest = true;
        } else {
          Flags().StopRequest = true;
          Flags().AbortRequest = true;
        }
        return false;
      }
      case QEvent::ContextMenu: {
        QMenu menu(this);
        menu.setObjectName("MainMenu");
        menus_->FillPopup(menu, {"mnuHistorySlideshow", "mnuOpen", "mnuFitWindow", "mnuZoomTo", "mnuFullScrn", "-", "mnuMenuBar", "mnuToolBar",
                                 "mnuStatusBar", "mnuButtonText", "mnuPathBox"});
        menu.exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      }
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TWebForm::ScrollTo(int x, int y) {
  QScrollBar* h = scrollBox_->horizontalScrollBar();
  QScrollBar* v = scrollBox_->verticalScrollBar();
  v->setValue(std::clamp(y, 0, v->maximum()));
  h->setValue(std::clamp(x, 0, h->maximum()));
}

void TWebForm::SelectHandTool() {
  state_.SelectTool = false;
  state_.SelectionDrawn = false;
  Action("btnScroll")->setChecked(true);
  if (QAction* select = Action("btnSelect")) select->setChecked(false);
  Action("mnuHandTool")->setChecked(true);
  sky95_->SetFrameRect(std::nullopt);
  sky95_->setMouseTracking(false);
  EnableSelectionItems(false);
  LayoutViewport();
}

}  // namespace pelira
