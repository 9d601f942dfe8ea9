#pragma once
// The Qt side of metafile and text pictures: the metafile canvas on QPainter, text pages
// laid out by QTextDocument, and the two renderers the loading pipeline calls. A
// QGuiApplication must exist (fonts).
#include <QImage>
#include <QPainter>
#include <filesystem>
#include <optional>

#include "image/codec_registry.h"
#include "image/metafile.h"
#include "image/rich_text.h"

class QTextDocument;

namespace pelira {

class QPainterMetafileCanvas : public TMetafileCanvas {
public:
  explicit QPainterMetafileCanvas(QPainter& painter);
  void SetPen(const TMfPen& pen) override;
  void SetBrush(const TMfBrush& brush) override;
  void SetFont(const TMfFont& font) override;
  void SetTextColor(ColorValue c) override;
  void SetBackground(ColorValue c, bool opaque) override;
  void SetWindingFill(bool winding) override;
  void DrawPath(const TMfPath& path, bool fill, bool stroke) override;
  void DrawText(TMfPoint at, const std::string& utf8, int align) override;
  void DrawBitmap(TMfPoint topLeft, TMfPoint topRight, TMfPoint bottomLeft, const Dib& bitmap) override;

private:
  QPainter& p_;
  QPen pen_;
  QBrush brush_;
  QFont font_;
  double angle_ = 0;
  QColor text_;
  bool winding_ = false;
};

// A bitmap as a QImage (indices and palettes kept for palette bitmaps).
QImage QImageFromDib(const Dib& d);
// An RGB32 image as a 24-bit bitmap.
Dib DibFromQImage(const QImage& image);

// The text page as a document in the page's width (plain text in a fixed-pitch font).
void BuildTextDocument(const TRichText& text, QTextDocument& doc, int pageWidth);

std::optional<Dib> RenderMetafileFile(const std::filesystem::path& path, const PageRequest& request);
std::optional<Dib> RenderTextPageFile(const std::filesystem::path& path, const PageRequest& request);

// Hands both renderers to the loading pipeline.
void InstallQtPageRenderers();

}  // namespace pelira
