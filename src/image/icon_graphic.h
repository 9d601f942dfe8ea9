#pragma once
// TIconGraphic: one icon of an icon file drawn onto black (transparent areas stay black),
// and an image written as an icon of the standard size with every pixel opaque. Icons are
// not among the files the viewer opens; images reach icons through assignment.
#include <cstdint>
#include <vector>

#include "image/dib_graphic.h"

namespace pelira {

// The platform's standard icon size.
inline constexpr int kStandardIconSize = 32;

struct IconEntry {
  int width = 0, height = 0;  // from the directory (0 there means 256)
  int colorCount = 0, planes = 0, bitCount = 0;
  std::uint32_t bytes = 0, offset = 0;
};

// The directory of an icon file; every entry's data must lie inside the file after the
// directory. Raises EVistrelError "Invalid image format" otherwise.
std::vector<IconEntry> ReadIconDirectory(ByteSpan file);

// Which entry a plain icon load shows: the 32 x 32 one with the most colours, else the first.
std::size_t ChooseIconEntry(const std::vector<IconEntry>& entries);

class TIconGraphic : public TDibGraphic {
public:
  const char* ClassName() const override { return "TIconGraphic"; }
  std::unique_ptr<TDibGraphic> CreateSame() const override { return std::make_unique<TIconGraphic>(); }

  // index 1 is the platform's choice (ChooseIconEntry); 2.. the entry of that number. The
  // result is TrueColor: the icon's colours where it is opaque, black where its mask is set,
  // colours with alpha (32-bit and PNG entries) blended onto black. EVistrelError "Invalid
  // image format" for entries that do not read.
  void ReadImage(ByteSpan bytes, int index) override;
  int GetImageCount(ByteSpan bytes) override;
  // A 32 x 32, 24-bit icon: the image at (0, 0) at its own size, black where it does not
  // reach, an all-opaque mask.
  void SaveToStream(Bytes& stream) override;
  THeaderInfo ReadHeader(ByteSpan bytes) override;
};

}  // namespace pelira
