#include "edit/picture_state.h"

#include "image/palette.h"

namespace pelira {

void SyncImageState(PictureState& s, const Dib& bitmap) {
  s.ImageWidth = bitmap.Width();
  s.ImageHeight = bitmap.Height();
  s.ImageBits = static_cast<std::int16_t>(bitmap.Empty() ? 0 : bitmap.BitCount());
}

Dib BlankBitmap(std::uint32_t platformColor) {
  Dib d(32, 32, 24);
  const ColorValue c = FromPlatformColor(platformColor);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) d.SetPixel(x, y, c);
  return d;
}

void BlankPictureState(PictureState& s, bool untitled) {
  if (untitled) {
    s.CurrentFile = kUntitled;
    s.CurrentExt.clear();
    s.ImageWidth = 32;
    s.ImageHeight = 32;
    s.ImageBits = 24;
  }
  s.ReducedScale = 1;
  s.SourceWidth = s.ImageWidth;
  s.SourceHeight = s.ImageHeight;
  s.ImageLoaded = true;
  MultiPageDisable(s);
  s.StatusWord = kStatusReady;
  s.ImageModified = false;
}

}  // namespace pelira
