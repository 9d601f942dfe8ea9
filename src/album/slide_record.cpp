#include "album/slide_record.h"

#include <ctime>

#include "common/kind_list.h"

namespace pelira {

SlideRecord ZeroRecord() {
  SlideRecord r;
  std::memset(&r, 0, sizeof r);
  return r;
}

SlideKind KindOfExt(std::string_view ext) {
  if (ext == kCdTrackExt) return SlideKind::CdTrack;
  if (InKindList(ext, kAlbumImageKinds)) return SlideKind::Image;
  if (InKindList(ext, kAlbumAudioKinds)) return SlideKind::Audio;
  if (InKindList(ext, kAlbumVideoKinds)) return SlideKind::VideoText;
  return SlideKind::Other;
}

SlideKind KindOf(const SlideRecord& r) { return KindOfExt(r.Ext()); }

void SetSlideDefaults(SlideRecord& r, SlideKind kind) {
  r.thumbState = kThumbPending;
  r.crc = kNoCrc;
  r.commentIndex = 0;
  r.userIdx = r.extraIdx = r.category = 0;
  r.width = r.height = 0;
  r.wait = 1;
  if (kind == SlideKind::Audio || kind == SlideKind::CdTrack) {
    r.background = kNotApplicable;
    r.effect = r.gamma = r.zoom = r.posX = r.posY = r.panelW = r.panelH = r.rotate = -1;
    return;
  }
  const bool image = kind == SlideKind::Image;
  r.background = kNoBackground;
  r.effect = image ? 0 : -1;
  r.gamma = image ? 100 : -1;
  r.zoom = 100;
  r.posX = r.posY = r.panelW = r.panelH = kAuto;
  r.rotate = 0;
}

std::int32_t PackDosDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980 || year > 2099) return 0;
  const std::uint32_t v = (static_cast<std::uint32_t>(year - 1980) << 25) | (static_cast<std::uint32_t>(month) << 21) |
                          (static_cast<std::uint32_t>(day) << 16) | (static_cast<std::uint32_t>(hour) << 11) |
                          (static_cast<std::uint32_t>(minute) << 5) | static_cast<std::uint32_t>(second / 2);
  return static_cast<std::int32_t>(v);
}

void SetRecordTime(SlideRecord& r, std::int64_t seconds, std::int64_t nanoseconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) {
    r.fileDate = 0;
    r.timeOfDay = 0;
    return;
  }
  r.fileDate = PackDosDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  r.timeOfDay = static_cast<std::int32_t>(((tm.tm_hour * 60 + tm.tm_min) * 60 + tm.tm_sec) * 1000 +
                                          nanoseconds / 1000000);
}

namespace {

// Zeroes the bytes after a length-prefixed string and clamps the length; true on a change.
bool FixString(std::uint8_t& len, char* buf, std::size_t max) {
  bool changed = false;
  if (len > max) {
    len = static_cast<std::uint8_t>(max);
    changed = true;
  }
  for (std::size_t i = len; i < max; ++i) {
    if (buf[i] != 0) {
      buf[i] = 0;
      changed = true;
    }
  }
  return changed;
}

bool IsHex8(std::string_view s) {
  if (s.size() != 8) return false;
  for (char c : s) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!hex) return false;
  }
  return true;
}

bool IsOneComponent(std::string_view s) {
  if (s == "." || s == "..") return false;
  for (char c : s) {
    if (c == '/' || c == '\\' || c == 0) return false;
  }
  return true;
}

}  // namespace

bool SanitizeRecord(SlideRecord& r) {
  bool changed = FixString(r.thumbNameLen, r.thumbName, kThumbNameMax);
  changed |= FixString(r.extLen, r.ext, kExtMax);
  changed |= FixString(r.subfolderLen, r.subfolder, kSubfolderMax);
  for (auto* p : {&r.reserved1[0], &r.reserved1[1], &r.reserved2[0], &r.reserved2[1], &r.reserved2[2],
                  &r.reserved3[0], &r.reserved3[1]}) {
    if (*p != 0) {
      *p = 0;
      changed = true;
    }
  }
  const auto s = r.thumbState;
  if (s != kThumbPending && s != kThumbRetry && s != kThumbFailed && s != kThumbDone) {
    r.thumbState = kThumbPending;
    changed = true;
  }
  // The thumbnail cache joins these two names into a path: only a hex subfolder and a
  // single file name may stay, or a crafted album could reach files outside the cache.
  const bool anyName = r.thumbNameLen != 0 || r.subfolderLen != 0;
  if (anyName && !(IsHex8(r.Subfolder()) && !r.ThumbName().empty() && IsOneComponent(r.ThumbName()))) {
    r.SetThumbName({});
    r.SetSubfolder({});
    r.thumbState = kThumbPending;
    changed = true;
  }
  return changed;
}

}  // namespace pelira
