#include "viewer/forms/print_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "image/dib.h"
#include "platform/help.h"
#include "platform/qt/qt_page_renderers.h"
#include "viewer/printer.h"

namespace pelira {

namespace {

constexpr int kPreviewSide = 260;
constexpr int kPreviewLongestImage = 1024;  // the preview never needs more of the picture

// A picture small enough to scale for the preview quickly, in its proportions.
QImage PreviewImage(const Dib& picture) {
  if (picture.Empty()) return {};
  const QImage full = QImageFromDib(picture);
  if (full.width() <= kPreviewLongestImage && full.height() <= kPreviewLongestImage) return full;
  return full.scaled(kPreviewLongestImage, kPreviewLongestImage, Qt::KeepAspectRatio, Qt::FastTransformation);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TPrintPreview::TPrintPreview(QWidget* parent) : QWidget(parent) {
  setObjectName("Preview");
  setFixedSize(kPreviewSide, kPreviewSide);
}

void TPrintPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Dark));
  if (sheet_.empty()) return;
  const QRect sheet(sheet_.left, sheet_.top, sheet_.width, sheet_.height);
  p.fillRect(sheet, Qt::white);
  p.setPen(Qt::black);
  p.drawRect(sheet.adjusted(0, 0, -1, -1));
  if (picture_.empty() || image_.isNull()) return;
  if (scaled_.size() != QSize(picture_.width, picture_.height))
    scaled_ = QPixmap::fromImage(image_.scaled(picture_.width, picture_.height, Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation));
  p.drawPixmap(sheet_.left + picture_.left, sheet_.top + picture_.top, scaled_);
}

TPrintForm::TPrintForm(const QString& fileName, const Dib& picture, Printer& printer, QWidget* parent)
    : QDialog(parent), printer_(printer), w_(picture.Width()), h_(picture.Height()) {
  setObjectName("PrintForm");
  setWindowTitle(Q(PrintSetupCaption(fileName.toStdString())));

  preview_ = new TPrintPreview(this);
  preview_->SetImage(PreviewImage(picture));
  xBar_ = new QScrollBar(Qt::Horizontal, this);
  xBar_->setObjectName("HorzBar");
  yBar_ = new QScrollBar(Qt::Vertical, this);
  yBar_->setObjectName("VertBar");
  sizeBar_ = new QScrollBar(Qt::Horizontal, this);
  sizeBar_->setObjectName("SizeBar");
  sizeBar_->setRange(1, 100);
  sizeBar_->setPageStep(10);
  sizeBar_->setValue(100);
  sizeLabel_ = new QLabel(Q(SizeLabel(100)), this);
  sizeLabel_->setObjectName("SizeLabel");
  sizeLabel_->setBuddy(sizeBar_);
  auto* measureLabel = new QLabel("&Measure:", this);
  measure_ = new QComboBox(this);
  measure_->setObjectName("Measure");
  measure_->addItems({"Pixels", "Inches", "cm."});
  measure_->setCurrentIndex(static_cast<int>(PrintUnit::Inches));
  measureLabel->setBuddy(measure_);
  const auto label = [this](const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(name);
    return l;
  };
  widthLabel_ = label("WidthLabel");
  heightLabel_ = label("HeightLabel");
  xLabel_ = label("XLabel");
  yLabel_ = label("YLabel");
  xLabel_->setBuddy(xBar_);
  yLabel_->setBuddy(yBar_);
  settingsLabel_ = label("SettingsLabel");
  halftone_ = new QCheckBox("&Halftone", this);
  halftone_->setObjectName("Halftone");
  halftone_->hide();  // kept in the result, changes nothing

  struct ButtonRow { const char* name; const char* caption; const char* hint; };
  const ButtonRow buttons[] = {
      {"btnCenter", "Cen&ter", "Reset and center image"},
      {"btnSetup", "&Setup", "Change printer driver settings"},
      {"btnPrint", "&Print it", "Send image to printer device"},
      {"btnCancel", "Cancel", ""},
      {"btnHelp", "&Help", ""},
  };
  auto* buttonColumn = new QVBoxLayout;
  for (const ButtonRow& b : buttons) {
    auto* button = new QPushButton(b.caption, this);
    button->setObjectName(b.name);
    button->setToolTip(b.hint);
    buttonColumn->addWidget(button);
  }
  buttonColumn->addStretch(1);
  connect(findChild<QPushButton*>("btnCenter"), &QPushButton::clicked, this, [this] { CenterClick(); });
  connect(findChild<QPushButton*>("btnSetup"), &QPushButton::clicked, this, [this] { SetupClick(); });
  connect(findChild<QPushButton*>("btnPrint"), &QPushButton::clicked, this, &QDialog::accept);
  connect(findChild<QPushButton*>("btnCancel"), &QPushButton::clicked, this, &QDialog::reject);
  connect(findChild<QPushButton*>("btnHelp"), &QPushButton::clicked, this, [] { Help::Show(130); });
  findChild<QPushButton*>("btnPrint")->setDefault(true);

  auto* previewGrid = new QGridLayout;
  previewGrid->setSpacing(0);
  previewGrid->addWidget(preview_, 0, 0);
  previewGrid->addWidget(yBar_, 0, 1);
  previewGrid->addWidget(xBar_, 1, 0);
  auto* fields = new QVBoxLayout;
  fields->addWidget(sizeLabel_);
  fields->addWidget(sizeBar_);
  auto* measureRow = new QHBoxLayout;
  measureRow->addWidget(measureLabel);
  measureRow->addWidget(measure_, 1);
  fields->addLayout(measureRow);
  for (QWidget* w : {static_cast<QWidget*>(widthLabel_), static_cast<QWidget*>(heightLabel_),
                     static_cast<QWidget*>(xLabel_), static_cast<QWidget*>(yLabel_), static_cast<QWidget*>(halftone_)})
    fields->addWidget(w);
  fields->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addLayout(previewGrid);
  top->addLayout(fields, 1);
  top->addLayout(buttonColumn);
  auto* column = new QVBoxLayout(this);
  column->addLayout(top);
  column->addWidget(settingsLabel_);

  connect(sizeBar_, &QScrollBar::valueChanged, this, [this](int p) {
    sizeLabel_->setText(Q(SizeLabel(p)));
    Recompute();
  });
  connect(xBar_, &QScrollBar::valueChanged, this, [this] { PositionChanged(); });
  connect(yBar_, &QScrollBar::valueChanged, this, [this] { PositionChanged(); });
  connect(measure_, &QComboBox::currentIndexChanged, this, [this] { RefreshLabels(); });

  ReadPrinter();
  PlaceSheet();
  Recompute();
}

int TPrintForm::Percent() const { return sizeBar_->value(); }

void TPrintForm::ReadPrinter() { page_ = printer_.Page(); }

void TPrintForm::PlaceSheet() {
  preview_->SetSheet(SheetInPanel(preview_->width(), preview_->height(), page_));
}

void TPrintForm::Recompute() {
  const RectI sheet = preview_->Sheet();
  previewSize_ = PreviewPicture(w_, h_, sheet.width, sheet.height, Percent());
  suspend_ = true;
  const PrintPlacement p = PlaceOnPage(w_, h_, page_, Percent());
  place_ = p;
  xBar_->setRange(0, p.rangeX);
  xBar_->setPageStep(p.stepX);
  xBar_->setValue(p.X);
  yBar_->setRange(0, p.rangeY);
  yBar_->setPageStep(p.stepY);
  yBar_->setValue(p.Y);
  suspend_ = false;
  PositionChanged();
}

void TPrintForm::PositionChanged() {
  place_.X = xBar_->value();
  place_.Y = yBar_->value();
  const RectI sheet = preview_->Sheet();
  preview_->SetPicture({PreviewOffset(place_.X, place_.rangeX, sheet.width - previewSize_.width),
                        PreviewOffset(place_.Y, place_.rangeY, sheet.height - previewSize_.height), previewSize_.width,
                        previewSize_.height});
  if (!suspend_) RefreshLabels();
}

void TPrintForm::RefreshLabels() {
  const PrintLabels l = MakePrintLabels(place_, page_, static_cast<PrintUnit>(std::max(measure_->currentIndex(), 0)));
  widthLabel_->setText(Q(l.width));
  heightLabel_->setText(Q(l.height));
  xLabel_->setText(Q(l.x));
  yLabel_->setText(Q(l.y));
  settingsLabel_->setText(Q(l.settings));
}

void TPrintForm::CenterClick() { Recompute(); }

void TPrintForm::SetupClick() {
  if (!printer_.Setup()) return;
  ReadPrinter();
  PlaceSheet();
  Recompute();
}

QString TPrintForm::LabelText(const char* objectName) const {
  const QLabel* l = findChild<QLabel*>(objectName);
  return l ? l->text() : QString();
}

PrintSetupResult TPrintForm::Result(bool accepted) const {
  PrintSetupResult r;
  if (!accepted) return r;
  r.X = place_.X;
  r.Y = place_.Y;
  r.W = place_.W;
  r.H = place_.H;
  r.color = page_.color;
  r.halftone = halftone_->isChecked();
  return r;
}

}  // namespace pelira
