#include "engine/dialogs/filter_preview_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "common/atomic_file.h"
#include "engine/dialogs/dialog_place.h"
#include "engine/dialogs/engine_dialogs.h"
#include "edit/save_as.h"
#include "engine/dialogs/histogram_dialog.h"
#include "engine/filter_preview.h"
#include "engine/spatial_filters.h"
#include "image/jpeg_image.h"
#include "imaging_library/image_ops.h"
#include "platform/help.h"
#include "platform/qt/qt_page_renderers.h"

namespace pelira {

namespace {

constexpr int kPreviewHelp = 445;
constexpr int kJpegWizardHelp = 446;

struct Remembered {
  bool placed = false;
  QPoint position;
  TJpegWizardSettings jpeg;
  std::optional<ColorValue> picked;
  QString saveFolder;
};
Remembered& Memory() {
  static Remembered m;
  return m;
}

QString EndLabel(const std::string& label, int number) {
  return label.empty() ? QString::number(number) : QString::fromStdString(label);
}

}  // namespace

int PreviewBoxWidth(int kind) { return kind == kJpegPreviewKind || kind == kJpegSaveKind ? 372 : 360; }

TFXdlg::TFXdlg(const QString& title, const QString& minLabel, const QString& maxLabel, const TFilterDlgParam& request,
               const Dib& picture, QWidget* parent)
    : QDialog(parent), request_(request), picture_(picture) {
  setObjectName("FXdlg");
  setWindowTitle(title);
  jpeg_ = request.kind == kJpegPreviewKind || request.kind == kJpegSaveKind;
  shown_ = jpeg_ ? 1 : FilterSliderCount(request.kind);
  const auto names = FilterSliderNames(request.kind);
  const int boxW = PreviewBoxWidth(request.kind);

  auto* column = new QVBoxLayout(this);
  // Pictures: before (scrollable over the working picture) and after.
  auto* pictures = new QHBoxLayout;
  auto* beforeGrid = new QGridLayout;
  beforeView_ = new QLabel(this);
  beforeView_->setObjectName("Before");
  beforeView_->setFixedSize(boxW, kPreviewBoxHeight);
  beforeView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  beforeH_ = new QScrollBar(Qt::Horizontal, this);
  beforeV_ = new QScrollBar(Qt::Vertical, this);
  beforeGrid->addWidget(beforeView_, 0, 0);
  beforeGrid->addWidget(beforeV_, 0, 1);
  beforeGrid->addWidget(beforeH_, 1, 0);
  pictures->addLayout(beforeGrid);
  afterView_ = new QLabel(this);
  afterView_->setObjectName("After");
  afterView_->setFixedSize(boxW, kPreviewBoxHeight);
  afterView_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pictures->addWidget(afterView_, 0, Qt::AlignTop);
  column->addLayout(pictures);
  beforeH_->setRange(0, std::max(0, picture.Width() - boxW));
  beforeV_->setRange(0, std::max(0, picture.Height() - kPreviewBoxHeight));
  beforeH_->setPageStep(boxW);
  beforeV_->setPageStep(kPreviewBoxHeight);

  // Sliders.
  for (int i = 0; i < 3; ++i) {
    const SliderSpec s = EffectiveSlider(request, i);
    const auto [lo, hi] = EffectiveLabels(request, i, minLabel.toStdString(), maxLabel.toStdString());
    auto* row = new QWidget(this);
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    names_[i] = new QLabel(QString::fromStdString(names[static_cast<std::size_t>(i)]), row);
    minTexts_[i] = new QLabel(EndLabel(lo, s.min), row);
    maxTexts_[i] = new QLabel(EndLabel(hi, s.max), row);
    maxTexts_[i]->setAlignment(Qt::AlignRight);
    sliders_[i] = new QScrollBar(Qt::Horizontal, row);
    sliders_[i]->setObjectName(QString("Slider%1").arg(i + 1));
    sliders_[i]->setRange(s.min, std::max(s.min, s.max));
    sliders_[i]->setPageStep(std::max(1, s.page));
    sliders_[i]->setSingleStep(std::max(1, s.line));
    sliders_[i]->setValue(std::clamp(s.start, s.min, std::max(s.min, s.max)));
    names_[i]->setBuddy(sliders_[i]);
    boxes_[i] = new QLineEdit(QString::number(sliders_[i]->value()), row);
    boxes_[i]->setObjectName(QString("Box%1").arg(i + 1));
    boxes_[i]->setFixedWidth(60);
    grid->addWidget(names_[i], 0, 0, 2, 1);
    grid->addWidget(minTexts_[i], 0, 1);
    grid->addWidget(maxTexts_[i], 0, 2);
    grid->addWidget(sliders_[i], 1, 1, 1, 2);
    grid->addWidget(boxes_[i], 0, 3, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    column->addWidget(row);
    rows_[i] = row;
    row->setVisible(i < shown_);
    connect(sliders_[i], &QScrollBar::valueChanged, this, [this, i](int v) { SliderMoved(i, v); });
    connect(boxes_[i], &QLineEdit::editingFinished, this, [this, i] { BoxEdited(i); });
  }

  // The colour panel: the picked colour, or the command's own (White Balance's reference).
  if (FilterShowsColorPanel(request.kind) && !jpeg_) {
    panel_ = new QLabel(this);
    panel_->setObjectName("ColorPanel");
    panel_->setFixedSize(180, 24);
    panel_->setAlignment(Qt::AlignCenter);
    panel_->setAutoFillBackground(true);
    auto* row = new QHBoxLayout;
    row->addWidget(panel_);
    row->addStretch(1);
    column->addLayout(row);
    ShowPanel(request.panelColor.value_or(kSilverPanel), false);
  }

  // The JPEG group: the wizard's settings record.
  jpegGroup_ = new QGroupBox("JPEG", this);
  {
    auto* g = new QGridLayout(jpegGroup_);
    smoothing_ = new QComboBox(jpegGroup_);
    for (auto m : {TJpegSmoothingMethod::Standard, TJpegSmoothingMethod::Parametric, TJpegSmoothingMethod::Clean})
      smoothing_->addItem(SmoothingMethodName(m));
    auto* smoothingLabel = new QLabel("&Smoothing filter", jpegGroup_);
    smoothingLabel->setBuddy(smoothing_);
    subsample_ = new QCheckBox("S&ubsampling", jpegGroup_);
    progressive_ = new QCheckBox("&Progressive", jpegGroup_);
    jpegScale_ = new QScrollBar(Qt::Horizontal, jpegGroup_);
    jpegScale_->setObjectName("JpegScale");
    jpegScale_->setRange(1, 255);
    jpegScale_->setPageStep(8);
    auto* scaleText = new QLabel(jpegGroup_);
    g->addWidget(smoothingLabel, 0, 0);
    g->addWidget(smoothing_, 0, 1);
    g->addWidget(subsample_, 0, 2);
    g->addWidget(progressive_, 0, 3);
    g->addWidget(new QLabel("Compression scale", jpegGroup_), 1, 0);
    g->addWidget(jpegScale_, 1, 1, 1, 2);
    g->addWidget(scaleText, 1, 3);
    connect(jpegScale_, &QScrollBar::valueChanged, this, [this, scaleText](int v) {
      scaleText->setText(QString::number(v));
      Changed();
    });
    connect(smoothing_, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
    connect(subsample_, &QCheckBox::toggled, this, [this] { Changed(); });
    connect(progressive_, &QCheckBox::toggled, this, [this] { Changed(); });
    scaleText->setText(QString::number(jpegScale_->value()));
  }
  column->addWidget(jpegGroup_);
  jpegGroup_->setVisible(jpeg_);

  status_ = new QLabel(this);
  status_->setObjectName("Status");
  column->addWidget(status_);

  // Options and buttons.
  auto* buttons = new QHBoxLayout;
  actual_ = new QCheckBox("Original image (actual view)", this);
  actual_->setChecked(true);
  autoTest_ = new QCheckBox("Auto test (modified image)", this);
  test_ = new QPushButton("&Test", this);
  reset_ = new QPushButton("&Reset", this);
  apply_ = new QPushButton("&Apply", this);
  cancel_ = new QPushButton("Cancel", this);
  help_ = new QPushButton("&Help", this);
  extra_ = new QPushButton(QString::fromStdString(FilterButtonCaption(request.kind)), this);
  extra_->setVisible(!jpeg_ && !extra_->text().isEmpty() && (request.histogram || request.maskPreview));
  // Two rows keep the dialog within the two pictures' width.
  auto* options = new QHBoxLayout;
  options->addWidget(actual_);
  options->addWidget(autoTest_);
  options->addStretch(1);
  column->addLayout(options);
  buttons->addStretch(1);
  for (QPushButton* b : {extra_, test_, reset_, apply_, cancel_, help_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  column->addLayout(buttons);
  reset_->setVisible(shown_ > 1 && !jpeg_);
  apply_->setEnabled(false);

  autoTest_->setChecked(request.autoTest);
  if (jpeg_) {
    const TJpegWizardSettings& s = Memory().jpeg;
    smoothing_->setCurrentIndex(static_cast<int>(s.method));
    subsample_->setChecked(s.subsample);
    progressive_->setChecked(s.progressive);
    jpegScale_->setValue(s.scale);
    sliders_[0]->setValue(std::clamp(s.strength, sliders_[0]->minimum(), sliders_[0]->maximum()));
    autoTest_->setText("Compressed image");
    autoTest_->setEnabled(false);
    actual_->setEnabled(false);
    cancel_->setText("Close");
    apply_->setText("Save &As");
    // The preview-only wizard (998) shows Save As but never enables it (see Test).
  }

  // Slider changes coalesce: one preview after the events of this turn, never inside one.
  pending_.setSingleShot(true);
  pending_.setInterval(0);
  connect(&pending_, &QTimer::timeout, this, [this] { Test(); });
  connect(test_, &QPushButton::clicked, this, [this] { Test(); });
  connect(reset_, &QPushButton::clicked, this, [this] { Reset(); });
  connect(extra_, &QPushButton::clicked, this, [this] { ExtraClicked(); });
  connect(apply_, &QPushButton::clicked, this, [this] {
    if (jpeg_) SaveAsClicked();
    else accept();
  });
  connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
  connect(help_, &QPushButton::clicked, this, [this] { Help::Show(jpeg_ ? kJpegWizardHelp : kPreviewHelp); });
  connect(autoTest_, &QCheckBox::toggled, this, [this](bool on) {
    if (jpeg_) return;
    if (onAutoTest) onAutoTest(on);
    if (on) pending_.start();
  });
  connect(actual_, &QCheckBox::toggled, this, [this] {
    ShowBefore();
    Changed();
  });
  auto scrolled = [this] {
    if (!actual_->isChecked()) return;
    ShowBefore();
    // The after picture follows the view; its edit is the same, so it is redone there.
    Changed();
  };
  connect(beforeH_, &QScrollBar::valueChanged, this, scrolled);
  connect(beforeV_, &QScrollBar::valueChanged, this, scrolled);

  beforeView_->installEventFilter(this);
  if (Memory().placed) PlaceAt(this, Memory().position);
  else PlaceAtCursor(this);
  ShowBefore();
  if (jpeg_ || autoTest_->isChecked()) pending_.start();
}

TFXdlg::~TFXdlg() = default;

std::array<int, 3> TFXdlg::Values() const {
  return {sliders_[0]->value(), sliders_[1]->value(), sliders_[2]->value()};
}

int TFXdlg::Result() const {
  if (jpeg_) return sliders_[0]->value();
  return result() == QDialog::Accepted ? sliders_[0]->value() : kDialogCancelled;
}

TRect TFXdlg::Window() const {
  return PreviewWindow(picture_.Width(), picture_.Height(), beforeH_->value(), beforeV_->value(),
                       PreviewBoxWidth(request_.kind), kPreviewBoxHeight);
}

void TFXdlg::SourceInto(Dib& out) const {
  if (actual_->isChecked()) {
    out = ActualViewSource(picture_, Window());
  } else {
    out = fitted_;
  }
}

void TFXdlg::ShowBefore() {
  if (!actual_->isChecked() && fitted_.Empty())
    fitted_ = FittedSource(picture_, PreviewBoxWidth(request_.kind), kPreviewBoxHeight);
  beforeH_->setEnabled(actual_->isChecked());
  beforeV_->setEnabled(actual_->isChecked());
  SourceInto(before_);
  beforeView_->setPixmap(before_.Empty() ? QPixmap() : QPixmap::fromImage(QImageFromDib(before_)));
}

void TFXdlg::ShowAfter() {
  afterView_->setPixmap(after_.Empty() ? QPixmap() : QPixmap::fromImage(QImageFromDib(after_)));
}

void TFXdlg::SliderMoved(int i, int v) {
  boxes_[i]->setText(QString::number(v));
  Changed();
}

void TFXdlg::BoxEdited(int i) {
  bool ok = false;
  const int v = boxes_[i]->text().trimmed().toInt(&ok);
  if (!ok) {
    boxes_[i]->setText(QString::number(sliders_[i]->value()));
    return;
  }
  sliders_[i]->setValue(std::clamp(v, sliders_[i]->minimum(), sliders_[i]->maximum()));
  boxes_[i]->setText(QString::number(sliders_[i]->value()));
}

void TFXdlg::Changed() {
  if (syncing_) return;
  // What Apply would give no longer matches what the after picture shows.
  apply_->setEnabled(false);
  if (jpeg_ || autoTest_->isChecked()) pending_.start();
}

void TFXdlg::Test() {
  if (previewing_) return;
  previewing_ = true;
  pending_.stop();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SourceInto(after_);
  if (jpeg_) {
    JpegRoundTrip();
  } else if (showMask_ && request_.maskPreview && !after_.Empty()) {
    request_.maskPreview(after_, Values());
  } else if (request_.second && request_.previewWithSecond && !after_.Empty()) {
    // The second image seen through the same window as the picture; one of another size
    // has no counterpart, and the after picture stays the source.
    const Dib& second = *request_.second;
    if (second.Width() == picture_.Width() && second.Height() == picture_.Height()) {
      const Dib cut = actual_->isChecked() ? ActualViewSource(second, Window())
                                           : FittedSource(second, PreviewBoxWidth(request_.kind), kPreviewBoxHeight);
      request_.previewWithSecond(after_, cut, Values());
    }
  } else if (request_.preview && !after_.Empty()) {
    request_.preview(after_, Values());
  }
  ShowAfter();
  ++previews_;
  apply_->setEnabled(!jpeg_ || (request_.kind == kJpegSaveKind && !jpegBytes_.empty()));
  QApplication::restoreOverrideCursor();
  previewing_ = false;
}

void TFXdlg::ExtraClicked() {
  if (request_.maskPreview) {
    showMask_ = true;
    Test();
    showMask_ = false;
    return;
  }
  if (!request_.histogram) return;
  Dialogs().ShowHistogram(this, QString::fromStdString(FilterHistogramTitle(request_.kind)),
                          request_.histogram(Values()));
}

void TFXdlg::ShowPanel(ColorValue c, bool withText) {
  if (!panel_) return;
  QPalette p = panel_->palette();
  const QColor fill(RedOf(c), GreenOf(c), BlueOf(c));
  p.setColor(QPalette::Window, fill);
  p.setColor(QPalette::WindowText, QColor(255 - fill.red(), 255 - fill.green(), 255 - fill.blue()));
  panel_->setPalette(p);
  panel_->setText(withText ? QString::fromStdString(PickedColorText(c)) : QString());
}

void TFXdlg::PickAt(int x, int y) {
  if (jpeg_ || x < 0 || y < 0 || x >= before_.Width() || y >= before_.Height()) return;
  const ColorValue c = before_.Pixel(x, y);
  Memory().picked = c;
  ShowPanel(c, true);
  if (request_.picked) request_.picked(c);
  const auto now = SlidersForPickedColor(request_.kind, c, Values());
  syncing_ = true;
  for (int i = 0; i < 3; ++i) sliders_[i]->setValue(now[static_cast<std::size_t>(i)]);
  syncing_ = false;
  // The colour may change the edit even where no slider moved.
  Changed();
}

bool TFXdlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == beforeView_ && event->type() == QEvent::MouseButtonPress) {
    auto* m = static_cast<QMouseEvent*>(event);
    if (m->button() == Qt::LeftButton) {
      PickAt(m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFXdlg::Reset() {
  syncing_ = true;
  const bool masks = request_.kind == 531 || (request_.kind >= 501 && request_.kind <= 503);
  for (int i = 0; i < 3; ++i) {
    int v = EffectiveSlider(request_, i).start;
    if (masks && i < 2) v = i == 0 ? 100 : 99;
    sliders_[i]->setValue(v);
  }
  syncing_ = false;
  Test();
}

TJpegWizardSettings TFXdlg::JpegSettings() const {
  TJpegWizardSettings s;
  s.method = static_cast<TJpegSmoothingMethod>(std::clamp(smoothing_->currentIndex(), 0, 2));
  s.subsample = subsample_->isChecked();
  s.progressive = progressive_->isChecked();
  s.scale = std::clamp(jpegScale_->value(), 1, 255);
  s.strength = std::clamp(sliders_[0]->value(), 0, 255);
  return s;
}


void TFXdlg::JpegRoundTrip() {
  jpegBytes_.clear();
  if (after_.Empty()) return;
  const TJpegWizardSettings s = JpegSettings();
  const std::int64_t w = after_.Width(), h = after_.Height();
  try {
    jpegBytes_ = EncodeWizardJpeg(after_, s);
    TJPEGImage back;
    back.LoadFromStream(jpegBytes_);
    after_ = back.Decode();
  } catch (const std::exception& e) {
    jpegBytes_.clear();
    status_->setText(QString::fromStdString(e.what()));
    return;
  }
  // Measured on the picture this Test encoded: the window in actual view, else the reduced
  // whole picture.
  status_->setText(QString::fromStdString(JpegCompressionRatioText(w, h, jpegBytes_.size()) + "   " +
                                          JpegFileSizeText(jpegBytes_.size())));
}

bool TFXdlg::SaveJpeg(const std::string& path) {
  const WriteResult w = SaveWizardJpeg(picture_, JpegSettings(), path);
  if (!w) status_->setText(QString::fromStdString(w.message));
  return static_cast<bool>(w);
}

void TFXdlg::SaveAsClicked() {
  const std::string path = Dialogs().JpegSavePath(this, Memory().saveFolder);
  if (!path.empty() && SaveJpeg(path)) Memory().saveFolder = QFileInfo(QString::fromStdString(path)).absolutePath();
}

EngineDialogs& TFXdlg::Dialogs() const { return dialogs_ ? *dialogs_ : DialogsFor(parentWidget()); }

void TFXdlg::done(int r) {
  pending_.stop();
  Memory().placed = true;
  Memory().position = pos();
  if (jpeg_) Memory().jpeg = JpegSettings();
  QDialog::done(r);
}

void TFXdlg::RunJpegWizard(QWidget* parent, const Dib& picture, bool saveAs, EngineDialogs* dialogs) {
  TFilterDlgParam r;
  r.kind = saveAs ? kJpegSaveKind : kJpegPreviewKind;
  r.slider[0] = {0, 100, 0, 10, 1};
  QtFilterRequester ask(parent, [&picture]() -> const Dib& { return picture; }, dialogs);
  ask.RunFilterDialog("JPEG Compression", "0 (none)", "100 (smooth)", r);
}

void TFXdlg::RunJpegWizard(QWidget* parent, const Dib& picture, TJpegWizardRecord& record,
                           const SettingsStore& store, bool saveAs, EngineDialogs* dialogs) {
  TJpegWizardSettings& settings = record.Get(store);
  Memory().jpeg = settings;
  RunJpegWizard(parent, picture, saveAs, dialogs);
  settings = Memory().jpeg;
}

TJpegWizardRecord& ProgramJpegWizardRecord() {
  static TJpegWizardRecord record;
  return record;
}

void TFXdlg::SetJpegSettings(const TJpegWizardSettings& s) { Memory().jpeg = s; }
TJpegWizardSettings TFXdlg::StoredJpegSettings() { return Memory().jpeg; }
void TFXdlg::SetSaveFolder(const std::string& folder) { Memory().saveFolder = QString::fromStdString(folder); }
std::optional<ColorValue> TFXdlg::PickedColor() { return Memory().picked; }

FilterAnswer QtFilterRequester::RunFilterDialog(const std::string& title, const std::string& minLabel,
                                                const std::string& maxLabel, const TFilterDlgParam& request) {
  static const Dib none;
  const Dib& picture = picture_ ? picture_() : none;
  TFilterDlgParam r = request;
  if (autoTest_) r.autoTest = *autoTest_ != 0;
  TFXdlg dialog(QString::fromStdString(title), QString::fromStdString(minLabel), QString::fromStdString(maxLabel), r,
                picture, parent_);
  if (autoTest_) dialog.onAutoTest = [option = autoTest_](bool on) { *option = on ? 1 : 0; };
  EngineDialogs& dialogs = dialogs_ ? *dialogs_ : DialogsFor(parent_);
  dialog.SetDialogs(&dialogs);
  dialogs.RunFilterDialog(dialog);
  FilterAnswer a;
  a.result = dialog.Result();
  if (!a.Cancelled() || dialog.JpegMode()) a.values = dialog.Values();
  return a;
}

}  // namespace pelira
