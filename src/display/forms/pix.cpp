#include "display/forms/pix.h"

#include <QPaintEvent>
#include <QPainter>

#include "display/paint_geometry.h"

namespace pelira {

namespace {

QRect ToQRect(const RectI& r) { return {r.left, r.top, r.width, r.height}; }

}  // namespace

TPix::TPix(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(105, 105);
}

TPix::~TPix() = default;

void TPix::SetStretch(bool on) {
  stretch_ = on;
  update();
}

void TPix::SetCenter(bool on) {
  center_ = on;
  update();
}

void TPix::SetFastPaint(bool on) {
  fastPaint_ = on;
  update();
}

void TPix::SetBackgroundColor(const QColor& c) {
  background_ = c;
  update();
}

void TPix::SetBitmap(const Dib& bitmap) {
  bitmap_ = bitmap;
  BitmapChanged();
}

void TPix::SetBitmap(Dib&& bitmap) {
  bitmap_ = std::move(bitmap);
  BitmapChanged();
}

void TPix::BitmapChanged() {
  Wrap();
  update();
}

int TPix::ToDeviceIndependent(int /*width*/, int /*height*/, int depth) const { return depth; }

void TPix::SetFrameRect(const std::optional<QRect>& r) {
  if (frame_) update(frame_->adjusted(-1, -1, 1, 1));
  frame_ = r;
  if (frame_) update(frame_->adjusted(-1, -1, 1, 1));
}

void TPix::Wrap() {
  image_ = QImage();
  colors_.clear();
  if (bitmap_.Empty()) return;
  const int bits = bitmap_.BitCount();
  if (bitmap_.HasPalette()) {
    const Palette& p = bitmap_.Colors();
    colors_.resize(1 << bits, qRgb(0, 0, 0));  // entries past the palette read black
    for (std::size_t i = 0; i < p.size() && i < static_cast<std::size_t>(colors_.size()); ++i)
      colors_[static_cast<qsizetype>(i)] = qRgb(p[i].red, p[i].green, p[i].blue);
  }
  const auto stride = static_cast<qsizetype>(bitmap_.Stride());
  const uchar* bits0 = bitmap_.Bits();
  // The rows are wrapped as they lie in memory (bottom-up); painting flips them.
  switch (bits) {
    case 24:
      image_ = QImage(bits0, bitmap_.Width(), bitmap_.Height(), stride, QImage::Format_BGR888);
      break;
    case 8:
      image_ = QImage(bits0, bitmap_.Width(), bitmap_.Height(), stride, QImage::Format_Indexed8);
      image_.setColorTable(colors_);
      break;
    case 1:
      image_ = QImage(bits0, bitmap_.Width(), bitmap_.Height(), stride, QImage::Format_Mono);
      image_.setColorTable(colors_);
      break;
    case 4: {
      // Qt has no 4-bit format: one unpacked copy, in the same bottom-up order.
      image_ = QImage(bitmap_.Width(), bitmap_.Height(), QImage::Format_Indexed8);
      image_.setColorTable(colors_);
      for (int row = 0; row < bitmap_.Height(); ++row) {
        const uchar* src = bits0 + static_cast<std::size_t>(row) * bitmap_.Stride();
        uchar* dst = image_.scanLine(row);
        for (int x = 0; x < bitmap_.Width(); ++x) dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
      }
      break;
    }
    default:
      break;
  }
}

void TPix::SuspendPaint(bool suspend) {
  if (suspend == suspended_) return;
  if (suspend) {
    // Keep what is on screen now; the bitmap may be replaced before painting resumes.
    const QRect visible = visibleRegion().boundingRect();
    frozen_ = QImage();
    if (!visible.isEmpty()) {
      frozen_ = QImage(visible.size(), QImage::Format_RGB32);
      QPainter p(&frozen_);
      p.translate(-visible.topLeft());
      Paint(p, QRegion(visible));
      frozenAt_ = visible.topLeft();
    }
    suspended_ = true;
  } else {
    suspended_ = false;
    frozen_ = QImage();
  }
}

void TPix::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (suspended_) {
    painter.fillRect(event->rect(), background_);
    if (!frozen_.isNull()) painter.drawImage(frozenAt_, frozen_);
    return;
  }
  Paint(painter, event->region());
}

void TPix::Paint(QPainter& painter, const QRegion& exposed) {
  if (painting_) return;
  painting_ = true;
  if (image_.isNull()) {
    for (const QRect& r : exposed) painter.fillRect(r, background_);
  } else if (fastPaint_) {
    for (const QRect& r : exposed) PaintFast(painter, r);
  } else {
    PaintNormal(painter, exposed);
  }
  if (frame_) {
    painter.save();
    painter.setClipRegion(exposed);
    QPen pen(Qt::white, 1, Qt::DashLine);
    painter.setPen(pen);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawRect(frame_->adjusted(0, 0, -1, -1));
    painter.restore();
  }
  painting_ = false;
}

void TPix::DrawWhole(QPainter& painter, const QRect& dest, bool smooth) {
  if (dest.isEmpty()) return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  // Bottom-up rows: map image row 0 to the bottom of dest.
  const qreal sx = static_cast<qreal>(dest.width()) / image_.width();
  const qreal sy = static_cast<qreal>(dest.height()) / image_.height();
  painter.setTransform(QTransform(sx, 0, 0, -sy, dest.left(), dest.top() + dest.height()), true);
  painter.drawImage(QPointF(0, 0), image_);
  painter.restore();
}

void TPix::PaintNormal(QPainter& painter, const QRegion& exposed) {
  const QRect dest = ToQRect(NormalDestRect(stretch_, center_, {width(), height()},
                                            {bitmap_.Width(), bitmap_.Height()}));
  painter.save();
  painter.setClipRegion(exposed);
  const QRegion outside = exposed.subtracted(QRegion(dest));
  for (const QRect& r : outside) painter.fillRect(r, background_);
  const bool scaled = dest.size() != QSize(bitmap_.Width(), bitmap_.Height());
  DrawWhole(painter, dest, scaled);
  painter.restore();
}

QImage TPix::ClipImage() const {
  QImage img(clip_.bytes.data(), clip_.width, clip_.height, static_cast<qsizetype>(clip_.stride),
             clip_.bitsPerPixel == 24 ? QImage::Format_BGR888 : QImage::Format_Indexed8);
  if (clip_.bitsPerPixel != 24) img.setColorTable(colors_);
  return img;
}

void TPix::PaintFast(QPainter& painter, const QRect& clip) {
  const SizeI bitmapSize{bitmap_.Width(), bitmap_.Height()};
  const SizeI client{width(), height()};
  const FastPaintPlan plan = PlanFastPaint(bitmapSize, client, {clip.x(), clip.y(), clip.width(), clip.height()});
  if (plan.kind == FastPaintKind::Nothing) return;
  const bool oneBitReduced = bitmap_.BitCount() == 1 && (bitmapSize.width > client.width || bitmapSize.height > client.height);
  if (plan.kind == FastPaintKind::Reduced || oneBitReduced) {
    // Only the damaged part is sampled, one source row per screen row, no averaging.
    SampleReducedView(bitmap_, client, plan.dest, clip_);
    if (clip_.width > 0) painter.drawImage(QPoint(plan.dest.left, plan.dest.top), ClipImage());
    return;
  }
  // 1:1 and enlarged views: the whole picture under one mapping, cut to the widened clip, so
  // neighbouring repaints meet on whole source pixels.
  painter.save();
  painter.setClipRect(ToQRect(plan.dest), Qt::IntersectClip);
  DrawWhole(painter, rect(), false);
  painter.restore();
}

}  // namespace pelira
