#include "explorer/forms/file_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <filesystem>

#include "common/app_paths.h"
#include "common/kind_list.h"
#include "common/request_flags.h"
#include "common/run_tag.h"
#include "common/size_text.h"
#include "explorer/explorer_settings.h"
#include "explorer/file_ops.h"
#include "explorer/forms/explorer_dialogs.h"
#include "explorer/forms/file_list_model.h"
#include "explorer/recursive_walk.h"
#include "explorer/thumbnail_source.h"
#include "platform/folder_monitor.h"
#include "platform/progress.h"
#include "platform/qt/menu_table.h"
#include "platform/qt/qt_folder_monitor.h"
#include "platform/qt/qt_ui.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "viewer/bookmarks.h"

namespace fs = std::filesystem;

namespace pelira {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kTickMs = 1333;
constexpr const char* kFolderSizeNote =
    "Folder sizes populated in Details (Report) view.\nNote: Calculated folder sizes are not persistent.\n"
    "If listing is refreshed, fields will revert to \"zero\".\n\n";

// One row per command: menus, keys and tool buttons are all made from this table.
struct Row {
  const char* name;
  const char* caption;
  const char* shortcut;
  const char* parent;  // object name of the parent menu; "" for the menu bar
  MenuKind kind;
  void (TFileForm::*slot)();
  const char* toolText;  // tool bar button, or nullptr
  const char* group;     // radio group
};

const Row kRows[] = {
    {"mnuFile", "&File", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuOpen", "&Open", "Ctrl+O", "mnuFile", MenuKind::Item, &TFileForm::mnuOpenClick, "Open", ""},
    {"mnuCopyTo", "Cop&y to", "Ctrl+Y", "mnuFile", MenuKind::Item, &TFileForm::mnuCopyToClick, "Copy", ""},
    {"mnuMoveTo", "&Move to", "Ctrl+Ins", "mnuFile", MenuKind::Item, &TFileForm::mnuMoveToClick, nullptr, ""},
    {"mnuRename", "&Rename", "F2", "mnuFile", MenuKind::Item, &TFileForm::mnuRenameClick, nullptr, ""},
    {"mnuDelete", "&Delete", "Del", "mnuFile", MenuKind::Item, &TFileForm::mnuDeleteClick, "Delete", ""},
    {"mnuDeletePermanent", "Delete &permanently", "Shift+Del", "mnuFile", MenuKind::Item,
     &TFileForm::mnuDeletePermanentClick, nullptr, ""},
    {"mnuNewFolder", "Ne&w Folder", "", "mnuFile", MenuKind::Item, &TFileForm::mnuNewFolderClick, nullptr, ""},
    {"mnuComment", "Commen&t", "", "mnuFile", MenuKind::Item, &TFileForm::mnuCommentClick, nullptr, ""},
    {"mnuInfo", "&Info", "", "mnuFile", MenuKind::Item, &TFileForm::mnuInfoClick, "Info", ""},
    {"mnuRedoThumbs", "Redo thum&bs", "", "mnuFile", MenuKind::Item, &TFileForm::mnuRedoThumbsClick, nullptr, ""},
    {"mnuEdit", "&Edit", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuSelectAll", "Select &All", "Ctrl+A", "mnuEdit", MenuKind::Item, &TFileForm::mnuSelectAllClick, nullptr, ""},
    {"mnuSelectFiles", "Select All &Files", "Ctrl+Shift+A", "mnuEdit", MenuKind::Item, &TFileForm::mnuSelectFilesClick,
     nullptr, ""},
    {"mnuSelectImages", "Select All Imag&es", "Ctrl+Alt+A", "mnuEdit", MenuKind::Item,
     &TFileForm::mnuSelectImagesClick, nullptr, ""},
    {"mnuInvert", "&Invert selection", "", "mnuEdit", MenuKind::Item, &TFileForm::mnuInvertClick, nullptr, ""},
    {"mnuFind", "&Find filename", "Ctrl+F", "mnuEdit", MenuKind::Item, &TFileForm::mnuFindClick, nullptr, ""},
    {"mnuQueryComments", "&Query comments", "", "mnuEdit", MenuKind::Item, &TFileForm::mnuQueryCommentsClick, nullptr,
     ""},
    {"mnuView", "&View", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuThumbnails", "&Thumbnails", "", "mnuView", MenuKind::Radio, nullptr, nullptr, "view"},
    {"mnuLargeIcons", "Lar&ge icons", "", "mnuView", MenuKind::Radio, nullptr, nullptr, "view"},
    {"mnuList", "&List", "", "mnuView", MenuKind::Radio, nullptr, nullptr, "view"},
    {"mnuDetails", "&Details", "", "mnuView", MenuKind::Radio, nullptr, nullptr, "view"},
    {"mnuViewSep", "", "", "mnuView", MenuKind::Separator, nullptr, nullptr, ""},
    {"mnuArrange", "&Arrange by", "", "mnuView", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuRefresh", "Refres&h", "F5", "mnuView", MenuKind::Item, &TFileForm::mnuRefreshClick, nullptr, ""},
    {"mnuTree", "Tree", "", "mnuView", MenuKind::Check, nullptr, "Tree", ""},
    {"mnuToolBar", "&Tool bar", "", "mnuView", MenuKind::Check, nullptr, nullptr, ""},
    {"mnuStatusBar", "&Status bar", "", "mnuView", MenuKind::Check, nullptr, nullptr, ""},
    {"mnuGo", "&Go", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuBack", "&Back", "Alt+Left", "mnuGo", MenuKind::Item, &TFileForm::mnuBackClick, "Back", ""},
    {"mnuForward", "&Forward", "Alt+Right", "mnuGo", MenuKind::Item, &TFileForm::mnuForwardClick, "Next", ""},
    {"mnuUp", "&Up", "Alt+Up", "mnuGo", MenuKind::Item, &TFileForm::mnuUpClick, "Up", ""},
    {"mnuHistory", "&History", "", "mnuGo", MenuKind::Item, &TFileForm::mnuHistoryClick, "Marks", ""},
    {"mnuRecent", "&Recent", "", "mnuGo", MenuKind::Item, &TFileForm::mnuRecentClick, "Recent", ""},
    {"mnuGoTo", "Go &to ...", "", "mnuGo", MenuKind::Item, &TFileForm::mnuGoToClick, "Go to", ""},
    {"mnuSlideshow", "&Slideshow", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuInstant", "&Instant slideshow", "", "mnuSlideshow", MenuKind::Item, &TFileForm::mnuInstantSlideshowClick,
     nullptr, ""},
    {"mnuSlideAlbum", "Slide &album", "", "mnuSlideshow", MenuKind::Item, &TFileForm::mnuSlideAlbumClick, nullptr, ""},
    {"mnuRecursive", "&Recursive listing", "", "mnuSlideshow", MenuKind::Item, &TFileForm::mnuRecursiveListingClick,
     nullptr, ""},
    {"mnuTools", "&Tools", "", "", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuViewer", "&Viewer", "Alt+Home", "mnuTools", MenuKind::Item, nullptr, nullptr, ""},
    {"mnuAlbumWindow", "&Slide Album", "Alt+S", "mnuTools", MenuKind::Item, nullptr, nullptr, ""},
    {"mnuFolderSize", "&Folder size", "Ctrl+F5", "mnuTools", MenuKind::Item, &TFileForm::mnuFolderSizeClick, nullptr,
     ""},
    {"mnuRecentTools", "&Recent", "", "mnuTools", MenuKind::Submenu, nullptr, nullptr, ""},
    {"mnuRecentAdd", "&Add", "", "mnuRecentTools", MenuKind::Item, &TFileForm::mnuRecentAddClick, nullptr, ""},
    {"mnuRecentKill", "&Kill all", "", "mnuRecentTools", MenuKind::Item, &TFileForm::mnuRecentKillClick, nullptr, ""},
    // The folder tree's pop-up menu.
    {"mnuTreeDelete", "&Delete", "", "", MenuKind::Hidden, &TFileForm::mnuTreeDeleteClick, nullptr, ""},
    {"mnuTreeRename", "&Rename", "", "", MenuKind::Hidden, &TFileForm::mnuTreeRenameClick, nullptr, ""},
    {"mnuTreeCopy", "&Copy to", "", "", MenuKind::Hidden, &TFileForm::mnuTreeCopyClick, nullptr, ""},
    {"mnuTreeMove", "&Move to", "", "", MenuKind::Hidden, &TFileForm::mnuTreeMoveClick, nullptr, ""},
    {"mnuTreeFirstChild", "&First child", "", "", MenuKind::Hidden, &TFileForm::mnuTreeFirstChildClick, nullptr, ""},
};

constexpr const char* kViewNames[] = {"mnuThumbnails", "mnuLargeIcons", "mnuList", "mnuDetails"};

QString SortName(SortKey k) { return QString("mnuSort%1").arg(static_cast<int>(k)); }

bool IsFolder(const std::string& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

}  // namespace

TFileForm::TFileForm(ExplorerDialogs& dialogs, Ui& ui, Shell& shell, FolderMonitor& monitor, QWidget* parent,
                     SettingsStore* settings)
    : QMainWindow(parent), dialogs_(dialogs), ui_(ui), shell_(shell), monitor_(monitor), settings_(settings) {
  setObjectName("TFileForm");
  setWindowTitle("Explorer");
  BuildViews();
  BuildMenus();
  tick_ = new QTimer(this);
  tick_->setInterval(kTickMs);
  connect(tick_, &QTimer::timeout, this, [this] { Guarded([this] { MonitorTick(); }); });
  tick_->start();
  history_.Load(AppPaths::HistoryList());
  LoadSettings();
}

TFileForm::~TFileForm() {
  history_.Save(AppPaths::HistoryList());
  // The views ask the model for rows while they are torn down: they go before the listing.
  tick_->stop();
  delete splitter_;
  delete model_;
}

void TFileForm::Guarded(const std::function<void()>& command) {
  // No exception crosses the event loop: it is shown instead.
  try {
    command();
  } catch (const std::exception& e) {
    ui_.Message(MessageKind::Error, e.what(), Button::OK);
  }
}

QAction* TFileForm::Action(const char* objectName) const { return menus_ ? menus_->Action(objectName) : nullptr; }

void TFileForm::BuildViews() {
  pathBox_ = new QComboBox(this);
  pathBox_->setObjectName("pathBox");
  pathBox_->setEditable(true);
  pathBox_->setInsertPolicy(QComboBox::NoInsert);
  connect(pathBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    Guarded([this] { SetFolder(pathBox_->currentText().trimmed().toStdString()); });
  });

  fsModel_ = new QFileSystemModel(this);
  fsModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  fsModel_->setReadOnly(true);
  // The tree has its own watcher; the list's monitor is ours, so this never re-lists the list.
  fsModel_->setRootPath("/");
  tree_ = new QTreeView(this);
  tree_->setObjectName("folderTree");
  tree_->setModel(fsModel_);
  for (int c = 1; c < fsModel_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  connect(tree_, &QTreeView::clicked, this, [this](const QModelIndex& i) {
    Guarded([this, i] {
      if (!syncing_) SetFolder(fsModel_->filePath(i).toStdString());
    });
  });

  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
    const QModelIndex i = tree_->indexAt(p);
    if (i.isValid()) tree_->setCurrentIndex(i);
    QMenu popup(this);
    menus_->FillPopup(popup, {"mnuTreeDelete", "mnuTreeRename", "mnuTreeCopy", "mnuTreeMove", "-", "mnuRefresh",
                              "mnuTreeFirstChild"});
    popup.exec(tree_->viewport()->mapToGlobal(p));
  });

  model_ = new TFileListModel(listing_, this);
  model_->SetRenameHandler([this](int row, const std::string& name) { return RenameRow(row, name); });
  model_->SetComments(&comments_);
  selection_ = new QItemSelectionModel(model_, this);

  icons_ = new QListView(this);
  icons_->setObjectName("iconView");
  icons_->setModel(model_);
  icons_->setSelectionModel(selection_);
  icons_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  icons_->setUniformItemSizes(true);
  icons_->setLayoutMode(QListView::Batched);
  icons_->setBatchSize(200);
  icons_->setEditTriggers(QAbstractItemView::EditKeyPressed);
  details_ = new QTreeView(this);
  details_->setObjectName("detailsView");
  details_->setModel(model_);
  details_->setSelectionModel(selection_);
  details_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  details_->setRootIsDecorated(false);
  details_->setUniformRowHeights(true);
  details_->setItemsExpandable(false);
  details_->setEditTriggers(QAbstractItemView::EditKeyPressed);
  details_->header()->setSectionsClickable(true);
  details_->header()->setSortIndicatorShown(false);
  connect(details_->header(), &QHeaderView::sectionClicked, this,
          [this](int s) { Guarded([this, s] { HeaderClicked(s); }); });
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(icons_), static_cast<QAbstractItemView*>(details_)}) {
    v->setDragEnabled(true);
    v->setAcceptDrops(true);
    v->setDropIndicatorShown(false);
    v->setDragDropMode(QAbstractItemView::DragDrop);
    v->setDefaultDropAction(Qt::CopyAction);
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QAbstractItemView::activated, this,
            [this](const QModelIndex& i) { Guarded([this, i] { OpenRows({i.row()}); }); });
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& p) {
      QMenu popup(this);
      menus_->FillPopup(popup, {"mnuOpen", "-", "mnuCopyTo", "mnuMoveTo", "mnuRename", "mnuDelete", "-", "mnuComment",
                                "mnuNewFolder", "-", "mnuRefresh"});
      popup.exec(v->viewport()->mapToGlobal(p));
    });
  }
  model_->SetDropHandler([this](const std::vector<std::string>& paths, Qt::DropAction action) {
    Guarded([&] { DropFiles(paths, action); });
    return true;
  });
  connect(selection_, &QItemSelectionModel::selectionChanged, this, [this] { UpdateStatus(); });

  stack_ = new QStackedWidget(this);
  stack_->addWidget(icons_);
  stack_->addWidget(details_);
  splitter_ = new QSplitter(this);
  splitter_->addWidget(tree_);
  splitter_->addWidget(stack_);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);

  for (int i = 0; i < 3; ++i) {
    status_[i] = new QLabel(this);
    statusBar()->addWidget(status_[i], i == 2 ? 1 : 0);
  }
}

void TFileForm::BuildMenus() {
  menus_ = std::make_unique<MenuBuilder>(*this, [this](const std::function<void()>& c) { Guarded(c); });
  std::vector<MenuSpec> specs;
  for (const Row& r : kRows) {
    MenuSpec s{r.name, r.caption, QKeySequence(QString(r.shortcut)), r.parent, r.kind, {}};
    s.group = r.group;
    if (r.slot != nullptr) s.run = [this, slot = r.slot] { (this->*slot)(); };
    specs.push_back(s);
    // The sort keys go right after their submenu.
    if (std::string_view(r.name) == "mnuArrange") {
      for (int k = 0; k < kSortKeyCount; ++k) {
        const auto key = static_cast<SortKey>(k);
        MenuSpec sk{SortName(key), SortKeyCaption(key), {}, "mnuArrange", MenuKind::Radio, [this, key] { SortBy(key); }};
        sk.group = "sort";
        specs.push_back(sk);
      }
    }
  }
  // Commands whose rows need more than a slot.
  for (MenuSpec& s : specs) {
    for (int v = 0; v < 4; ++v)
      if (s.name == kViewNames[v]) s.run = [this, v] { SetView(static_cast<ExplorerView>(v)); };
    if (s.name == "mnuTree") s.run = [this] { tree_->setVisible(Action("mnuTree")->isChecked()); };
    if (s.name == "mnuToolBar") s.run = [this] { toolBar_->setVisible(Action("mnuToolBar")->isChecked()); };
    if (s.name == "mnuStatusBar") s.run = [this] { statusBar()->setVisible(Action("mnuStatusBar")->isChecked()); };
    if (s.name == "mnuViewer") s.run = [this] {
      if (hooks_.showViewer) hooks_.showViewer();
    };
    if (s.name == "mnuAlbumWindow") s.run = [this] {
      if (hooks_.showAlbum) hooks_.showAlbum();
    };
  }
  menus_->Build(menuBar(), specs);
  toolBar_ = addToolBar("Tools");
  toolBar_->setObjectName("toolBar");
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (const Row& r : kRows) {
    if (r.toolText == nullptr) continue;
    QAction* a = Action(r.name);
    a->setIconText(r.toolText);
    toolBar_->addAction(a);
  }
  toolBar_->addWidget(pathBox_);
  Action("mnuTree")->setChecked(true);
  Action("mnuToolBar")->setChecked(true);
  Action("mnuStatusBar")->setChecked(true);
  Action("mnuThumbnails")->setChecked(true);
  menus_->Action(SortName(SortKey::NameUp))->setChecked(true);
}

QAbstractItemView* TFileForm::ActiveView() const {
  return view_ == ExplorerView::Details ? static_cast<QAbstractItemView*>(details_) : icons_;
}

void TFileForm::SetThumbnails(ThumbnailSource* source) {
  thumbs_ = source;
  model_->SetThumbnails(source);
  model_->Reset();
}

void TFileForm::SetView(ExplorerView view) {
  view_ = view;
  Action(kViewNames[static_cast<int>(view)])->setChecked(true);
  if (view == ExplorerView::Details) {
    stack_->setCurrentWidget(details_);
    model_->SetShowThumbnails(false);
  } else {
    stack_->setCurrentWidget(icons_);
    const bool thumbs = view == ExplorerView::Thumbnails;
    model_->SetShowThumbnails(thumbs);
    icons_->setViewMode(view == ExplorerView::List ? QListView::ListMode : QListView::IconMode);
    icons_->setFlow(view == ExplorerView::List ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setWrapping(true);
    icons_->setResizeMode(QListView::Adjust);
    // The track bar's steps: 8 is the full 168x126 thumbnail.
    const QSize size = thumbs ? QSize(21 * thumbStep_, 126 * thumbStep_ / 8) : (view == ExplorerView::LargeIcons ? QSize(48, 48) : QSize(16, 16));
    icons_->setIconSize(size);
    model_->SetThumbnailSize(size);
  }
  model_->Reset();
  PushSelection();
}

void TFileForm::SortBy(SortKey key) {
  const std::vector<int> rows = SelectedRows();
  (void)rows;  // flags in the records carry the selection through the re-sort
  listing_.Sort(key);
  menus_->Action(SortName(key))->setChecked(true);
  model_->Reset();
  PushSelection();
}

void TFileForm::HeaderClicked(int section) {
  // Name, Size and Date Modified alternate between ascending and descending.
  static const SortKey up[3] = {SortKey::NameUp, SortKey::SizeUp, SortKey::DateUp};
  static const SortKey down[3] = {SortKey::NameDown, SortKey::SizeDown, SortKey::DateDown};
  if (section < 0 || section > 2) return;
  SortBy(sortUp_[section] ? up[section] : down[section]);
  sortUp_[section] = !sortUp_[section];
}

// --- folders -----------------------------------------------------------------------------------

bool TFileForm::SetFolder(const std::string& wanted, bool record) {
  std::string folder = wanted;
  if (folder == "~" || folder.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    folder = std::string(home != nullptr ? home : "/") + folder.substr(1);
  }
  if (folder.empty() || folder[0] != '/') {
    ui_.Message(MessageKind::Warning, kCannotAccessText + wanted, Button::OK);
    return false;
  }
  folder = fs::path(folder).lexically_normal().string();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  FolderRead read = ReadFolder(folder);
  if (!read.ok) {
    ui_.Message(MessageKind::Warning, kCannotAccessText + folder, Button::OK);
    syncing_ = true;
    if (!listing_.Folder().empty()) tree_->setCurrentIndex(fsModel_->index(Q(listing_.Folder())));
    syncing_ = false;
    return false;
  }
  transit_ = read.transit;
  listing_.Assign(folder, std::move(read.records));
  comments_.Load(folder);
  model_->Reset();
  selection_->clearSelection();
  monitor_.Watch({folder, fs::path(folder).parent_path().string()});
  if (record) history_.Record(folder);
  syncing_ = true;
  const QModelIndex ti = fsModel_->index(Q(folder));
  if (ti.isValid()) {
    tree_->setCurrentIndex(ti);
    tree_->scrollTo(ti);
  }
  syncing_ = false;
  pathBox_->setEditText(Q(folder));
  setWindowTitle("Explorer - " + Q(folder));
  UpdateStatus();
  return true;
}

void TFileForm::Relist(bool keepSelection) {
  if (listing_.Folder().empty()) return;
  if (!IsFolder(listing_.Folder())) {
    // The folder went away: the nearest one that still exists.
    SetFolder(UsableFolder(listing_.Folder()));
    return;
  }
  FolderRead read = ReadFolder(listing_.Folder());
  if (!read.ok) {
    listing_.Clear();
    model_->Reset();
    UpdateStatus();
    return;
  }
  transit_ = read.transit;
  if (keepSelection) {
    // Flags in the records carry the selection through.
    listing_.SelectOnly(SelectedRows());
    const Listing::Change ch = listing_.Revalidate(std::move(read.records));
    if (!ch.Any()) return;
  } else {
    listing_.Assign(listing_.Folder(), std::move(read.records));
  }
  model_->Reset();
  PushSelection();
  UpdateStatus();
}

void TFileForm::Revalidate() { Relist(true); }

void TFileForm::MonitorTick() {
  // Skipped while an operation, an edit or a listing runs, and while an input box is open.
  if (paused_ || Flags().CriticalProcess || Flags().OperationInProgress || listing_.Folder().empty()) return;
  const bool changed = monitor_.TakeChanged();
  if (!autoRefresh_) return;
  if (changed || transit_ > 0) Revalidate();
}

// --- selection ---------------------------------------------------------------------------------

std::vector<int> TFileForm::SelectedRows() {
  std::vector<int> rows;
  for (const QModelIndex& i : selection_->selectedRows(0)) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  listing_.SelectOnly(rows);
  return rows;
}

void TFileForm::SelectRows(const std::vector<int>& rows) {
  listing_.SelectOnly(rows);
  PushSelection();
  if (!rows.empty()) {
    const QModelIndex i = model_->index(rows.front(), 0);
    selection_->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    ActiveView()->scrollTo(i);
  }
}

void TFileForm::PushSelection() {
  QItemSelection sel;
  const int n = static_cast<int>(listing_.Count());
  const int last = model_->columnCount() - 1;
  for (int row = 0; row < n;) {
    if (!listing_.At(row).selected) {
      ++row;
      continue;
    }
    int end = row;
    while (end + 1 < n && listing_.At(end + 1).selected) ++end;
    sel.select(model_->index(row, 0), model_->index(end, last));
    row = end + 1;
  }
  selection_->select(sel, QItemSelectionModel::ClearAndSelect);
  UpdateStatus();
}

void TFileForm::UpdateStatus() {
  std::size_t selected = 0;
  for (const QModelIndex& i : selection_->selectedRows(0)) (void)i, ++selected;
  status_[0]->setText(QString("%1 object(s)").arg(listing_.Count()));
  status_[1]->setText(QString("%1 selected").arg(selected));
  status_[2]->setText(Q(listing_.Folder()));
}

void TFileForm::mnuSelectAllClick() {
  listing_.SelectAll();
  PushSelection();
}
void TFileForm::mnuSelectFilesClick() {
  listing_.SelectFiles();
  PushSelection();
}
void TFileForm::mnuSelectImagesClick() {
  listing_.SelectKinds(kExplorerImageAndMediaKinds);
  PushSelection();
}
void TFileForm::mnuInvertClick() {
  SelectedRows();
  listing_.InvertSelection();
  PushSelection();
}

void TFileForm::mnuFindClick() {
  const auto text = dialogs_.AskText(this, "Find filename", "Enter partial DisplayName to find.\n(e.g. \"holiday\" or \".jpg\")", "");
  if (!text || text->empty()) return;
  const int row = listing_.FindName(*text, selection_->currentIndex().isValid() ? selection_->currentIndex().row() : -1);
  if (row < 0) {
    ui_.Message(MessageKind::Information, "No match found for\n" + *text, Button::OK);
    return;
  }
  SelectRows({row});
}

// --- open --------------------------------------------------------------------------------------

void TFileForm::mnuOpenClick() { OpenRows(SelectedRows()); }

void TFileForm::OpenRows(const std::vector<int>& rows) {
  if (rows.empty()) return;
  std::vector<OpenItem> items;
  for (int row : rows) {
    const ListingRecord& r = listing_.At(row);
    const std::string path = listing_.PathAt(row).string();
    std::error_code ec;
    if (!fs::exists(path, ec)) {
      // Gone meanwhile: the list catches up instead.
      Revalidate();
      return;
    }
    items.push_back({path, r.folder, r.ext});
  }
  const bool media = hooks_.playsMedia && hooks_.playsMedia();
  const OpenPlan plan = PlanOpen(items, media);
  if (!plan.enterFolder.empty()) {
    SetFolder(plan.enterFolder);
    return;
  }
  std::vector<std::string> shellOpen = plan.shellOpen;
  if (!plan.viewerFirst.empty()) {
    std::vector<std::string> paths{plan.viewerFirst};
    paths.insert(paths.end(), plan.bookmarks.begin(), plan.bookmarks.end());
    if (hooks_.openInViewer)
      hooks_.openInViewer(paths);
    else
      shellOpen.insert(shellOpen.begin(), paths.begin(), paths.end());
  }
  const auto hand = [&](const std::vector<std::string>& paths, const std::function<void(const std::string&)>& hook,
                        bool firstOnly) {
    for (const std::string& p : paths) {
      if (hook)
        hook(p);
      else
        shellOpen.push_back(p);
      if (firstOnly) break;
    }
  };
  hand(plan.batchFiles, hooks_.openBatchScript, true);
  hand(plan.albums, hooks_.openAlbum, true);
  hand(plan.archives, hooks_.openArchive, false);
  for (const std::string& p : shellOpen) {
    if (!dialogs_.OpenExternally(p)) {
      ui_.Message(MessageKind::Warning, kNoAssociationText, Button::OK);
      break;
    }
  }
}

// --- file operations ---------------------------------------------------------------------------

void TFileForm::ShowErrors(const std::vector<std::string>& errors) {
  if (errors.empty()) return;
  std::string text;
  for (std::size_t i = 0; i < errors.size() && i < 10; ++i) text += (i ? "\n\n" : "") + errors[i];
  if (errors.size() > 10) text += "\n\n... " + std::to_string(errors.size() - 10) + " more";
  ui_.Message(MessageKind::Warning, text, Button::OK);
}

void TFileForm::mnuCopyToClick() { Transfer(false); }
void TFileForm::mnuMoveToClick() { Transfer(true); }

void TFileForm::Transfer(bool move) {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  std::vector<fs::path> sources;
  std::vector<std::string> names;
  for (int row : rows) {
    sources.push_back(listing_.PathAt(row));
    names.push_back(listing_.At(row).display);
  }
  TransferItems(move, sources, names);
}

void TFileForm::TransferItems(bool move, const std::vector<fs::path>& sources, const std::vector<std::string>& names) {
  const TransferKind kind = move ? TransferKind::Move : TransferKind::Copy;
  const auto target = dialogs_.ChooseFolder(this, move ? WalkMode::MoveTarget : WalkMode::CopyTarget,
                                            Q(TransferTitle(kind, names)), listing_.Folder());
  if (!target) return;
  const std::string refused = CheckTransfer(sources, *target);
  if (!refused.empty()) {
    ui_.Message(MessageKind::Warning, refused, Button::OK);
    return;
  }
  const TransferReport r = pelira::Transfer(kind, sources, *target, [this](const fs::path& t) {
    const Button b = ui_.Message(MessageKind::Confirmation,
                                 "This file already exists:\n" + t.string() + "\n\nReplace it?",
                                 Button::Yes | Button::No | Button::Cancel);
    return b == Button::Yes ? ConflictAnswer::Replace : (b == Button::No ? ConflictAnswer::Skip : ConflictAnswer::Cancel);
  });
  ShowErrors(r.errors);
  if (!IsFolder(listing_.Folder()))
    SetFolder(UsableFolder(listing_.Folder()));
  else
    Revalidate();
}

// --- the folder tree ---------------------------------------------------------------------------

std::string TFileForm::TreeFolder() const {
  const QModelIndex i = tree_->currentIndex();
  return i.isValid() ? fsModel_->filePath(i).toStdString() : listing_.Folder();
}

void TFileForm::mnuTreeDeleteClick() {
  const std::string folder = TreeFolder();
  const fs::path p(folder);
  if (folder.empty() || !p.has_relative_path()) return;
  // Shift held: a permanent delete, asked as such.
  const bool permanent = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
  if (ui_.Message(MessageKind::Confirmation, TreeDeleteQuestion(p.filename().string(), permanent),
                  Button::OK | Button::Cancel) != Button::OK)
    return;
  const bool current = fs::path(listing_.Folder()) == p || fs::path(listing_.Folder()).string().rfind(folder + "/", 0) == 0;
  const DeleteResult r = DeleteItems({p}, permanent, shell_);
  ShowErrors(r.errors);
  if (current && r.done > 0) SetFolder(p.parent_path().string());
}

void TFileForm::mnuTreeRenameClick() {
  const fs::path p(TreeFolder());
  if (!p.has_relative_path()) return;
  const auto name = dialogs_.AskText(this, "Rename", "New name:", p.filename().string());
  if (!name || *name == p.filename().string()) return;
  const OpResult r = RenameItem(p.parent_path(), p.filename().string(), *name);
  if (!r.ok) {
    ui_.Message(MessageKind::Warning, r.message, Button::OK);
    return;
  }
  // The list follows when it showed the renamed folder or one inside it.
  const std::string old = p.string(), now = (p.parent_path() / *name).string();
  const std::string cur = listing_.Folder();
  if (cur == old || cur.rfind(old + "/", 0) == 0)
    SetFolder(now + cur.substr(old.size()));
  else
    Revalidate();
}

void TFileForm::mnuTreeCopyClick() {
  const fs::path p(TreeFolder());
  if (p.has_relative_path()) TransferItems(false, {p}, {p.filename().string()});
}

void TFileForm::mnuTreeMoveClick() {
  const fs::path p(TreeFolder());
  if (p.has_relative_path()) TransferItems(true, {p}, {p.filename().string()});
}

void TFileForm::mnuTreeFirstChildClick() {
  const FolderPass pass = ListFolders(TreeFolder(), WalkOptions{[n = 0]() mutable { return ++n > 2; }, {}, nullptr});
  if (pass.folders.size() >= 2) SetFolder(pass.folders[1].string());
}

void TFileForm::mnuDeleteClick() { DeleteRows(false); }
void TFileForm::mnuDeletePermanentClick() { DeleteRows(true); }

void TFileForm::DeleteRows(bool permanent) {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  std::vector<fs::path> items;
  bool folders = false;
  for (int row : rows) {
    items.push_back(listing_.PathAt(row));
    folders = folders || listing_.At(row).folder;
  }
  if (folders && confirmDeletions_ &&
      !AskIgnorable(ui_, "explorer.deleteFolders", MessageKind::Confirmation,
                    std::string(kFoldersForDeletionText) + kIgnoreSuffix))
    return;
  // A permanent delete is always asked, and the question cannot be silenced.
  if (permanent && ui_.Message(MessageKind::Confirmation, PermanentDeleteQuestion(items, folders && items.size() == 1),
                               Button::OK | Button::Cancel) != Button::OK)
    return;
  const DeleteResult r = DeleteItems(items, permanent, shell_);
  ShowErrors(r.errors);
  listing_.SelectOnly({});
  Revalidate();
}

void TFileForm::mnuRenameClick() {
  const QModelIndex cur = selection_->currentIndex();
  if (!cur.isValid()) return;
  ActiveView()->edit(model_->index(cur.row(), 0));
}

bool TFileForm::RenameRow(int row, const std::string& name) {
  if (row < 0 || row >= static_cast<int>(listing_.Count())) return false;
  const ListingRecord& r = listing_.At(row);
  if (name == r.display) return false;
  const OpResult res = RenameItem(listing_.Folder(), r.name, name);
  if (!res.ok) {
    ui_.Message(MessageKind::Warning, res.message, Button::OK);
    return false;
  }
  // The list is brought up to date once the editor has closed (a reset under it confuses the view).
  QMetaObject::invokeMethod(
      this,
      [this, name] {
        listing_.SelectOnly({});
        selection_->clearSelection();
        Revalidate();
        const int now = listing_.RowOf(name);
        if (now >= 0) SelectRows({now});
      },
      Qt::QueuedConnection);
  return true;
}

void TFileForm::mnuNewFolderClick() {
  const OpResult r = CreateNewFolder(listing_.Folder());
  if (!r.ok) {
    ui_.Message(MessageKind::Warning, r.message, Button::OK);
    return;
  }
  Revalidate();
  const int row = listing_.RowOf(r.newName);
  if (row < 0) return;
  SelectRows({row});
  ActiveView()->edit(model_->index(row, 0));
}

void TFileForm::DropFiles(const std::vector<std::string>& paths, Qt::DropAction action) {
  if (paths.empty() || listing_.Folder().empty()) return;
  std::vector<std::string> errors;
  if (action == Qt::LinkAction) {
    for (const std::string& p : paths) {
      const OpResult r = MakeShortcut(p, listing_.Folder());
      if (!r.ok) errors.push_back(r.message);
    }
  } else {
    std::vector<fs::path> sources(paths.begin(), paths.end());
    const std::string refused = CheckTransfer(sources, listing_.Folder());
    if (!refused.empty()) {
      ui_.Message(MessageKind::Warning, refused, Button::OK);
      return;
    }
    const TransferReport r =
        pelira::Transfer(action == Qt::MoveAction ? TransferKind::Move : TransferKind::Copy, sources, listing_.Folder(),
                         [this](const fs::path& t) {
                           const Button b = ui_.Message(MessageKind::Confirmation,
                                                        "This file already exists:\n" + t.string() + "\n\nReplace it?",
                                                        Button::Yes | Button::No | Button::Cancel);
                           return b == Button::Yes ? ConflictAnswer::Replace
                                                   : (b == Button::No ? ConflictAnswer::Skip : ConflictAnswer::Cancel);
                         });
    errors = r.errors;
  }
  ShowErrors(errors);
  Revalidate();
}

void TFileForm::mnuInfoClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.size() != 1) return;
  ListingRecord& r = listing_.At(rows[0]);
  // The type column's text, made now when the details view has not shown it yet.
  const QString type = model_->index(rows[0], TFileListModel::kType).data().toString();
  std::string text = r.display + "\n\nPath: " + listing_.Folder() + "\nSize: " + std::to_string(r.size) +
                     " bytes\nDate: " + DateText(r).toStdString() + "\nType: " + type.toStdString();
  ui_.Message(MessageKind::Information, text, Button::OK);
}

void TFileForm::mnuRedoThumbsClick() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) {
    ui_.Message(MessageKind::Information, "Please make a selection to redo thumbnails.", Button::OK);
    return;
  }
  if (thumbs_ != nullptr)
    for (int row : rows) thumbs_->Forget(listing_.PathAt(row).string());
  for (int row : rows) listing_.At(row).thumbState = 0;
  model_->ForgetThumbnails();
  model_->Reset();
  PushSelection();
}

// --- comments ----------------------------------------------------------------------------------

void TFileForm::mnuCommentClick() {
  const QModelIndex cur = selection_->currentIndex();
  if (!cur.isValid()) return;
  const ListingRecord& r = listing_.At(cur.row());
  const std::string name = r.name;
  if (!comments_.IsLoaded() || comments_.Folder() != fs::path(listing_.Folder())) comments_.Load(listing_.Folder());
  // Monitoring pauses and Delete is off while the box is open.
  paused_ = true;
  Action("mnuDelete")->setEnabled(false);
  const auto text = dialogs_.AskText(this, "Add or Edit Comment", "Filename: " + Q(r.display), comments_.Find(name));
  Action("mnuDelete")->setEnabled(true);
  paused_ = false;
  if (!text) return;
  const std::string err = comments_.Set(name, *text);
  if (!err.empty()) ui_.Message(MessageKind::Warning, err, Button::OK);
  model_->Reset();
  PushSelection();
}

void TFileForm::mnuQueryCommentsClick() {
  const auto kw = dialogs_.AskText(this, "Query Comments for keyword (text)", "Enter keyword.", "");
  if (!kw || kw->empty()) return;
  if (!comments_.IsLoaded() || comments_.Folder() != fs::path(listing_.Folder())) comments_.Load(listing_.Folder());
  std::vector<int> hits;
  if (listing_.Count() >= 1) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < listing_.Count(); ++i) names.push_back(listing_.At(i).name);
    for (const std::string& n : comments_.Query(*kw, names)) hits.push_back(listing_.RowOf(n));
  }
  SelectRows(hits);
  if (hits.empty()) ui_.Message(MessageKind::Information, "No match found for\n" + *kw, Button::OK);
}

// --- navigation --------------------------------------------------------------------------------

void TFileForm::mnuRefreshClick() { Relist(false); }

void TFileForm::mnuBackClick() {
  if (history_.Entries().size() < 2) return;
  const std::string f = history_.Back([](const std::string& p) { return IsFolder(p); });
  SetFolder(f.empty() ? UsableFolder("") : f, f.empty());
}

void TFileForm::mnuForwardClick() {
  if (history_.Entries().size() < 2) return;
  const std::string f = history_.Forward([](const std::string& p) { return IsFolder(p); });
  SetFolder(f.empty() ? UsableFolder("") : f, f.empty());
}

void TFileForm::mnuUpClick() {
  const fs::path p(listing_.Folder());
  if (p.has_relative_path()) SetFolder(p.parent_path().string());
}

void TFileForm::mnuHistoryClick() {
  const auto choice = dialogs_.ChooseFromList(this, kVisitedFoldersCaption, history_.Entries(),
                                              static_cast<int>(history_.Position()));
  if (!choice) return;
  const std::string f = history_.Entries()[*choice];
  if (!IsFolder(f)) return;
  history_.SetPosition(static_cast<std::size_t>(*choice));
  SetFolder(f, false);
}

void TFileForm::mnuRecentClick() { SetFolder(AppPaths::Recent().string()); }

void TFileForm::mnuRecentAddClick() {
  if (!listing_.Folder().empty()) AddToAppRecent(AppPaths::Recent(), listing_.Folder());
}

void TFileForm::mnuRecentKillClick() {
  if (ui_.Message(MessageKind::Warning, kKillRecentQuestion, Button::OK | Button::Cancel) != Button::OK) return;
  const fs::path recent = AppPaths::Recent();
  const bool inside = fs::path(listing_.Folder()) == recent;
  if (inside) SetFolder(UsableFolder(""));
  KillRecentLinks(recent);
}

void TFileForm::mnuGoToClick() {
  const auto f = dialogs_.AskText(this, "Go to folder ...", "Folder:", listing_.Folder());
  if (f && !f->empty()) SetFolder(*f);
}

// --- recursive work ----------------------------------------------------------------------------

std::vector<std::string> TFileForm::WalkFiles(const std::string& word, bool recursive, bool& aborted) {
  aborted = false;
  std::vector<std::string> paths;
  auto progress = OpenProgress(ui_, "Populating " + word + ": Listing available folders...");
  if (!progress) {
    aborted = true;
    return paths;
  }
  WalkOptions o;
  o.aborted = [&] {
    progress->Pump();
    return progress->Aborted();
  };
  o.folderFound = [&](std::size_t n) { progress->SetBar(ProgressBar::Folders, static_cast<std::int64_t>(n), 0); };
  FolderPass folders;
  if (recursive)
    folders = ListFolders(listing_.Folder(), o);
  else
    folders.folders = {listing_.Folder()};
  if (folders.aborted) {
    aborted = true;
    return {};
  }
  progress->SetStatus("Populating " + word + ": Listing " + std::to_string(folders.folders.size()) + " folders ...");
  const std::int64_t start = NowNs();
  const FilePass files = ListFiles(folders.folders, kExplorerImageAndMediaKinds, o,
                                   [&](std::size_t f, const FilePass& sofar) {
                                     progress->SetBar(ProgressBar::Folders, static_cast<std::int64_t>(f + 1),
                                                      static_cast<std::int64_t>(folders.folders.size()));
                                     progress->SetStatus(SlidesAddedText(sofar.files.size(), sofar.scanned,
                                                                         (NowNs() - start) / 1'000'000));
                                   });
  if (files.aborted) {
    aborted = true;
    return {};
  }
  for (const WalkFile& f : files.files) paths.push_back(f.path);
  if (recursive && word == "Bookmarks") {
    // The instant slideshow's list beside its folder list, removed with the run's files.
    const std::string plp = WriteInstantSlideshow(AppPaths::Data(), ThisRunTag(), paths, folders.folders);
    if (plp.empty()) {
      aborted = true;
      return {};
    }
    paths.insert(paths.begin(), plp);
  }
  return paths;
}

void TFileForm::mnuInstantSlideshowClick() {
  if (RefuseIfCritical(ui_)) return;
  bool aborted = false;
  std::vector<std::string> r = WalkFiles("Bookmarks", true, aborted);
  if (aborted) {
    ui_.Message(MessageKind::Information, kSlideListingAbortedText, Button::OK);
    return;
  }
  if (r.size() < 2) {
    ui_.Message(MessageKind::Information, "No supported image or multimedia files found.", Button::OK);
    return;
  }
  if (hooks_.playSlideshow) hooks_.playSlideshow(r.front());
}

void TFileForm::mnuSlideAlbumClick() {
  if (RefuseIfCritical(ui_)) return;
  const std::vector<int> rows = SelectedRows();
  if (rows.size() >= 2 && listing_.Count() >= 3) {
    std::vector<std::string> paths;
    for (int row : rows)
      if (!listing_.At(row).folder && InKindList(listing_.At(row).ext, kExplorerImageAndMediaKinds))
        paths.push_back(listing_.PathAt(row).string());
    if (paths.empty()) {
      ui_.Message(MessageKind::Information, "No supported image or multimedia files found.", Button::OK);
      return;
    }
    if (hooks_.albumOf) hooks_.albumOf(paths);
    return;
  }
  const Button b = ui_.Message(MessageKind::Confirmation,
                               "All available slides from current folder will be imported.\n"
                               "Do you want to include contents from sub-folders too?",
                               Button::Yes | Button::No | Button::Cancel);
  if (b == Button::Cancel || b == Button::None) return;
  bool aborted = false;
  const std::vector<std::string> paths = WalkFiles("Slides", b == Button::Yes, aborted);
  if (aborted) {
    ui_.Message(MessageKind::Information, kSlideListingAbortedText, Button::OK);
    return;
  }
  if (paths.empty()) {
    ui_.Message(MessageKind::Information, "No supported image or multimedia files found.", Button::OK);
    return;
  }
  if (hooks_.albumOf) hooks_.albumOf(paths);
}

void TFileForm::mnuRecursiveListingClick() {
  if (RefuseIfCritical(ui_)) return;
  bool aborted = false;
  const std::vector<std::string> paths = WalkFiles("Slides", true, aborted);
  if (aborted) {
    ui_.Message(MessageKind::Information, kSlideListingAbortedText, Button::OK);
    return;
  }
  if (paths.empty()) {
    ui_.Message(MessageKind::Information, "No supported image or multimedia files found.", Button::OK);
    return;
  }
  if (hooks_.albumOf) hooks_.albumOf(paths);
}

void TFileForm::mnuFolderSizeClick() {
  if (RefuseIfCritical(ui_) || listing_.Folder().empty()) return;
  auto progress = OpenProgress(ui_, "Calculating bytes used: scanning folders ...");
  if (!progress) return;
  progress->SetBarLabel(ProgressBar::Thumbs, "Folder:");
  WalkOptions o;
  o.aborted = [&] {
    progress->Pump();
    return progress->Aborted();
  };
  const SizeTotal total = FolderSize(listing_.Folder(), o);
  bool aborted = total.aborted;
  std::vector<std::pair<std::size_t, std::uint64_t>> sizes;
  for (std::size_t row = 0; row < listing_.Count() && !aborted; ++row) {
    if (!listing_.At(row).folder) continue;
    progress->SetStatus("Folder: " + listing_.At(row).display);
    const SizeTotal t = FolderSize(listing_.PathAt(row), o);
    if (t.aborted) aborted = true;
    sizes.emplace_back(row, t.bytes);
  }
  progress.reset();
  if (aborted) {
    ui_.Message(MessageKind::Information, kFolderSizeAbortedText, Button::OK);
    return;
  }
  for (const auto& [row, bytes] : sizes) listing_.At(row).size = bytes;
  status_[2]->setText(Q(listing_.Folder() + ": " + SizeText(total.bytes)));
  model_->Reset();
  PushSelection();
  AskIgnorable(ui_, "explorer.folderSize", MessageKind::Information, std::string(kFolderSizeNote) + kIgnoreSuffix);
}

// --- settings ----------------------------------------------------------------------------------

void TFileForm::LoadSettings() {
  std::string bytes;
  if (settings_ != nullptr)
    if (auto v = settings_->Read(kExplorerWindowValue)) bytes.assign(v->begin(), v->end());
  const ExplorerSettings s = DecodeExplorerSettings(bytes);
  const int w = s.right - s.left, h = s.bottom - s.top;
  if (s.stored && w >= 320 && h >= 240)
    setGeometry(s.left, s.top, w, h);
  else
    resize(900, 600);
  toolBar_->setVisible(s.toolBar);
  Action("mnuToolBar")->setChecked(s.toolBar);
  statusBar()->setVisible(s.statusBar);
  Action("mnuStatusBar")->setChecked(s.statusBar);
  tree_->setVisible(s.tree);
  Action("mnuTree")->setChecked(s.tree);
  toolBar_->setToolButtonStyle(s.buttonText ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
  autoRefresh_ = s.autoRefresh;
  confirmDeletions_ = s.confirmDeletions;
  thumbStep_ = s.thumbStep;
  if (s.treeWidth > 0) splitter_->setSizes({s.treeWidth, std::max(1, width() - s.treeWidth)});
  listing_.Sort(static_cast<SortKey>(s.sortKey));
  menus_->Action(SortName(static_cast<SortKey>(s.sortKey)))->setChecked(true);
  SetView(static_cast<ExplorerView>(s.view));
  std::string dir;
  if (settings_ != nullptr)
    if (auto d = settings_->ReadString(kExplorerFolderValue)) dir = *d;
  if (!dir.empty() && IsFolder(dir))
    SetFolder(dir);
  else
    SetFolder(UsableFolder(dir));
}

void TFileForm::SaveSettings() {
  if (settings_ == nullptr) return;
  std::string old;
  if (auto v = settings_->Read(kExplorerWindowValue)) old.assign(v->begin(), v->end());
  ExplorerSettings s = DecodeExplorerSettings(old);  // keeps the bytes this window does not own
  const QRect g = geometry();
  s.left = g.left();
  s.top = g.top();
  s.right = g.left() + g.width();
  s.bottom = g.top() + g.height();
  s.toolBar = toolBar_->isVisibleTo(this);
  s.statusBar = statusBar()->isVisibleTo(this);
  s.tree = tree_->isVisibleTo(this);
  s.buttonText = toolBar_->toolButtonStyle() == Qt::ToolButtonTextOnly;
  s.autoRefresh = autoRefresh_;
  s.confirmDeletions = confirmDeletions_;
  s.view = static_cast<int>(view_);
  s.thumbStep = thumbStep_;
  s.sortKey = static_cast<int>(listing_.Key());
  s.treeWidth = tree_->width();
  const std::string b = EncodeExplorerSettings(s);
  settings_->Write(kExplorerWindowValue, std::vector<std::uint8_t>(b.begin(), b.end()));
  settings_->WriteString(kExplorerFolderValue, listing_.Folder());
}

void TFileForm::closeEvent(QCloseEvent* event) {
  SaveSettings();
  history_.Save(AppPaths::HistoryList());
  QMainWindow::closeEvent(event);
}

// --- opening -----------------------------------------------------------------------------------

TFileForm* ShowExplorerWindow(QWidget* owner, ExplorerHooks hooks, SettingsStore* settings) {
  TFileForm* form = owner != nullptr ? owner->findChild<TFileForm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
  if (form == nullptr) {
    // The window's dialogs, message boxes and folder monitor live as long as it does.
    struct Services : QObject {
      QtExplorerDialogs dialogs;
      QtUi ui;
      QtFolderMonitor monitor;
      Services() : ui(nullptr) {}
    };
    auto* services = new Services;
    form = new TFileForm(services->dialogs, services->ui, CurrentShell(), services->monitor, owner, settings);
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
