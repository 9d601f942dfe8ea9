#pragma once
// The system clipboard as the viewer uses it: one picture in, one picture out. The desktop
// window uses the Qt clipboard; tests hand it a MemoryClipboard or the Qt one.
#include <cstdint>
#include <memory>
#include <vector>

#include "image/dib.h"

namespace pelira {

enum class ClipboardFormat { None, Png, Bmp, PackedDib };

// What the clipboard holds, as the bytes of a file (PNG, BMP) or a packed bitmap.
struct ClipboardData {
  ClipboardFormat format = ClipboardFormat::None;
  std::vector<std::uint8_t> bytes;
  // Set when the picture is our own copy, handed over without encoding.
  std::shared_ptr<const Dib> picture;
};

class Clipboard {
public:
  virtual ~Clipboard() = default;
  // A picture is on the clipboard.
  virtual bool HasBitmap() = 0;
  // The picture's data; format None when there is none or it could not be fetched.
  virtual ClipboardData Get() = 0;
  // Puts the picture on the clipboard. It returns at once: the encoding happens when a
  // program asks for it. False when the clipboard refused it.
  virtual bool Set(std::shared_ptr<const Dib> picture) = 0;
  virtual void Clear() = 0;
};

// A clipboard inside the process: our pictures come back as they went in; SetBytes stands
// for another program's copy.
class MemoryClipboard : public Clipboard {
public:
  bool HasBitmap() override { return picture_ || !data_.bytes.empty(); }
  ClipboardData Get() override;
  bool Set(std::shared_ptr<const Dib> picture) override;
  void Clear() override;
  void SetBytes(ClipboardFormat format, std::vector<std::uint8_t> bytes);
  // Refuse every Set (a clipboard that is full or gone).
  void SetRefusing(bool on) { refusing_ = on; }

private:
  std::shared_ptr<const Dib> picture_;
  ClipboardData data_;
  bool refusing_ = false;
};

}  // namespace pelira
