#include "album/forms/show_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>
#include <set>

#include "album/album_add.h"
#include "album/album_files.h"
#include "album/forms/album_dialogs.h"
#include "album/forms/album_model.h"
#include "common/atomic_file.h"
#include "platform/progress.h"
#include "platform/qt/qt_ui.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/statvfs_volume_source.h"
#include "platform/ui.h"
#include "slideshow/effects_table.h"

namespace pelira {

namespace {

constexpr const char* kDiscardText = "Discard slideshow/album?";
// The registry value of the window's settings block.
constexpr const char* kSettingsValue = "SControls7700";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// One row per command: the menus, keys and tool buttons are all made from this table.
struct MenuRow {
  const char* objectName;
  const char* caption;
  const char* shortcut;
  const char* menu;  // top-level menu caption
  void (TShowForm::*slot)();
  const char* toolText;  // tool bar button, or nullptr
  bool popup;            // also on the list's pop-up menu
};

const MenuRow kMenuRows[] = {
    {"mnuNew", "&New", "Ctrl+N", "&File", &TShowForm::mnuNewClick, nullptr, false},
    {"mnuOpen", "&Open", "Ctrl+O", "&File", &TShowForm::mnuOpenClick, "Open", false},
    {"mnuSaveAs", "Save &As", "Ctrl+S", "&File", &TShowForm::mnuSaveAsClick, "Save", false},
    {"mnuRun", "&Run", "F5", "&File", &TShowForm::mnuRunClick, "Run", false},
    {"mnuClose", "&Close", "Esc", "&File", &TShowForm::mnuCloseClick, nullptr, false},
    {"mnuAdd", "Add &slide(s)", "Ins", "&Edit", &TShowForm::mnuAddClick, "Add", true},
    {"mnuInsert", "I&nsert slide(s)", "Shift+Ins", "&Edit", &TShowForm::mnuInsertClick, nullptr, true},
    {"mnuGet", "&Get slides from ...", "Ctrl+G", "&Edit", &TShowForm::mnuGetClick, "Get", false},
    {"mnuInsertCd", "Insert CD Trac&k", "", "&Edit", &TShowForm::mnuInsertCdClick, nullptr, false},
    {"mnuCut", "Cu&t slide(s)", "Ctrl+X", "&Edit", &TShowForm::mnuCutClick, nullptr, true},
    {"mnuRelocate", "&Relocate slide(s)", "Ctrl+R", "&Edit", &TShowForm::mnuRelocateClick, nullptr, true},
    {"mnuSelectAll", "Select &All", "Ctrl+A", "&Edit", &TShowForm::mnuSelectAllClick, nullptr, false},
    {"mnuInvert", "&Invert selection", "Ctrl+I", "&Edit", &TShowForm::mnuInvertClick, nullptr, false},
    {"mnuSelectIndex", "Select inde&x", "Ctrl+J", "&Edit", &TShowForm::mnuSelectIndexClick, nullptr, false},
    {"mnuAlbumMode", "&Album mode", "Ctrl+M", "&View", &TShowForm::mnuAlbumModeClick, "Album", false},
    {"mnuDetails", "&Details", "", "&View", &TShowForm::mnuDetailsClick, nullptr, false},
    {"mnuIcons", "&Thumbnails", "", "&View", &TShowForm::mnuIconsClick, nullptr, false},
    {"mnuColumnsAll", "&All properties", "", "&View", &TShowForm::mnuColumnsAllClick, nullptr, false},
    {"mnuColumnsSlide", "&Slide properties only", "", "&View", &TShowForm::mnuColumnsSlideClick, nullptr, false},
    {"mnuColumnsImage", "&Image properties only", "", "&View", &TShowForm::mnuColumnsImageClick, nullptr, false},
    {"mnuToolBar", "&Tool bar", "", "&View", &TShowForm::mnuToolBarClick, nullptr, false},
    {"mnuStatusBar", "Status &bar", "", "&View", &TShowForm::mnuStatusBarClick, nullptr, false},
    {"mnuPropertiesBox", "Properties bo&x", "", "&View", &TShowForm::mnuPropertiesBoxClick, nullptr, false},
    {"mnuButtonText", "Button te&xt", "", "&View", &TShowForm::mnuButtonTextClick, nullptr, false},
    {"mnuView", "&Open", "Return", "&Source", &TShowForm::mnuViewClick, "View", true},
    {"mnuProperties", "&Properties", "Alt+Return", "&Source", &TShowForm::mnuPropertiesClick, nullptr, true},
    {"mnuDelete", "&Delete", "Del", "&Source", &TShowForm::mnuDeleteClick, "Delete", true},
    {"mnuMove", "&Move to", "", "&Source", &TShowForm::mnuMoveClick, nullptr, true},
    {"btnMove", "Move / copy", "", nullptr, &TShowForm::btnMoveClick, "Move", false},
    {"mnuCopy", "&Copy to", "", "&Source", &TShowForm::mnuCopyClick, nullptr, true},
    {"mnuBackcolor", "&Backcolor", "", "&Properties", &TShowForm::mnuBackcolorClick, nullptr, true},
    {"mnuEffect", "E&ffect", "", "&Properties", &TShowForm::mnuEffectClick, nullptr, true},
    {"mnuWait", "&Wait", "", "&Properties", &TShowForm::mnuWaitClick, nullptr, true},
    {"mnuZoom", "&Zoom", "", "&Properties", &TShowForm::mnuZoomClick, nullptr, true},
    {"mnuGamma", "&Gamma", "", "&Properties", &TShowForm::mnuGammaClick, nullptr, true},
    {"mnuRotate", "&Rotate", "", "&Properties", &TShowForm::mnuRotateClick, nullptr, true},
    {"mnuPosition", "&Position", "", "&Properties", &TShowForm::mnuPositionClick, nullptr, true},
    {"mnuPanel", "Pan&el", "", "&Properties", &TShowForm::mnuPanelClick, nullptr, true},
    {"mnuComment", "Commen&t", "", "&Properties", &TShowForm::mnuCommentClick, nullptr, true},
};

constexpr const char* kPropertyItems[9] = {"Background", "Effect", "Wait",     "Position", "Gamma",
                                           "Size",       "Rotation", "Zoom", "Comment"};

// The source-file commands work in album mode only; the property commands outside it.
bool IsSourceCommand(const std::string& name) {
  return name == "mnuDelete" || name == "mnuMove" || name == "mnuCopy" || name == "btnMove";
}
bool IsPropertyCommand(const MenuRow& r) { return r.menu != nullptr && std::string(r.menu) == "&Properties"; }

}  // namespace

TShowForm::TShowForm(AlbumDialogs& dialogs, Ui& ui, QWidget* parent, SettingsStore* settings, VolumeSource* volumes)
    : QMainWindow(parent), dialogs_(dialogs), ui_(ui), settings_(settings), volumes_(volumes) {
  setObjectName("TShowForm");
  setAcceptDrops(true);
  model_ = new TAlbumModel(store_, this);
  BuildViews();
  BuildMenus();
  if (QScreen* s = QGuiApplication::primaryScreen()) screen_ = {s->geometry().width(), s->geometry().height()};
  LoadSettings();
  UpdateTitle();
  UpdateEnabled();
  UpdateStatus();
  UpdatePropertiesBox();
}

TShowForm::~TShowForm() = default;

QAction* TShowForm::Action(const char* objectName) const { return findChild<QAction*>(objectName); }

void TShowForm::BuildViews() {
  splitter_ = new QSplitter(this);
  propBox_ = new QWidget(splitter_);
  auto* box = new QVBoxLayout(propBox_);
  swatch_ = new QLabel(propBox_);
  swatch_->setFixedSize(96, 72);
  swatch_->setAutoFillBackground(true);
  effectLabel_ = new QLabel(propBox_);
  commentLabel_ = new QLabel(propBox_);
  commentLabel_->setWordWrap(true);
  propList_ = new QListWidget(propBox_);
  propList_->setObjectName("propertiesList");
  for (int i = 0; i < 9; ++i) {
    auto* item = new QListWidgetItem(kPropertyItems[i], propList_);
    item->setToolTip(kPropertyItemTips[i]);
  }
  connect(propList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { PropertyItemClicked(propList_->row(item)); });
  box->addWidget(swatch_);
  box->addWidget(effectLabel_);
  box->addWidget(commentLabel_);
  box->addWidget(propList_, 1);

  stack_ = new QStackedWidget(splitter_);
  table_ = new QTableView(stack_);
  table_->setObjectName("detailsView");
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setShowGrid(false);
  table_->setWordWrap(false);
  // Fixed row heights: the view never measures rows, so a million of them scroll at once.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->horizontalHeader()->setSectionsClickable(true);
  connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TShowForm::ColumnClicked);
  icons_ = new QListView(stack_);
  icons_->setObjectName("iconView");
  icons_->setModel(model_);
  icons_->setSelectionModel(table_->selectionModel());
  icons_->setViewMode(QListView::IconMode);
  icons_->setUniformItemSizes(true);
  icons_->setGridSize(QSize(112, 96));
  icons_->setIconSize(QSize(64, 64));
  icons_->setResizeMode(QListView::Adjust);
  icons_->setMovement(QListView::Static);
  icons_->setLayoutMode(QListView::Batched);
  icons_->setBatchSize(2000);
  icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  stack_->addWidget(table_);
  stack_->addWidget(icons_);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(table_), static_cast<QAbstractItemView*>(icons_)}) {
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QAbstractItemView::doubleClicked, this, [this] { mnuViewClick(); });
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& p) {
      QMenu menu(this);
      for (const MenuRow& r : kMenuRows) {
        if (!r.popup) continue;
        QAction* a = Action(r.objectName);
        if (a != nullptr && a->isVisible()) menu.addAction(a);
      }
      menu.exec(v->viewport()->mapToGlobal(p));
    });
  }
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (syncing_) return;
    PullSelection();
    UpdateStatus();
    UpdatePropertiesBox();
  });
  splitter_->addWidget(propBox_);
  splitter_->addWidget(stack_);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({200, 600});
  setCentralWidget(splitter_);
  for (int i = 0; i < 4; ++i) {
    status_[i] = new QLabel(this);
    status_[i]->setObjectName(QString("statusPanel%1").arg(i));
    statusBar()->addWidget(status_[i], i == 3 ? 1 : 0);
  }
  setMinimumSize(480, 240);
}

void TShowForm::BuildMenus() {
  toolBar_ = addToolBar("Tools");
  toolBar_->setObjectName("albumToolBar");
  QHash<QString, QMenu*> menus;
  for (const MenuRow& r : kMenuRows) {
    QMenu* menu = nullptr;
    if (r.menu != nullptr) {
      QMenu*& m = menus[r.menu];
      if (m == nullptr) m = menuBar()->addMenu(r.menu);
      menu = m;
    }
    auto* a = new QAction(r.caption, this);
    a->setObjectName(r.objectName);
    if (r.shortcut[0] != 0) a->setShortcut(QKeySequence(r.shortcut));
    a->setShortcutContext(Qt::WindowShortcut);
    static const std::set<std::string> kCheckable = {"mnuAlbumMode", "mnuToolBar", "mnuStatusBar", "mnuPropertiesBox",
                                                     "mnuButtonText", "mnuColumnsAll", "mnuColumnsSlide",
                                                     "mnuColumnsImage"};
    if (kCheckable.count(r.objectName) != 0) a->setCheckable(true);
    const auto slot = r.slot;
    connect(a, &QAction::triggered, this, [this, slot] {
      // Commands that pump events must not run inside one another.
      if (store_.Busy()) return;
      (this->*slot)();
    });
    if (menu != nullptr)
      menu->addAction(a);
    else
      addAction(a);  // tool bar only
    if (r.toolText != nullptr) {
      // The same action, so the button follows the command's enabled state.
      a->setIconText(r.toolText);
      toolBar_->addAction(a);
    }
  }
}

// --- selection ---------------------------------------------------------------------------------

void TShowForm::PullSelection() {
  store_.ClearSelection();
  const QItemSelection sel = table_->selectionModel()->selection();
  auto& bits = store_.SelectionBits();
  for (const QItemSelectionRange& r : sel)
    for (int row = r.top(); row <= r.bottom(); ++row)
      if (static_cast<std::size_t>(row) < bits.size()) bits[static_cast<std::size_t>(row)] = 1;
  store_.RecountSelection();
}

void TShowForm::PushSelection() {
  syncing_ = true;
  QItemSelection sel;
  const auto& bits = store_.SelectionBits();
  const int last = model_->columnCount() - 1;
  for (std::size_t i = 0; i < bits.size() && i < store_.Count();) {
    if (!bits[i]) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j + 1 < bits.size() && bits[j + 1]) ++j;
    sel.select(model_->index(static_cast<int>(i), 0), model_->index(static_cast<int>(j), last));
    i = j + 1;
  }
  table_->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
  if (store_.SelectedCount() > 0) {
    const QModelIndex first = model_->index(static_cast<int>(store_.FirstSelected()), 0);
    table_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    table_->scrollTo(first);
    icons_->scrollTo(first);
  }
  syncing_ = false;
}

void TShowForm::SelectRows(const std::vector<int>& rows) {
  store_.ClearSelection();
  for (int r : rows)
    if (r >= 0) store_.SetSelected(static_cast<std::size_t>(r), true);
  PushSelection();
  UpdateStatus();
  UpdatePropertiesBox();
}

void TShowForm::Refresh(bool reset) {
  if (reset) {
    syncing_ = true;
    model_->Reset();
    syncing_ = false;
    PushSelection();
  } else {
    emit model_->dataChanged(model_->index(0, 0), model_->index(model_->rowCount() - 1, kColumnCount - 1));
  }
  UpdateStatus();
  UpdatePropertiesBox();
  UpdateEnabled();
}

// --- displays ----------------------------------------------------------------------------------

void TShowForm::UpdateStatus() {
  const auto texts = StatusTexts(store_);
  for (int i = 0; i < 4; ++i) status_[i]->setText(i < static_cast<int>(texts.size()) ? Q(texts[i]) : QString());
}

std::vector<std::string> TShowForm::EffectNames() const {
  if (hooks_.effectNames) return hooks_.effectNames();
  return TheEffectsTable().Names();
}

std::string TShowForm::EffectName(int effect) const {
  const auto& names = EffectNames();
  if (effect >= 0 && static_cast<std::size_t>(effect) < names.size()) return names[static_cast<std::size_t>(effect)];
  return std::to_string(effect);
}

void TShowForm::UpdatePropertiesBox() {
  if (store_.SelectedCount() != 1) {
    effectLabel_->clear();
    commentLabel_->clear();
    for (int i = 0; i < 9; ++i) propList_->item(i)->setText(kPropertyItems[i]);
    swatch_->setPalette(palette());
    return;
  }
  const SlideRecord& r = store_.At(store_.FirstSelected());
  const auto t = PropertyTexts(store_, r, [this](int e) { return EffectName(e); });
  effectLabel_->setText(Q(t.effect));
  commentLabel_->setText(Q(t.comment));
  for (int i = 0; i < 9; ++i) propList_->item(i)->setText(Q(t.items[static_cast<std::size_t>(i)]));
  QPalette p = swatch_->palette();
  if (r.background >= 0) {
    const auto v = static_cast<std::uint32_t>(r.background);
    p.setColor(QPalette::Window, QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
  } else {
    p.setColor(QPalette::Window, palette().color(QPalette::Window));
  }
  swatch_->setPalette(p);
  swatch_->setPixmap(model_->KindIcon(r).pixmap(48, 48));
}

void TShowForm::UpdateTitle() {
  if (store_.FilePath().empty()) {
    setWindowTitle(kAlbumTitle);
    return;
  }
  setWindowTitle(QFileInfo(Q(store_.FilePath())).fileName() + kAlbumTitleSuffix);
}

void TShowForm::UpdateEnabled() {
  for (const MenuRow& r : kMenuRows) {
    QAction* a = Action(r.objectName);
    if (IsSourceCommand(r.objectName)) a->setEnabled(albumMode_);
    if (IsPropertyCommand(r)) a->setVisible(!albumMode_);
  }
  Action("mnuAlbumMode")->setChecked(albumMode_);
  Action("mnuInsertCd")->setEnabled(!store_.Empty());
  propBox_->setVisible(!albumMode_ && boxWanted_);
  Action("mnuToolBar")->setChecked(toolBar_->isVisibleTo(this));
  Action("mnuStatusBar")->setChecked(statusBar()->isVisibleTo(this));
  Action("mnuPropertiesBox")->setChecked(boxWanted_);
  Action("mnuButtonText")->setChecked(toolBar_->toolButtonStyle() == Qt::ToolButtonTextOnly);
  Action("mnuColumnsAll")->setChecked(columnSet_ == 0);
  Action("mnuColumnsSlide")->setChecked(columnSet_ == 1);
  Action("mnuColumnsImage")->setChecked(columnSet_ == 2);
  for (int c = 0; c < kColumnCount; ++c) {
    const bool slideCol = c >= kColBackcolor && c <= kColPanel;
    const bool imageCol = c == kColCrc || c == kColUserIdx || c == kColImage || c == kColExtraIdx;
    table_->setColumnHidden(c, (columnSet_ == 1 && imageCol) || (columnSet_ == 2 && slideCol));
  }
  if (columnSet_ == 2) table_->setColumnWidth(kColComment, 120);
}

bool TShowForm::AskDiscard() {
  return ui_.Message(MessageKind::Confirmation, kDiscardText, Button::OK | Button::Cancel) == Button::OK;
}

// --- file commands -----------------------------------------------------------------------------

void TShowForm::mnuNewClick() {
  if (store_.Modified() && !AskDiscard()) return;
  store_.Clear();
  Refresh(true);
  UpdateTitle();
}

bool TShowForm::OpenAlbumFile(const std::string& path, bool askDiscard) {
  if (askDiscard && !store_.Empty() && !AskDiscard()) return false;
  auto progress = OpenProgress(ui_, "Restoring Slideshow/Album ... ");
  if (!progress) return false;
  AlbumLoadOptions o;
  o.ui = &ui_;
  o.progress = progress.get();
  o.volumes = volumes_;
  statusBar()->showMessage("Busy");
  const AlbumLoadResult r = LoadAlbum(store_, path, o);
  progress.reset();
  if (r.ok && hooks_.addRecent) hooks_.addRecent(path);
  statusBar()->clearMessage();
  Refresh(true);
  UpdateTitle();
  return r.ok;
}

void TShowForm::mnuOpenClick() {
  // Asked before the dialog, cleared only once a file was chosen.
  if (!store_.Empty() && !AskDiscard()) return;
  const auto path = dialogs_.ChooseAlbum(this);
  if (!path) return;
  OpenAlbumFile(*path, false);
}

bool TShowForm::AskAvlAdvice() {
  if (store_.Count() <= kAvlAdviceLimit) return true;
  return AskIgnorable(ui_, kAvlAdviceKey, MessageKind::Warning, AvlAdviceText(store_.Count()), 0,
                      Button::Yes | Button::No | Button::Ignore);
}

void TShowForm::mnuSaveAsClick() {
  static const char* const kExt[] = {"avc", "avl", "plp"};
  std::string path;
  std::string suggested = store_.FilePath().empty() ? "Untitled" : store_.FilePath();
  for (;;) {
    const auto choice = dialogs_.ChooseSaveName(this, suggested, saveType_);
    if (!choice) return;
    saveType_ = std::clamp(choice->type, 1, 3);
    if (!SaveNameAllowed(choice->path)) {
      ui_.Message(MessageKind::Warning, kBadFileNameText, Button::OK);
      suggested = choice->path;
      continue;
    }
    path = FixSaveExtension(choice->path, kExt[saveType_ - 1]);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
      QApplication::beep();
      const Button b = ui_.Message(MessageKind::Confirmation,
                                   QFileInfo(Q(path)).fileName().toStdString() + " exists.\nOverwrite?",
                                   Button::Yes | Button::No | Button::Cancel);
      if (b == Button::Cancel) return;
      if (b != Button::Yes) {
        suggested = path;
        continue;
      }
    }
    break;
  }
  if (FormatOfPath(path) == AlbumFormat::Avl && !AskAvlAdvice()) return;
  auto progress = OpenProgress(ui_, "Encoding AVL file with " + std::to_string(store_.Count()) + " slides ... ");
  if (!progress) return;
  AlbumSaveOptions o;
  o.screenWidth = screen_.width;
  o.screenHeight = screen_.height;
  o.progress = progress.get();
  const AlbumSaveResult r = SaveAlbum(store_, path, o);
  progress.reset();
  if (r.ok && hooks_.addRecent) hooks_.addRecent(path);
  if (!r.ok && !r.cancelled && !r.message.empty()) ui_.Message(MessageKind::Error, r.message, Button::OK);
  UpdateTitle();
}

void TShowForm::mnuRunClick() {
  if (store_.Count() < 2) return;
  if (!AskAvlAdvice()) return;
  const int count = static_cast<int>(std::min<std::size_t>(store_.Count(), 32767));
  NumberQuestion q{"Test slideshow from Slide #", {1, count, store_.RunStart() > count ? 1 : store_.RunStart(), count / 8 + 1, 1}, {}};
  const auto start = dialogs_.AskNumber(this, q);
  if (!start) return;
  store_.SetRunStart(*start);
  const auto path = TestScriptPath();
  const WriteResult w = AtomicWrite(path, TestScriptText(store_, *start, screen_.width, screen_.height));
  if (!w) {
    ui_.Message(MessageKind::Error, kSaveScriptFailedText, Button::OK);
    return;
  }
  if (!hooks_.playScript) {
    ui_.Message(MessageKind::Information, "Slideshows cannot be played in this version.", Button::OK);
    return;
  }
  hide();
  hooks_.playScript(path.string());
}

void TShowForm::mnuCloseClick() { close(); }

void TShowForm::closeEvent(QCloseEvent* event) {
  // Closing only hides the window; the album stays for the next time.
  SaveSettings();
  event->ignore();
  hide();
}

// --- adding ------------------------------------------------------------------------------------

void TShowForm::AddFiles(const std::vector<std::string>& paths, AddMode mode) {
  if (paths.empty()) return;
  PullSelection();
  auto progress = OpenProgress(ui_, "Adding Slides ... ");
  if (!progress) return;
  AddRequest req;
  req.paths = paths;
  req.mode = mode;
  req.insertAt = store_.FirstSelected() < store_.Count() ? store_.FirstSelected() : 0;
  req.volumes = volumes_;
  req.progress = progress.get();
  AddOutcome out;
  {
    BusyScope busy(store_);
    if (!busy.Acquired()) return;
    out = AddSlides(store_, req);
  }
  progress.reset();
  if (out.outOfMemory) ui_.Message(MessageKind::Error, kNoMemoryText, Button::OK);
  if (!out.refused.empty())
    ui_.Message(MessageKind::Warning,
                std::to_string(out.refused.size()) + " file name(s) with line breaks cannot be added to an album.",
                Button::OK);
  Refresh(true);
}

void TShowForm::mnuAddClick() {
  const auto files = dialogs_.ChooseSlides(this, "Add slide(s)");
  if (files.empty()) return;
  if (store_.Empty()) {
    store_.Clear();
    UpdateTitle();
  }
  AddFiles(files, AddMode::Append);
}

void TShowForm::mnuInsertClick() {
  const auto files = dialogs_.ChooseSlides(this, "Insert slide(s)");
  AddFiles(files, AddMode::Insert);
}

void TShowForm::AddDropped(const std::vector<std::string>& paths) { AddFiles(paths, AddMode::Append); }

void TShowForm::AddList(const std::vector<std::string>& paths) { AddFiles(paths, AddMode::InOrder); }

void TShowForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TShowForm::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& u : event->mimeData()->urls())
    if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
  event->acceptProposedAction();
  AddDropped(paths);
}

void TShowForm::mnuInsertCdClick() {
  if (store_.Empty()) return;
  PullSelection();
  const auto track = dialogs_.AskNumber(this, {"Insert CD Track", {1, 99, 1, 1, 1}, {}});
  if (!track) return;
  InsertCdTrack(store_, *track);
  Refresh(true);
}

// --- order and selection -----------------------------------------------------------------------

void TShowForm::mnuCutClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  std::unique_ptr<Progress> progress;
  if (store_.SelectedCount() > 1) progress = OpenProgress(ui_, "Removing slides ... ");
  CutSelected(store_, progress.get());
  progress.reset();
  Refresh(true);
}

void TShowForm::mnuRelocateClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const int count = static_cast<int>(std::min<std::size_t>(store_.Count(), INT32_MAX));
  const auto target = dialogs_.AskNumber(this, {"Relocate selection(s) to Index#", {0, count - 1, 0, count / 8 + 1, 1}, {}});
  if (!target) return;
  RelocateSelected(store_, static_cast<std::size_t>(*target));
  Refresh(true);
}

void TShowForm::mnuSelectAllClick() {
  if (store_.Count() < 2) return;
  auto progress = OpenProgress(ui_, "Selecting ...");
  SelectAll(store_, progress.get());
  progress.reset();
  PushSelection();
  UpdateStatus();
  UpdatePropertiesBox();
}

void TShowForm::mnuInvertClick() {
  PullSelection();
  auto progress = OpenProgress(ui_, "Selecting ...");
  InvertSelection(store_, progress.get());
  progress.reset();
  PushSelection();
  UpdateStatus();
  UpdatePropertiesBox();
}

void TShowForm::mnuSelectIndexClick() {
  if (store_.Empty()) return;
  const int count = static_cast<int>(std::min<std::size_t>(store_.Count(), INT32_MAX));
  const auto i = dialogs_.AskNumber(this, {"Go to Slide Index", {1, count, 1, count / 8 + 1, 1}, {}});
  if (!i) return;
  SelectIndex(store_, static_cast<std::size_t>(*i));
  PushSelection();
  UpdateStatus();
  UpdatePropertiesBox();
}

// --- views -------------------------------------------------------------------------------------

void TShowForm::mnuColumnsAllClick() {
  columnSet_ = 0;
  UpdateEnabled();
}
void TShowForm::mnuColumnsSlideClick() {
  columnSet_ = 1;
  UpdateEnabled();
}
void TShowForm::mnuColumnsImageClick() {
  columnSet_ = 2;
  UpdateEnabled();
}
void TShowForm::mnuToolBarClick() {
  toolBar_->setVisible(!toolBar_->isVisibleTo(this));
  UpdateEnabled();
}
void TShowForm::mnuStatusBarClick() {
  statusBar()->setVisible(!statusBar()->isVisibleTo(this));
  UpdateEnabled();
}
void TShowForm::mnuPropertiesBoxClick() {
  boxWanted_ = !boxWanted_;
  UpdateEnabled();
}
void TShowForm::mnuButtonTextClick() {
  const bool text = toolBar_->toolButtonStyle() == Qt::ToolButtonTextOnly;
  toolBar_->setToolButtonStyle(text ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
  UpdateEnabled();
}

void TShowForm::mnuAlbumModeClick() {
  albumMode_ = !albumMode_;
  // Album mode shows the image columns, slide mode the slide properties.
  columnSet_ = albumMode_ ? 2 : 1;
  stack_->setCurrentWidget(albumMode_ ? static_cast<QWidget*>(icons_) : table_);
  UpdateEnabled();
}

void TShowForm::mnuDetailsClick() { stack_->setCurrentWidget(table_); }
void TShowForm::mnuIconsClick() { stack_->setCurrentWidget(icons_); }

// --- source files ------------------------------------------------------------------------------

void TShowForm::OpenSlides(bool properties) {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const auto positions = store_.SelectedPositions();
  const SlideRecord& first = store_.At(positions.front());
  if (first.IsCdTrack()) return;  // the CD player tool plays tracks
  const auto firstPath = store_.SlideFullPath(first);
  if (!firstPath || !StatFile(*firstPath).exists) {
    ui_.Message(MessageKind::Information, "Selected slide(s) are offline.", Button::OK);
    return;
  }
  if (properties) {
    dialogs_.ShowFileInfo(this, *firstPath);
    return;
  }
  std::vector<std::string> viewable;
  for (std::size_t pos : positions) {
    const SlideRecord& r = store_.At(pos);
    const auto p = store_.SlideFullPath(r);
    if (!p) continue;
    if (KindOf(r) == SlideKind::Image && hooks_.openInViewer) {
      viewable.push_back(*p);
    } else if (!dialogs_.OpenExternally(*p)) {
      ui_.Message(MessageKind::Warning, "Associated application not found.", Button::OK);
    }
  }
  if (!viewable.empty()) hooks_.openInViewer(viewable);
}

void TShowForm::mnuViewClick() { OpenSlides(false); }
void TShowForm::mnuPropertiesClick() { OpenSlides(true); }

void TShowForm::mnuDeleteClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const bool permanent = QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
  if (permanent) {
    QApplication::beep();
    if (ui_.Message(MessageKind::Warning, DeleteQuestion(store_, true), Button::Yes | Button::No) != Button::Yes) return;
  } else if (!AskIgnorable(ui_, kDeleteIgnoreKey, MessageKind::Warning, DeleteQuestion(store_, false))) {
    return;
  }
  const FileOpOutcome out = DeleteSourceFiles(store_, permanent, CurrentShell());
  Refresh(true);
  if (!out.failures.empty()) {
    std::string text;
    for (const auto& f : out.failures) text += f + "\n";
    ui_.Message(MessageKind::Error, text, Button::OK);
  }
}

void TShowForm::SourceFiles(bool move) {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const auto folder = dialogs_.ChooseFolder(this, Q(MoveCopyTitle(store_, move)));
  if (!folder) return;
  const FileOpOutcome out = CopyMoveSlides(store_, *folder, move, volumes_, [this](const std::string& p) {
    return ui_.Message(MessageKind::Error, SourceMissingText(p), Button::OK | Button::Cancel) == Button::OK;
  });
  Refresh(false);
  if (!out.failures.empty()) {
    std::string text;
    for (const auto& f : out.failures) text += f + "\n";
    ui_.Message(MessageKind::Error, text, Button::OK);
  }
}

void TShowForm::mnuMoveClick() { SourceFiles(true); }
void TShowForm::btnMoveClick() { SourceFiles(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)); }

void TShowForm::mnuGetClick() {
  if (!store_.Empty() && !AskDiscard()) return;
  const auto folder = dialogs_.ChooseFolder(this, "Get available slides from ...");
  if (!folder) return;
  store_.Clear();
  UpdateTitle();
  AddFiles(FolderSlideFiles(*folder), AddMode::InOrder);
}
void TShowForm::mnuCopyClick() { SourceFiles(false); }

// --- properties --------------------------------------------------------------------------------

void TShowForm::RunProperty(SlideProperty p, const PropertyValue& v) {
  auto progress = OpenProgress(ui_, "Changing property ...");
  const PropertyOutcome out = ApplyProperty(store_, p, v, screen_, progress.get());
  progress.reset();
  if (!out.ran && !out.message.empty()) ui_.Message(MessageKind::Information, out.message, Button::OK);
  Refresh(false);
}

void TShowForm::NumberProperty(SlideProperty p, const char* title, std::vector<int> presets) {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  NumberQuestion q{title, RangeOf(p), std::move(presets)};
  if (store_.SelectedCount() == 1) {
    const SlideRecord& r = store_.At(store_.FirstSelected());
    const int cur = p == SlideProperty::Wait ? r.wait : p == SlideProperty::Zoom ? r.zoom
                  : p == SlideProperty::Gamma ? r.gamma : r.rotate;
    if (cur == -1) return;  // not applicable to this slide
    q.range.initial = std::clamp(cur, q.range.min, q.range.max);
  }
  const auto v = dialogs_.AskNumber(this, q);
  if (!v) return;
  RunProperty(p, {*v});
}

void TShowForm::mnuWaitClick() { NumberProperty(SlideProperty::Wait, "Slide wait (seconds)", {1, 3, 5, 10, 15, 30}); }
void TShowForm::mnuZoomClick() { NumberProperty(SlideProperty::Zoom, "Magnify by (%)", {}); }
void TShowForm::mnuGammaClick() {
  NumberProperty(SlideProperty::Gamma, "Gamma adjustment (n/100)", {60, 80, 120, 140, 160, 180});
}
void TShowForm::mnuRotateClick() { NumberProperty(SlideProperty::Rotate, "Rotate image (deg.)", {30, 45, 60, 90, 180, 270}); }

void TShowForm::mnuBackcolorClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const std::int32_t initial = store_.At(store_.FirstSelected()).background;
  const auto c = dialogs_.ChooseColor(this, initial);
  if (c) {
    RunProperty(SlideProperty::Background, {*c});
  } else if (ui_.Message(MessageKind::Confirmation, "Clear background of selected item(s)?", Button::Yes | Button::No) ==
             Button::Yes) {
    RunProperty(SlideProperty::Background, {kNoBackground});
  }
}

void TShowForm::mnuEffectClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  if (store_.SelectedCount() == 1 && store_.At(store_.FirstSelected()).IsCdTrack()) {
    mnuInsertCdClick();
    return;
  }
  const std::vector<std::string> names = EffectNames();
  if (names.empty()) return;
  const QString title = QString("Select from %1 Transitions Effects").arg(names.size() - 1);
  const auto e = dialogs_.ChooseEffect(this, title, names, std::max<int>(0, store_.At(store_.FirstSelected()).effect));
  if (!e) return;
  RunProperty(SlideProperty::Effect, {*e});
}

void TShowForm::mnuPositionClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const SlideRecord& r = store_.At(store_.FirstSelected());
  PairQuestion q{"Slide Window Position", std::max<int>(0, r.posX), std::max<int>(0, r.posY), -10,
                 2 * std::max(screen_.width, screen_.height) - 1, "Reset Slide Window Position to AUTO?"};
  const auto v = dialogs_.AskPair(this, q);
  if (!v) return;
  RunProperty(SlideProperty::Position, {v->first, v->second});
}

void TShowForm::mnuPanelClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const SlideRecord& r = store_.At(store_.FirstSelected());
  PairQuestion q{"Slide Window Size", r.panelW > 0 ? r.panelW : screen_.width, r.panelH > 0 ? r.panelH : screen_.height,
                 -1, 2 * std::max(screen_.width, screen_.height) - 1, "Reset Slide Window Size to AUTO?"};
  const auto v = dialogs_.AskPair(this, q);
  if (!v) return;
  RunProperty(SlideProperty::Panel, {v->first, v->second});
}

void TShowForm::mnuCommentClick() {
  PullSelection();
  if (store_.SelectedCount() == 0) {
    ui_.Message(MessageKind::Information, kNoSelectionText, Button::OK);
    return;
  }
  const std::string initial =
      store_.SelectedCount() == 1 ? std::string(store_.CommentOf(store_.At(store_.FirstSelected()))) : std::string();
  const auto text = dialogs_.AskComment(this, initial);
  if (!text) return;
  RunProperty(SlideProperty::Comment, {0, 0, *text});
}

void TShowForm::PropertyItemClicked(int row) {
  if (store_.SelectedCount() != 1 || store_.Busy()) return;
  using Fn = void (TShowForm::*)();
  static const Fn kItems[9] = {&TShowForm::mnuBackcolorClick, &TShowForm::mnuEffectClick, &TShowForm::mnuWaitClick,
                               &TShowForm::mnuPositionClick,  &TShowForm::mnuGammaClick,  &TShowForm::mnuPanelClick,
                               &TShowForm::mnuRotateClick,    &TShowForm::mnuZoomClick,   &TShowForm::mnuCommentClick};
  if (row >= 0 && row < 9) (this->*kItems[row])();
}

void TShowForm::ColumnClicked(int column) {
  if (store_.Count() < 2 || store_.Busy()) return;
  using Fn = void (TShowForm::*)();
  Fn fn = nullptr;
  switch (column) {
    case kColBackcolor: fn = &TShowForm::mnuBackcolorClick; break;
    case kColEffect: fn = &TShowForm::mnuEffectClick; break;
    case kColWait: fn = &TShowForm::mnuWaitClick; break;
    case kColZoom: fn = &TShowForm::mnuZoomClick; break;
    case kColGamma: fn = &TShowForm::mnuGammaClick; break;
    case kColRotate: fn = &TShowForm::mnuRotateClick; break;
    case kColPosition: fn = &TShowForm::mnuPositionClick; break;
    case kColPanel: fn = &TShowForm::mnuPanelClick; break;
    default: return;  // the columns of sorting and validation come with those commands
  }
  std::string caption = ColumnCaption(column);
  for (char& c : caption) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (ui_.Message(MessageKind::Confirmation, "Change " + caption + " property for ALL slides?", Button::Yes | Button::No) !=
      Button::Yes)
    return;
  SelectAll(store_);
  PushSelection();
  (this->*fn)();
}

// --- settings ----------------------------------------------------------------------------------

void TShowForm::LoadSettings() {
  std::string bytes;
  if (settings_ != nullptr) {
    if (auto v = settings_->Read(kSettingsValue)) bytes.assign(v->begin(), v->end());
  }
  const AlbumWindowSettings s = DecodeAlbumSettings(bytes, screen_.width);
  toolBar_->setVisible(s.toolBar);
  statusBar()->setVisible(s.statusBar);
  toolBar_->setToolButtonStyle(s.buttonText ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
  int w = s.right - s.left, h = s.bottom - s.top;
  if (!s.stored || w < 480 || h < 240) {
    w = std::max(480, screen_.width * 3 / 4);
    h = std::max(240, screen_.height * 3 / 4);
    resize(w, h);
  } else {
    setGeometry(s.left, s.top, w, h);
  }
  for (int c = 0; c < kColumnCount; ++c)
    if (s.columnWidths[c] > 0) table_->setColumnWidth(c, s.columnWidths[c]);
  boxWanted_ = s.propertiesBox;
  if (s.boxWidth > 0) splitter_->setSizes({s.boxWidth, std::max(1, width() - s.boxWidth)});
  if (s.albumMode) mnuAlbumModeClick();
  if (s.stored) columnSet_ = s.columnSet;
  UpdateEnabled();
}

void TShowForm::SaveSettings() {
  if (settings_ == nullptr) return;
  AlbumWindowSettings s;
  const QRect g = geometry();
  s.left = g.left();
  s.top = g.top();
  s.right = g.left() + g.width();
  s.bottom = g.top() + g.height();
  s.toolBar = toolBar_->isVisibleTo(this);
  s.statusBar = statusBar()->isVisibleTo(this);
  s.propertiesBox = boxWanted_;
  s.columnSet = static_cast<std::uint8_t>(columnSet_);
  s.boxWidth = static_cast<std::int16_t>(std::min(propBox_->width(), 2000));
  s.buttonText = toolBar_->toolButtonStyle() == Qt::ToolButtonTextOnly;
  s.albumMode = albumMode_;
  s.view = stack_->currentWidget() == icons_ ? 1 : 0;
  for (int c = 0; c < kColumnCount; ++c) s.columnWidths[c] = static_cast<std::int16_t>(table_->columnWidth(c));
  const std::string b = EncodeAlbumSettings(s);
  settings_->Write(kSettingsValue, std::vector<std::uint8_t>(b.begin(), b.end()));
}

// --- opening -----------------------------------------------------------------------------------

TShowForm* ShowAlbumWindow(QWidget* owner, AlbumHooks hooks, SettingsStore* settings) {
  TShowForm* form = owner != nullptr ? owner->findChild<TShowForm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  if (form == nullptr) {
    // The window's dialogs, message boxes and volume ids live as long as it does.
    struct Services : QObject {
      QtAlbumDialogs dialogs;
      QtUi ui;
      StatvfsVolumeSource volumes;
      explicit Services(QWidget* w) : QObject(w), ui(nullptr) {}
    };
    auto* services = new Services(nullptr);
    form = new TShowForm(services->dialogs, services->ui, owner, settings, &services->volumes);
    form->setWindowFlag(Qt::Window, true);
    services->setParent(form);
  }
  form->SetHooks(std::move(hooks));
  form->show();
  form->raise();
  form->activateWindow();
  return form;
}

}  // namespace pelira
