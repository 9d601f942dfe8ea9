#include "slideshow/instant_show.h"

#include <algorithm>

#include "album/avl_script.h"
#include "platform/help.h"
#include "platform/ui.h"
#include "viewer/slide_image.h"

namespace pelira {

namespace {

Surface Crop(const Surface& s, const TRect& r) {
  Surface out(r.Width(), r.Height());
  for (int y = 0; y < out.height; ++y)
    std::copy_n(s.Row(r.top + y) + r.left, out.width, out.Row(y));
  return out;
}

void Fill(Surface& s, std::uint32_t argb) { std::fill(s.pixels.begin(), s.pixels.end(), argb); }

// A pause that keeps the show responsive without ending a wait the user skipped ahead to.
void Pause(std::int64_t ms, ShowClock& clock, ShowPump& pump, RequestFlags& flags) {
  const std::int64_t deadline = clock.NowMs() + ms;
  while (!flags.StopRequest && clock.NowMs() < deadline) pump.PumpUntil(deadline, true);
}

}  // namespace

bool MayStartInstantShow(const ShowSequence& sequencer, Ui& ui, RequestFlags& flags) {
  if (flags.CriticalProcess) {
    ui.Message(MessageKind::Warning, kCriticalProcessText, Button::OK);
    return false;
  }
  if (sequencer.Bad()) {
    ui.Message(MessageKind::Error, kBadAvlText, Button::OK);
    return false;
  }
  if (sequencer.TooFewSlides()) {
    if (ui.Message(MessageKind::Information, kTooFewSlidesText, Button::Yes | Button::No) == Button::Yes)
      Help::Show(kTooFewSlidesHelpContext);
    return false;
  }
  return true;
}

std::string RunInstantShow(ShowSequence& sequencer, ShowHost& host, const InstantShowSettings& settings,
                           RandomSource& random, ShowClock& clock, ShowPump& pump, RequestFlags& flags, Ui& ui,
                           Surface& window) {
  const int cw = std::max(1, settings.width), ch = std::max(1, settings.height);
  const std::uint32_t bg = 0xFF000000u | (settings.background & 0xFFFFFFu);
  window = Surface(cw, ch, bg);
  const TRect whole{0, 0, cw, ch};
  host.Present(window, whole);
  flags.StopRequest = false;
  int previousW = 0, previousH = 0;
  bool textShown = false;
  std::string report, error;
  while (!flags.StopRequest) {
    const ShowStep step = sequencer.Next(random);
    if (step.action == ShowAction::Stop) {
      report = step.report;
      error = step.error;
      break;
    }
    if (step.action == ShowAction::Wait) {
      WaitWithMessages(step.waitMs, clock, pump, flags);
      continue;
    }
    if (textShown) {
      host.HideText();
      textShown = false;
    }
    host.SetCaption(step.caption);
    const SlideProps& props = step.props;
    // A script slide's own background: 0x00BBGGRR as written.
    const std::uint32_t slideBg =
        props.background >= 0 ? 0xFF000000u | RgbFromPlatform(static_cast<std::uint32_t>(props.background)) : bg;
    if (props.background >= 0 && step.action != ShowAction::ShowText) {
      Fill(window, slideBg);
      host.Present(window, whole);
      Pause(kShowPauseMs, clock, pump, flags);
      if (flags.StopRequest) break;
    }
    switch (step.action) {
      case ShowAction::PlayMedia:
        if (!host.PlayMedia(step.path)) sequencer.SlideFailed();
        continue;
      case ShowAction::PlaySound:
        WaitWithMessages(kShowPauseMs, clock, pump, flags);
        if (!host.PlaySound(step.path)) flags.StopRequest = true;
        continue;
      case ShowAction::PlayCd:
        if (!host.PlayCd(step.track)) flags.StopRequest = true;
        continue;
      case ShowAction::ShowText:
        host.ShowText(step.path, TextPanelRect(props, settings.textPosition, cw, ch), slideBg & 0xFFFFFFu);
        textShown = true;
        continue;
      default:
        break;
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
    PlacedPicture placed;
    try {
      if (!props.script && settings.screenGamma != 100 && settings.screenGamma > 0)
        SlideGamma(*loaded, settings.screenGamma);
      placed = props.script ? PlaceScriptPicture(std::move(*loaded), props, cw, ch, slideBg & 0xFFFFFFu)
                            : PlacePicture(*loaded, cw, ch);
    } catch (const std::exception&) {
      placed = PlacedPicture{};
    }
    const int w = placed.rect.Width(), h = placed.rect.Height();
    if (w <= 0 || h <= 0) {
      sequencer.SlideFailed();
      continue;
    }
    // A smaller picture than the last one would leave the old one's edges around it (a
    // script clears only through its own background).
    if (!props.script && previousW > 0 && (w < previousW || h < previousH)) {
      Fill(window, bg);
      host.Present(window, whole);
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
    if (!props.comment.empty() && !flags.StopRequest) {
      const TRect strip = CommentStripRect(settings.textPosition, cw, ch);
      host.DrawComment(window, strip, props.comment);
      host.Present(window, strip);
    }
  }
  if (textShown) host.HideText();
  if (!error.empty()) ui.Message(MessageKind::Error, error, Button::OK);
  if (!report.empty()) ui.Message(MessageKind::Warning, MissingSlideWarning(report), Button::OK);
  return report;
}

}  // namespace pelira
