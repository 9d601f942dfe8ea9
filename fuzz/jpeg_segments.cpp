// The segment walk and the comment edits on arbitrary bytes: pieces cover what was walked
// without gaps, and an edit's output is the input less what it says it removed (plus the
// comment it adds), starting with the start-of-image marker.
#include <cstddef>
#include <cstdint>
#include <string>

#include "jpeg_tools/comment_edit.h"
#include "jpeg_tools/jpeg_segments.h"

namespace {

void CheckWalk(const pelira::JpegWalk& w, std::size_t size) {
  std::size_t at = 0;
  for (const pelira::JpegPiece& p : w.pieces) {
    if (p.offset != at || p.size == 0) __builtin_trap();
    at += p.size;
  }
  if (at != w.walked || at > size) __builtin_trap();
}

bool StartsWithSoi(const std::vector<std::uint8_t>& b) { return b.size() >= 2 && b[0] == 0xFF && b[1] == 0xD8; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const pelira::JpegBytes bytes(data, size);
  const std::size_t skip = pelira::ForeignHeaderLength(bytes);
  if (skip > size) __builtin_trap();
  const pelira::JpegBytes stream = bytes.subspan(skip);
  CheckWalk(pelira::WalkJpeg(stream, pelira::WalkExtent::Header), stream.size());
  const pelira::JpegWalk whole = pelira::WalkJpeg(stream, pelira::WalkExtent::Whole);
  CheckWalk(whole, stream.size());
  if (whole.ok && whole.walked != stream.size()) __builtin_trap();

  for (const auto mode : {pelira::StripMode::CommentsOnly, pelira::StripMode::AllExtraInfo}) {
    const pelira::JpegEdit e = pelira::StripJpegSegments(bytes, mode);
    if (e.ok && (!StartsWithSoi(e.bytes) || e.bytes.size() + e.removed != size)) __builtin_trap();
  }
  const std::string text(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  const pelira::JpegEdit a = pelira::AddJpegComment(bytes, text);
  if (a.ok && (!StartsWithSoi(a.bytes) ||
               a.bytes.size() != size - a.removed + 4 + pelira::CommentPayload(text).size()))
    __builtin_trap();
  return 0;
}
