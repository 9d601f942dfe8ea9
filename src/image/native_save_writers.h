#pragma once
// The save writers built on the program's own codecs: type 2 (PCX) and 6 (Targa).
#include "image/codec_registry.h"

namespace pelira {

// Types 2 and 6; empty for the rest.
SaveWriter NativeSaveWriter(int saveType);

}  // namespace pelira
