#include "platform/qt/status_form.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "common/request_flags.h"

namespace pelira {

// One line on the button face, vertically centred; a long path loses its middle to "…".
class TStatusForm::StatusLineLabel : public QLabel {
public:
  explicit StatusLineLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setIndent(4);
    setMinimumHeight(fontMetrics().height() * 2);
    // The elided text never asks for more room than the box has.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  }

  void SetFullText(const QString& text) {
    full_ = text;
    full_.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Elide();
  }
  const QString& FullText() const { return full_; }

protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    Elide();
  }

private:
  void Elide() {
    const int room = contentsRect().width() - 2 * indent();
    setText(fontMetrics().elidedText(full_, Qt::ElideMiddle, qMax(room, 0)));
  }
  QString full_;
};

TStatusForm::TStatusForm(const QString& title, QWidget* placeNear) : QDialog(nullptr), placeNear_(placeNear) {
  setWindowTitle(title);
  setModal(false);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  status_ = new StatusLineLabel(this);
  status_->SetFullText(QString::fromUtf8(kProgressInitialStatus));

  auto* grid = new QGridLayout;
  for (ProgressBar bar : {ProgressBar::Thumbs, ProgressBar::Folders}) {
    const int i = Index(bar);
    labels_[i] = new QLabel(QString::fromUtf8(DefaultBarLabel(bar)), this);
    bars_[i] = new QProgressBar(this);
    bars_[i]->setRange(0, 1);
    bars_[i]->setValue(0);
    grid->addWidget(labels_[i], i, 0);
    grid->addWidget(bars_[i], i, 1);
  }
  grid->setColumnStretch(1, 1);

  cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel_->setAutoDefault(false);
  connect(cancel_, &QPushButton::clicked, this, &TStatusForm::CancelClicked);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addLayout(grid);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  setFixedSize(QSize(400, sizeHint().height()));
}

TStatusForm::~TStatusForm() { Close(); }

void TStatusForm::Open() {
  if (open_) return;
  open_ = true;
  Flags().CriticalProcess = true;
  create();
  if (placeNear_ && placeNear_->window()->windowHandle()) {
    windowHandle()->setTransientParent(placeNear_->window()->windowHandle());
  }
  const QRect around = placeNear_ ? placeNear_->window()->frameGeometry()
                                  : (screen() ? screen()->availableGeometry() : QRect());
  if (around.isValid()) move(around.center() - rect().center());
  show();
  raise();
}

void TStatusForm::Close() {
  if (busyCursor_) {
    QApplication::restoreOverrideCursor();
    busyCursor_ = false;
  }
  if (!open_) return;
  open_ = false;
  hide();
  Flags().CriticalProcess = false;
}

void TStatusForm::Pump() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TStatusForm::SetStatus(const std::string& text) {
  status_->SetFullText(QString::fromStdString(text));
  RepaintStatus();
}

void TStatusForm::SetBarLabel(ProgressBar bar, const std::string& text) {
  labels_[Index(bar)]->setText(QString::fromStdString(text));
  labels_[Index(bar)]->repaint();
  RepaintStatus();
}

void TStatusForm::SetBar(ProgressBar bar, std::int64_t position, std::int64_t max) {
  const BarRange r = ScaleForBar(position, max);
  QProgressBar* b = bars_[Index(bar)];
  // A range of 0..0 would turn the bar into a busy indicator.
  b->setRange(0, r.maximum > 0 ? r.maximum : 1);
  b->setValue(r.value);
}

QString TStatusForm::StatusText() const { return status_->FullText(); }

QLabel* TStatusForm::StatusLine() const { return status_; }

void TStatusForm::reject() { Flags().AbortRequest = true; }

void TStatusForm::CancelClicked() {
  Flags().AbortRequest = true;
  if (!busyCursor_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busyCursor_ = true;
  }
}

void TStatusForm::RepaintStatus() {
  // Operations update between steps without pumping: paint now, not at the next event loop.
  if (status_->isVisible()) status_->repaint();
}

}  // namespace pelira
