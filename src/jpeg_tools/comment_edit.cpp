#include "jpeg_tools/comment_edit.h"

#include "common/text_encoding.h"

namespace pelira {

namespace {

bool Removed(const JpegPiece& p, StripMode mode) {
  if (p.kind != JpegPiece::Kind::Segment) return false;
  if (p.marker == kMarkerCOM) return true;
  return mode == StripMode::AllExtraInfo && p.marker >= 0xE0 && p.marker <= 0xEF && p.marker != kMarkerAPP14;
}

JpegEdit Bad(const char* text) {
  JpegEdit e;
  e.ok = false;
  e.error = text;
  return e;
}

std::size_t Utf8Characters(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

JpegEdit StripJpegSegments(JpegBytes file, StripMode mode) {
  const std::size_t skip = ForeignHeaderLength(file);
  const JpegBytes data = file.subspan(skip);
  const JpegWalk walk = WalkJpeg(data, WalkExtent::Whole);
  if (!walk.ok) return Bad(kBadJpegMarkersText);
  JpegEdit e;
  e.bytes.reserve(data.size());
  for (const JpegPiece& p : walk.pieces) {
    if (Removed(p, mode)) continue;
    e.bytes.insert(e.bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(p.offset),
                   data.begin() + static_cast<std::ptrdiff_t>(p.offset + p.size));
  }
  e.removed = file.size() - e.bytes.size();
  return e;
}

std::string CommentPayload(std::string_view text) { return JoinCrlf(SplitLines(text)); }

bool CommentTooLarge(std::string_view text) {
  if (Utf8Characters(text) > kMaxCommentCharacters) return true;
  return CommentPayload(text).size() > 0xFFFF - 2;
}

JpegEdit AddJpegComment(JpegBytes file, std::string_view text) {
  if (CommentTooLarge(text)) return Bad(kCommentTooLargeText);
  const std::size_t skip = ForeignHeaderLength(file);
  const JpegBytes data = file.subspan(skip);
  const JpegWalk walk = WalkJpeg(data, WalkExtent::Header);
  if (!walk.ok) return Bad(kBadJpegMarkersText);
  std::size_t at = 2;
  if (walk.pieces.size() > 1 && walk.pieces[1].kind == JpegPiece::Kind::Segment &&
      walk.pieces[1].marker == kMarkerAPP0 && walk.pieces[1].offset == 2)
    at = 2 + walk.pieces[1].size;
  const std::string payload = CommentPayload(text);
  const std::size_t len = payload.size() + 2;
  JpegEdit e;
  e.bytes.reserve(data.size() + len + 2);
  e.bytes.insert(e.bytes.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(at));
  e.bytes.push_back(0xFF);
  e.bytes.push_back(kMarkerCOM);
  e.bytes.push_back(static_cast<std::uint8_t>(len >> 8));
  e.bytes.push_back(static_cast<std::uint8_t>(len & 0xFF));
  e.bytes.insert(e.bytes.end(), payload.begin(), payload.end());
  e.bytes.insert(e.bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.end());
  e.removed = skip;
  return e;
}

}  // namespace pelira
