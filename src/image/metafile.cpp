#include "image/metafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <variant>

#include "common/text_encoding.h"
#include "image/bmp_reader.h"
#include "image/byte_cursor.h"

namespace pelira {

namespace {

[[noreturn]] void Bad(const char* why) { throw EMetafileError(why); }

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr double kScreenDpi = 96.0;

// WMF functions.
enum : std::uint32_t {
  W_EOF = 0x0000, W_SAVEDC = 0x001E, W_SETBKCOLOR = 0x0201, W_SETBKMODE = 0x0102, W_SETMAPMODE = 0x0103,
  W_SETPOLYFILLMODE = 0x0106, W_SETTEXTCOLOR = 0x0209, W_SETTEXTALIGN = 0x012E, W_SETWINDOWORG = 0x020B,
  W_SETWINDOWEXT = 0x020C, W_SETVIEWPORTORG = 0x020D, W_SETVIEWPORTEXT = 0x020E, W_LINETO = 0x0213,
  W_MOVETO = 0x0214, W_RESTOREDC = 0x0127, W_SELECTOBJECT = 0x012D, W_DELETEOBJECT = 0x01F0,
  W_CREATEPALETTE = 0x00F7, W_CREATEPATTERNBRUSH = 0x01F9, W_DIBCREATEPATTERNBRUSH = 0x0142,
  W_CREATEREGION = 0x06FF, W_CREATEPENINDIRECT = 0x02FA, W_CREATEFONTINDIRECT = 0x02FB,
  W_CREATEBRUSHINDIRECT = 0x02FC, W_RECTANGLE = 0x041B, W_ELLIPSE = 0x0418, W_ROUNDRECT = 0x061C,
  W_POLYGON = 0x0324, W_POLYLINE = 0x0325, W_POLYPOLYGON = 0x0538, W_TEXTOUT = 0x0521, W_EXTTEXTOUT = 0x0A32,
  W_STRETCHDIB = 0x0F43, W_DIBSTRETCHBLT = 0x0B41, W_DIBBITBLT = 0x0940,
};

// EMF records.
enum : std::uint32_t {
  E_HEADER = 1, E_POLYBEZIER = 2, E_POLYGON = 3, E_POLYLINE = 4, E_POLYBEZIERTO = 5, E_POLYLINETO = 6,
  E_POLYPOLYLINE = 7, E_POLYPOLYGON = 8, E_SETWINDOWEXTEX = 9, E_SETWINDOWORGEX = 10, E_SETVIEWPORTEXTEX = 11,
  E_SETVIEWPORTORGEX = 12, E_EOF = 14, E_SETMAPMODE = 17, E_SETBKMODE = 18, E_SETPOLYFILLMODE = 19,
  E_SETTEXTALIGN = 22, E_SETTEXTCOLOR = 24, E_SETBKCOLOR = 25, E_MOVETOEX = 27, E_SAVEDC = 33,
  E_RESTOREDC = 34, E_SETWORLDTRANSFORM = 35, E_MODIFYWORLDTRANSFORM = 36, E_SELECTOBJECT = 37,
  E_CREATEPEN = 38, E_CREATEBRUSHINDIRECT = 39, E_DELETEOBJECT = 40, E_ELLIPSE = 42, E_RECTANGLE = 43,
  E_ROUNDRECT = 44, E_LINETO = 54, E_BEGINPATH = 59, E_ENDPATH = 60, E_CLOSEFIGURE = 61, E_FILLPATH = 62,
  E_STROKEANDFILLPATH = 63, E_STROKEPATH = 64, E_STRETCHDIBITS = 81, E_EXTCREATEFONTINDIRECTW = 82,
  E_EXTTEXTOUTW = 84, E_POLYBEZIER16 = 85, E_POLYGON16 = 86, E_POLYLINE16 = 87, E_POLYBEZIERTO16 = 88,
  E_POLYLINETO16 = 89, E_POLYPOLYLINE16 = 90, E_POLYPOLYGON16 = 91, E_EXTCREATEPEN = 95,
};

ColorValue FromColorRef(std::uint32_t ref) { return FromPlatformColor(ref & 0xFFFFFF); }

// Reads record parameters; past the end everything reads 0 and ok() turns false.
struct Params {
  explicit Params(const std::vector<std::uint8_t>& p) : c(p) {}
  std::int16_t I16() { return static_cast<std::int16_t>(c.U16LE()); }
  std::uint16_t U16() { return c.U16LE(); }
  std::int32_t I32() { return static_cast<std::int32_t>(c.U32LE()); }
  std::uint32_t U32() { return c.U32LE(); }
  float F32() {
    const std::uint32_t v = c.U32LE();
    float f;
    std::memcpy(&f, &v, 4);
    return std::isfinite(f) ? f : 0.0f;
  }
  bool ok() const { return c.ok(); }
  ByteCursor c;
};

struct Xform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
  TMfPoint Apply(TMfPoint p) const { return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy}; }
  // a then b.
  static Xform Then(const Xform& a, const Xform& b) {
    return {a.m11 * b.m11 + a.m12 * b.m21, a.m11 * b.m12 + a.m12 * b.m22, a.m21 * b.m11 + a.m22 * b.m21,
            a.m21 * b.m12 + a.m22 * b.m22, a.dx * b.m11 + a.dy * b.m21 + b.dx, a.dx * b.m12 + a.dy * b.m22 + b.dy};
  }
};

struct LogPen {
  TMfPen pen;
  double logicalWidth = 0;
};
struct LogFont {
  TMfFont font;
  double logicalHeight = 0;
};
using Object = std::variant<std::monostate, LogPen, TMfBrush, LogFont>;

struct DcState {
  int mapMode = 1;
  TMfPoint windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
  Xform world;
  LogPen pen{TMfPen{TMfPen::Solid, 0, 0}, 0};
  TMfBrush brush{TMfBrush::Solid, 0xFFFFFF, 0};
  LogFont font;
  ColorValue textColor = 0, bkColor = 0xFFFFFF;
  bool bkOpaque = true;
  bool winding = false;
  int textAlign = 0;
  TMfPoint current{0, 0};  // logical
};

Object StockObject(std::uint32_t i) {
  switch (i) {
    case 0: return TMfBrush{TMfBrush::Solid, 0xFFFFFF, 0};
    case 1: return TMfBrush{TMfBrush::Solid, MakeColor(192, 192, 192), 0};
    case 2: return TMfBrush{TMfBrush::Solid, MakeColor(128, 128, 128), 0};
    case 3: return TMfBrush{TMfBrush::Solid, MakeColor(64, 64, 64), 0};
    case 4: return TMfBrush{TMfBrush::Solid, 0, 0};
    case 5: return TMfBrush{TMfBrush::Null, 0, 0};
    case 6: return LogPen{TMfPen{TMfPen::Solid, 0, 0xFFFFFF}, 0};
    case 7: return LogPen{TMfPen{TMfPen::Solid, 0, 0}, 0};
    case 8: return LogPen{TMfPen{TMfPen::Null, 0, 0}, 0};
    default:
      if (i >= 10 && i <= 17) return LogFont{};
      return std::monostate{};
  }
}

class Player {
public:
  Player(TMetafileCanvas& canvas, TMetafile::Kind kind, double ox, double oy, double sx, double sy, bool window,
         TMfPoint winOrg, TMfPoint winExt)
      : cv_(canvas), emf_(kind == TMetafile::Kind::Emf), ox_(ox), oy_(oy), sx_(sx), sy_(sy), window_(window) {
    if (window) {
      dc_.windowOrg = winOrg;
      dc_.windowExt = winExt;
      dc_.mapMode = 8;
    }
  }

  void Begin() {
    ApplyPen();
    cv_.SetBrush(dc_.brush);
    ApplyFont();
    cv_.SetTextColor(dc_.textColor);
    cv_.SetBackground(dc_.bkColor, dc_.bkOpaque);
    cv_.SetWindingFill(dc_.winding);
  }

  void PlayWmf(const TMetafileRecord& r);
  void PlayEmf(const TMetafileRecord& r);

private:
  // Logical to picture coordinates.
  TMfPoint Map(TMfPoint p) const {
    if (emf_) p = dc_.world.Apply(p);
    double x, y;
    if (window_) {
      // WMF: the window is laid onto the whole picture.
      const double wx = dc_.windowExt.x ? dc_.windowExt.x : 1, wy = dc_.windowExt.y ? dc_.windowExt.y : 1;
      x = (p.x - dc_.windowOrg.x) / wx;
      y = (p.y - dc_.windowOrg.y) / wy;
      return Clamp({x * sx_, y * sy_});
    }
    double kx = 1, ky = 1;
    switch (dc_.mapMode) {
      case 2: kx = kScreenDpi / 254.0, ky = -kx; break;     // 0.1 mm
      case 3: kx = kScreenDpi / 2540.0, ky = -kx; break;    // 0.01 mm
      case 4: kx = kScreenDpi / 100.0, ky = -kx; break;     // 0.01 inch
      case 5: kx = kScreenDpi / 1000.0, ky = -kx; break;    // 0.001 inch
      case 6: kx = kScreenDpi / 1440.0, ky = -kx; break;    // twips
      case 7:
      case 8: {
        const double wx = dc_.windowExt.x ? dc_.windowExt.x : 1, wy = dc_.windowExt.y ? dc_.windowExt.y : 1;
        kx = dc_.viewportExt.x / wx;
        ky = dc_.viewportExt.y / wy;
        if (dc_.mapMode == 7) {
          const double k = std::min(std::abs(kx), std::abs(ky));
          kx = kx < 0 ? -k : k;
          ky = ky < 0 ? -k : k;
        }
        break;
      }
      default: break;
    }
    x = (p.x - dc_.windowOrg.x) * kx + dc_.viewportOrg.x;
    y = (p.y - dc_.windowOrg.y) * ky + dc_.viewportOrg.y;
    return Clamp({(x - ox_) * sx_, (y - oy_) * sy_});
  }
  // Far outside the picture nothing shows; bounded values keep the painter's work bounded.
  static TMfPoint Clamp(TMfPoint p) {
    constexpr double kFar = 1e6;
    return {std::clamp(p.x, -kFar, kFar), std::clamp(p.y, -kFar, kFar)};
  }
  // Size of a logical length along x and y in picture pixels.
  double ScaleX() const {
    const TMfPoint a = Map({0, 0}), b = Map({1, 0});
    return std::hypot(b.x - a.x, b.y - a.y);
  }
  double ScaleY() const {
    const TMfPoint a = Map({0, 0}), b = Map({0, 1});
    return std::hypot(b.x - a.x, b.y - a.y);
  }

  void ApplyPen() {
    TMfPen p = dc_.pen.pen;
    p.width = std::min(dc_.pen.logicalWidth * ScaleX(), 4096.0);
    cv_.SetPen(p);
  }
  void ApplyFont() {
    TMfFont f = dc_.font.font;
    const double h = std::abs(dc_.font.logicalHeight) * ScaleY();
    // No font selected: the system font's 12 pixels (EMF pictures shrunk to fit keep scale).
    f.height = h > 0 ? std::min(h, 4096.0) : 12.0 * (emf_ ? sx_ : 1.0);
    cv_.SetFont(f);
  }
  // The mapping may have changed: pen widths and font heights follow it.
  void MappingChanged() {
    ApplyPen();
    ApplyFont();
  }

  void Shape(TMfPath& path, bool closeFill) {
    if (inPath_) {
      for (const auto& e : path.elements) path_.elements.push_back(e);
      for (std::size_t c : path.closeAfter) path_.closeAfter.push_back(c + path_.elements.size() - path.elements.size());
      return;
    }
    cv_.DrawPath(path, closeFill && dc_.brush.style != TMfBrush::Null, dc_.pen.pen.style != TMfPen::Null);
  }

  void Poly(const std::vector<TMfPoint>& pts, bool closed) {
    if (pts.empty()) return;
    TMfPath p;
    p.MoveTo(Map(pts[0]));
    for (std::size_t i = 1; i < pts.size(); ++i) p.LineTo(Map(pts[i]));
    if (closed) p.Close();
    Shape(p, closed);
  }
  void PolyPoly(const std::vector<std::vector<TMfPoint>>& polys, bool closed) {
    TMfPath p;
    for (const auto& pts : polys) {
      if (pts.empty()) continue;
      p.MoveTo(Map(pts[0]));
      for (std::size_t i = 1; i < pts.size(); ++i) p.LineTo(Map(pts[i]));
      if (closed) p.Close();
    }
    if (!p.Empty()) Shape(p, closed);
  }
  void Rect(double l, double t, double r, double b) {
    Poly({{l, t}, {r, t}, {r, b}, {l, b}}, true);
  }
  void EllipsePath(TMfPath& p, double l, double t, double r, double b) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2, k = 0.5522847498;
    auto M = [&](double x, double y) { return Map({x, y}); };
    p.MoveTo(M(cx + rx, cy));
    p.CubicTo(M(cx + rx, cy + k * ry), M(cx + k * rx, cy + ry), M(cx, cy + ry));
    p.CubicTo(M(cx - k * rx, cy + ry), M(cx - rx, cy + k * ry), M(cx - rx, cy));
    p.CubicTo(M(cx - rx, cy - k * ry), M(cx - k * rx, cy - ry), M(cx, cy - ry));
    p.CubicTo(M(cx + k * rx, cy - ry), M(cx + rx, cy - k * ry), M(cx + rx, cy));
    p.Close();
  }
  void Ellipse(double l, double t, double r, double b) {
    TMfPath p;
    EllipsePath(p, l, t, r, b);
    Shape(p, true);
  }
  void RoundRect(double l, double t, double r, double b, double w, double h) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const double rx = std::min(std::abs(w) / 2, (r - l) / 2), ry = std::min(std::abs(h) / 2, (b - t) / 2), k = 0.5522847498;
    auto M = [&](double x, double y) { return Map({x, y}); };
    TMfPath p;
    p.MoveTo(M(l + rx, t));
    p.LineTo(M(r - rx, t));
    p.CubicTo(M(r - rx + k * rx, t), M(r, t + ry - k * ry), M(r, t + ry));
    p.LineTo(M(r, b - ry));
    p.CubicTo(M(r, b - ry + k * ry), M(r - rx + k * rx, b), M(r - rx, b));
    p.LineTo(M(l + rx, b));
    p.CubicTo(M(l + rx - k * rx, b), M(l, b - ry + k * ry), M(l, b - ry));
    p.LineTo(M(l, t + ry));
    p.CubicTo(M(l, t + ry - k * ry), M(l + rx - k * rx, t), M(l + rx, t));
    p.Close();
    Shape(p, true);
  }
  void LineTo(TMfPoint to) {
    if (inPath_) {
      if (path_.Empty()) path_.MoveTo(Map(dc_.current));
      path_.LineTo(Map(to));
    } else if (dc_.pen.pen.style != TMfPen::Null) {
      TMfPath p;
      p.MoveTo(Map(dc_.current));
      p.LineTo(Map(to));
      cv_.DrawPath(p, false, true);
    }
    dc_.current = to;
  }
  void MoveTo(TMfPoint to) {
    dc_.current = to;
    if (inPath_) path_.MoveTo(Map(to));
  }
  void Text(TMfPoint at, const std::string& utf8) {
    if (utf8.empty()) return;
    if (dc_.textAlign & 1) at = dc_.current;  // update-current-position mode
    cv_.DrawText(Map(at), utf8, dc_.textAlign & ~1);
  }
  void Bitmap(double x, double y, double w, double h, ByteSpan packed) {
    if (packed.size() < 40 || w == 0 || h == 0) return;
    try {
      const Dib d = DibFromPacked(packed);
      cv_.DrawBitmap(Map({x, y}), Map({x + w, y}), Map({x, y + h}), d);
    } catch (const EVistrelError&) {
      // A bitmap that does not read is left out; the rest of the picture still shows.
    }
  }

  void Select(const Object& o) {
    if (const auto* p = std::get_if<LogPen>(&o)) {
      dc_.pen = *p;
      ApplyPen();
    } else if (const auto* b = std::get_if<TMfBrush>(&o)) {
      dc_.brush = *b;
      cv_.SetBrush(*b);
    } else if (const auto* f = std::get_if<LogFont>(&o)) {
      dc_.font = *f;
      ApplyFont();
    }
  }
  void Restore(int relative) {
    // Negative: that many states back; positive: the state of that number.
    int n = relative < 0 ? -relative : static_cast<int>(saved_.size()) - relative + 1;
    if (n <= 0 || n > static_cast<int>(saved_.size())) return;
    while (n-- > 0) {
      dc_ = saved_.back();
      saved_.pop_back();
    }
    Begin();
  }
  void AddObject(Object o) {
    for (auto& slot : objects_)
      if (std::holds_alternative<std::monostate>(slot.second) && !slot.first) {
        slot = {true, std::move(o)};
        return;
      }
    if (objects_.size() < 65535) objects_.push_back({true, std::move(o)});
  }
  void SetObject(std::uint32_t index, Object o) {
    if (index >= 65536) return;
    if (objects_.size() <= index) objects_.resize(index + 1);
    objects_[index] = {true, std::move(o)};
  }
  const Object* ObjectAt(std::uint32_t index) const {
    if (index >= objects_.size() || !objects_[index].first) return nullptr;
    return &objects_[index].second;
  }
  void DeleteObject(std::uint32_t index) {
    if (index < objects_.size()) objects_[index] = {false, std::monostate{}};
  }

  static TMfPen MakePen(int style, ColorValue c) {
    TMfPen p;
    p.style = (style & 15) <= 5 ? (style & 15) : TMfPen::Solid;
    p.color = c;
    return p;
  }
  static TMfBrush MakeBrush(std::uint32_t style, ColorValue c, std::uint32_t hatch) {
    TMfBrush b;
    b.style = style == 1 ? TMfBrush::Null : style == 2 ? TMfBrush::Hatched : TMfBrush::Solid;
    b.color = c;
    b.hatch = static_cast<int>(std::min<std::uint32_t>(hatch, 5));
    return b;
  }

  TMetafileCanvas& cv_;
  bool emf_;
  double ox_, oy_, sx_, sy_;
  bool window_;
  DcState dc_;
  std::vector<DcState> saved_;
  // (used, object); an unused slot is free for the next WMF object.
  std::vector<std::pair<bool, Object>> objects_;
  bool inPath_ = false;
  TMfPath path_;
};

std::vector<TMfPoint> Points16(Params& p, std::size_t n) {
  std::vector<TMfPoint> pts;
  n = std::min<std::size_t>(n, p.c.left() / 4);
  pts.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = p.I16(), y = p.I16();
    pts.push_back({x, y});
  }
  return pts;
}

std::vector<TMfPoint> Points32(Params& p, std::size_t n) {
  std::vector<TMfPoint> pts;
  n = std::min<std::size_t>(n, p.c.left() / 8);
  pts.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = p.I32(), y = p.I32();
    pts.push_back({x, y});
  }
  return pts;
}

std::string AnsiText(ByteSpan s) {
  std::string raw(s.begin(), s.end());
  const std::size_t nul = raw.find('\0');
  if (nul != std::string::npos) raw.resize(nul);
  return Cp1252ToUtf8(raw);
}

std::string Utf16Text(ByteSpan s) {
  std::string out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    std::uint32_t u = s[i] | (s[i + 1] << 8);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < s.size()) {
      const std::uint32_t lo = s[i + 2] | (s[i + 3] << 8);
      if (lo >= 0xDC00 && lo < 0xE000) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    if (u == 0) break;
    AppendUtf8(out, u);
  }
  return out;
}

TMfFont FontFrom(std::int32_t weight, bool italic, bool underline, bool strike, double escapement, std::string face) {
  TMfFont f;
  f.weight = std::clamp(weight ? weight : 400, 1, 1000);
  f.italic = italic;
  f.underline = underline;
  f.strikeOut = strike;
  f.angle = escapement / 10.0;
  if (!face.empty()) f.face = std::move(face);
  return f;
}

void Player::PlayWmf(const TMetafileRecord& r) {
  Params p(r.params);
  switch (r.type) {
    case W_SAVEDC: saved_.push_back(dc_); break;
    case W_RESTOREDC: Restore(p.I16()); break;
    case W_SETBKCOLOR: dc_.bkColor = FromColorRef(p.U32()); cv_.SetBackground(dc_.bkColor, dc_.bkOpaque); break;
    case W_SETBKMODE: dc_.bkOpaque = p.U16() == 2; cv_.SetBackground(dc_.bkColor, dc_.bkOpaque); break;
    case W_SETMAPMODE: if (!window_) dc_.mapMode = p.U16(); MappingChanged(); break;
    case W_SETPOLYFILLMODE: dc_.winding = p.U16() == 2; cv_.SetWindingFill(dc_.winding); break;
    case W_SETTEXTCOLOR: dc_.textColor = FromColorRef(p.U32()); cv_.SetTextColor(dc_.textColor); break;
    case W_SETTEXTALIGN: dc_.textAlign = p.U16(); break;
    case W_SETWINDOWORG: { const double y = p.I16(), x = p.I16(); dc_.windowOrg = {x, y}; MappingChanged(); break; }
    case W_SETWINDOWEXT: { const double y = p.I16(), x = p.I16(); dc_.windowExt = {x, y}; MappingChanged(); break; }
    case W_SETVIEWPORTORG: { const double y = p.I16(), x = p.I16(); dc_.viewportOrg = {x, y}; MappingChanged(); break; }
    case W_SETVIEWPORTEXT: { const double y = p.I16(), x = p.I16(); dc_.viewportExt = {x, y}; MappingChanged(); break; }
    case W_MOVETO: { const double y = p.I16(), x = p.I16(); MoveTo({x, y}); break; }
    case W_LINETO: { const double y = p.I16(), x = p.I16(); LineTo({x, y}); break; }
    case W_CREATEPENINDIRECT: {
      const int style = p.U16();
      const double w = p.I16();
      p.I16();
      const ColorValue c = FromColorRef(p.U32());
      AddObject(LogPen{MakePen(style, c), std::abs(w)});
      break;
    }
    case W_CREATEBRUSHINDIRECT: {
      const std::uint32_t style = p.U16();
      const ColorValue c = FromColorRef(p.U32());
      AddObject(MakeBrush(style, c, p.U16()));
      break;
    }
    case W_CREATEFONTINDIRECT: {
      const double h = p.I16();
      p.I16();
      const double esc = p.I16();
      p.I16();
      const int weight = p.I16();
      const std::uint8_t italic = p.c.U8(), underline = p.c.U8(), strike = p.c.U8();
      p.c.Skip(5);
      const ByteSpan face = p.c.Take(std::min<std::uint64_t>(32, p.c.left()));
      AddObject(LogFont{FontFrom(weight, italic, underline, strike, esc, AnsiText(face)), h});
      break;
    }
    case W_CREATEPALETTE:
    case W_CREATEPATTERNBRUSH:
    case W_DIBCREATEPATTERNBRUSH:
    case W_CREATEREGION:
      // Objects we do not draw with still take their slot, or later indices go wrong.
      AddObject(std::monostate{});
      break;
    case W_SELECTOBJECT: {
      const std::uint16_t i = p.U16();
      if (const Object* o = ObjectAt(i)) Select(*o);
      break;
    }
    case W_DELETEOBJECT: DeleteObject(p.U16()); break;
    case W_RECTANGLE: {
      const double b = p.I16(), rr = p.I16(), t = p.I16(), l = p.I16();
      Rect(l, t, rr, b);
      break;
    }
    case W_ELLIPSE: {
      const double b = p.I16(), rr = p.I16(), t = p.I16(), l = p.I16();
      Ellipse(l, t, rr, b);
      break;
    }
    case W_ROUNDRECT: {
      const double h = p.I16(), w = p.I16(), b = p.I16(), rr = p.I16(), t = p.I16(), l = p.I16();
      RoundRect(l, t, rr, b, w, h);
      break;
    }
    case W_POLYGON:
    case W_POLYLINE: {
      const int n = p.I16();
      if (n > 0) Poly(Points16(p, static_cast<std::size_t>(n)), r.type == W_POLYGON);
      break;
    }
    case W_POLYPOLYGON: {
      const int polys = p.I16();
      if (polys <= 0) break;
      std::vector<int> counts;
      for (int i = 0; i < polys && p.ok(); ++i) counts.push_back(p.I16());
      std::vector<std::vector<TMfPoint>> all;
      for (int n : counts)
        if (n > 0) all.push_back(Points16(p, static_cast<std::size_t>(n)));
      PolyPoly(all, true);
      break;
    }
    case W_TEXTOUT: {
      const int n = p.I16();
      if (n <= 0) break;
      const ByteSpan s = p.c.Take(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), p.c.left()));
      if (n & 1) p.c.U8();
      const double y = p.I16(), x = p.I16();
      if (p.ok()) Text({x, y}, AnsiText(s));
      break;
    }
    case W_EXTTEXTOUT: {
      const double y = p.I16(), x = p.I16();
      const int n = p.I16();
      const std::uint16_t options = p.U16();
      if (options & 6) p.c.Skip(8);
      if (n <= 0 || !p.ok()) break;
      Text({x, y}, AnsiText(p.c.Take(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), p.c.left()))));
      break;
    }
    case W_STRETCHDIB: {
      p.U32();
      p.U16();
      p.I16(), p.I16(), p.I16(), p.I16();
      const double h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
      if (p.ok()) Bitmap(x, y, w, h, p.c.Rest());
      break;
    }
    case W_DIBSTRETCHBLT: {
      p.U32();
      p.I16(), p.I16(), p.I16(), p.I16();
      const double h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
      if (p.ok()) Bitmap(x, y, w, h, p.c.Rest());
      break;
    }
    case W_DIBBITBLT: {
      p.U32();
      p.I16(), p.I16();
      const double h = p.I16(), w = p.I16(), y = p.I16(), x = p.I16();
      if (p.ok()) Bitmap(x, y, w, h, p.c.Rest());
      break;
    }
    default: break;
  }
}

void Player::PlayEmf(const TMetafileRecord& r) {
  Params p(r.params);
  // Offsets inside EMF records count from the record's start, 8 bytes before its params.
  auto at = [&](std::uint32_t offset, std::uint32_t size) -> ByteSpan {
    if (offset < 8) return {};
    const std::uint64_t o = offset - 8;
    if (o > r.params.size() || size > r.params.size() - o) return {};
    return ByteSpan(r.params.data() + o, size);
  };
  switch (r.type) {
    case E_SAVEDC: saved_.push_back(dc_); break;
    case E_RESTOREDC: Restore(p.I32()); break;
    case E_SETBKCOLOR: dc_.bkColor = FromColorRef(p.U32()); cv_.SetBackground(dc_.bkColor, dc_.bkOpaque); break;
    case E_SETBKMODE: dc_.bkOpaque = p.U32() == 2; cv_.SetBackground(dc_.bkColor, dc_.bkOpaque); break;
    case E_SETMAPMODE: dc_.mapMode = static_cast<int>(p.U32()); MappingChanged(); break;
    case E_SETPOLYFILLMODE: dc_.winding = p.U32() == 2; cv_.SetWindingFill(dc_.winding); break;
    case E_SETTEXTCOLOR: dc_.textColor = FromColorRef(p.U32()); cv_.SetTextColor(dc_.textColor); break;
    case E_SETTEXTALIGN: dc_.textAlign = static_cast<int>(p.U32()); break;
    case E_SETWINDOWORGEX: { const double x = p.I32(), y = p.I32(); dc_.windowOrg = {x, y}; MappingChanged(); break; }
    case E_SETWINDOWEXTEX: { const double x = p.I32(), y = p.I32(); dc_.windowExt = {x, y}; MappingChanged(); break; }
    case E_SETVIEWPORTORGEX: { const double x = p.I32(), y = p.I32(); dc_.viewportOrg = {x, y}; MappingChanged(); break; }
    case E_SETVIEWPORTEXTEX: { const double x = p.I32(), y = p.I32(); dc_.viewportExt = {x, y}; MappingChanged(); break; }
    case E_SETWORLDTRANSFORM:
    case E_MODIFYWORLDTRANSFORM: {
      Xform x;
      x.m11 = p.F32(), x.m12 = p.F32(), x.m21 = p.F32(), x.m22 = p.F32(), x.dx = p.F32(), x.dy = p.F32();
      if (!p.ok()) break;
      if (r.type == E_SETWORLDTRANSFORM) {
        dc_.world = x;
      } else {
        const std::uint32_t mode = p.U32();
        if (mode == 1) dc_.world = Xform{};
        else if (mode == 2) dc_.world = Xform::Then(x, dc_.world);
        else if (mode == 3) dc_.world = Xform::Then(dc_.world, x);
      }
      MappingChanged();
      break;
    }
    case E_MOVETOEX: { const double x = p.I32(), y = p.I32(); MoveTo({x, y}); break; }
    case E_LINETO: { const double x = p.I32(), y = p.I32(); LineTo({x, y}); break; }
    case E_CREATEPEN: {
      const std::uint32_t index = p.U32(), style = p.U32();
      const double w = p.I32();
      p.I32();
      SetObject(index, LogPen{MakePen(static_cast<int>(style), FromColorRef(p.U32())), std::abs(w)});
      break;
    }
    case E_EXTCREATEPEN: {
      const std::uint32_t index = p.U32();
      p.U32(), p.U32(), p.U32(), p.U32();  // bitmap offsets and sizes
      const std::uint32_t style = p.U32(), width = p.U32();
      p.U32();  // brush style
      const ColorValue c = FromColorRef(p.U32());
      // A geometric pen's width is logical; a cosmetic one draws one pixel wide.
      SetObject(index, LogPen{MakePen(static_cast<int>(style), c), (style & 0x10000) ? static_cast<double>(width) : 0.0});
      break;
    }
    case E_CREATEBRUSHINDIRECT: {
      const std::uint32_t index = p.U32(), style = p.U32();
      const ColorValue c = FromColorRef(p.U32());
      SetObject(index, MakeBrush(style, c, p.U32()));
      break;
    }
    case E_EXTCREATEFONTINDIRECTW: {
      const std::uint32_t index = p.U32();
      const double h = p.I32();
      p.I32();
      const double esc = p.I32();
      p.I32();
      const std::int32_t weight = p.I32();
      const std::uint8_t italic = p.c.U8(), underline = p.c.U8(), strike = p.c.U8();
      p.c.Skip(5);
      const std::string face = Utf16Text(p.c.Take(std::min<std::uint64_t>(64, p.c.left())));
      SetObject(index, LogFont{FontFrom(weight, italic, underline, strike, esc, face), h});
      break;
    }
    case E_SELECTOBJECT: {
      const std::uint32_t i = p.U32();
      if (i & 0x80000000u) Select(StockObject(i & 0x7FFFFFFFu));
      else if (const Object* o = ObjectAt(i)) Select(*o);
      break;
    }
    case E_DELETEOBJECT: DeleteObject(p.U32()); break;
    case E_RECTANGLE:
    case E_ELLIPSE:
    case E_ROUNDRECT: {
      const double l = p.I32(), t = p.I32(), rr = p.I32(), b = p.I32();
      if (r.type == E_RECTANGLE) Rect(l, t, rr, b);
      else if (r.type == E_ELLIPSE) Ellipse(l, t, rr, b);
      else {
        const double w = p.I32(), h = p.I32();
        RoundRect(l, t, rr, b, w, h);
      }
      break;
    }
    case E_POLYGON:
    case E_POLYLINE:
    case E_POLYGON16:
    case E_POLYLINE16:
    case E_POLYBEZIER:
    case E_POLYBEZIER16:
    case E_POLYBEZIERTO:
    case E_POLYBEZIERTO16:
    case E_POLYLINETO:
    case E_POLYLINETO16: {
      p.c.Skip(16);  // bounds
      const std::uint32_t n = p.U32();
      const bool small = r.type >= E_POLYBEZIER16;
      const std::vector<TMfPoint> pts = small ? Points16(p, n) : Points32(p, n);
      if (pts.empty()) break;
      const bool bezier = r.type == E_POLYBEZIER || r.type == E_POLYBEZIER16 || r.type == E_POLYBEZIERTO ||
                          r.type == E_POLYBEZIERTO16;
      const bool to = r.type == E_POLYBEZIERTO || r.type == E_POLYBEZIERTO16 || r.type == E_POLYLINETO ||
                      r.type == E_POLYLINETO16;
      if (!bezier) {
        if (to) {
          for (const TMfPoint& q : pts) LineTo(q);
        } else {
          Poly(pts, r.type == E_POLYGON || r.type == E_POLYGON16);
        }
        break;
      }
      TMfPath path;
      std::size_t i = 0;
      if (to) {
        path.MoveTo(Map(dc_.current));
      } else {
        path.MoveTo(Map(pts[0]));
        i = 1;
      }
      for (; i + 2 < pts.size(); i += 3) path.CubicTo(Map(pts[i]), Map(pts[i + 1]), Map(pts[i + 2]));
      if (to) {
        if (i > 0) dc_.current = pts[std::min(i, pts.size()) - 1];
        if (inPath_) {
          // Continue the open figure rather than starting a new one.
          if (!path_.Empty()) path.elements.erase(path.elements.begin());
        }
      }
      if (inPath_) {
        for (const auto& e : path.elements) path_.elements.push_back(e);
      } else if (dc_.pen.pen.style != TMfPen::Null) {
        cv_.DrawPath(path, false, true);
      }
      break;
    }
    case E_POLYPOLYGON:
    case E_POLYPOLYLINE:
    case E_POLYPOLYGON16:
    case E_POLYPOLYLINE16: {
      p.c.Skip(16);
      const std::uint32_t polys = p.U32(), total = p.U32();
      if (polys == 0 || polys > p.c.left() / 4) break;
      std::vector<std::uint32_t> counts(polys);
      for (auto& n : counts) n = p.U32();
      const bool small = r.type >= E_POLYPOLYLINE16;
      std::vector<std::vector<TMfPoint>> all;
      std::uint64_t used = 0;
      for (std::uint32_t n : counts) {
        used += n;
        if (used > total) break;
        all.push_back(small ? Points16(p, n) : Points32(p, n));
      }
      PolyPoly(all, r.type == E_POLYPOLYGON || r.type == E_POLYPOLYGON16);
      break;
    }
    case E_BEGINPATH: inPath_ = true; path_ = TMfPath{}; break;
    case E_ENDPATH: inPath_ = false; break;
    case E_CLOSEFIGURE: if (inPath_) path_.Close(); break;
    case E_FILLPATH:
    case E_STROKEPATH:
    case E_STROKEANDFILLPATH:
      if (!path_.Empty())
        cv_.DrawPath(path_, r.type != E_STROKEPATH && dc_.brush.style != TMfBrush::Null,
                     r.type != E_FILLPATH && dc_.pen.pen.style != TMfPen::Null);
      path_ = TMfPath{};
      break;
    case E_EXTTEXTOUTW: {
      p.c.Skip(16 + 12);  // bounds, graphics mode, scales
      const double x = p.I32(), y = p.I32();
      const std::uint32_t chars = p.U32(), offString = p.U32();
      if (!p.ok() || chars == 0 || chars > (1u << 20)) break;
      Text({x, y}, Utf16Text(at(offString, chars * 2)));
      break;
    }
    case E_STRETCHDIBITS: {
      p.c.Skip(16);
      const double x = p.I32(), y = p.I32();
      p.I32(), p.I32(), p.I32(), p.I32();
      const std::uint32_t offBmi = p.U32(), cbBmi = p.U32(), offBits = p.U32(), cbBits = p.U32();
      p.U32(), p.U32();
      const double w = p.I32(), h = p.I32();
      if (!p.ok()) break;
      const ByteSpan bmi = at(offBmi, cbBmi), bits = at(offBits, cbBits);
      if (bmi.size() < 40) break;
      std::vector<std::uint8_t> packed(bmi.begin(), bmi.end());
      packed.insert(packed.end(), bits.begin(), bits.end());
      Bitmap(x, y, w, h, packed);
      break;
    }
    default: break;
  }
}

}  // namespace

TMetafile TMetafile::Parse(ByteSpan f) {
  TMetafile m;
  ByteCursor c(f);
  const std::uint32_t first = c.U32LE();
  if (!c.ok()) Bad("Not a metafile");
  if (first == 1 && f.size() >= 88) {
    // EMF: the header record carries the signature, the frame and the reference device.
    ByteCursor h(f, 8);
    const std::int32_t bl = h.I32LE(), bt = h.I32LE(), br = h.I32LE(), bb = h.I32LE();
    const std::int32_t fl = h.I32LE(), ft = h.I32LE(), fr = h.I32LE(), fb = h.I32LE();
    const std::uint32_t signature = h.U32LE();
    if (signature != kEmfSignature) Bad("Not a metafile");
    h.Seek(72);
    const std::int32_t devW = h.I32LE(), devH = h.I32LE(), mmW = h.I32LE(), mmH = h.I32LE();
    m.kind_ = Kind::Emf;
    double left, top, w, hgt;
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && fr > fl && fb > ft) {
      const double kx = devW / (mmW * 100.0), ky = devH / (mmH * 100.0);
      left = fl * kx, top = ft * ky, w = (static_cast<double>(fr) - fl) * kx, hgt = (static_cast<double>(fb) - ft) * ky;
    } else {
      left = bl, top = bt, w = static_cast<double>(br) - bl + 1, hgt = static_cast<double>(bb) - bt + 1;
    }
    if (!(w >= 1 && hgt >= 1)) Bad("The metafile has no size");
    m.originX_ = left, m.originY_ = top;
    const double shrink = std::min(1.0, kMaxSide / std::max(w, hgt));
    m.scaleX_ = m.scaleY_ = shrink;
    m.width_ = std::max(1, static_cast<int>(std::lround(w * shrink)));
    m.height_ = std::max(1, static_cast<int>(std::lround(hgt * shrink)));
    std::size_t pos = 0;
    while (pos < f.size()) {
      ByteCursor r(f, pos);
      const std::uint32_t type = r.U32LE(), size = r.U32LE();
      if (!r.ok() || size < 8 || size % 4 != 0 || size > f.size() - pos) Bad("A metafile record leaves the file");
      if (m.records_.size() >= kMaxRecords) Bad("Too many metafile records");
      m.records_.push_back({type, std::vector<std::uint8_t>(f.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                                                            f.begin() + static_cast<std::ptrdiff_t>(pos + size))});
      pos += size;
      if (type == E_EOF) break;
    }
    if (m.records_.size() < 2) Bad("The metafile has no records");
    return m;
  }

  std::size_t at = 0;
  double boxW = 0, boxH = 0, boxL = 0, boxT = 0, inch = 0;
  if (first == kPlaceableKey) {
    ByteCursor h(f, 4);
    h.U16LE();
    const std::int16_t l = h.I16LE(), t = h.I16LE(), r = h.I16LE(), b = h.I16LE();
    inch = h.U16LE();
    if (!h.ok() || inch == 0) Bad("Not a metafile");
    boxL = std::min(l, r), boxT = std::min(t, b);
    boxW = std::abs(r - l), boxH = std::abs(b - t);
    m.kind_ = Kind::PlaceableWmf;
    at = 22;
  } else {
    m.kind_ = Kind::Wmf;
  }
  ByteCursor h(f, at);
  const std::uint16_t type = h.U16LE(), headerWords = h.U16LE();
  if (!h.ok() || (type != 1 && type != 2) || headerWords != 9) Bad("Not a metafile");
  std::size_t pos = at + 18;
  if (pos > f.size()) Bad("Not a metafile");
  double winW = 0, winH = 0, winL = 0, winT = 0;
  bool haveExt = false, haveOrg = false;
  while (pos < f.size()) {
    ByteCursor r(f, pos);
    const std::uint32_t words = r.U32LE();
    const std::uint16_t fn = r.U16LE();
    if (!r.ok() || words < 3 || static_cast<std::uint64_t>(words) * 2 > f.size() - pos)
      Bad("A metafile record leaves the file");
    if (m.records_.size() >= kMaxRecords) Bad("Too many metafile records");
    const std::size_t size = static_cast<std::size_t>(words) * 2;
    m.records_.push_back({fn, std::vector<std::uint8_t>(f.begin() + static_cast<std::ptrdiff_t>(pos + 6),
                                                        f.begin() + static_cast<std::ptrdiff_t>(pos + size))});
    const auto& p = m.records_.back().params;
    if ((fn == W_SETWINDOWEXT || fn == W_SETWINDOWORG) && p.size() >= 4) {
      const double y = static_cast<std::int16_t>(p[0] | (p[1] << 8)), x = static_cast<std::int16_t>(p[2] | (p[3] << 8));
      if (fn == W_SETWINDOWEXT && !haveExt) winW = x, winH = y, haveExt = true;
      if (fn == W_SETWINDOWORG && !haveOrg) winL = x, winT = y, haveOrg = true;
    }
    pos += size;
    if (fn == W_EOF) break;
  }
  if (m.records_.empty()) Bad("The metafile has no records");

  double w, hgt;
  TMfPoint org, ext;
  if (m.kind_ == Kind::PlaceableWmf) {
    w = boxW * kScreenDpi / inch, hgt = boxH * kScreenDpi / inch;
    org = {boxL, boxT}, ext = {boxW, boxH};
  } else {
    if (!haveExt || winW == 0 || winH == 0) Bad("The metafile has no size");
    w = std::abs(winW), hgt = std::abs(winH);
    org = {winL, winT}, ext = {winW, winH};
  }
  if (!(w >= 1 && hgt >= 1)) Bad("The metafile has no size");
  const double shrink = std::min(1.0, kMaxSide / std::max(w, hgt));
  m.width_ = std::max(1, static_cast<int>(std::lround(w * shrink)));
  m.height_ = std::max(1, static_cast<int>(std::lround(hgt * shrink)));
  m.hasWindow_ = true;
  m.originX_ = org.x, m.originY_ = org.y;
  // The window default until the file sets its own; scale is the picture's size.
  m.scaleX_ = m.width_;
  m.scaleY_ = m.height_;
  m.windowExtX_ = ext.x, m.windowExtY_ = ext.y;
  return m;
}

void TMetafile::Play(TMetafileCanvas& canvas) const {
  Player player(canvas, kind_, originX_, originY_, scaleX_, scaleY_, hasWindow_, {originX_, originY_},
                {windowExtX_, windowExtY_});
  player.Begin();
  for (const TMetafileRecord& r : records_) {
    if (kind_ == Kind::Emf) player.PlayEmf(r);
    else player.PlayWmf(r);
  }
}

}  // namespace pelira
