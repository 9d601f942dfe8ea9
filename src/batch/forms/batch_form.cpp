#include "batch/forms/batch_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "batch/bip_file.h"
#include "common/app_paths.h"
#include "common/text_encoding.h"
#include "platform/help.h"
#include "platform/qt/menu_table.h"
#include "platform/ui.h"

namespace pelira {

namespace {

constexpr int kBatchEditorHelpContext = 650;

QString BipFilterText() { return "BIP (Batch Image Processor) (*.bip)"; }

QString DefaultBipFolder() {
  const auto p = AppPaths::BipFiles();
  std::error_code ec;
  if (std::filesystem::is_directory(p, ec)) return QString::fromStdString(p.string());
  return QString::fromStdString(AppPaths::Home().string());
}

}  // namespace

QString QtBatchDialogs::OpenScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) {
  return QFileDialog::getOpenFileName(parent, title, QFileInfo(folder + "/" + name).filePath(), BipFilterText());
}

QString QtBatchDialogs::SaveScript(QWidget* parent, const QString& title, const QString& folder, const QString& name) {
  QFileDialog dlg(parent, title, folder, BipFilterText());
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix("bip");
  if (!name.isEmpty()) dlg.selectFile(name);
  return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front() : QString();
}

TBatchForm::TBatchForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName("BatchForm");
  setWindowTitle("Batch Editor");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QMenuBar(this);
  layout->setMenuBar(bar);
  // The editor's commands stand on its menu bar itself.
  menus_ = std::make_unique<MenuBuilder>(*this);
  menus_->Build(bar, {
                         {"mnuNew", "&New", {}, "", MenuKind::Item, [this] { mnuNewClick(); }},
                         {"mnuOpen", "&Open", {}, "", MenuKind::Item, [this] { mnuOpenClick(); }},
                         {"mnuSave", "&Save", {}, "", MenuKind::Item, [this] { mnuSaveClick(); }},
                         {"mnuPerformB", "&Perform", {}, "", MenuKind::Item, [this] { mnuPerformClick(); }},
                         {"mnuClose", "&Close", {}, "", MenuKind::Item, [this] { hide(); }},
                         {"mnuHelpB", "&Help", {}, "", MenuKind::Item, [] { Help::Show(kBatchEditorHelpContext); }},
                     });
  save_ = menus_->Action("mnuSave");
  perform_a_ = menus_->Action("mnuPerformB");
  memo_ = new QPlainTextEdit(this);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(memo_);
  save_->setEnabled(false);
  perform_a_->setEnabled(false);
  connect(memo_, &QPlainTextEdit::textChanged, this, [this] { TextChanged(); });
  bipFolder_ = DefaultBipFolder();
}

TBatchForm::~TBatchForm() = default;

QAction* TBatchForm::Action(const QString& name) const { return findChild<QAction*>(name); }

void TBatchForm::TextChanged() {
  dirty_ = true;
  save_->setEnabled(true);
  perform_a_->setEnabled(true);
}

bool TBatchForm::Unsaved() const { return dirty_ && !memo_->document()->isEmpty(); }

void TBatchForm::RecordScriptLine(const std::string& line) {
  if (!recording_) return;
  AppendLines({line});
}

void TBatchForm::AppendLines(const std::vector<std::string>& lines) {
  for (const std::string& l : lines) memo_->appendPlainText(QString::fromStdString(l));
}

std::vector<std::string> TBatchForm::Lines() const {
  if (memo_->document()->isEmpty()) return {};
  return SplitLines(memo_->toPlainText().toStdString());
}

void TBatchForm::SetText(const QString& text) { memo_->setPlainText(text); }

void TBatchForm::SetBipFolder(const QString& folder, const QString& name) {
  bipFolder_ = folder;
  bipFileName_ = name;
}

bool TBatchForm::event(QEvent* e) {
  // Recording starts with the first activation and stays on, hidden or not.
  if (e->type() == QEvent::WindowActivate) {
    recording_ = true;
    memo_->setFocus();
  }
  return QWidget::event(e);
}

void TBatchForm::closeEvent(QCloseEvent* e) {
  // Close only hides: the text and the recording stay.
  e->ignore();
  hide();
  if (onHide_) onHide_();
}

void TBatchForm::mnuNewClick() {
  if (CurrentUi().Message(MessageKind::Confirmation, "Clear batch processing script?", Button::OK | Button::Cancel) !=
      Button::OK)
    return;
  memo_->clear();
  dirty_ = false;
}

bool TBatchForm::LoadFile(const QString& path) {
  std::string why;
  const auto lines = ReadBipFile(path.toStdString(), &why);
  if (!lines) {
    // The text in the editor stays: a file that cannot be read must not cost the script.
    CurrentUi().Message(MessageKind::Warning, why, Button::OK);
    return false;
  }
  QString text;
  for (std::size_t i = 0; i < lines->size(); ++i) {
    if (i) text += "\n";
    text += QString::fromStdString((*lines)[i]);
  }
  memo_->setPlainText(text);
  dirty_ = false;
  save_->setEnabled(false);
  const QFileInfo fi(path);
  SetBipFolder(fi.absolutePath(), fi.fileName());
  setWindowTitle("Batch Editor - " + fi.fileName());
  return true;
}

void TBatchForm::mnuOpenClick() {
  const QString path = dialogs_->OpenScript(this, "Open Batch Commands", bipFolder_, bipFileName_);
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path)) LoadFile(path);
}

void TBatchForm::OpenBIPfile(const QString& path) {
  if (!QFileInfo::exists(path)) return;
  show();
  raise();
  const QFileInfo fi(path);
  SetBipFolder(fi.absolutePath(), fi.fileName());
  mnuOpenClick();
}

bool TBatchForm::mnuSaveClick() {
  QString path = dialogs_->SaveScript(this, "Save Batch Commands", bipFolder_, bipFileName_);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += ".bip";
  if (!WriteBipFile(path.toStdString(), Lines())) {
    CurrentUi().Message(MessageKind::Warning, "Cannot access drive/folder.\nCheck device or security settings.\nSave aborted.",
                        Button::OK);
    return false;
  }
  const QFileInfo fi(path);
  SetBipFolder(fi.absolutePath(), fi.fileName());
  setWindowTitle("Batch Editor - " + fi.fileName());
  dirty_ = false;
  save_->setEnabled(false);
  return true;
}

void TBatchForm::mnuPerformClick() {
  const std::vector<std::string> lines = Lines();
  if (lines.empty() || !perform_) return;
  perform_(lines);
}

bool TBatchForm::CloseQuery() {
  // Short scripts are quick to type again; a longer one is asked about, saved or not.
  if (Lines().size() <= 4) return true;
  return CurrentUi().Message(MessageKind::Confirmation, "Discard image processing script?", Button::Yes | Button::No) ==
         Button::Yes;
}

}  // namespace pelira
