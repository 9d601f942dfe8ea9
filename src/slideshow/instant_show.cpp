#include "slideshow/instant_show.h"

#include <algorithm>

#include "platform/help.h"
#include "platform/ui.h"

namespace pelira {

namespace {

Surface Crop(const Surface& s, const TRect& r) {
  Surface out(r.Width(), r.Height());
  for (int y = 0; y < out.height; ++y)
    std::copy_n(s.Row(r.top + y) + r.left, out.width, out.Row(y));
  return out;
}

}  // namespace

bool MayStartInstantShow(const SlideshowSequencer& sequencer, Ui& ui, RequestFlags& flags) {
  if (flags.CriticalProcess) {
    ui.Message(MessageKind::Warning, kCriticalProcessText, Button::OK);
    return false;
  }
  if (sequencer.TooFewSlides()) {
    if (ui.Message(MessageKind::Information, kTooFewSlidesText, Button::Yes | Button::No) == Button::Yes)
      Help::Show(kTooFewSlidesHelpContext);
    return false;
  }
  return true;
}

std::string RunInstantShow(SlideshowSequencer& sequencer, ShowHost& host, const InstantShowSettings& settings,
                           RandomSource& random, ShowClock& clock, ShowPump& pump, RequestFlags& flags, Ui& ui,
                           Surface& window) {
  const int cw = std::max(1, settings.width), ch = std::max(1, settings.height);
  const std::uint32_t bg = 0xFF000000u | (settings.background & 0xFFFFFFu);
  window = Surface(cw, ch, bg);
  host.Present(window, TRect{0, 0, cw, ch});
  flags.StopRequest = false;
  int previousW = 0, previousH = 0;
  std::string report;
  while (!flags.StopRequest) {
    const ShowStep step = sequencer.Next(random);
    if (step.action == ShowAction::Stop) {
      report = step.report;
      break;
    }
    if (step.action == ShowAction::Wait) {
      WaitWithMessages(step.waitMs, clock, pump, flags);
      continue;
    }
    host.SetCaption(step.caption);
    if (step.action == ShowAction::PlayMedia) {
      if (!host.PlayMedia(step.path)) sequencer.SlideFailed();
      continue;
    }
    std::optional<Dib> loaded;
    try {
      loaded = host.LoadPicture(step.path);
    } catch (const std::exception&) {
      loaded.reset();
    }
    if (!loaded || loaded->Empty()) {
      sequencer.SlideFailed();
      continue;
    }
    const PlacedPicture placed = PlacePicture(*loaded, cw, ch);
    const int w = placed.rect.Width(), h = placed.rect.Height();
    if (w <= 0 || h <= 0) {
      sequencer.SlideFailed();
      continue;
    }
    // A smaller picture than the last one would leave the old one's edges around it.
    if (previousW > 0 && (w < previousW || h < previousH)) {
      std::fill(window.pixels.begin(), window.pixels.end(), bg);
      host.Present(window, TRect{0, 0, cw, ch});
    }
    previousW = w;
    previousH = h;
    const Surface before = Crop(window, placed.rect);
    const TransitionEffect fx = sequencer.EffectFor(step.effectEntry, w, h, settings.speed, cw, random);
    const TransitionPlan plan(placed.picture, fx);
    Surface frame;
    PlayTransition(plan.FrameCount(), fx.kind == 0 ? 0 : TransitionDurationMs(fx.speed), fx.byte4 != 255,
                   [&](int k) {
                     plan.Render(before, placed.picture, k, frame);
                     DrawSurface(frame, window, placed.rect.left, placed.rect.top);
                     host.Present(window, placed.rect);
                   },
                   clock, pump, flags);
  }
  if (!report.empty()) ui.Message(MessageKind::Warning, MissingSlideWarning(report), Button::OK);
  return report;
}

}  // namespace pelira
