#include "slideshow/forms/slideshow_player.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWindow>

#include <filesystem>

#include "image/image_loader.h"
#include "image/rich_text.h"
#include "platform/qt/qt_page_renderers.h"
#include "platform/qt/script_show_lock.h"
#include "platform/ui.h"
#include "slideshow/script_sequencer.h"
#include "slideshow/show_timing.h"

namespace pelira {

namespace {

QColor FromRgb(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// X11 makes a window full screen after the request returns: the show reads the client size
// once the window has it, or after this long.
constexpr std::int64_t kFullScreenSettleMs = 500;

}  // namespace

TSlideshowPlayer::TSlideshowPlayer(QWidget* owner, RequestFlags& flags)
    : QWidget(owner, Qt::Window), flags_(flags), loader_(std::make_unique<TImageLoader>()) {
  setObjectName("SlideshowPlayer");
  setWindowTitle("Slideshow");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAcceptDrops(false);
  setFocusPolicy(Qt::StrongFocus);
  text_ = new QTextBrowser(this);
  text_->setObjectName("SlideText");
  text_->hide();
  text_->setFrameShape(QFrame::NoFrame);
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::NoTextInteraction);
  text_->setFocusPolicy(Qt::NoFocus);
  text_->setContextMenuPolicy(Qt::NoContextMenu);
  // Clicks on the text panel act as clicks on the show.
  text_->viewport()->installEventFilter(this);
}

TSlideshowPlayer::~TSlideshowPlayer() = default;

QSize TSlideshowPlayer::DeviceSize() const {
  const qreal dpr = devicePixelRatioF();
  return QSize(qRound(width() * dpr), qRound(height() * dpr));
}

std::string TSlideshowPlayer::Play(ShowSequence& sequence, const PlayerOptions& options, RandomSource& random,
                                   ShowClock& clock, ShowPump& pump, Ui& ui) {
  if (playing_) return {};
  started_ = false;
  if (!MayStartInstantShow(sequence, ui, flags_)) return {};
  started_ = true;
  setWindowTitle("Slideshow");
  ui_ = &ui;
  std::optional<ScriptShowLock> lock;
  if (sequence.ScriptMode()) {
    if (OtherCopyPlaysScript()) ui.Message(MessageKind::Warning, kAvlRunningText, Button::OK);
    lock.emplace();
  }
  playing_ = true;
  displayChanged_ = false;
  flags_.StopRequest = false;
  flags_.SkipRequest = false;

  if (options.fullScreen) {
    // Without a window manager the full-screen request alone changes nothing: the window is
    // also given the whole screen.
    QWidget* owner = parentWidget();
    if (QScreen* s = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen())
      setGeometry(s->geometry());
    showFullScreen();
  } else {
    show();
  }
  raise();
  activateWindow();
  setFocus();
  if (options.fullScreen) {
    const std::int64_t until = clock.NowMs() + kFullScreenSettleMs;
    while (clock.NowMs() < until && screen() && size() != screen()->geometry().size())
      pump.PumpUntil(std::min(until, clock.NowMs() + 20), false);
  }
  QScreen* shownOn = screen();
  if (shownOn) {
    startSize_ = shownOn->size();
    startDepth_ = shownOn->depth();
  }
  QMetaObject::Connection screenGeometry, screenRemoved, appState;
  if (shownOn) {
    screenGeometry = connect(shownOn, &QScreen::geometryChanged, this,
                             [this, shownOn] { ScreenChanged(shownOn->size(), shownOn->depth()); });
    screenRemoved = connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this, shownOn](QScreen* s) {
      if (s == shownOn) ScreenChanged(QSize(), 0);
    });
  }
  // The whole program minimised or hidden.
  appState = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationHidden) flags_.StopRequest = true;
  });

  const QSize device = DeviceSize();
  image_ = QImage(device, QImage::Format_RGB32);
  image_.setDevicePixelRatio(devicePixelRatioF());
  image_.fill(FromRgb(options.background));

  InstantShowSettings settings;
  settings.width = device.width();
  settings.height = device.height();
  settings.background = options.background;
  settings.speed = options.speed;
  settings.textPosition = options.textPosition;
  settings.screenGamma = options.screenGamma;
  Surface window;
  std::string report;
  try {
    report = RunInstantShow(sequence, *this, settings, random, clock, pump, flags_, ui, window);
  } catch (...) {
    // Whatever went wrong, the window must not stay over the desktop.
    disconnect(screenGeometry);
    disconnect(screenRemoved);
    disconnect(appState);
    HideText();
    playing_ = false;
    hide();
    ui_ = nullptr;
    throw;
  }
  disconnect(screenGeometry);
  disconnect(screenRemoved);
  disconnect(appState);
  HideText();
  playing_ = false;
  if (isFullScreen()) showNormal();
  hide();
  if (displayChanged_) ui.Message(MessageKind::Warning, kDisplayChangedText, Button::OK);
  ui_ = nullptr;
  return report;
}

void TSlideshowPlayer::ScreenChanged(QSize size, int depth) {
  if (!playing_ || (size == startSize_ && depth == startDepth_)) return;
  displayChanged_ = true;
  flags_.StopRequest = true;
  flags_.SkipRequest = true;
}

std::optional<Dib> TSlideshowPlayer::LoadPicture(const std::string& path) {
  std::error_code ec;
  // A FIFO named like a picture would block the show.
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  LoadSettings& s = loader_->settings;
  s.slideshow = true;
  s.fitToWindow = true;
  s.pcdStep = 3;
  s.windowWidth = std::max(1, image_.width());
  s.windowHeight = std::max(1, image_.height());
  if (const QScreen* sc = screen()) {
    s.screenWidth = sc->size().width();
    s.screenHeight = sc->size().height();
  }
  const OpenOutcome o = loader_->Open(path);
  if (o != OpenOutcome::Image && o != OpenOutcome::Metafile) return std::nullopt;
  if (loader_->workingBitmap.Empty()) return std::nullopt;
  return std::move(loader_->workingBitmap);
}

bool TSlideshowPlayer::PlayMedia(const std::string&) {
  // No media playback yet: the slide counts as unsupported and the show reports it.
  return false;
}

bool TSlideshowPlayer::PlaySound(const std::string& path) {
  if (ui_)
    ui_->Message(MessageKind::Warning,
                 std::filesystem::path(path).filename().string() + kSoundUnavailableText, Button::OK);
  return false;
}

bool TSlideshowPlayer::PlayCd(int) {
  if (ui_) ui_->Message(MessageKind::Error, kCdUnavailableText, Button::OK);
  return false;
}

void TSlideshowPlayer::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void TSlideshowPlayer::Present(const Surface& surface, const TRect& dirty) {
  if (image_.width() != surface.width || image_.height() != surface.height) {
    image_ = QImage(surface.width, surface.height, QImage::Format_RGB32);
    image_.setDevicePixelRatio(devicePixelRatioF());
  }
  const int left = std::clamp(dirty.left, 0, surface.width), right = std::clamp(dirty.right, 0, surface.width);
  const int top = std::clamp(dirty.top, 0, surface.height), bottom = std::clamp(dirty.bottom, 0, surface.height);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y)
    std::copy(surface.Row(y) + left, surface.Row(y) + right,
              reinterpret_cast<std::uint32_t*>(image_.scanLine(y)) + left);
  const qreal dpr = image_.devicePixelRatio();
  const QRect logical(QPoint(qFloor(left / dpr), qFloor(top / dpr)), QPoint(qCeil(right / dpr), qCeil(bottom / dpr)));
  if (isVisible()) repaint(logical);
}

void TSlideshowPlayer::ShowText(const std::string& path, const TRect& panel, std::uint32_t background) {
  QPalette pal = text_->palette();
  pal.setColor(QPalette::Base, FromRgb(background));
  text_->setPalette(pal);
  text_->viewport()->setAutoFillBackground(true);
  QFile f(QString::fromStdString(path));
  std::string bytes;
  if (f.open(QIODevice::ReadOnly)) bytes = f.read(static_cast<qint64>(kMaxTextBytes)).toStdString();
  const qreal dpr = devicePixelRatioF();
  const QRect r(QPoint(qRound(panel.left / dpr), qRound(panel.top / dpr)),
                QSize(qRound(panel.Width() / dpr), qRound(panel.Height() / dpr)));
  text_->setGeometry(r);
  try {
    BuildTextDocument(ReadTextPage(bytes), *text_->document(), r.width());
  } catch (const std::exception&) {
    text_->clear();  // a file the reader refuses shows an empty panel
  }
  text_->show();
}

void TSlideshowPlayer::HideText() {
  text_->hide();
  text_->clear();
}

void TSlideshowPlayer::DrawComment(Surface& surface, const TRect& strip, const std::string& text) {
  if (surface.pixels.empty() || strip.Width() <= 0 || strip.Height() <= 0) return;
  QImage target(reinterpret_cast<uchar*>(surface.pixels.data()), surface.width, surface.height,
                surface.width * 4, QImage::Format_RGB32);
  QPainter p(&target);
  const QRect r(strip.left, strip.top, strip.Width(), strip.Height());
  p.fillRect(r, palette().color(QPalette::Base));
  QFont font = p.font();
  font.setPixelSize(std::max(8, qRound(14 * devicePixelRatioF())));
  p.setFont(font);
  p.setPen(palette().color(QPalette::Text));
  p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(text));
}

void TSlideshowPlayer::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (image_.isNull()) {
    p.fillRect(event->rect(), Qt::black);
    return;
  }
  p.drawImage(QPoint(0, 0), image_);
  const QSize shown = image_.deviceIndependentSize().toSize();
  if (shown.width() < width()) p.fillRect(QRect(shown.width(), 0, width() - shown.width(), height()), Qt::black);
  if (shown.height() < height()) p.fillRect(QRect(0, shown.height(), width(), height() - shown.height()), Qt::black);
}

void TSlideshowPlayer::keyPressEvent(QKeyEvent* event) {
  // Other keys do nothing while a show plays.
  if (event->key() == Qt::Key_Escape) flags_.StopRequest = true;
  event->accept();
}

void TSlideshowPlayer::mousePressEvent(QMouseEvent* event) { event->accept(); }

void TSlideshowPlayer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    flags_.SkipRequest = true;
  } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    flags_.StopRequest = true;
    flags_.AbortRequest = true;
  }
  event->accept();
}

// No pop-up menu in a show: its modal loop would swallow the right-click skips.
void TSlideshowPlayer::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

bool TSlideshowPlayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonRelease:
        mouseReleaseEvent(static_cast<QMouseEvent*>(event));
        return true;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::ContextMenu:
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TSlideshowPlayer::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !playing_) return;
  if (windowState() & Qt::WindowMinimized) {
    // Minimised by the user or the system: the window comes back and the show stops.
    flags_.StopRequest = true;
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
}

void TSlideshowPlayer::closeEvent(QCloseEvent* event) {
  if (playing_) {
    // Closing the window stops the show; the window goes when the show has ended.
    flags_.StopRequest = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace pelira
