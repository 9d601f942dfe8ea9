#include "tools/forms/unzip_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QUrl>

#include "platform/help.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace pelira {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// One row per menu item. An empty parent puts the item on the menu bar itself; a row whose
// handler is null opens a menu of that caption for the rows naming it.
struct MenuRow {
  const char* objectName;
  const char* caption;
  const char* parent;  // caption of the menu holding it; "" = the bar
  void (TUnZipForm::*handler)();
  bool checkable;
};

const MenuRow kMenuRows[] = {
    {"mnuArchives", "&Archives", "", nullptr, false},
    {"mnuClear", "&Clear", "&Archives", &TUnZipForm::mnuClearClick, false},
    {"mnuAdd", "&Add", "&Archives", &TUnZipForm::mnuAddClick, false},
    {"mnuCut", "&Cut", "&Archives", &TUnZipForm::mnuCutClick, false},
    {"mnuDelete", "&Delete", "&Archives", &TUnZipForm::mnuDeleteClick, false},
    {"mnuView", "&View", "", &TUnZipForm::mnuViewClick, false},
    {"mnuOptions", "&Options", "", nullptr, false},
    {"mnuSkipDuplicates", "&Skip duplicate target files", "&Options", &TUnZipForm::mnuSkipDuplicatesClick, true},
    {"mnuExtractAll", "E&xtract all", "", &TUnZipForm::mnuExtractAllClick, false},
    {"mnuExtract", "&Extract", "", nullptr, false},
    {"mnuSelectedZips", "&Selected Zips", "&Extract", &TUnZipForm::mnuSelectedZipsClick, false},
    {"mnuSingleFile", "Single &File", "&Extract", &TUnZipForm::mnuSingleFileClick, false},
    {"mnuTest", "&Test", "", &TUnZipForm::mnuTestClick, false},
    {"mnuClose", "&Close", "", &TUnZipForm::mnuCloseClick, false},
    {"mnuHelp", "&Help", "", &TUnZipForm::mnuHelpClick, false},
};

struct Column {
  const char* header;
  int width;
};
const Column kColumns[] = {{" Name", 160}, {" Date Stamp", 120}, {" Size", 80}, {" %", 32}, {" PackSize", 80}};

bool ShiftDown() { return (QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0; }

}  // namespace

// --- dialogs -----------------------------------------------------------------------------------

std::vector<std::string> QtUnZipDialogs::ChooseArchives(const std::string& folder) {
  QFileDialog d(parent_, Q(kZipOpenTitle), Q(folder), QStringLiteral("ZIP (compressed archive) (*.zip)"));
  d.setFileMode(QFileDialog::ExistingFiles);
  d.setDefaultSuffix(QStringLiteral("zip"));
  std::vector<std::string> chosen;
  if (d.exec() == QDialog::Accepted)
    for (const QString& f : d.selectedFiles()) chosen.push_back(f.toStdString());
  return chosen;
}

std::string QtUnZipDialogs::ChooseFolder(const std::string& title, const std::string& start) {
  return QFileDialog::getExistingDirectory(parent_, Q(title), Q(start)).toStdString();
}

bool QtUnZipDialogs::OpenDocument(const std::string& file) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(file)));
}

void QtUnZipDialogs::Beep() { QApplication::beep(); }

// --- the window --------------------------------------------------------------------------------

TUnZipForm::TUnZipForm(Ui& ui, Shell& shell, std::unique_ptr<UnZipDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtUnZipDialogs>(this)),
      model_(ui, shell, *dialogs_) {
  setObjectName(QStringLiteral("UnZipForm"));
  setWindowTitle(Q(kUnZipCaption));
  setAcceptDrops(true);

  auto* split = new QSplitter(this);
  list_ = new QListWidget(split);
  list_->setObjectName(QStringLiteral("ZipList"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_ = new QTableWidget(0, 5, split);
  grid_->setObjectName(QStringLiteral("ZipGrid"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->verticalHeader()->hide();
  QStringList headers;
  for (int c = 0; c < 5; ++c) {
    headers << QString::fromLatin1(kColumns[c].header);
    grid_->setColumnWidth(c, kColumns[c].width);
  }
  grid_->setHorizontalHeaderLabels(headers);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // Rows a little taller than the list's items, more so on dense screens; the header 3 higher.
  const int itemHeight = list_->fontMetrics().height();
  const int dpi = logicalDpiY();
  const int rowHeight = dpi <= 96 ? itemHeight + 2 : itemHeight + dpi * 4 / 96;
  grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
  grid_->horizontalHeader()->setFixedHeight(rowHeight + 3);
  split->addWidget(list_);
  split->addWidget(grid_);
  split->setStretchFactor(1, 1);
  setCentralWidget(split);
  resize(720, 360);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusText"));
  statusBar()->addWidget(status_, 1);

  BuildMenus();
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] { ListSelectionChanged(); });

  connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) {
    model_.SelectMember(row);
    UpdateUi();
  });
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { OpenMemberInViewer(row); });
  UpdateUi();
}

TUnZipForm::~TUnZipForm() = default;

void TUnZipForm::BuildMenus() {
  std::map<QString, QMenu*> menus;
  for (const MenuRow& row : kMenuRows) {
    const QString caption = QString::fromLatin1(row.caption);
    const QString parent = QString::fromLatin1(row.parent);
    if (!row.handler) {
      QMenu* m = menuBar()->addMenu(caption);
      m->setObjectName(QString::fromLatin1(row.objectName));
      menus[caption] = m;
      actions_[m->objectName()] = m->menuAction();
      continue;
    }
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(row.objectName));
    a->setCheckable(row.checkable);
    const auto handler = row.handler;
    connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    if (parent.isEmpty())
      menuBar()->addAction(a);
    else
      menus.at(parent)->addAction(a);
    actions_[a->objectName()] = a;
  }
  Action(QStringLiteral("mnuSkipDuplicates"))->setChecked(model_.SkipDuplicates());
}

QAction* TUnZipForm::Action(const QString& objectName) const {
  const auto it = actions_.find(objectName);
  return it == actions_.end() ? nullptr : it->second;
}

QString TUnZipForm::StatusText() const { return status_->text(); }

void TUnZipForm::RefreshList() {
  refreshing_ = true;
  list_->clear();
  for (const std::string& a : model_.Archives()) list_->addItem(Q(a));
  for (int i : model_.Selection())
    if (QListWidgetItem* it = list_->item(i)) it->setSelected(true);
  if (model_.Current() >= 0) list_->setCurrentRow(model_.Current(), QItemSelectionModel::NoUpdate);
  viewedRow_ = list_->currentRow();
  refreshing_ = false;
  RefreshGrid();
}

void TUnZipForm::RefreshGrid() {
  const auto& rows = model_.Rows();
  grid_->clearContents();
  grid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const ZipGridRow& row = rows[static_cast<std::size_t>(r)];
    const std::string* cells[] = {&row.name, &row.date, &row.size, &row.percent, &row.packSize};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(Q(*cells[c]));
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid_->setItem(r, c, item);
    }
  }
  UpdateUi();
}

void TUnZipForm::UpdateUi() {
  // The status first: with no member chosen yet it makes the first one the selected member.
  status_->setText(Q(model_.StatusText()));
  const std::size_t selected = model_.Selection().size();
  Action(QStringLiteral("mnuCut"))->setEnabled(selected > 0);
  Action(QStringLiteral("mnuDelete"))->setEnabled(selected > 0);
  Action(QStringLiteral("mnuExtractAll"))->setEnabled(!model_.Archives().empty());
  Action(QStringLiteral("mnuSelectedZips"))->setEnabled(selected > 0);
  Action(QStringLiteral("mnuSingleFile"))->setEnabled(selected == 1 && !model_.SelectedMember().empty());
  Action(QStringLiteral("mnuSkipDuplicates"))->setChecked(model_.SkipDuplicates());
}

void TUnZipForm::ListSelectionChanged() {
  if (refreshing_) return;
  std::vector<int> selected;
  for (QListWidgetItem* it : list_->selectedItems()) selected.push_back(list_->row(it));
  model_.SetSelection(selected, list_->currentRow());
  // A click or an arrow key that moves the cursor to another archive shows it.
  if (list_->currentRow() != viewedRow_) {
    viewedRow_ = list_->currentRow();
    model_.View();
    RefreshGrid();
    return;
  }
  UpdateUi();
}

void TUnZipForm::AddArchives(const QStringList& paths) {
  for (const QString& p : paths) model_.AddArchive(p.toStdString());
  RefreshList();
}

void TUnZipForm::mnuClearClick() {
  model_.Clear();
  RefreshList();
}

void TUnZipForm::mnuAddClick() {
  model_.Add();
  RefreshList();
}

void TUnZipForm::mnuCutClick() {
  model_.Cut();
  RefreshList();
}

void TUnZipForm::mnuDeleteClick() {
  model_.Delete();
  RefreshList();
}

void TUnZipForm::mnuViewClick() {
  std::vector<int> selected;
  for (QListWidgetItem* it : list_->selectedItems()) selected.push_back(list_->row(it));
  model_.SetSelection(selected, list_->currentRow());
  viewedRow_ = list_->currentRow();
  model_.View();
  RefreshGrid();
}

void TUnZipForm::mnuSkipDuplicatesClick() {
  model_.ToggleSkipDuplicates();
  UpdateUi();
}

void TUnZipForm::mnuExtractAllClick() { ExtractAll(ShiftDown()); }
void TUnZipForm::mnuSelectedZipsClick() { ExtractSelected(ShiftDown()); }

void TUnZipForm::ExtractAll(bool shiftHeld) {
  const bool close = model_.Extract(ExtractCommand::All, shiftHeld);
  RefreshList();
  if (close) this->close();
}

void TUnZipForm::ExtractSelected(bool shiftHeld) {
  model_.Extract(ExtractCommand::Selected, shiftHeld);
  RefreshList();
}

void TUnZipForm::mnuSingleFileClick() {
  model_.ExtractSingleFile();
  RefreshList();
}

void TUnZipForm::OpenMemberInViewer(int row) {
  model_.SelectMember(row);
  UpdateUi();
  if (!openInViewer_) return;
  const std::string file = model_.ExtractSelectedForViewing();
  if (!file.empty()) openInViewer_(Q(file));
}

void TUnZipForm::mnuCloseClick() { close(); }

void TUnZipForm::mnuHelpClick() { Help::Show(kUnZipHelpContext); }

void TUnZipForm::closeEvent(QCloseEvent* e) {
  if (model_.Extracting()) {
    e->ignore();
    return;
  }
  if (!programClosing_) {
    model_.Clear();
    RefreshList();
  }
  QMainWindow::closeEvent(e);
}

void TUnZipForm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && isActiveWindow()) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(e);
}

void TUnZipForm::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TUnZipForm::dropEvent(QDropEvent* e) {
  std::vector<std::string> paths;
  for (const QUrl& u : e->mimeData()->urls())
    if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
  model_.Drop(paths);
  RefreshList();
  e->acceptProposedAction();
}

void TUnZipForm::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  UpdateUi();
}

bool TUnZipForm::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) UpdateUi();
  return QMainWindow::event(e);
}

void ShowUnZipWindow(QWidget* owner, const QStringList& archives, std::function<void(const QString&)> openInViewer) {
  static QPointer<TUnZipForm> form;
  if (!form) {
    form = new TUnZipForm(CurrentUi(), CurrentShell(), nullptr, owner);
    form->setWindowFlag(Qt::Window);
  }
  if (openInViewer) form->SetOpenInViewer(std::move(openInViewer));
  if (!archives.isEmpty()) form->AddArchives(archives);
  form->show();
  form->raise();
  form->activateWindow();
}

}  // namespace pelira
