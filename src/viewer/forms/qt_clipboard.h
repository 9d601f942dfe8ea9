#pragma once
// The system clipboard through QClipboard. A copy puts a promise there: the picture is
// encoded (PNG, BMP) only when a program asks for it, so copying a big picture returns at
// once. A paste reads the PNG or BMP bytes and leaves the decoding to our own codecs.
#include <QMimeData>

#include <memory>

#include "viewer/clipboard.h"

namespace pelira {

class PictureMimeData : public QMimeData {
  Q_OBJECT
public:
  explicit PictureMimeData(std::shared_ptr<const Dib> picture) : picture_(std::move(picture)) {}
  const std::shared_ptr<const Dib>& Picture() const { return picture_; }
  bool hasFormat(const QString& mimeType) const override;
  QStringList formats() const override;

protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
  std::shared_ptr<const Dib> picture_;
};

class QtClipboard : public Clipboard {
public:
  bool HasBitmap() override;
  ClipboardData Get() override;
  bool Set(std::shared_ptr<const Dib> picture) override;
  void Clear() override;
};

// The PNG bytes another program gets for a copied picture (fast compression, no interlace).
QByteArray EncodeClipboardPng(const Dib& picture);

}  // namespace pelira
