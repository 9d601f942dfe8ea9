#pragma once
// Comment segments added to and segments stripped from a JPEG's bytes. Pure functions: the
// result is the new file, the caller writes it. Every byte the edit does not concern is kept,
// data after the end-of-image marker (motion video, further pictures) included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jpeg_tools/jpeg_segments.h"

namespace pelira {

enum class StripMode {
  CommentsOnly,  // every comment segment
  AllExtraInfo,  // comments and application segments, except APP14 (it says how colours decode)
};

struct JpegEdit {
  bool ok = true;
  std::string error;               // kBadJpegMarkersText or kCommentTooLargeText
  std::vector<std::uint8_t> bytes; // the new file
  std::size_t removed = 0;         // bytes taken out (a foreign header counts)
};

inline constexpr std::size_t kMaxCommentCharacters = 32000;
inline constexpr const char* kCommentTooLargeText = "Comment too large; limit text to 32000 characters.";

// Drops the foreign header, then the segments mode names.
JpegEdit StripJpegSegments(JpegBytes file, StripMode mode);

// The text as a comment stores it: each line (split at CR, LF or CRLF) ended by CR LF.
std::string CommentPayload(std::string_view text);

// True when text has more than 32000 characters or its payload does not fit one segment.
bool CommentTooLarge(std::string_view text);

// Drops the foreign header and inserts a comment segment holding CommentPayload(text): right
// after a JFIF APP0 segment that follows the start-of-image marker, else right after the
// marker, so an EXIF segment stays first and readers see the comment.
JpegEdit AddJpegComment(JpegBytes file, std::string_view text);

}  // namespace pelira
