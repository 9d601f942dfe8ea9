// TWebForm: construction, menus, tool bars, status bar, keys and mouse.
#include "viewer/forms/web_form.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
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
#include "platform/help.h"
#include "platform/qt/guarded_application.h"
#include "viewer/forms/status_word_panel.h"
#include "viewer/forms/tool_icons.h"
#include "viewer/forms/viewer_load_host.h"
#include "viewer/picture_loader.h"
#include "viewer/status_text.h"

namespace pelira {

namespace {

}  // namespace

TWebForm::OpenDialog& TWebForm::DialogSeam() {
  static OpenDialog dialog = [](QWidget* parent, const QString& folder, const QString& filter) {
    // Qt's own dialog: its name filters ignore case, as the patterns were written for.
    const QString file = QFileDialog::getOpenFileName(parent, QString(), folder, filter, nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    return file.isEmpty() ? QStringList() : QStringList{file};
  };
  return dialog;
}

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

void TWebForm::SetOpenDialog(OpenDialog dialog) { DialogSeam() = std::move(dialog); }

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
  history_->setReadOnly(true);
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
  BuildSaveCommand();

  timer2_ = new QTimer(this);
  timer2_->setObjectName("Timer2");
  timer2_->setSingleShot(true);
  timer2_->setInterval(333);
  connect(timer2_, &QTimer::timeout, this, [this] { Run([this] { Timer2Timer(); }); });

  ApplySettings();
  RestoreWindowBounds();
  EnableControls();
  // Nothing to zoom or fit until a picture shows.
  for (const char* name : {"mnuFitWindow", "btnFit", "btnZoomUp", "btnZoomDown", "btnAdjust", "mnuOptimizeWindow",
                           "mnuFitTo1", "mnuFitTo2", "mnuFitTo3", "mnuFitTo4"})
    if (QAction* a = Action(name)) a->setEnabled(false);
}

QAction* TWebForm::Action(const QString& objectName) const {
  auto it = actions_.find(objectName);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* TWebForm::Item(QMenu* menu, const QString& caption, const QString& name, const QKeySequence& key,
                        std::function<void()> run) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!key.isEmpty()) a->setShortcut(key);
  if (run) {
    connect(a, &QAction::triggered, this, [this, run] { Run(run); });
  } else {
    // Commands that later work builds stand in the menus, disabled.
    a->setEnabled(false);
  }
  if (menu) menu->addAction(a);
  addAction(a);  // shortcuts work with the menu bar hidden
  actions_[name] = a;
  return a;
}

void TWebForm::Run(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    HandleUnexpectedError(e.what());
  } catch (...) {
    HandleUnexpectedError(kUnknownExceptionText);
  }
}

void TWebForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  auto top = [&](const QString& caption, const QString& name) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    topMenus_.push_back(m);
    return m;
  };
  auto sub = [&](QMenu* parent, const QString& caption, const QString& name) {
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(name);
    return m;
  };

  QMenu* file = top("&File", "mnuFile");
  Item(file, "&Explore", "mnuExplore", QKeySequence(Qt::CTRL | Qt::Key_E));
  Item(file, "&Open", "mnuOpen", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { BtnOpenClick(); });
  Item(file, "&Reload", "mnuReload", QKeySequence(Qt::Key_F5), [this] {
    state_.MediaMode = false;
    BtnOpenEx();
  });
  Item(file, "&Save as", "mnuSaveAs", QKeySequence(Qt::CTRL | Qt::Key_S));
  QMenu* bookmarks = sub(file, "&Bookmarks", "mnuBookmarks");
  Item(bookmarks, "&View", "mnuBookmarksView", QKeySequence(Qt::CTRL | Qt::Key_B));
  Item(bookmarks, "&Run", "mnuBookmarksRun", QKeySequence(Qt::CTRL | Qt::Key_R));
  Item(bookmarks, "Move &Up", "mnuMoveUp", QKeySequence(Qt::CTRL | Qt::Key_PageUp));
  Item(bookmarks, "Move &Dn", "mnuMoveDn", QKeySequence(Qt::CTRL | Qt::Key_PageDown));
  Item(bookmarks, "&Unmark", "mnuUnmark", QKeySequence(Qt::CTRL | Qt::Key_X));
  Item(bookmarks, "&Clear", "mnuBookmarksClear");
  Item(bookmarks, "&Sort", "mnuBookmarksSort");
  file->addSeparator();
  Item(file, "&Print", "mnuPrint", QKeySequence(Qt::CTRL | Qt::Key_P));
  Item(file, "Cop&y to", "mnuCopyTo", QKeySequence(Qt::CTRL | Qt::Key_Y));
  Item(file, "&Move to", "mnuMoveTo", QKeySequence(Qt::CTRL | Qt::Key_Insert));
  Item(file, "&Delete", "mnuDelete", QKeySequence(Qt::SHIFT | Qt::Key_Delete));
  file->addSeparator();
  Item(file, "&Close", "mnuExit", {}, [this] { close(); });

  QMenu* edit = top("&Edit", "mnuEdit");
  Item(edit, "&Undo", "mnuUndo", QKeySequence(Qt::CTRL | Qt::Key_Z));
  QMenu* copy = sub(edit, "&Copy", "mnuCopy");
  Item(copy, "&Image", "mnuCopyImage", QKeySequence(Qt::CTRL | Qt::Key_C));
  Item(copy, "&Viewport", "mnuCopyViewport", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  Item(copy, "&Selection", "mnuCopyMask");
  QMenu* paste = sub(edit, "&Paste", "mnuPaste");
  Item(paste, "&Image", "mnuPasteImage", QKeySequence(Qt::CTRL | Qt::Key_V));
  Item(paste, "&Selection", "mnuPasteSelection");
  Item(edit, "&Empty", "mnuEmpty");
  edit->addSeparator();
  Item(edit, "C&rop", "mnuCrop");
  Item(edit, "&Trim", "mnuTrim1");
  Item(edit, "&Mask", "mnuMask");
  Item(edit, "Select &all", "mnuSelectAll");
  Item(edit, "&Grid", "mnuGrid");

  QMenu* view = top("&View", "mnuView");
  QMenu* media = sub(view, "M&edia", "mnuViewBookmarks");
  Item(media, "&Next", "mnuBookmarkNext", QKeySequence(Qt::Key_PageDown));
  Item(media, "&Previous", "mnuBookmarkPrevious", QKeySequence(Qt::Key_PageUp));
  Item(media, "&First", "mnuBookmarkFirst", QKeySequence(Qt::Key_Home));
  Item(media, "&Last", "mnuBookmarkLast", QKeySequence(Qt::Key_End));
  QMenu* page = sub(view, "&Page", "mnuPage");
  Item(page, "&Next", "mnuPageNext", QKeySequence(Qt::ALT | Qt::Key_PageDown));
  Item(page, "&Previous", "mnuPagePrevious", QKeySequence(Qt::ALT | Qt::Key_PageUp));
  Item(page, "&First", "mnuPageFirst", QKeySequence(Qt::ALT | Qt::Key_Home));
  Item(page, "&Last", "mnuPageLast", QKeySequence(Qt::ALT | Qt::Key_End));
  page->menuAction()->setVisible(false);
  view->addSeparator();
  Item(view, "Full screen", "mnuFullScrn", QKeySequence(Qt::ALT | Qt::Key_Return));
  QMenu* adjust = sub(view, "&Adjust", "mnuAdjust");
  Item(adjust, "&Window", "mnuOptimizeWindow", QKeySequence(Qt::ALT | Qt::Key_A), [this] { mnuOptimizeWindowClick(); });
  Item(adjust, "&Viewport", "mnuViewport", QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_V));
  Item(view, "Zoom &region", "mnuZoomRegion", QKeySequence(Qt::ALT | Qt::Key_R));
  Item(view, "&Zoom to", "mnuZoomTo", QKeySequence(Qt::ALT | Qt::Key_Z));
  QMenu* fitTo = sub(view, "Fit to", "mnuFitTo");
  for (int n = 1; n <= 4; ++n) {
    QAction* a = Item(fitTo, QString("1:&%1").arg(n), QString("mnuFitTo%1").arg(n),
                      QKeySequence(Qt::ALT | (Qt::Key_0 + n)), [this, n] { mnuFitWinToClick(n); });
    a->setData(n);
  }
  QAction* fit = Item(view, "Fit-to-&window", "mnuFitWindow", QKeySequence(Qt::CTRL | Qt::Key_F), [this] { mnuFitClick(); });
  fit->setCheckable(true);
  QAction* upsampled = Item(view, "&Upsampled fit", "mnuUpsampledFit", {}, [this] { mnuUpsampledFitClick(); });
  upsampled->setCheckable(true);
  view->addSeparator();
  auto* aspect = new QActionGroup(this);
  for (const auto& [caption, name] : {std::pair{" &1:1 Monitor", "mnuAspect1"}, std::pair{" 1:1 &Best fit", "mnuAspectBest"},
                                      std::pair{" &4:3 TV", "mnuAspect4"}, std::pair{"16:&9 Wide", "mnuAspect9"}}) {
    const QString item = name;
    QAction* a = Item(view, caption, name, {}, [this, item] { mnuAspectClick(Action(item)); });
    a->setCheckable(true);
    aspect->addAction(a);
  }
  Action("mnuAspect1")->setChecked(true);
  Item(view, "&Gamma", "mnuViewGamma", QKeySequence(Qt::CTRL | Qt::Key_G), [this] { mnuViewGammaClick(); })
      ->setCheckable(true);
  Item(view, "&Half JPEG ", "mnuScaleJPG", {}, [this] { mnuScaleJPGClick(); })->setCheckable(true);
  view->addSeparator();
  auto toggle = [&](QMenu* m, const QString& caption, const QString& name, std::function<void(bool)> set) {
    QAction* a = Item(m, caption, name, {}, [this, name, set] { set(Action(name)->isChecked()); });
    a->setCheckable(true);
    return a;
  };
  toggle(view, "&Menu bar", "mnuMenuBar", [this](bool on) { SetMenuBarShown(on); });
  toggle(view, "&Tool bar", "mnuToolBar", [this](bool on) { SetToolBarShown(on); });
  toggle(view, "&Status bar", "mnuStatusBar", [this](bool on) { SetStatusBarShown(on); });
  toggle(view, "&Button text", "mnuButtonText", [this](bool on) { SetButtonText(on); });
  toggle(view, "&Path box", "mnuPathBox", [this](bool on) { SetPathBoxShown(on); });
  view->addSeparator();
  auto* tools = new QActionGroup(this);
  QAction* hand = Item(view, "&Hand tool", "mnuHandTool", {}, [this] { SelectHandTool(); });
  hand->setCheckable(true);
  hand->setChecked(true);
  tools->addAction(hand);
  QAction* select = Item(view, "&Select tool", "mnuSelectTool");
  select->setCheckable(true);
  tools->addAction(select);
  Item(view, "Get &mouse", "mnuGetMouse");
  Item(view, "&Options...", "mnuOptions", QKeySequence(Qt::ALT | Qt::Key_O));

  QMenu* image = top("&Image", "mnuImage");
  Item(image, "I&nfo", "mnuInfo");
  Item(image, "Anal&yze", "mnuAnalyze");
  Item(image, "&Histogram", "mnuHistogram", QKeySequence(Qt::CTRL | Qt::Key_H));
  QMenu* compute = sub(image, "&Compute", "mnuCompute");
  Item(compute, "&Duplicate", "mnuDuplicate", QKeySequence(Qt::CTRL | Qt::Key_D));
  Item(compute, "Mask &Backcolors", "mnuMaskBackcolors");
  image->addSeparator();
  Item(image, "&Resize", "mnuResize");
  Item(image, "R&otate", "mnuRotate");
  Item(image, "&Mirror", "mnuMirror");
  Item(image, "&Border", "mnuBorder1");
  Item(image, "Te&xt Mark", "mnuTextMark");
  Item(image, "Add &noise", "mnuAddNoise");
  Item(image, "&Descreen", "mnuDescreen");
  QMenu* autoMenu = sub(image, "A&uto", "mnuAuto");
  Item(autoMenu, "&Clean", "mnuAutoClean");
  Item(autoMenu, "&Sharpen", "mnuAutoSharpen");
  Item(autoMenu, "Resi&ze", "mnuAutoDownsample");
  image->addSeparator();
  Item(sub(image, "S&mooth", "mnuSmooth"), "&Airbrush", "mnuAirbrush");
  Item(sub(image, "Sharpe&n", "mnuSharpen"), "&Light", "mnuSharpenLight");

  QMenu* colors = top("&Colors", "mnuColors");
  QMenu* tune = sub(colors, "&Tune", "mnuTune");
  for (const char* t : {"AutoContrast", "AutoBalance", "AutoGamma", "AutoFlash", "AutoWhite", "Normalize", "EQualize",
                        "Optimize", "HLS", "Reference"})
    Item(tune, t, QString("mnuTune") + t);
  Item(colors, "&Gamma", "mnuColorGamma");
  Item(colors, "&Brightness", "mnuBrightness");
  Item(colors, "Co&ntrast", "mnuContrast");
  Item(colors, "&Limit", "mnuLimit");
  Item(colors, "Parametric &EQ", "mnuParametricEQ");
  Item(colors, "T&hreshold", "mnuThreshold");
  colors->addSeparator();
  Item(colors, "&Negative", "mnuNegative");
  Item(colors, "True &Grayscale", "mnuGrayscale");
  Item(colors, "Gray &shades", "mnuGrayShades");
  Item(colors, "&Red Eye", "mnuRedEye");
  Item(colors, "&Posterize", "mnuPosterize");
  QMenu* promote = sub(colors, "&Promote to", "mnuPromote");
  Item(promote, "16&M colors", "mnuPromote24");
  Item(promote, "&256 colors", "mnuPromote8");
  Item(promote, "&16 colors", "mnuPromote4");
  QMenu* reduce = sub(colors, "Re&duce to", "mnuReduce");
  Item(reduce, "&256 colors (dither)", "mnuReduce256Dither");
  Item(reduce, "2&56 colors (poster)", "mnuReduce256Poster");
  Item(reduce, "&16 colors (dither)", "mnuReduce16Dither");
  Item(reduce, "1&6 colors (poster)", "mnuReduce16Poster");

  QMenu* toolsMenu = top("&Tools", "mnuTools");
  Item(toolsMenu, "&Slide Album", "mnuSlideAlbum", QKeySequence(Qt::ALT | Qt::Key_S));
  Item(toolsMenu, "&UnZipper", "mnuUnZipper", QKeySequence(Qt::ALT | Qt::Key_U));
  Item(toolsMenu, "CD &Player", "mnuCdPlayer", QKeySequence(Qt::ALT | Qt::Key_P));
  QMenu* jpeg = sub(toolsMenu, "&JPEG", "mnuJpeg");
  Item(jpeg, "&Text", "mnuJpegText", QKeySequence(Qt::ALT | Qt::Key_J));
  Item(toolsMenu, "&Compress", "mnuCompress", QKeySequence(Qt::CTRL | Qt::Key_J));
  QMenu* batch = sub(toolsMenu, "&Batch", "mnuBatch");
  Item(batch, "&Editor", "mnuBatchEditor", QKeySequence(Qt::ALT | Qt::Key_B));
  Item(batch, "&Perform", "mnuBatchPerform", QKeySequence(Qt::Key_F9));
  Item(batch, "to &JPG", "mnuBatchToJpg");
  Item(batch, "&Move", "mnuBatchMove");
  Item(batch, "&Delete", "mnuBatchDelete", QKeySequence(Qt::CTRL | Qt::Key_Delete));
  toolsMenu->addSeparator();
  Item(sub(toolsMenu, "&Tile", "mnuTile"), "Viewer left - &Explorer right", "mnuTileViewerLeft");
  Item(sub(toolsMenu, "&Wallpaper", "mnuWallpaper"), "&Set", "mnuWallpaperSet");
  Item(sub(toolsMenu, "&Associations", "mnuAssociations"), "&Set", "mnuAssociationsSet");

  QMenu* help = top("&Help", "mnuHelp");
  Item(help, "&Contents", "mnuHelpContents", {}, [] { Help::Show(0); });
  Item(help, "&Getting started", "mnuHelpStart", {}, [] { Help::Show(103); });

  QMenu* fname = top(".", "_mnufname");
  fname->setEnabled(false);
  BuildEditMenus();
  BuildScriptMenus();
  BuildFilterMenus();
}

void TWebForm::BuildToolBars() {
  struct Button { const char* caption; const char* hint; const char* name; ToolGlyph glyph; std::function<void()> run; bool checkable; };
  const Button buttons[] = {
      {"Back", "Previous bookmark", "btnBack", ToolGlyph::Back, {}, false},
      {"Next", "Next bookmark", "btnNext", ToolGlyph::Next, {}, false},
      {"Screen", "Full screen", "btnScreen", ToolGlyph::Screen, {}, false},
      {"Adjust", "Adjust window", "btnAdjust", ToolGlyph::Adjust, [this] { mnuOptimizeWindowClick(); }, false},
      {"Fit", "Fit to window", "btnFit", ToolGlyph::Fit, [this] { mnuFitClick(); }, true},
      {"Zoom -", "Zoom out", "btnZoomDown", ToolGlyph::ZoomOut, [this] { btnZoomDownClick(); }, false},
      {"Zoom +", "Zoom In", "btnZoomUp", ToolGlyph::ZoomIn, [this] { btnZoomUpClick(); }, false},
      {"Info", "Image info", "btnInfo", ToolGlyph::Info, {}, false},
      {nullptr, nullptr, nullptr, ToolGlyph::Info, {}, false},
      {"Scroll", "Hand tool", "btnScroll", ToolGlyph::Scroll, [this] { SelectHandTool(); }, true},
      {"Select", "Selection mask", "btnSelect", ToolGlyph::Select, {}, true},
      {nullptr, nullptr, nullptr, ToolGlyph::Info, {}, false},
      {"Page", "Next page", "btnPage", ToolGlyph::Page, {}, false},
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

  const std::pair<const char*, ToolGlyph> pathButtons[] = {
      {"Explore", ToolGlyph::Explore},     {"Save", ToolGlyph::Save},         {"Instant slideshow", ToolGlyph::Slideshow},
      {"Copy/move", ToolGlyph::CopyMove},  {"Delete/recycle", ToolGlyph::Delete}, {"Cut/Unmark", ToolGlyph::Unmark},
      {"Bookmarks", ToolGlyph::Bookmarks},
  };
  int i = 0;
  for (const auto& [hint, glyph] : pathButtons) {
    QAction* a = Item(nullptr, hint, QString("btnPath%1").arg(i++));
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
  const int key = e->key();
  if (key == Qt::Key_F1) {
    Help::Show(0);
    return true;
  }
  if (key == Qt::Key_Escape) {
    Flags().AbortRequest = true;
    if (history_->hasFocus()) history_->setText(QString::fromStdString(state_.CurrentFile));
    return true;
  }
  const bool a = !state_.SlideshowRunning && !state_.MediaMode && !history_->hasFocus();
  if (!a || mods != Qt::NoModifier) return false;
  const bool keypad = e->modifiers() & Qt::KeypadModifier;
  switch (key) {
    case Qt::Key_F: Run([this] { mnuFitClick(); }); return true;
    case Qt::Key_Right: Run([this] { BookmarkStep(1); }); return true;
    case Qt::Key_Left: Run([this] { BookmarkStep(-1); }); return true;
    case Qt::Key_B: Run([this] { mnuBookmarksViewClick(); }); return true;
    case Qt::Key_U: Run([this] { mnuUnmarkClick(); }); return true;
    case Qt::Key_Asterisk:
      if (keypad) Run([this] { mnuUnmarkClick(); });
      return keypad;
    case Qt::Key_2: Run([this] { SetZoomKey(25); }); return true;
    case Qt::Key_5: Run([this] { SetZoomKey(50); }); return true;
    case Qt::Key_7: Run([this] { SetZoomKey(75); }); return true;
    case Qt::Key_H: Run([this] { mnuScaleJPGClick(); }); return true;
    case Qt::Key_G: Run([this] { mnuViewGammaClick(); }); return true;
    case Qt::Key_Plus:
      if (keypad && !state_.FitMode) Run([this] { btnZoomUpClick(); });
      return keypad;
    case Qt::Key_Minus:
      if (keypad && !state_.FitMode) Run([this] { btnZoomDownClick(); });
      return keypad;
    default: return false;
  }
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
    switch (event->type()) {
      case QEvent::Wheel: {
        if (!settings_->viewer.wheelNavigation) return false;
        const int dy = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (dy != 0) Run([this, dy] { BookmarkStep(dy < 0 ? 1 : -1); });
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
        for (const char* name : {"mnuOpen", "mnuFitWindow", "mnuZoomTo", "mnuFullScrn"}) menu.addAction(Action(name));
        menu.addSeparator();
        for (const char* name : {"mnuMenuBar", "mnuToolBar", "mnuStatusBar", "mnuButtonText", "mnuPathBox"})
          menu.addAction(Action(name));
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
  Action("btnScroll")->setChecked(true);
  Action("mnuHandTool")->setChecked(true);
  sky95_->SetFrameRect(std::nullopt);
  LayoutViewport();
}

}  // namespace pelira
