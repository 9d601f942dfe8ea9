#pragma once
// Metafile pictures (WMF, placeable WMF, EMF): the records are parsed here into a list, and
// played onto a TMetafileCanvas in picture coordinates (pixels, y down, the picture's top
// left at 0, 0). Every geometric record becomes a path; text, bitmaps and the drawing state
// go through the canvas too, so the platform only has to paint (QPainter on the Qt side)
// and the tests can watch the calls.
//
// The player follows the records real files use: window and viewport origins and extents
// with the map modes, world transforms (EMF), saved states, pens, brushes and fonts (stock
// objects included), moves, lines, polylines, polygons (and poly-polygons), rectangles,
// rounded rectangles, ellipses, paths with Bezier segments, text (ANSI in WMF, UTF-16 in
// EMF) and device-independent bitmaps. Other records are passed over.
#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.h"
#include "image/dib.h"
#include "image/dib_graphic.h"

namespace pelira {

// A file that is no metafile, or whose records do not hold together.
class EMetafileError : public EVistrelError {
public:
  using EVistrelError::EVistrelError;
};

struct TMfPoint {
  double x = 0, y = 0;
  friend bool operator==(const TMfPoint&, const TMfPoint&) = default;
};

// Figures of moves, lines and cubic Bezier segments.
struct TMfPath {
  enum Kind : std::uint8_t { Move, Line, Cubic };  // a Cubic point is followed by two more Cubic points
  struct Element {
    Kind kind;
    TMfPoint p;
  };
  std::vector<Element> elements;
  std::vector<std::size_t> closeAfter;  // indices of elements after which a figure closes

  void MoveTo(TMfPoint p) { elements.push_back({Move, p}); }
  void LineTo(TMfPoint p) { elements.push_back({Line, p}); }
  void CubicTo(TMfPoint a, TMfPoint b, TMfPoint c) {
    elements.push_back({Cubic, a});
    elements.push_back({Cubic, b});
    elements.push_back({Cubic, c});
  }
  void Close() {
    if (!elements.empty()) closeAfter.push_back(elements.size() - 1);
  }
  bool Empty() const { return elements.empty(); }
};

struct TMfPen {
  enum Style { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };
  int style = Solid;
  double width = 0;  // picture pixels; 0 draws one pixel wide
  ColorValue color = 0;
  friend bool operator==(const TMfPen&, const TMfPen&) = default;
};

struct TMfBrush {
  enum Style { Solid = 0, Null = 1, Hatched = 2 };
  int style = Solid;
  ColorValue color = 0xFFFFFF;
  int hatch = 0;  // 0 horizontal, 1 vertical, 2 forward diagonal, 3 backward, 4 cross, 5 diagonal cross
  friend bool operator==(const TMfBrush&, const TMfBrush&) = default;
};

struct TMfFont {
  std::string face = "Sans";
  double height = 12;       // character height in picture pixels
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  double angle = 0;         // degrees counter-clockwise
  friend bool operator==(const TMfFont&, const TMfFont&) = default;
};

// Text alignment bits as the files hold them.
inline constexpr int kMfAlignRight = 2, kMfAlignCenter = 6, kMfAlignBottom = 8, kMfAlignBaseline = 24;

class TMetafileCanvas {
public:
  virtual ~TMetafileCanvas() = default;
  virtual void SetPen(const TMfPen& pen) = 0;
  virtual void SetBrush(const TMfBrush& brush) = 0;
  virtual void SetFont(const TMfFont& font) = 0;
  virtual void SetTextColor(ColorValue c) = 0;
  // The colour behind text and hatches; transparent unless opaque.
  virtual void SetBackground(ColorValue c, bool opaque) = 0;
  virtual void SetWindingFill(bool winding) = 0;
  virtual void DrawPath(const TMfPath& path, bool fill, bool stroke) = 0;
  // UTF-8 text at a reference point, aligned by the file's alignment bits (horizontal:
  // left, right, centre; vertical: top, bottom, baseline).
  virtual void DrawText(TMfPoint at, const std::string& utf8, int align) = 0;
  // A bitmap stretched over the parallelogram of three corners (top left, top right,
  // bottom left).
  virtual void DrawBitmap(TMfPoint topLeft, TMfPoint topRight, TMfPoint bottomLeft, const Dib& bitmap) = 0;
};

struct TMetafileRecord {
  std::uint32_t type = 0;            // WMF function number or EMF record type
  std::vector<std::uint8_t> params;  // the bytes after the record's size and type
};

class TMetafile {
public:
  enum class Kind { Wmf, PlaceableWmf, Emf };

  // Raises EMetafileError for anything that is not a WMF or EMF, record sizes that leave the
  // file, or a file without records.
  static TMetafile Parse(ByteSpan bytes);

  Kind kind() const { return kind_; }
  // The picture's size in pixels: a placeable WMF's box at 96 dpi, an EMF's frame on its
  // reference device, a plain WMF's window extent; at most kMaxSide on each side (larger
  // pictures are scaled down, keeping their shape).
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<TMetafileRecord>& Records() const { return records_; }

  // Plays every record onto the canvas.
  void Play(TMetafileCanvas& canvas) const;

  static constexpr int kMaxSide = 4096;
  static constexpr std::size_t kMaxRecords = 1u << 20;

private:
  Kind kind_ = Kind::Wmf;
  int width_ = 0, height_ = 0;
  // How the file's own coordinates reach the picture: device = (x - originX) * scaleX.
  double originX_ = 0, originY_ = 0, scaleX_ = 1, scaleY_ = 1;
  bool hasWindow_ = false;  // plain and placeable WMF: the window maps onto the picture
  double windowExtX_ = 1, windowExtY_ = 1;
  std::vector<TMetafileRecord> records_;
};

}  // namespace pelira
