#pragma once
// The pipeline's pieces built on libjpeg, libpng and libtiff: the viewer's JPEG decoder and
// the save writers of the PNG, JPEG and TIFF types.
#include <memory>

#include "image/codec_registry.h"

namespace pelira {

std::unique_ptr<TJpegDecoder> NewLibJpegDecoder();
// Types 3 (PNG), 4 and 5 (gray and colour JPEG), 7..12 (TIFF); empty for the rest.
SaveWriter LibrarySaveWriter(int saveType);

// The save dialog's compression value as the JPEG table scale (outside 0..128: 50).
int JpegSaveScale(int compressionValue);

}  // namespace pelira
