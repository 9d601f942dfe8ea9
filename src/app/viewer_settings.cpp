#include "app/viewer_settings.h"


namespace pelira {

namespace {

std::int32_t Get32(std::span<const std::uint8_t> r, std::size_t at) {
  const std::uint32_t v = static_cast<std::uint32_t>(r[at]) | (static_cast<std::uint32_t>(r[at + 1]) << 8) |
                          (static_cast<std::uint32_t>(r[at + 2]) << 16) |
                          (static_cast<std::uint32_t>(r[at + 3]) << 24);
  return static_cast<std::int32_t>(v);
}

void Put32(std::uint8_t* out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
  out[at + 2] = static_cast<std::uint8_t>(v >> 16);
  out[at + 3] = static_cast<std::uint8_t>(v >> 24);
}

BoundsRect GetRect(std::span<const std::uint8_t> r, std::size_t at) {
  return {Get32(r, at), Get32(r, at + 4), Get32(r, at + 8), Get32(r, at + 12)};
}

void PutRect(std::uint8_t* out, std::size_t at, const BoundsRect& b) {
  Put32(out, at, static_cast<std::uint32_t>(b.left));
  Put32(out, at + 4, static_cast<std::uint32_t>(b.top));
  Put32(out, at + 8, static_cast<std::uint32_t>(b.right));
  Put32(out, at + 12, static_cast<std::uint32_t>(b.bottom));
}

bool InRange(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

}  // namespace

ViewerSettings DefaultViewerSettings(int screenWidth) {
  ViewerSettings s;
  s.buttonText = screenWidth != 800;
  return s;
}

std::optional<ViewerSettings> DecodeViewerSettings(std::span<const std::uint8_t> r) {
  if (r.size() != kViewerSettingsSize) return std::nullopt;
  ViewerSettings s;
  auto flag = [&](std::size_t at) { return r[at] != 0; };
  s.batchEditorBounds = GetRect(r, 0);
  s.jpegCommentBounds = GetRect(r, 16);
  s.windowBounds = GetRect(r, 32);
  s.menuBar = flag(48);
  s.toolBar = flag(49);
  s.statusBar = flag(50);
  s.buttonText = flag(51);
  s.fitMode = flag(52);
  s.autoReduce = flag(53);
  s.maxFullScreen = flag(54);
  s.faxQuality = Get32(r, 56);
  s.backgroundColor = static_cast<std::uint32_t>(Get32(r, 64));
  s.logVisitedFolders = Get32(r, 68);
  s.autoSize = flag(72);
  s.autoCenter = flag(73);
  s.effectsSpeed = Get32(r, 76);
  s.slideshowDelay = Get32(r, 84);
  s.mediaStatusLine = flag(88);
  s.mediaTrackBar = flag(89);
  s.mediaPlayerControls = flag(90);
  s.mediaMaxFullScreen = flag(91);
  s.mediaAutoPlayLoop = flag(92);
  s.mediaStatusLineHeight = Get32(r, 96);
  s.mediaTrackBarHeight = Get32(r, 100);
  s.mediaControlsHeight = Get32(r, 104);
  s.mediaVolume = Get32(r, 108);
  s.autoSizeVideo = flag(112);
  s.alwaysFullScreen = flag(113);
  s.wheelButton = Get32(r, 116);
  s.textPosition = Get32(r, 120);
  s.useScreen = flag(124);
  s.avlJukebox = flag(125);
  s.pathBox = flag(126);
  s.upsampledFit = flag(127);
  s.photoCdStep = Get32(r, 128);
  s.reserved132 = static_cast<std::uint32_t>(Get32(r, 132));
  s.autoTestFilters = Get32(r, 136);
  s.wheelNavigation = Get32(r, 140);
  s.fastRefresh = flag(144);
  s.mergeToolbar = flag(145);
  s.maxFullScreenWithMenus = flag(146);
  return s;
}

ViewerSettings ApplyReadRules(ViewerSettings s) {
  const ViewerSettings d;
  // The rules the record has always had.
  if (s.faxQuality < 0) s.faxQuality = 0;
  if (s.faxQuality > 3) s.faxQuality = 3;
  if (!InRange(s.logVisitedFolders, 0, 1)) s.logVisitedFolders = 1;
  if (s.slideshowDelay > 60000) s.slideshowDelay = 1000;
  if (!InRange(s.wheelButton, 0, 2)) s.wheelButton = 0;
  if (!InRange(s.wheelNavigation, 0, 1)) s.wheelNavigation = 0;
  // The record is outside data: numbers that index tables or size windows are kept in the
  // ranges the program works with.
  if (s.slideshowDelay < 0) s.slideshowDelay = 1000;
  if (!InRange(s.effectsSpeed, 0, 3)) s.effectsSpeed = d.effectsSpeed;
  if (!InRange(s.textPosition, 0, 2)) s.textPosition = d.textPosition;
  if (!InRange(s.photoCdStep, 0, 6)) s.photoCdStep = d.photoCdStep;
  if (!InRange(s.autoTestFilters, 0, 1)) s.autoTestFilters = d.autoTestFilters;
  if (s.mediaVolume < 0) s.mediaVolume = 0;
  if (s.mediaVolume > 1000) s.mediaVolume = 1000;
  for (std::int32_t* height : {&s.mediaStatusLineHeight, &s.mediaTrackBarHeight, &s.mediaControlsHeight}) {
    if (!InRange(*height, 0, 4096)) *height = 0;
  }
  s.backgroundColor &= 0x00FFFFFFu;
  return s;
}

ViewerSettings ReadViewerSettings(const std::optional<std::vector<std::uint8_t>>& record,
                                  int screenWidth) {
  if (!record) return DefaultViewerSettings(screenWidth);
  const std::optional<ViewerSettings> decoded = DecodeViewerSettings(*record);
  if (!decoded) return DefaultViewerSettings(screenWidth);
  return ApplyReadRules(*decoded);
}

std::array<std::uint8_t, kViewerSettingsSize> EncodeViewerSettings(const ViewerSettings& s) {
  std::array<std::uint8_t, kViewerSettingsSize> out{};
  std::uint8_t* o = out.data();
  auto flag = [&](std::size_t at, bool v) { o[at] = v ? 1 : 0; };
  PutRect(o, 0, s.batchEditorBounds);
  PutRect(o, 16, s.jpegCommentBounds);
  PutRect(o, 32, s.windowBounds);
  flag(48, s.menuBar);
  flag(49, s.toolBar);
  flag(50, s.statusBar);
  flag(51, s.buttonText);
  flag(52, s.fitMode);
  flag(53, s.autoReduce);
  flag(54, s.maxFullScreen);
  Put32(o, 56, static_cast<std::uint32_t>(s.faxQuality));
  Put32(o, 64, s.backgroundColor);
  Put32(o, 68, static_cast<std::uint32_t>(s.logVisitedFolders));
  flag(72, s.autoSize);
  flag(73, s.autoCenter);
  Put32(o, 76, static_cast<std::uint32_t>(s.effectsSpeed));
  Put32(o, 84, static_cast<std::uint32_t>(s.slideshowDelay > 4000 ? 500 : s.slideshowDelay));
  flag(88, s.mediaStatusLine);
  flag(89, s.mediaTrackBar);
  flag(90, s.mediaPlayerControls);
  flag(91, s.mediaMaxFullScreen);
  flag(92, s.mediaAutoPlayLoop);
  Put32(o, 96, static_cast<std::uint32_t>(s.mediaStatusLineHeight));
  Put32(o, 100, static_cast<std::uint32_t>(s.mediaTrackBarHeight));
  Put32(o, 104, static_cast<std::uint32_t>(s.mediaControlsHeight));
  Put32(o, 108, static_cast<std::uint32_t>(s.mediaVolume));
  flag(112, s.autoSizeVideo);
  flag(113, s.alwaysFullScreen);
  Put32(o, 116, static_cast<std::uint32_t>(s.wheelButton));
  Put32(o, 120, static_cast<std::uint32_t>(s.textPosition));
  flag(124, s.useScreen);
  flag(125, s.avlJukebox);
  flag(126, s.pathBox);
  flag(127, s.upsampledFit);
  Put32(o, 128, static_cast<std::uint32_t>(s.photoCdStep));
  Put32(o, 132, s.reserved132);
  Put32(o, 136, static_cast<std::uint32_t>(s.autoTestFilters));
  Put32(o, 140, static_cast<std::uint32_t>(s.wheelNavigation));
  flag(144, s.fastRefresh);
  flag(145, s.mergeToolbar);
  flag(146, s.maxFullScreenWithMenus);
  return out;
}

}  // namespace pelira
