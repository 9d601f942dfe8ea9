#pragma once
// Text pages: a plain text file or a small RTF document read into paragraphs of styled runs,
// which the platform lays out and draws as a picture (QTextDocument on the Qt side).
//
// The RTF reader keeps text, paragraphs and line breaks, tabs, bold, italic, underline,
// font sizes, colours (the colour table), fonts (the font table) and paragraph alignment;
// \'hh and raw 8-bit bytes are CP1252, \uN is Unicode (with \ucN replacement characters
// passed over). Destinations that hold no body text (font and colour tables, style sheets,
// information, pictures, headers, footers, objects, \* groups) are passed over, and \binN
// data too. Groups nested deeper than kMaxRtfDepth, and files that do not start "{\rtf",
// raise ERtfError.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "image/palette.h"

namespace pelira {

class ERtfError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

struct TTextRun {
  std::string text;  // UTF-8; "\t" for tabs
  bool bold = false, italic = false, underline = false;
  double pointSize = 12;
  bool hasColor = false;
  ColorValue color = 0;
  std::string font;  // empty: the page's default font
  friend bool operator==(const TTextRun&, const TTextRun&) = default;
};

struct TTextParagraph {
  enum Align { Left, Center, Right, Justify };
  Align align = Left;
  std::vector<TTextRun> runs;
  std::string Text() const;  // the runs' text joined
};

struct TRichText {
  std::vector<TTextParagraph> paragraphs;
  bool monospace = false;  // plain text pages
};

inline constexpr int kMaxRtfDepth = 200;
// Text files larger than this are cut: a page shows only its start anyway.
inline constexpr std::size_t kMaxTextBytes = 4u << 20;

bool LooksLikeRtf(std::string_view bytes);
TRichText ReadRtf(std::string_view bytes);
// UTF-8 when valid, else CP1252; CR, LF and CRLF line ends; one paragraph per line.
TRichText ReadPlainText(std::string_view bytes);
// RTF when the bytes start "{\rtf", plain text otherwise.
TRichText ReadTextPage(std::string_view bytes);

}  // namespace pelira
