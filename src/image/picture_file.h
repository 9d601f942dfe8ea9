#pragma once
// Saving the working bitmap as a file of one of the save dialog's types, straight into the
// atomic temporary where the format allows: a BMP is its header, its colour table and the
// bitmap's own rows; a TIFF is written strip by strip. Neither holds the encoded file in
// memory, so a save costs little beyond the picture. The other types are encoded in memory
// first, as their writers make them.
#include <filesystem>

#include "common/atomic_file.h"
#include "image/codec_registry.h"
#include "image/dib.h"

namespace pelira {

// Types 1 (BMP) and 7..12 (TIFF) are streamed. The bitmap is lent to the TIFF writer while it
// writes and is the same picture afterwards, also when the save fails. A failure comes back
// in the result (the encoder's message, or the atomic write's with its cause).
WriteResult SavePictureFile(const std::filesystem::path& path, Dib& bitmap, int saveType, const SaveOptions& options,
                            const AtomicWriteOptions& writeOptions = {});

}  // namespace pelira
