#include "image/native_save_writers.h"

#include "image/pcx_graphic.h"
#include "image/tga_graphic.h"

namespace pelira {

namespace {

template <class Codec>
Bytes WriteWith(const Dib& bitmap) {
  Codec codec;
  WorkingBitmapToCodec(bitmap, codec);
  return codec.SaveToBytes();
}

}  // namespace

SaveWriter NativeSaveWriter(int type) {
  switch (type) {
    case 2: return [](const Dib& b, const SaveOptions&) { return WriteWith<TPcxGraphic>(b); };
    case 6: return [](const Dib& b, const SaveOptions&) { return WriteWith<TTgaGraphic>(b); };
    default: return nullptr;
  }
}

}  // namespace pelira
