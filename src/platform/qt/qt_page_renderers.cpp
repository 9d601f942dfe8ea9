#include "platform/qt/qt_page_renderers.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/file_bytes.h"

namespace pelira {

namespace {

QColor ToQColor(ColorValue c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

QPainterMetafileCanvas::QPainterMetafileCanvas(QPainter& painter) : p_(painter) {
  pen_ = QPen(Qt::black, 0);
  brush_ = QBrush(Qt::white);
  p_.setRenderHint(QPainter::Antialiasing, true);
}

void QPainterMetafileCanvas::SetPen(const TMfPen& pen) {
  if (pen.style == TMfPen::Null) {
    pen_ = QPen(Qt::NoPen);
    return;
  }
  static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
  pen_ = QPen(ToQColor(pen.color));
  pen_.setStyle(kStyles[std::clamp(pen.style, 0, 4)]);
  // Zero width is the one-pixel line whatever the scale.
  pen_.setWidthF(pen.width < 1 ? 1.0 : pen.width);
  pen_.setCapStyle(Qt::RoundCap);
  pen_.setJoinStyle(Qt::RoundJoin);
}

void QPainterMetafileCanvas::SetBrush(const TMfBrush& brush) {
  if (brush.style == TMfBrush::Null) {
    brush_ = QBrush(Qt::NoBrush);
  } else if (brush.style == TMfBrush::Hatched) {
    static const Qt::BrushStyle kHatch[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                            Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    brush_ = QBrush(ToQColor(brush.color), kHatch[std::clamp(brush.hatch, 0, 5)]);
  } else {
    brush_ = QBrush(ToQColor(brush.color));
  }
}

void QPainterMetafileCanvas::SetFont(const TMfFont& font) {
  font_ = QFont(QString::fromStdString(font.face));
  font_.setPixelSize(std::max(1, static_cast<int>(std::lround(font.height))));
  font_.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
  font_.setItalic(font.italic);
  font_.setUnderline(font.underline);
  font_.setStrikeOut(font.strikeOut);
  angle_ = font.angle;
}

void QPainterMetafileCanvas::SetTextColor(ColorValue c) { text_ = ToQColor(c); }

void QPainterMetafileCanvas::SetBackground(ColorValue c, bool opaque) {
  p_.setBackground(QBrush(ToQColor(c)));
  p_.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void QPainterMetafileCanvas::SetWindingFill(bool winding) { winding_ = winding; }

void QPainterMetafileCanvas::DrawPath(const TMfPath& path, bool fill, bool stroke) {
  QPainterPath qp;
  qp.setFillRule(winding_ ? Qt::WindingFill : Qt::OddEvenFill);
  std::size_t close = 0;
  const auto& e = path.elements;
  for (std::size_t i = 0; i < e.size(); ++i) {
    const QPointF p(e[i].p.x, e[i].p.y);
    switch (e[i].kind) {
      case TMfPath::Move: qp.moveTo(p); break;
      case TMfPath::Line: qp.lineTo(p); break;
      case TMfPath::Cubic:
        if (i + 2 < e.size()) {
          qp.cubicTo(p, QPointF(e[i + 1].p.x, e[i + 1].p.y), QPointF(e[i + 2].p.x, e[i + 2].p.y));
          i += 2;
        }
        break;
    }
    while (close < path.closeAfter.size() && path.closeAfter[close] <= i) {
      qp.closeSubpath();
      ++close;
    }
  }
  // Hatches and dashes take the background mode; shapes themselves never do.
  p_.setPen(stroke ? pen_ : QPen(Qt::NoPen));
  p_.setBrush(fill ? brush_ : QBrush(Qt::NoBrush));
  p_.drawPath(qp);
}

void QPainterMetafileCanvas::DrawText(TMfPoint at, const std::string& utf8, int align) {
  const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  p_.save();
  p_.setFont(font_);
  p_.setPen(text_);
  const QFontMetricsF fm(font_, p_.device());
  const double w = fm.horizontalAdvance(text);
  double x = 0, y = 0;
  const int h = align & 6, v = align & 24;
  if (h == kMfAlignCenter) x = -w / 2;
  else if (h == kMfAlignRight) x = -w;
  if (v == 0) y = fm.ascent();
  else if (v == kMfAlignBottom) y = -fm.descent();
  p_.translate(at.x, at.y);
  if (angle_ != 0) p_.rotate(-angle_);
  if (p_.backgroundMode() == Qt::OpaqueMode)
    p_.fillRect(QRectF(x, y - fm.ascent(), w, fm.height()), p_.background());
  p_.drawText(QPointF(x, y), text);
  p_.restore();
}

void QPainterMetafileCanvas::DrawBitmap(TMfPoint tl, TMfPoint tr, TMfPoint bl, const Dib& bitmap) {
  if (bitmap.Empty()) return;
  const QImage img = QImageFromDib(bitmap);
  const double w = bitmap.Width(), h = bitmap.Height();
  const QTransform t((tr.x - tl.x) / w, (tr.y - tl.y) / w, (bl.x - tl.x) / h, (bl.y - tl.y) / h, tl.x, tl.y);
  p_.save();
  p_.setTransform(t, true);
  // Stretched bitmaps drop or repeat pixels, as the default stretch mode of metafiles does.
  p_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p_.drawImage(QPointF(0, 0), img);
  p_.restore();
}

QImage QImageFromDib(const Dib& d) {
  const int w = d.Width(), h = d.Height();
  if (d.BitCount() == 24) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* s = d.ScanLine(y);
      std::uint8_t* o = img.scanLine(y);
      for (int x = 0; x < w; ++x, s += 3, o += 3) o[0] = s[2], o[1] = s[1], o[2] = s[0];
    }
    return img;
  }
  QImage img(w, h, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (const RgbQuad& q : d.Colors()) table.push_back(qRgb(q.red, q.green, q.blue));
  while (table.size() < (1 << d.BitCount())) table.push_back(qRgb(0, 0, 0));
  img.setColorTable(table);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* o = img.scanLine(y);
    for (int x = 0; x < w; ++x) o[x] = static_cast<std::uint8_t>(d.Index(x, y));
  }
  return img;
}

Dib DibFromQImage(const QImage& source) {
  const QImage img = source.convertToFormat(QImage::Format_RGB32);
  Dib d(img.width(), img.height(), 24, Dib::Init::Uninitialised);
  for (int y = 0; y < img.height(); ++y) {
    const QRgb* s = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    std::uint8_t* o = d.ScanLine(y);
    for (int x = 0; x < img.width(); ++x, o += 3) o[0] = qBlue(s[x]), o[1] = qGreen(s[x]), o[2] = qRed(s[x]);
    std::memset(o, 0, d.Stride() - static_cast<std::size_t>(img.width()) * 3);
  }
  return d;
}

void BuildTextDocument(const TRichText& text, QTextDocument& doc, int pageWidth) {
  doc.clear();
  QFont base = text.monospace ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
  base.setPointSizeF(10);
  doc.setDefaultFont(base);
  doc.setDocumentMargin(4);
  doc.setTextWidth(pageWidth);
  QTextCursor cur(&doc);
  bool first = true;
  for (const TTextParagraph& para : text.paragraphs) {
    QTextBlockFormat bf;
    static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    bf.setAlignment(kAlign[para.align]);
    if (first) cur.setBlockFormat(bf);
    else cur.insertBlock(bf);
    first = false;
    for (const TTextRun& r : para.runs) {
      QTextCharFormat cf;
      QFont f = base;
      if (!r.font.empty()) f.setFamilies({QString::fromStdString(r.font)});
      if (!text.monospace) f.setPointSizeF(r.pointSize);
      f.setBold(r.bold);
      f.setItalic(r.italic);
      f.setUnderline(r.underline);
      cf.setFont(f);
      cf.setForeground(QBrush(r.hasColor ? ToQColor(r.color) : QColor(Qt::black)));
      QString s = QString::fromUtf8(r.text.data(), static_cast<qsizetype>(r.text.size()));
      s.replace(QChar('\n'), QChar::LineSeparator);
      cur.insertText(s, cf);
    }
  }
}

std::optional<Dib> RenderMetafileFile(const std::filesystem::path& path, const PageRequest& request) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  const TMetafile m = TMetafile::Parse(bytes);
  QImage img(m.Width(), m.Height(), QImage::Format_RGB32);
  if (img.isNull()) return std::nullopt;
  img.fill(ToQColor(request.background));
  {
    QPainter painter(&img);
    QPainterMetafileCanvas canvas(painter);
    m.Play(canvas);
  }
  return DibFromQImage(img);
}

std::optional<Dib> RenderTextPageFile(const std::filesystem::path& path, const PageRequest& request) {
  const std::vector<std::uint8_t> bytes = ReadFilePrefix(path, kMaxTextBytes);
  const TRichText text = ReadTextPage(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  const int w = std::max(1, request.pageWidth), h = std::max(1, request.pageHeight);
  QTextDocument doc;
  BuildTextDocument(text, doc, w);
  QImage img(w, h, QImage::Format_RGB32);
  if (img.isNull()) return std::nullopt;
  img.fill(Qt::white);
  {
    QPainter painter(&img);
    doc.drawContents(&painter, QRectF(0, 0, w, h));
  }
  return DibFromQImage(img);
}

void InstallQtPageRenderers() { SetPageRenderers(&RenderMetafileFile, &RenderTextPageFile); }

}  // namespace pelira
