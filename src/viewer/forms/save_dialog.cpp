#include "viewer/forms/save_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>

#include "common/app_paths.h"
#include "platform/help.h"
#include "platform/ui.h"
#include "edit/save_as.h"

namespace pelira {

namespace {
constexpr int kSaveHelpContext = 115;
}  // namespace

TSaveDialog::TSaveDialog(QWidget* parent, const SaveDialogSetup& setup) : QFileDialog(parent), type_(setup.type) {
  setObjectName("SaveDialog");
  setWindowTitle("Save Image As");
  setOption(QFileDialog::DontUseNativeDialog, true);
  // The command asks before overwriting, once the extension is completed.
  setOption(QFileDialog::DontConfirmOverwrite, true);
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  setDirectory(QString::fromStdString(setup.folder));
  for (int i = 1; i <= SaveTypesOffered(setup.imageBits); ++i) {
    const SaveTypeInfo& t = SaveTypeOf(i);
    filters_ << QString("%1 (*.%2)").arg(t.filter, t.extension);
  }
  setNameFilters(filters_);
  if (type_ < 1 || type_ > filters_.size()) type_ = kDefaultSaveType;
  selectNameFilter(filters_[type_ - 1]);
  setDefaultSuffix(SaveTypeOf(type_).extension);
  selectFile(QString::fromStdString(setup.name));

  auto* panel = new QWidget(this);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  compress_ = new QPushButton(panel);
  compress_->setObjectName("btnCompress");
  compress_->setToolTip("Click for JPEG Compression Wizard");
  compress_->setEnabled(static_cast<bool>(setup.compress));
  // The dialog closes first; the wizard then stands over the window the dialog belonged to.
  if (setup.compress)
    connect(compress_, &QPushButton::clicked, this, [this, open = setup.compress] {
      hide();
      open(parentWidget());
      reject();
    });
  bar_ = new QScrollBar(Qt::Horizontal, panel);
  bar_->setObjectName("barCompression");
  bar_->setRange(1, 99);
  bar_->setPageStep(5);
  bar_->setToolTip("99 = maximum compression");
  bar_->setValue(setup.compression >= 1 && setup.compression <= 99 ? setup.compression : kDefaultCompression);
  bar_->setMinimumWidth(120);
  progressive_ = new QCheckBox("&Progressive", panel);
  progressive_->setObjectName("chkProgressive");
  progressive_->setChecked(setup.progressive);
  auto* recent = new QPushButton("Recent", panel);
  recent->setToolTip("Click for recent folders.");
  auto* help = new QPushButton("Help", panel);
  row->addWidget(compress_);
  row->addWidget(bar_, 1);
  row->addWidget(progressive_);
  row->addWidget(recent);
  row->addWidget(help);
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(panel, grid->rowCount(), 0, 1, -1);

  auto showValue = [this] { compress_->setText(QString("Compress: %1").arg(bar_->value())); };
  connect(bar_, &QScrollBar::valueChanged, this, showValue);
  showValue();
  connect(recent, &QPushButton::clicked, this, [this] {
    // The typed name stays while the folder changes.
    const QStringList typed = selectedFiles();
    setDirectory(QString::fromStdString(AppPaths::Recent().string()));
    if (!typed.isEmpty()) selectFile(QFileInfo(typed.front()).fileName());
  });
  connect(help, &QPushButton::clicked, this, [] { Help::Show(kSaveHelpContext); });
  connect(this, &QFileDialog::filterSelected, this, [this](const QString& f) { TypeChanged(static_cast<int>(filters_.indexOf(f)) + 1); });
  TypeChanged(type_);
}

void TSaveDialog::TypeChanged(int type) {
  if (type < 1) return;
  const bool warn = type == 9 && type_ != 9;
  type_ = type;
  setDefaultSuffix(SaveTypeOf(type).extension);
  bar_->setVisible(IsJpegSaveType(type));
  compress_->setVisible(IsJpegSaveType(type));
  progressive_->setEnabled(ProgressiveApplies(type));
  if (warn) AskIgnorable(CurrentUi(), "SaveTiffAdobe", MessageKind::Warning, kTiffAdobeWarning, 0, Button::OK | Button::Ignore);
}

SaveChoice TSaveDialog::Choice() const {
  SaveChoice c;
  const QStringList files = selectedFiles();
  if (!files.isEmpty()) c.path = files.front().toStdString();
  c.type = type_;
  c.compression = bar_->value();
  c.progressive = progressive_->isChecked();
  return c;
}

std::optional<SaveChoice> TSaveDialog::Ask(QWidget* parent, const SaveDialogSetup& setup) {
  TSaveDialog d(parent, setup);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.Choice();
}

}  // namespace pelira
