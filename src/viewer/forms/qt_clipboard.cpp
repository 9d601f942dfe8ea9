#include "viewer/forms/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QBuffer>
#include <QImage>

#include "image/bmp_graphic.h"
#include "image/pixel_limit.h"
#include "image/png_graphic.h"

namespace pelira {

namespace {

const char* const kPng = "image/png";
const char* const kBmpTypes[] = {"image/bmp", "image/x-bmp", "image/x-MS-bmp"};

QByteArray ToByteArray(const Bytes& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())); }

}  // namespace

QByteArray EncodeClipboardPng(const Dib& picture) {
  TPngGraphic png;
  png.AdoptBitmap(Dib(picture));
  png.Interlace = false;
  png.Compression = 0;
  return ToByteArray(png.SaveToBytes());
}

bool PictureMimeData::hasFormat(const QString& mimeType) const { return formats().contains(mimeType); }

QStringList PictureMimeData::formats() const {
  QStringList f{kPng};
  for (const char* t : kBmpTypes) f << t;
  f << "application/x-qt-image";
  return f;
}

QVariant PictureMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
  if (!picture_ || picture_->Empty()) return {};
  try {
    if (mimeType == kPng) return EncodeClipboardPng(*picture_);
    for (const char* t : kBmpTypes)
      if (mimeType == t) return ToByteArray(SaveWorkingBitmapBmp(*picture_));
    if (mimeType == "application/x-qt-image") {
      QImage image;
      if (image.loadFromData(EncodeClipboardPng(*picture_), "PNG")) return image;
    }
  } catch (const std::exception&) {
    return {};  // the asking program gets nothing rather than a broken picture
  }
  return QMimeData::retrieveData(mimeType, type);
}

bool QtClipboard::HasBitmap() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return false;
  if (m->hasFormat(kPng) || m->hasImage()) return true;
  for (const char* t : kBmpTypes)
    if (m->hasFormat(t)) return true;
  return false;
}

ClipboardData QtClipboard::Get() {
  ClipboardData d;
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return d;
  // Our own copy comes back without a round trip through an encoder.
  if (const auto* own = qobject_cast<const PictureMimeData*>(m)) {
    d.format = ClipboardFormat::PackedDib;
    d.picture = own->Picture();
    return d;
  }
  const auto take = [&d](ClipboardFormat f, const QByteArray& bytes) {
    d.format = f;
    d.bytes.assign(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                   reinterpret_cast<const std::uint8_t*>(bytes.constData()) + bytes.size());
  };
  if (m->hasFormat(kPng)) {
    const QByteArray bytes = m->data(kPng);
    if (!bytes.isEmpty()) {
      take(ClipboardFormat::Png, bytes);
      return d;
    }
  }
  for (const char* t : kBmpTypes)
    if (m->hasFormat(t)) {
      const QByteArray bytes = m->data(t);
      if (!bytes.isEmpty()) {
        take(ClipboardFormat::Bmp, bytes);
        return d;
      }
    }
  // Only a picture in another form (JPEG, a Qt image): Qt's conversion, written as PNG for
  // our decoder. Qt gives a null image for pictures too large for it.
  if (m->hasImage()) {
    const QImage image = qvariant_cast<QImage>(m->imageData());
    if (!image.isNull()) {
      CheckPixelLimit(image.width(), image.height(), 24);
      QByteArray png;
      QBuffer buffer(&png);
      buffer.open(QIODevice::WriteOnly);
      if (image.save(&buffer, "PNG", 100)) take(ClipboardFormat::Png, png);
    }
  }
  return d;
}

bool QtClipboard::Set(std::shared_ptr<const Dib> picture) {
  if (!picture || picture->Empty()) return false;
  QClipboard* c = QGuiApplication::clipboard();
  if (!c) return false;
  c->setMimeData(new PictureMimeData(std::move(picture)));
  return true;
}

void QtClipboard::Clear() {
  if (QClipboard* c = QGuiApplication::clipboard()) c->clear();
}

}  // namespace pelira
