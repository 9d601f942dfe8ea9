#include "explorer/forms/walk_form.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "common/request_flags.h"
#include "explorer/file_ops.h"
#include "explorer/visit_history.h"
#include "platform/help.h"
#include "platform/qt/qt_ui.h"
#include "platform/ui.h"

namespace pelira {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The bounds the dialog had when last closed in this run.
QRect& LastBounds() {
  static QRect r;
  return r;
}

const char* OkCaption(WalkMode mode) {
  switch (mode) {
    case WalkMode::CopyTarget: return "C&opy";
    case WalkMode::MoveTarget: return "M&ove";
    default: return "&Ok";
  }
}

}  // namespace

std::vector<std::string>& TWalkForm::History() {
  static std::vector<std::string> history;
  return history;
}

TWalkForm::TWalkForm(WalkMode mode, const QString& title, const std::string& start, Ui& ui, QWidget* parent)
    : QDialog(parent), mode_(mode), ui_(ui) {
  setObjectName("TWalkForm");
  setWindowTitle(title);
  setModal(true);
  fsModel_ = new QFileSystemModel(this);
  fsModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  fsModel_->setReadOnly(true);
  fsModel_->setRootPath("/");
  tree_ = new QTreeView(this);
  tree_->setObjectName("walkTree");
  tree_->setModel(fsModel_);
  for (int c = 1; c < fsModel_->columnCount(); ++c) tree_->hideColumn(c);
  tree_->header()->hide();
  pathBox_ = new QComboBox(this);
  pathBox_->setObjectName("walkPath");
  pathBox_->setEditable(true);
  for (const std::string& h : History()) pathBox_->addItem(Q(h));
  status_ = new QLabel(this);

  auto* up = new QPushButton("Up", this);
  up->setObjectName("btnUp");
  up->setToolTip("Up one level");
  auto* go = new QPushButton("Go to", this);
  go->setObjectName("btnGoTo");
  go->setToolTip("Locate specified folder");
  ok_ = new QPushButton(OkCaption(mode), this);
  ok_->setObjectName("btnOk");
  ok_->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("btnCancel");
  stop_ = new QPushButton("&Stop", this);
  stop_->setObjectName("btnStop");
  stop_->setEnabled(false);
  auto* help = new QPushButton("&Help", this);
  help->setObjectName("btnHelp");

  auto* top = new QHBoxLayout;
  top->addWidget(pathBox_, 1);
  top->addWidget(up);
  top->addWidget(go);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* b : {ok_, cancel, stop_, help}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(tree_, 1);
  layout->addWidget(status_);
  layout->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, [this] { btnOkClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(up, &QPushButton::clicked, this, [this] { btnUpClick(); });
  connect(go, &QPushButton::clicked, this, [this] { btnGoToClick(); });
  connect(stop_, &QPushButton::clicked, this, [this] { btnStopClick(); });
  connect(help, &QPushButton::clicked, this, [] { Help::Show(0); });
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (i.isValid()) pathBox_->setEditText(fsModel_->filePath(i));
  });

  // A start folder that is empty, a network path or gone: the nearest usable folder.
  std::string s = start;
  if (s.find("//") != std::string::npos) s.clear();
  SetTreeFolder(UsableFolder(s));

  const QRect last = LastBounds();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (last.width() >= 320 && last.height() >= 240 && screen != nullptr && screen->availableGeometry().contains(last))
    setGeometry(last);
  else
    resize(420, 480);
}

std::string TWalkForm::TreeFolder() const {
  const QModelIndex i = tree_->currentIndex();
  return i.isValid() ? fsModel_->filePath(i).toStdString() : std::string();
}

void TWalkForm::SetTreeFolder(const std::string& folder) {
  const QModelIndex i = fsModel_->index(Q(folder));
  if (i.isValid()) {
    tree_->setCurrentIndex(i);
    tree_->scrollTo(i);
  }
  pathBox_->setEditText(Q(folder));
}

void TWalkForm::ShowStatus(const QString& text) { status_->setText(text); }

void TWalkForm::btnUpClick() {
  const std::filesystem::path p(pathBox_->currentText().toStdString());
  if (p.has_relative_path()) SetTreeFolder(p.parent_path().string());
}

void TWalkForm::btnGoToClick() {
  const std::string typed = pathBox_->currentText().trimmed().toStdString();
  std::error_code ec;
  if (typed.empty() || !std::filesystem::is_directory(typed, ec)) {
    ui_.Message(MessageKind::Warning, kCannotAccessText + typed, Button::OK);
    return;
  }
  SetTreeFolder(typed);
}

void TWalkForm::btnOkClick() {
  if (running_) return;
  std::string folder = TreeFolder();
  const std::string typed = pathBox_->currentText().trimmed().toStdString();
  // A typed folder other than the tree's wins; it must exist.
  if (!typed.empty() && typed != folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(typed, ec)) {
      ui_.Message(MessageKind::Warning, kCannotAccessText + typed, Button::OK);
      return;
    }
    folder = typed;
  }
  if (folder.empty()) return;
  switch (mode_) {
    case WalkMode::Choose:
    case WalkMode::CopyTarget:
    case WalkMode::MoveTarget:
      AddWalkHistory(History(), folder);
      chosen_ = folder;
      accept();
      return;
    case WalkMode::GetSlides:
      AddWalkHistory(History(), folder);
      chosen_ = folder;
      if (getSlides_) {
        running_ = true;
        stop_->setEnabled(true);
        ok_->setEnabled(false);
        getSlides_(folder, *this);
        running_ = false;
        stop_->setEnabled(false);
        ok_->setEnabled(true);
      }
      accept();
      return;
  }
}

void TWalkForm::btnStopClick() {
  if (!running_) return;
  ShowStatus("  Aborting ...");
  Flags().AbortRequest = true;
}

void TWalkForm::done(int result) {
  if (running_) return;  // a listing runs: Stop ends it first
  LastBounds() = geometry();
  QDialog::done(result);
}

std::optional<std::string> RunWalkForm(QWidget* parent, WalkMode mode, const QString& title, const std::string& start) {
  QtUi ui(parent);
  TWalkForm form(mode, title, start, ui, parent);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Chosen();
}

}  // namespace pelira
