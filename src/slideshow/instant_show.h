#pragma once
// The instant slideshow run headless: the sequencer's actions carried out on a window
// surface through a host (the player window, or a fake in tests). The host loads pictures,
// plays media and puts the surface on the screen; everything else happens here.
#include <cstdint>
#include <optional>
#include <string>

#include "common/request_flags.h"
#include "image/dib.h"
#include "image/dib_graphic.h"
#include "slideshow/show_timing.h"
#include "slideshow/slide_layout.h"
#include "slideshow/slideshow_sequencer.h"
#include "slideshow/transition_frame.h"

namespace pelira {

class Ui;

class ShowHost {
public:
  virtual ~ShowHost() = default;
  // The picture of a slide as loaded for the show; nullopt when it cannot be loaded.
  virtual std::optional<Dib> LoadPicture(const std::string& path) = 0;
  // Plays an audio or video file to its end or until StopRequest; false when it cannot be played.
  virtual bool PlayMedia(const std::string& path) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The window now shows surface; only dirty changed since the last call.
  virtual void Present(const Surface& surface, const TRect& dirty) = 0;
  // A sound slide started in the background; false (after the device's own message) stops the show.
  virtual bool PlaySound(const std::string& path) { (void)path; return false; }
  // A CD track slide; false (after the device's own message) stops the show.
  virtual bool PlayCd(int track) { (void)track; return false; }
  // A text slide's panel over the window (background 0x00RRGGBB); HideText removes it.
  virtual void ShowText(const std::string& path, const TRect& panel, std::uint32_t background) {
    (void)path, (void)panel, (void)background;
  }
  virtual void HideText() {}
  // The comment strip drawn into surface (the caller presents it).
  virtual void DrawComment(Surface& surface, const TRect& strip, const std::string& text) {
    (void)surface, (void)strip, (void)text;
  }
};

struct InstantShowSettings {
  int width = 800, height = 600;   // the window's client size
  std::uint32_t background = 0;    // 0x00RRGGBB
  int speed = 1;                   // Options "Effects &speed"
  int textPosition = 0;            // Options "Te&xt position": 0 Auto, 1 Top, 2 Bottom
  int screenGamma = 100;           // View › Gamma, x 100: instant slides (script slides bring G)
};

// The pause after a slide background fills the window, and before a sound slide.
inline constexpr std::int64_t kShowPauseMs = 333;

// Refusals before anything changes: a critical process (its warning), a bad script ("Bad
// AVL file."), fewer than two slides (the question; Yes opens help 110). True when the show
// may start.
bool MayStartInstantShow(const ShowSequence& sequencer, Ui& ui, RequestFlags& flags);

// Plays until StopRequest or a slide fails; the window surface is kept in `window` (the
// background at the start). Returns the missing-file report, "" when the show was stopped;
// the warning with the report is shown through ui.
// Script slides bring their properties (background, size, gamma, rotation, position,
// comment, text, sound and CD slides); a script error ends the show with its error box.
std::string RunInstantShow(ShowSequence& sequencer, ShowHost& host, const InstantShowSettings& settings,
                           RandomSource& random, ShowClock& clock, ShowPump& pump, RequestFlags& flags, Ui& ui,
                           Surface& window);

}  // namespace pelira
