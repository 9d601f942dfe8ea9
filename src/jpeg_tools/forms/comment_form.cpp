#include "jpeg_tools/forms/comment_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include "jpeg_tools/jpeg_file_edits.h"
#include "jpeg_tools/jpeg_text.h"
#include "platform/help.h"
#include "platform/ui.h"

namespace pelira {

namespace {

std::filesystem::path PathOf(const QString& s) { return std::filesystem::path(s.toStdString()); }

// The menus, one row each; a row without a slot is a submenu that later rows name as parent.
struct MenuRow {
  const char* name;
  const char* caption;
  const char* shortcut;
  const char* parent;
  void (TCommentForm::*slot)();
};

void CloseForm(TCommentForm* f) { f->close(); }

const MenuRow kMenuRows[] = {
    {"mnuRead", "&Read", "", "", &TCommentForm::mnuReadClick},
    {"mnuAddText", "&Add text", "", "", &TCommentForm::mnuAddTextClick},
    {"mnuStrip", "&Strip", "", "", nullptr},
    {"mnuStripAll", "&All extra info", "", "mnuStrip", &TCommentForm::mnuStripAllClick},
    {"mnuStripComments", "&Comments only", "", "mnuStrip", &TCommentForm::mnuStripCommentsClick},
    {"mnuClose", "&Close", "Esc", "", nullptr},
    {"mnuHelp", "&Help", "", "", &TCommentForm::mnuHelpClick},
};

}  // namespace

QString QtCommentFormDialogs::ChooseJpeg(QWidget* parent, const QString& title, const QString& folder) {
  QFileDialog dlg(parent, title, folder, "JPG (JPEG/JFIF) (*.jpg)");
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setDefaultSuffix("jpg");
  return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front() : QString();
}

TCommentForm::TCommentForm(Ui& ui, std::unique_ptr<CommentFormDialogs> dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui), dialogs_(std::move(dialogs)) {
  setObjectName("CommentForm");
  setWindowTitle("JPEG Text");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  info_ = new QLabel(this);
  info_->setObjectName("lblInfo");
  info_->setTextFormat(Qt::PlainText);
  layout->addWidget(info_);
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName("memComment");
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(memo_, 1);
  BuildMenus();
  folder_ = QDir::homePath();
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize area = screen ? screen->geometry().size() : QSize(640, 480);
  resize(DefaultSize(area));
  if (screen) move(screen->geometry().center() - rect().center());
}

TCommentForm::~TCommentForm() = default;

void TCommentForm::BuildMenus() {
  auto* bar = new QMenuBar(this);
  layout()->setMenuBar(bar);
  for (const MenuRow& row : kMenuRows) {
    QAction* a = nullptr;
    if (!row.slot && row.name != std::string("mnuClose")) {
      QMenu* menu = bar->addMenu(row.caption);
      menu->setObjectName(row.name);
      a = menu->menuAction();
    } else {
      a = new QAction(row.caption, this);
      if (*row.parent) {
        findChild<QMenu*>(row.parent)->addAction(a);
      } else {
        bar->addAction(a);
      }
      if (row.slot) {
        connect(a, &QAction::triggered, this, [this, slot = row.slot] { (this->*slot)(); });
      } else {
        connect(a, &QAction::triggered, this, [this] { CloseForm(this); });
      }
      addAction(a);  // shortcuts work while the window is active
    }
    a->setObjectName(row.name);
    if (*row.shortcut) a->setShortcut(QKeySequence(row.shortcut));
  }
}

QAction* TCommentForm::Action(const QString& objectName) const {
  for (QAction* a : findChildren<QAction*>())
    if (a->objectName() == objectName) return a;
  return nullptr;
}

QSize TCommentForm::DefaultSize(const QSize& screen) {
  if (screen.width() > 1279 && screen.height() > 959) return QSize(screen.width() / 4, screen.height() / 4);
  return QSize(320, 240);
}

bool TCommentForm::ReadJpegText(const QString& fileName) {
  const std::filesystem::path path = PathOf(fileName);
  if (!JpegTextKind(path)) return false;
  memo_->clear();
  collected_.clear();
  setWindowTitle(fileName);
  JpegTextReport report;
  const bool found = pelira::ReadJpegText(path, &report);
  if (!report.ok) {
    ui_.Message(MessageKind::Error, report.error, Button::OK);
    hide();
    return false;
  }
  QStringList lines;
  for (const std::string& l : report.TextBoxLines()) lines << QString::fromStdString(l);
  memo_->setPlainText(lines.join('\n'));
  collected_ = report.CollectedLines();
  return found;
}

void TCommentForm::SetLabelFor(const QString& fileName, const QString& view) {
  info_->setText(QString::fromStdString(JpegInfoLabel(PathOf(fileName), view.toStdString())));
}

void TCommentForm::OpenForFile(const QString& fileName, const QString& view) {
  show();
  raise();
  activateWindow();
  ReadJpegText(fileName);
  if (isVisible()) SetLabelFor(fileName, view);
}

void TCommentForm::ShowInfo(const QString& fileName, const QString& infoText) {
  show();
  raise();
  activateWindow();
  ReadJpegText(fileName);
  if (isVisible()) info_->setText("View: " + infoText);
}

QString TCommentForm::Choose(const char* title) {
  const QString file = dialogs_->ChooseJpeg(this, title, folder_);
  if (!file.isEmpty()) folder_ = QFileInfo(file).absolutePath();
  return file;
}

void TCommentForm::mnuReadClick() {
  const QString file = Choose(kReadTitle);
  if (file.isEmpty() || !JpegTextKind(PathOf(file))) return;
  ReadJpegText(file);
  if (isVisible()) SetLabelFor(file, {});
}

void TCommentForm::mnuAddTextClick() {
  const std::string text = memo_->toPlainText().toStdString();
  if (CommentTooLarge(text)) {
    ui_.Message(MessageKind::Warning, kCommentTooLargeText, Button::OK);
    return;
  }
  const QString file = Choose(kAddTitle);
  if (file.isEmpty()) return;
  setWindowTitle(file);
  const JpegFileOutcome o = AddCommentToJpegFile(ui_, PathOf(file), text);
  ShowOutcome(ui_, o);
  if (o.closeWindow) hide();
}

void TCommentForm::Strip(bool allExtra) {
  const QString file = Choose(allExtra ? kStripAllTitle : kStripCommentsTitle);
  if (file.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const JpegFileOutcome o = StripJpegFile(ui_, PathOf(file), allExtra ? StripMode::AllExtraInfo : StripMode::CommentsOnly);
  QApplication::restoreOverrideCursor();
  ShowOutcome(ui_, o);
  if (o.closeWindow) hide();
}

void TCommentForm::mnuStripAllClick() { Strip(true); }
void TCommentForm::mnuStripCommentsClick() { Strip(false); }
void TCommentForm::mnuHelpClick() { Help::Show(kJpegTextHelpContext); }

void TCommentForm::closeEvent(QCloseEvent* e) {
  // Closing hides the window; it keeps its bounds for the next showing.
  e->ignore();
  hide();
}

namespace {

// The program's one JPEG Text window, made on first use.
TCommentForm* TheCommentForm(QWidget* owner) {
  static QPointer<TCommentForm> form;
  if (!form) form = new TCommentForm(CurrentUi(), std::make_unique<QtCommentFormDialogs>(), owner);
  return form;
}

}  // namespace

TCommentForm* ShowJpegInfoWindow(QWidget* owner, const QString& file, const QString& infoText) {
  TCommentForm* form = TheCommentForm(owner);
  form->ShowInfo(file, infoText);
  return form;
}

TCommentForm* ShowCommentWindow(QWidget* owner, const QString& file, const QString& view) {
  TCommentForm* form = TheCommentForm(owner);
  if (!file.isEmpty()) {
    form->OpenForFile(file, view);
  } else {
    form->show();
    form->raise();
    form->activateWindow();
  }
  return form;
}

}  // namespace pelira
