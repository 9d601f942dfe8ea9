#pragma once
// TSlideshowPlayer: the window a slideshow plays in, full screen on the real screen. It is
// the show's host (it loads the pictures, puts the frames on the screen, shows text slides
// and comments) and turns keys, clicks and window changes into the request flags: Esc and a
// left or middle click stop the show, a right click ends the current wait; minimising,
// closing and a display change stop it too.
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

#include "common/request_flags.h"
#include "slideshow/instant_show.h"

class QTextBrowser;

namespace pelira {

class TImageLoader;
class Ui;
class RandomSource;
class ShowClock;
class ShowPump;

inline constexpr const char* kDisplayChangedText = "Display has changed.\nPelira 7.7 should be closed and restarted.";
inline constexpr const char* kCdUnavailableText = "CD Audio device unavailable.";
inline constexpr const char* kSoundUnavailableText = "\nSound playback is not available in this version.";

struct PlayerOptions {
  std::uint32_t background = 0;  // 0x00RRGGBB
  int speed = 1;
  int textPosition = 0;
  bool fullScreen = true;  // otherwise the window keeps its size (tests of a small window)
  int screenGamma = 100;
};

class TSlideshowPlayer : public QWidget, public ShowHost {
  Q_OBJECT
public:
  explicit TSlideshowPlayer(QWidget* owner = nullptr, RequestFlags& flags = Flags());
  ~TSlideshowPlayer() override;

  // Refusals first (a critical process, a bad script, too few slides); then plays until
  // stopped and hides again. Script shows hold "AVL running" while they play and warn when
  // another copy holds it. Returns the missing-file report ("" when stopped or refused).
  std::string Play(ShowSequence& sequence, const PlayerOptions& options, RandomSource& random, ShowClock& clock,
                   ShowPump& pump, Ui& ui);
  bool Playing() const { return playing_; }
  // The last Play got past its refusals.
  bool Started() const { return started_; }
  // What the window shows: the last presented surface.
  const QImage& Shown() const { return image_; }
  QTextBrowser* TextPanel() const { return text_; }
  // The display changed during the last show.
  bool DisplayChanged() const { return displayChanged_; }
  // The screen the show plays on now has this size and depth: a change from the start stops
  // the show (and its wait), and the warning follows it.
  void ScreenChanged(QSize size, int depth);

  // ShowHost
  std::optional<Dib> LoadPicture(const std::string& path) override;
  bool PlayMedia(const std::string& path) override;
  void SetCaption(const std::string& caption) override;
  void Present(const Surface& surface, const TRect& dirty) override;
  bool PlaySound(const std::string& path) override;
  bool PlayCd(int track) override;
  void ShowText(const std::string& path, const TRect& panel, std::uint32_t background) override;
  void HideText() override;
  void DrawComment(Surface& surface, const TRect& strip, const std::string& text) override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QSize DeviceSize() const;

  RequestFlags& flags_;
  Ui* ui_ = nullptr;
  std::unique_ptr<TImageLoader> loader_;
  QImage image_;
  QTextBrowser* text_ = nullptr;
  bool playing_ = false;
  bool started_ = false;
  bool displayChanged_ = false;
  QSize startSize_;
  int startDepth_ = 0;
};

}  // namespace pelira
