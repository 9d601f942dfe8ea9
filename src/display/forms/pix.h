#pragma once
// TPix: the control that shows a bitmap. The viewer's picture and the filter previews are
// TPix controls. It owns its bitmap and paints it stretched over its client area (the viewer
// zooms by sizing the control), centred, or at its own size. The fast path repaints only the
// damaged part with pixel dropping; the normal path scales smoothly. While painting is
// suspended (a picture is being replaced) the control keeps showing the last frame.
#include <QColor>
#include <QImage>
#include <QWidget>
#include <optional>

#include "display/reduced_view.h"
#include "image/dib.h"

class QPainter;

namespace pelira {

class TPix : public QWidget {
  Q_OBJECT
public:
  explicit TPix(QWidget* parent = nullptr);
  ~TPix() override;

  bool AutoSize() const { return autoSize_; }   // kept only; the control never resizes itself
  void SetAutoSize(bool on) { autoSize_ = on; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  bool Center() const { return center_; }
  void SetCenter(bool on);
  bool FastPaint() const { return fastPaint_; }
  void SetFastPaint(bool on);
  // Shown where the bitmap does not cover the control.
  void SetBackgroundColor(const QColor& c);
  QColor BackgroundColor() const { return background_; }

  const Dib& Bitmap() const { return bitmap_; }
  // The owned bitmap becomes a copy of bitmap (or takes it over).
  void SetBitmap(const Dib& bitmap);
  void SetBitmap(Dib&& bitmap);
  // For edits in place: change the bitmap through EditBitmap, then call BitmapChanged.
  Dib& EditBitmap() { return bitmap_; }
  void BitmapChanged();

  // Suspends or resumes painting. While suspended the last frame stays on screen, whatever
  // happens to the bitmap; resuming does not repaint by itself (the caller invalidates).
  void SuspendPaint(bool suspend);
  bool PaintSuspended() const { return suspended_; }
  bool Painting() const { return painting_; }

  // The working bitmap is always device-independent here: the depth comes back unchanged.
  int ToDeviceIndependent(int width, int height, int depth) const;

  // The frame of a selection, drawn over the picture in control pixels (none by default).
  void SetFrameRect(const std::optional<QRect>& r);
  std::optional<QRect> FrameRect() const { return frame_; }

  // The QImage over the bitmap's rows (bottom-up, so row 0 is the picture's last row).
  const QImage& WrappedImage() const { return image_; }

  // Paints the control's rectangle `exposed` as the screen would show it (also used for
  // offscreen first paints and the frozen frame).
  void Paint(QPainter& painter, const QRegion& exposed);

  QSize sizeHint() const override { return {105, 105}; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void Wrap();
  void PaintNormal(QPainter& painter, const QRegion& exposed);
  void PaintFast(QPainter& painter, const QRect& clip);
  void DrawWhole(QPainter& painter, const QRect& dest, bool smooth);
  QImage ClipImage() const;

  Dib bitmap_;
  QImage image_;          // wraps bitmap_ (a converted copy for 4-bit pictures)
  QList<QRgb> colors_;    // the palette as Qt colours
  ClipPixels clip_;       // reused buffer of the reduced fast path
  bool autoSize_ = false;
  bool stretch_ = false;
  bool center_ = false;
  bool fastPaint_ = false;
  bool suspended_ = false;
  bool painting_ = false;
  QColor background_ = Qt::black;
  QImage frozen_;         // the last frame while suspended
  QPoint frozenAt_;
  std::optional<QRect> frame_;
};

}  // namespace pelira
