#pragma once
// Geometry of the picture's rows: cutting a block out (crop, trim), painting over the edges
// (border), cutting bits per channel (posterize), the text mark, and the selection maths that
// turns what the mouse drew on screen into picture pixels and back. Every function takes what
// it works on as arguments; none keeps state.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/dib.h"
#include "platform/text_renderer.h"

namespace pelira {

// A block of pixels: left, top, width, height.
struct Block {
  int left = 0, top = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const Block&, const Block&) = default;
};

// A rectangle left, top, right, bottom with right and bottom one past the last pixel (either
// corner first), clipped to a picture of w x h. Empty when nothing of it lies inside.
Block ClipToPicture(int left, int top, int right, int bottom, int w, int h);

// A new bitmap holding block b of pic in pic's own depth and palette (1, 4, 8 bits; any
// other depth gives 24 bits). b must lie inside pic and not be empty.
Dib CopyBlock(const Dib& pic, const Block& b);

// The block left when the rows and columns at its edges holding only the colour of its top
// left pixel are taken off (top, bottom, left, right, in that order). A block of that one
// colour only comes back empty.
Block TrimBlock(const Dib& pic, Block b);

// Posterize: every channel of a 24-bit picture keeps its top `bits` bits (2..6; anything else
// keeps 7). False (nothing done) for other depths.
bool LowRes(Dib& pic, int bits);
// The mask of LowRes: 2 -> C0, 3 -> E0, 4 -> F0, 5 -> F8, 6 -> FC, else FE.
std::uint8_t LowResMask(int bits);

// The border covers the picture's edges: bands of w columns at the left and right and h rows
// at the top and bottom take colour c (bands wider than the picture cover all of it). The
// size stays. 24-bit pictures only (false otherwise).
bool MergeBorder(Dib& pic, ColorValue c, int w, int h);
// Only the top band of `top` rows and the bottom band of `bottom` rows.
bool MergeBorderTopBot(Dib& pic, ColorValue c, int top, int bottom);

// --- the text mark ------------------------------------------------------------------------------

// How the mark is drawn: the font, its colour, and the outline's colour around it.
struct TextMarkStyle {
  TextFont font;
  ColorValue color = 0x000000;
  ColorValue outline = 0x808080;
};

inline constexpr std::size_t kTextMarkMaxLength = 1000;

// The text as it is drawn and recorded: control characters (line breaks among them) become
// blanks, so a recorded line stays one line; at most kTextMarkMaxLength bytes, never cutting
// a UTF-8 character.
std::string CleanTextMark(std::string_view text);

// The tokens, each replaced at its first occurrence whatever its letter case, in this order:
// "@@D" today's date, "@@C" the copyright sign, "@@F" the file name without folder and
// extension. With "@@F" and no file (nullopt) the whole text becomes empty. The text is
// never read as a format: every other character stands as it is.
std::string SubstituteTextTokens(std::string text, const std::string& date, const std::optional<std::string>& fileStem);

// Corners: 0 top left, 1 top right, 2 bottom left, 3 bottom right. The mark's box is columns
// 0 .. width-8 and rows 0..20 (bottom corners: height-24 .. height-1); the text sits left or
// right in it, centred vertically, drawn nine times in the outline colour at offsets 0..2 in
// x and y, then once in its own colour at (1, 1). Nothing when the picture is 31 pixels wide
// or less, or not 24 bits (false).
bool DrawTextMark(Dib& pic, const CoverageMask& text, int corner, ColorValue color, ColorValue outline);

// --- selection maths ------------------------------------------------------------------------------

// How the picture is shown: in fit mode stretched to shownW x shownH, else at zoom percent.
struct ViewScale {
  bool fit = false;
  int zoom = 100;
  int shownW = 0, shownH = 0;  // the control's size in fit mode
};

// A frame drawn on screen (control pixels, right and bottom its last pixel) as picture pixels
// with right and bottom one past the last, limited to the bitmap (w x h). Rounding is to
// nearest, ties to even.
Block AdjustSelection(int L, int T, int R, int B, const ViewScale& v, int w, int h);
// Picture pixels (right and bottom one past the last) as the frame on screen: left, top,
// right, bottom in control pixels.
struct ScreenRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};
ScreenRect DisplaySelection(const Block& b, const ViewScale& v, int w, int h);

// Cell (column, row) of a grid of columns x rows over a w x h picture: cells of w div
// columns by h div rows pixels.
Block GridBlock(int column, int row, int columns, int rows, int w, int h);

}  // namespace pelira
